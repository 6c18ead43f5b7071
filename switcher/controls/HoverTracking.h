// The skinned controls change their look on hover and on leave; the system reports each once
// per request, so the controls ask again as the mouse moves over them.
#pragma once

#include <windows.h>

namespace switcher {

// The next WM_MOUSEHOVER (after 1 ms at rest) and WM_MOUSELEAVE of `window`.
inline void TrackHoverAndLeave(HWND window) {
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_HOVER | TME_LEAVE;
    track.hwndTrack = window;
    track.dwHoverTime = 1;
    ::TrackMouseEvent(&track);
}

} // namespace switcher
