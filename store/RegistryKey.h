// The registry wrapper every store operation uses: one key, opened and closed within one
// operation, remembering the outcome of its last call.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "../framework/UniqueHandle.h"
#include "PowerSaveMode.h"

namespace store {

inline constexpr int kSubkeyNameSize = 100;

class RegistryKey {
public:
    explicit RegistryKey(HKEY root) : root_(root) {}

    bool Open(const std::string& path, REGSAM access = KEY_ALL_ACCESS);
    bool Create(const std::string& path, REGSAM access = KEY_ALL_ACCESS);
    void Close() { key_.Reset(); }
    bool Exists(const std::string& path);

    // Reads succeed only for a value of the expected type and size; on failure the output
    // is left as it was, so a damaged value never fills a field with partial data.
    bool ReadWord(const char* name, std::uint32_t& value);
    bool ReadString(const char* name, char (&text)[kTextSize]);
    bool ReadBinary(const char* name, void* data, DWORD size);
    // A REG_BINARY value of at most size bytes; Size() then tells how many were copied.
    bool ReadBinaryUpTo(const char* name, void* data, DWORD size);

    bool WriteWord(const char* name, std::uint32_t value);
    bool WriteString(const char* name, const char* text);
    bool WriteBinary(const char* name, const void* data, DWORD size);

    bool EnumSubkey(DWORD index, char (&name)[kSubkeyNameSize]);
    bool DeleteValue(const char* name);
    // Deletes a key without subkeys, relative to the open key or, when closed, to the root.
    bool DeleteKey(const std::string& path);

    HKEY Handle() const { return key_.Get(); }
    HKEY Root() const { return root_; }
    LONG Status() const { return status_; }
    DWORD Type() const { return type_; }
    DWORD Size() const { return size_; }
    const std::string& Path() const { return path_; }

private:
    bool Record(LONG status) {
        status_ = status;
        return status == ERROR_SUCCESS;
    }
    bool Query(const char* name, DWORD expectedType, void* data, DWORD size, bool exact);

    HKEY root_;
    framework::UniqueKey key_;
    LONG status_ = ERROR_SUCCESS;
    DWORD type_ = REG_NONE;
    DWORD size_ = 0;
    std::string path_;
};

// Removes a key and everything below it; stops at the first subkey that cannot be removed.
// True when the key is gone.
bool DeleteKeyTree(HKEY root, const std::string& path);

} // namespace store
