#include "VersionClass.h"

namespace store {
namespace {

// The 9x releases mark their second editions with a letter after a leading space (" C" for
// the OEM release of 95, " A" for the second edition of 98).
bool SecondCharacterIs(std::string_view text, char letter) {
    return text.size() > 1 && text[1] == letter;
}

int Classify9x(std::uint32_t major, std::uint32_t minor, std::string_view servicePack) {
    if (major != 4) {
        return kWindowsUnknown;
    }
    switch (minor) {
    case 0:
        return SecondCharacterIs(servicePack, 'C') ? kWindows95Osr2 : kWindows95;
    case 10:
        return SecondCharacterIs(servicePack, 'A') ? kWindows98Se : kWindows98;
    case 90:
        return kWindowsMe;
    default:
        return kWindowsUnknown;
    }
}

int ClassifyNt(std::uint32_t major, std::uint32_t minor) {
    if (major < 5) {
        return kWindowsNt4OrOlder;
    }
    if (major == 5 && minor == 0) {
        return kWindows2000;
    }
    if (major == 5 && minor == 1) {
        return kWindowsXp;
    }
    return kWindowsUnknown;
}

} // namespace

int ClassifyWindowsVersion(std::uint32_t platformId, std::uint32_t major, std::uint32_t minor,
                           std::string_view servicePack) {
    switch (platformId) {
    case kPlatform9x:
        return Classify9x(major, minor, servicePack);
    case kPlatformNt:
        return ClassifyNt(major, minor);
    default:
        return kWindowsUnknown;
    }
}

bool UsesSchemeInterface(std::uint32_t platformId, std::uint32_t major) {
    return platformId == kPlatformNt && major >= 6;
}

} // namespace store
