// The emulator's call journal: one line per call of any of its libraries, appended to a text
// file (format in JournalLine.h). The file is the value "JournalPath" of the emulator's key,
// or NotebookJournal.txt in the Windows directory.
#pragma once

#include <string>

#include "JournalLine.h"

namespace emulator {

inline constexpr char kDefaultJournalName[] = "NotebookJournal.txt";

std::string JournalFilePath();

// Appends one line and leaves the caller's last-error value as it was, so that a library can
// set its error first and journal afterwards. Journal failures are not reported: the call
// being journalled must not fail because of them.
void JournalCall(const char* library, const char* function, const std::string& arguments,
                 const std::string& result);

} // namespace emulator
