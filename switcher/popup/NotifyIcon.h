// The popup's notification-area icon: absent while the battery is good, it shows the picture of
// a worn or damaged battery with a balloon that says so. A double click repeats the balloon; a
// click on the balloon opens the maker's page.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <array>

#include "framework/UniqueHandle.h"
#include "framework/Window.h"

namespace switcher {

class NotifyIcon {
public:
    // `popup` owns the icon and receives its messages (WM_SWITCHER_TRAY).
    explicit NotifyIcon(const framework::Window& popup) : popup_(popup) {}

    NotifyIcon(const NotifyIcon&) = delete;
    NotifyIcon& operator=(const NotifyIcon&) = delete;

    // The three battery pictures at the area's icon size, and the program's icon.
    void LoadIcons();
    // The width of the notification-area icons as loaded, in pixels; 0 before LoadIcons.
    int LoadedIconWidth() const;
    // `add`: adds the icon with picture `index` (0 good, 1 worn, 2 damaged), or changes the
    // picture of the one already there. Otherwise deletes the icon.
    bool SetTrayIcon(int index, bool add);
    // The balloon over the icon, with its current picture.
    bool ShowTrayBalloon(const wchar_t* title, const wchar_t* text);
    LRESULT OnNotify(LPARAM event);

private:
    // The record every call starts from: the icon's identity, callback, tip and version.
    NOTIFYICONDATAW Record() const;
    int CurrentIndex() const;

    const framework::Window& popup_;
    std::array<framework::UniqueIcon, 3> icons_;
    framework::UniqueIcon appIcon_;
    HICON current_ = nullptr;
};

} // namespace switcher
