// Helpers of the emulator's Wine tests: its libraries loaded by name, the machine state in its
// registry key, raw registry values, and the lines the call journal gained since a test began.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Journal.h"
#include "JournalLine.h"
#include "MachineState.h"
#include "framework/UniqueHandle.h"

namespace emulator_test {

// A library loaded by name, as the suite loads it; Get fails the test when an export is missing.
struct LoadedLibrary {
    explicit LoadedLibrary(const char* name) : module(::LoadLibraryA(name)) {}

    template <typename Fn>
    Fn Get(const char* name) {
        auto fn = framework::ProcAddress<Fn>(module.Get(), name);
        EXPECT_NE(fn, nullptr) << name;
        return fn;
    }

    framework::UniqueModule module;
};

inline void ResetMachineState() {
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, emulator::kStateKeyPath);
}

inline void SetStateWord(const char* name, DWORD value) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, emulator::kStateKeyPath, 0, nullptr, 0,
                                KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    ::RegCloseKey(key);
}

inline void PutValue(HKEY root, const std::string& path, const char* name, DWORD type,
                     const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(
        ::RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    ::RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    ::RegCloseKey(key);
}

inline void PutText(HKEY root, const std::string& path, const char* name, const std::string& text) {
    PutValue(root, path, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

struct RawValue {
    bool found = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;

    std::string Text() const {
        std::string text(data.begin(), data.end());
        return text.substr(0, text.find('\0'));
    }
    DWORD Word() const {
        DWORD word = 0;
        if (data.size() == sizeof word) {
            std::memcpy(&word, data.data(), sizeof word);
        }
        return word;
    }
};

inline RawValue ReadValue(HKEY root, const std::string& path, const char* name) {
    RawValue v;
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return v;
    }
    DWORD size = 0;
    if (::RegQueryValueExA(key, name, nullptr, &v.type, nullptr, &size) == ERROR_SUCCESS) {
        v.data.resize(size);
        v.found =
            ::RegQueryValueExA(key, name, nullptr, &v.type, v.data.data(), &size) == ERROR_SUCCESS;
        v.data.resize(size);
    }
    ::RegCloseKey(key);
    return v;
}

inline bool KeyPresent(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return false;
    }
    ::RegCloseKey(key);
    return true;
}

inline std::string ReadFileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The journal lines written after construction.
class JournalWatch {
public:
    JournalWatch() : path_(emulator::JournalFilePath()), start_(ReadFileText(path_).size()) {}

    std::vector<std::string> RawLines() const {
        const std::string text = ReadFileText(path_);
        std::vector<std::string> lines;
        std::istringstream in(start_ <= text.size() ? text.substr(start_) : text);
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
        return lines;
    }

    std::vector<emulator::JournalEntry> Entries(const std::string& library,
                                                const std::string& function) const {
        std::vector<emulator::JournalEntry> found;
        for (const std::string& line : RawLines()) {
            const auto entry = emulator::ParseJournalLine(line);
            if (entry && entry->library == library && entry->function == function) {
                found.push_back(*entry);
            }
        }
        return found;
    }

    // The last call of a function; fails the test when there was none.
    emulator::JournalEntry Last(const std::string& library, const std::string& function) const {
        const auto found = Entries(library, function);
        EXPECT_FALSE(found.empty()) << "no journal line for " << library << " " << function;
        return found.empty() ? emulator::JournalEntry{} : found.back();
    }

    const std::string& Path() const { return path_; }

private:
    std::string path_;
    std::size_t start_;
};

} // namespace emulator_test
