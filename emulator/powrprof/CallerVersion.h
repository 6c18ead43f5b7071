// Which power manager the calling program gets: the Windows version it sees (Wine's per-prefix
// or per-program setting) decides, once per process.
#pragma once

namespace powrprof {

// NT 6.0 and later: schemes by GUID; the XP scheme and policy functions are unavailable.
bool CallerHasVistaSchemes();

} // namespace powrprof
