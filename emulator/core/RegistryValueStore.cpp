#include "RegistryValueStore.h"

#include <windows.h>

#include <cstring>

#include "framework/UniqueHandle.h"

namespace emulator {

namespace {

// Larger values are not state the emulator wrote or a person typed; they count as damaged.
constexpr DWORD kMaxValueSize = 1024;

} // namespace

RawValue RegistryValueStore::Read(const std::string& name) {
    RawValue raw;
    framework::UniqueKey key;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kStateKeyPath, 0, KEY_QUERY_VALUE, key.Put()) !=
        ERROR_SUCCESS) {
        return raw;
    }
    BYTE data[kMaxValueSize + 2] = {};
    DWORD type = REG_NONE;
    DWORD size = kMaxValueSize;
    const LONG status = ::RegQueryValueExA(key.Get(), name.c_str(), nullptr, &type, data, &size);
    if (status == ERROR_FILE_NOT_FOUND) {
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
    framework::UniqueKey key;
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kStateKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_SET_VALUE, nullptr, key.Put(), nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const DWORD word = value;
    return ::RegSetValueExA(key.Get(), name.c_str(), 0, REG_DWORD,
                            reinterpret_cast<const BYTE*>(&word), sizeof word) == ERROR_SUCCESS;
}

} // namespace emulator
