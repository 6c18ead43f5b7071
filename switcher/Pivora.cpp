// Pivora: the popup profile switcher. It runs hidden for the user's session and shows its
// popup when the notebook's profile key is released.
#include <windows.h>

#include "switcher/CUI.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    switcher::CUI application;
    return application.Execute();
}
