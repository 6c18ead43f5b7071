// Text of this module's string table and of windows, as std::string (narrow programs) or
// std::wstring (wide ones).
#pragma once

#include <windows.h>

#include <string>

namespace framework {

// Empty text for a string the table does not have.
std::string LoadText(UINT id);
std::wstring LoadTextW(UINT id);

std::string WindowText(HWND hwnd);
bool SetWindowText(HWND hwnd, const std::string& text);
std::string ItemText(HWND dialog, int id);
bool SetItemText(HWND dialog, int id, const std::string& text);

// The lead-byte rule of the system's ANSI code page, for cutting narrow text (TextCut.h).
bool IsAnsiLeadByte(unsigned char c);

} // namespace framework
