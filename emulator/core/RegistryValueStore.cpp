#include "RegistryValueStore.h"

#include <windows.h>

#include <cstring>

#include "OpenKeys.h"
#include "RegistryAccess.h"
#include "framework/UniqueHandle.h"

namespace emulator {

namespace {

// Larger values are not state the emulator wrote or a person typed; they count as damaged.
constexpr DWORD kMaxValueSize = 1024;

} // namespace

RawValue RegistryValueStore::Read(const std::string& name) {
    RawValue raw;
    BYTE data[kMaxValueSize + 2] = {};
    DWORD type = REG_NONE;
    DWORD size = kMaxValueSize;
    bool missingKey = false;
    const auto open = [&](framework::UniqueKey& key) {
        const LONG opened =
            ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kStateKeyPath, 0, KEY_QUERY_VALUE, key.Put());
        missingKey = opened != ERROR_SUCCESS;
        return opened;
    };
    const LONG status =
        ProcessKeys().With(HKEY_LOCAL_MACHINE, kStateKeyPath, KEY_QUERY_VALUE, open, [&](HKEY key) {
            size = kMaxValueSize;
            return ::RegQueryValueExA(key, name.c_str(), nullptr, &type, data, &size);
        });
    // Without the key (or access to it) every value is missing.
    if (missingKey || status == ERROR_FILE_NOT_FOUND) {
        return raw;
    }
    raw.type = RawValue::Type::Other;
    if (status != ERROR_SUCCESS || size > kMaxValueSize) {
        return raw;
    }
    if (type == REG_DWORD && size == sizeof(DWORD)) {
        raw.type = RawValue::Type::Word;
        std::memcpy(&raw.word, data, sizeof raw.word);
    } else if (type == REG_SZ || type == REG_EXPAND_SZ) {
        // The registry does not promise a terminator; the spare bytes of the buffer give one.
        raw.type = RawValue::Type::Text;
        raw.text.assign(reinterpret_cast<const char*>(data),
                        ::strnlen(reinterpret_cast<const char*>(data), size));
    }
    return raw;
}

bool RegistryValueStore::WriteWord(const std::string& name, std::uint32_t value) {
    return emulator::WriteWord(HKEY_LOCAL_MACHINE, kStateKeyPath, name.c_str(), value) ==
           ERROR_SUCCESS;
}

} // namespace emulator
