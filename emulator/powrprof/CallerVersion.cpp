#include "CallerVersion.h"

#include <windows.h>

#include "VistaPowerSettings.h"

namespace powrprof {

bool CallerHasVistaSchemes() {
    // A process's version cannot change while it runs; asking once keeps every call cheap.
    static const bool vista = [] {
        OSVERSIONINFOW info{};
        info.dwOSVersionInfoSize = sizeof info;
        return ::GetVersionExW(&info) && emulator::UsesVistaSchemes(info.dwMajorVersion);
    }();
    return vista;
}

} // namespace powrprof
