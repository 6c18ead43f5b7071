// The user-visible boxes of the hardware code, behind one replaceable function so that the
// start sequence can be run without a desktop.
#pragma once

#include <windows.h>

#include <functional>

namespace hardware {

// text, caption, style -> the box's result.
using MessageBoxFn = std::function<int(const char* text, const char* caption, UINT style)>;

inline constexpr char kUtilityCaption[] = "VELMORA Utility";
inline constexpr char kPowerManagementCaption[] = "Power Management";
inline constexpr char kDeviceCaption[] = "VELMORA Power Management";
inline constexpr char kPolicyLoadFailText[] = "The policy of NoteBook load fail.";
// The applet's text 146, in English; the applet passes its own localised copy.
inline constexpr char kAdminRightsText[] =
    "You need administrator's rights to control power scheme.";

inline constexpr UINT kLoadErrorStyle = MB_ICONHAND | MB_TOPMOST;      // 0x40010
inline constexpr UINT kRefusalStyle = MB_ICONEXCLAMATION | MB_TOPMOST; // 0x40030

// MessageBoxA without an owner.
int ShowMessageBox(const char* text, const char* caption, UINT style);

// A box whose text is the system's message for the code.
int ShowSystemErrorWith(const MessageBoxFn& box, DWORD code, const char* caption, UINT style);

} // namespace hardware
