// The application object of a Control Panel library: its items, and the dispatcher of the
// shell's messages. It lives inside the Control Panel's process, so closing its dialog never
// ends that process's message loop.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "CCPApplet.h"
#include "framework/Application.h"

namespace applet {

class CControlPanelApp : public framework::Application {
public:
    CControlPanelApp();
    ~CControlPanelApp() override;

    virtual LONG_PTR OnCplMsg(HWND hwndCPl, UINT message, LPARAM lParam1, LPARAM lParam2);
    // Default: whether there is an item.
    virtual bool OnInit();
    virtual LONG_PTR OnExit();

    // The shell's loop goes on after our dialog closes.
    void OnMainWindowGone() override {}

    void AddApplet(std::unique_ptr<CCPApplet> applet);
    int Count() const { return static_cast<int>(applets_.size()); }
    CCPApplet* Applet(LPARAM index) const;

private:
    std::vector<std::unique_ptr<CCPApplet>> applets_;
};

} // namespace applet
