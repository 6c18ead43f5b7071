// The class of the running Windows version (kWindowsXp and friends in VersionClass.h).
#pragma once

namespace store {

// Asks the system with the extended version record, then with the basic one; -1 when neither
// is answered or the version is not one the suite knows.
int WindowsVersionClass();

// Whether the running Windows applies the power-scheme interface (Vista and later) rather
// than the XP records; false when the version cannot be read.
bool WindowsUsesSchemeInterface();

} // namespace store
