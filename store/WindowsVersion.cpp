#include "WindowsVersion.h"

#include <windows.h>

#include <cstring>
#include <string_view>

#include "VersionClass.h"

namespace store {

static_assert(sizeof(OSVERSIONINFOEXA) == 156);
static_assert(sizeof(OSVERSIONINFOA) == 148);

int WindowsVersionClass() {
    OSVERSIONINFOEXA info{};
    // The extended record starts with the basic one, so one buffer serves both attempts;
    // systems before NT 4 SP6 reject the extended size.
    auto* basic = reinterpret_cast<OSVERSIONINFOA*>(&info);
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
    if (!::GetVersionExA(basic)) {
        info = OSVERSIONINFOEXA{};
        info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        if (!::GetVersionExA(basic)) {
            return kWindowsUnknown;
        }
    }
    // The text is not promised to be terminated within its buffer.
    const std::string_view servicePack(info.szCSDVersion,
                                       ::strnlen(info.szCSDVersion, sizeof info.szCSDVersion));
    return ClassifyWindowsVersion(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion,
                                  servicePack);
}

bool WindowsUsesSchemeInterface() {
    // The basic record carries the platform and the major version, all this needs.
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    return ::GetVersionExA(&info) && UsesSchemeInterface(info.dwPlatformId, info.dwMajorVersion);
}

} // namespace store
