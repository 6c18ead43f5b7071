#include "RegistryKey.h"

#include <cstring>
#include <vector>

namespace store {

bool RegistryKey::Open(const std::string& path, REGSAM access) {
    path_ = path;
    return Record(::RegOpenKeyExA(root_, path.c_str(), 0, access, key_.Put()));
}

bool RegistryKey::Create(const std::string& path, REGSAM access) {
    path_ = path;
    return Record(::RegCreateKeyExA(root_, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                    access, nullptr, key_.Put(), nullptr));
}

bool RegistryKey::Exists(const std::string& path) {
    const bool found = Open(path, KEY_QUERY_VALUE);
    Close();
    return found;
}

bool RegistryKey::Query(const char* name, DWORD expectedType, void* data, DWORD size, bool exact) {
    if (!key_) {
        return Record(ERROR_INVALID_HANDLE);
    }
    // Read into a scratch buffer first: a value larger than the field, or of another type,
    // must not touch the caller's data.
    std::vector<BYTE> scratch(size);
    DWORD type = REG_NONE;
    DWORD got = size;
    if (!Record(::RegQueryValueExA(key_.Get(), name, nullptr, &type, scratch.data(), &got))) {
        type_ = type;
        size_ = got;
        return false;
    }
    type_ = type;
    size_ = got;
    if (type != expectedType || (exact && got != size)) {
        return Record(ERROR_INVALID_DATA);
    }
    std::memcpy(data, scratch.data(), got);
    return true;
}

bool RegistryKey::ReadWord(const char* name, std::uint32_t& value) {
    return Query(name, REG_DWORD, &value, sizeof value, true);
}

bool RegistryKey::ReadString(const char* name, char (&text)[kTextSize]) {
    char buffer[kTextSize] = {};
    if (!Query(name, REG_SZ, buffer, sizeof buffer, false)) {
        return false;
    }
    // The registry does not promise a terminator; a value that fills the buffer without one
    // is longer than the field can hold.
    if (std::memchr(buffer, '\0', size_) == nullptr && size_ == sizeof buffer) {
        return Record(ERROR_MORE_DATA);
    }
    buffer[sizeof buffer - 1] = '\0';
    std::memcpy(text, buffer, sizeof buffer);
    return true;
}

bool RegistryKey::ReadBinary(const char* name, void* data, DWORD size) {
    return Query(name, REG_BINARY, data, size, true);
}

bool RegistryKey::ReadBinaryUpTo(const char* name, void* data, DWORD size) {
    return Query(name, REG_BINARY, data, size, false);
}

bool RegistryKey::WriteWord(const char* name, std::uint32_t value) {
    if (!key_) {
        return Record(ERROR_INVALID_HANDLE);
    }
    return Record(::RegSetValueExA(key_.Get(), name, 0, REG_DWORD,
                                   reinterpret_cast<const BYTE*>(&value), sizeof value));
}

bool RegistryKey::WriteString(const char* name, const char* text) {
    if (!key_) {
        return Record(ERROR_INVALID_HANDLE);
    }
    const auto size = static_cast<DWORD>(std::strlen(text) + 1);
    return Record(
        ::RegSetValueExA(key_.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), size));
}

bool RegistryKey::WriteBinary(const char* name, const void* data, DWORD size) {
    if (!key_) {
        return Record(ERROR_INVALID_HANDLE);
    }
    return Record(
        ::RegSetValueExA(key_.Get(), name, 0, REG_BINARY, static_cast<const BYTE*>(data), size));
}

bool RegistryKey::EnumSubkey(DWORD index, char (&name)[kSubkeyNameSize]) {
    if (!key_) {
        return Record(ERROR_INVALID_HANDLE);
    }
    DWORD length = kSubkeyNameSize;
    return Record(
        ::RegEnumKeyExA(key_.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr));
}

bool RegistryKey::DeleteValue(const char* name) {
    if (!key_) {
        return Record(ERROR_INVALID_HANDLE);
    }
    return Record(::RegDeleteValueA(key_.Get(), name));
}

bool RegistryKey::DeleteKey(const std::string& path) {
    return Record(::RegDeleteKeyA(key_ ? key_.Get() : root_, path.c_str()));
}

bool DeleteKeyTree(HKEY root, const std::string& path) {
    RegistryKey key(root);
    if (key.Open(path)) {
        char name[kSubkeyNameSize];
        // Always take subkey 0: the one before it has just been removed. The delete's own
        // result decides, not a look afterwards: a child that refuses to be opened would look
        // gone while it is still listed, and the loop would never end.
        while (key.EnumSubkey(0, name)) {
            if (!DeleteKeyTree(root, path + "\\" + name)) {
                return false;
            }
        }
        key.Close();
    }
    return key.DeleteKey(path);
}

} // namespace store
