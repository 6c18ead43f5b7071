// What the tests of the Windows power-policy bridge share: the scheme they use, registry
// access that bypasses the code under test, record bytes, and sample settings.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "PartialPowerLibrary.h"
#include "PolicyApply.h"
#include "PolicyMapping.h"
#include "PolicyRecords.h"
#include "PowerApi.h"
#include "RegistryKey.h"
#include "VersionClass.h"
#include "WindowsVersion.h"

namespace bridge_test {

using namespace store;

// A scheme number well above what Wine or the installer tests use.
inline constexpr int kScheme = 37;
inline constexpr char kMissingLibrary[] = "no_such_power_library.dll";

// Registry helpers that bypass the code under test.

struct RawValue {
    bool present = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

inline bool KeyExists(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

inline RawValue ReadRaw(HKEY root, const std::string& path) {
    RawValue v;
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return v;
    }
    DWORD size = 0;
    if (RegQueryValueExA(key, kPolicyValueName, nullptr, &v.type, nullptr, &size) ==
        ERROR_SUCCESS) {
        v.present = true;
        v.data.resize(size);
        RegQueryValueExA(key, kPolicyValueName, nullptr, &v.type, v.data.data(), &size);
    }
    RegCloseKey(key);
    return v;
}

inline void WriteRaw(HKEY root, const std::string& path, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    RegSetValueExA(key, kPolicyValueName, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

inline void CreateKey(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    RegCloseKey(key);
}

// Puts a key back as it was found: removed if it did not exist, its value restored if it did.
class KeyGuard {
public:
    KeyGuard(HKEY root, std::string path)
        : root_(root), path_(std::move(path)), existed_(KeyExists(root_, path_)),
          saved_(ReadRaw(root_, path_)) {}
    ~KeyGuard() { Restore(); }
    KeyGuard(const KeyGuard&) = delete;
    KeyGuard& operator=(const KeyGuard&) = delete;

    void Remove() { DeleteKeyTree(root_, path_); }
    void Restore() {
        if (!existed_) {
            Remove();
            return;
        }
        if (saved_.present) {
            WriteRaw(root_, path_, saved_.type, saved_.data.data(),
                     static_cast<DWORD>(saved_.data.size()));
        } else {
            HKEY key = nullptr;
            if (RegOpenKeyExA(root_, path_.c_str(), 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
                RegDeleteValueA(key, kPolicyValueName);
                RegCloseKey(key);
            }
        }
    }

private:
    HKEY root_;
    std::string path_;
    bool existed_;
    RawValue saved_;
};

template <typename Record>
std::vector<BYTE> Bytes(const Record& record) {
    const auto* p = reinterpret_cast<const BYTE*>(&record);
    return std::vector<BYTE>(p, p + sizeof record);
}

template <typename Record>
Record Pattern(BYTE seed) {
    Record record;
    auto* p = reinterpret_cast<BYTE*>(&record);
    for (std::size_t i = 0; i < sizeof record; ++i) {
        p[i] = static_cast<BYTE>(seed + i);
    }
    return record;
}

// Actions are stored as words; read them back the same way.
inline std::uint32_t Word(const POWER_ACTION& action) {
    std::uint32_t value = 0;
    std::memcpy(&value, &action, sizeof value);
    return value;
}

// Settings of the suite to map: a mode with the given standby and hibernate choices, the two
// records it is mapped onto, and global settings with every field set.
inline PowerSaveMode ModeWith(std::uint32_t standby, std::uint32_t hibernate) {
    PowerSaveMode mode;
    for (int c = 0; c < kColumns; ++c) {
        mode.Panel[c] = 13; // 300 s
        mode.HDD[c] = 8;    // 1800 s
        mode.Standby[c] = standby;
        mode.Hibernate[c] = hibernate;
    }
    return mode;
}

struct ModeRecords {
    USER_POWER_POLICY user = Pattern<USER_POWER_POLICY>(0x21);
    MACHINE_POWER_POLICY machine = Pattern<MACHINE_POWER_POLICY>(0x43);
};

inline GlobalPowerSettings SampleGlobal() {
    GlobalPowerSettings s;
    s.PowerButton = kActionShutdownOff;
    s.SleepButton = kActionSleep;
    s.LidClose = kActionHibernate;
    s.PasswordLogonEnable = 0;
    s.CriticalAlarm = {0x101, 3, kActionHibernate, 0x77, 0x3, 0x55};
    s.LowAlarm = {0, 10, kActionNone, 0x66, 0x1, 0x44};
    return s;
}

} // namespace bridge_test
