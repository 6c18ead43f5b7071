// Value-level registry steps of the power manager and the seed, on keys the process keeps
// open (OpenKeys.h). They return a Win32 error code: ERROR_SUCCESS, ERROR_FILE_NOT_FOUND for a
// missing key or value, ERROR_INVALID_DATA for a value of the wrong type or size.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/UniqueHandle.h"

namespace emulator {

// A record of exactly `size` bytes, REG_BINARY; `data` is only written on success.
LONG ReadRecord(HKEY root, const std::string& path, const char* name, void* data, DWORD size);
// Creates the key when it is missing.
LONG WriteRecord(HKEY root, const std::string& path, const char* name, const void* data,
                 DWORD size);

// A number kept as decimal REG_SZ text.
LONG ReadDecimal(HKEY root, const std::string& path, const char* name, std::uint32_t& value);
LONG WriteDecimal(HKEY root, const std::string& path, const char* name, std::uint32_t value);

// A REG_DWORD of exactly four bytes.
LONG ReadWord(HKEY root, const std::string& path, const char* name, std::uint32_t& value);
// Both words of one key, as ReadWord; only those whose status is ERROR_FILE_NOT_FOUND are read.
void ReadWordPair(HKEY root, const std::string& path, const char* const names[2], LONG status[2],
                  std::uint32_t values[2]);
// Creates the key when it is missing.
LONG WriteWord(HKEY root, const std::string& path, const char* name, std::uint32_t value);
// A word in the key `path`, made when missing, but only below an existing key `parent`
// (ERROR_FILE_NOT_FOUND otherwise).
LONG WriteWordUnder(HKEY root, const std::string& parent, const std::string& path, const char* name,
                    std::uint32_t value);

LONG ReadWideText(HKEY root, const std::string& path, const wchar_t* name, std::wstring& text);
LONG WriteWideText(HKEY root, const std::string& path, const wchar_t* name,
                   const std::wstring& text);

LONG CreateKey(HKEY root, const std::string& path);
bool KeyExists(HKEY root, const std::string& path);
bool ValueExists(HKEY root, const std::string& path, const char* name);
// Names of the direct subkeys; empty when the key cannot be opened.
std::vector<std::string> SubkeyNames(HKEY root, const std::string& path);
// The key and everything below it; ERROR_FILE_NOT_FOUND when it does not exist.
LONG DeleteKeyTree(HKEY root, const std::string& path);

} // namespace emulator
