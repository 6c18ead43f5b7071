// The part of a process command line after the program name, as WinMain receives it.
#pragma once

namespace framework {

// The program name is either quoted (up to the closing quote, spaces included) or runs to the
// first space or tab; the blanks after it are skipped too. Returns a pointer into `line`.
const char* CommandLineTail(const char* line);
const wchar_t* CommandLineTail(const wchar_t* line);

} // namespace framework
