// The applet library's entry point. The Control Panel loads Vumo.cpl and drives it through
// CPlApplet; everything else is in the application object and the main dialog.
#include <windows.h>
#include <cpl.h>

#include "CVumoApp.h"
#include "framework/Contain.h"

namespace {

applet::CVumoApp gApp;

} // namespace

extern "C" LONG APIENTRY CPlApplet(HWND hwndCPl, UINT message, LPARAM lParam1, LPARAM lParam2) {
    // Nothing may unwind into the shell.
    return static_cast<LONG>(framework::CallContained("Vumo: CPlApplet", LONG_PTR{0}, [&] {
        return gApp.OnCplMsg(hwndCPl, message, lParam1, lParam2);
    }));
}
