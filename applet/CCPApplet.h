// One Control Panel item: its icon and string (one resource id for both), the dialog it
// opens, and the answers to the shell's inquiries about it.
#pragma once

#include <windows.h>
#include <cpl.h>

#include <functional>
#include <memory>

#include "framework/Dialog.h"

namespace applet {

class CControlPanelApp;

static_assert(sizeof(void*) != 4 || sizeof(NEWCPLINFOA) == 244);
static_assert(sizeof(void*) != 4 || sizeof(CPLINFO) == 16);

class CCPApplet {
public:
    // What the item creates when it is opened.
    using DialogFactory = std::function<std::unique_ptr<framework::Dialog>()>;

    // `dynamic`: answer only the new-style inquiry (CPL_INQUIRE fills nothing).
    CCPApplet(CControlPanelApp& app, DialogFactory dialogClass, bool dynamic, UINT resourceId);
    virtual ~CCPApplet() = default;
    CCPApplet(const CCPApplet&) = delete;
    CCPApplet& operator=(const CCPApplet&) = delete;

    // Creates the dialog and runs it modally; false when no dialog object could be made.
    // A plain dialog ignores the command line.
    virtual bool OnRun(HWND parent, const char* commandLine);
    virtual LONG_PTR OnInquire(CPLINFO* info);
    virtual LONG_PTR OnNewInquire(NEWCPLINFOA* info);
    virtual LONG_PTR OnSelect();
    virtual LONG_PTR OnStop();

    UINT ResourceId() const { return resourceId_; }
    bool Dynamic() const { return dynamic_; }

private:
    CControlPanelApp& app_;
    DialogFactory dialogClass_;
    bool dynamic_;
    UINT resourceId_;
};

} // namespace applet
