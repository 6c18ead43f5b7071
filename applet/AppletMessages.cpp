#include "AppletMessages.h"

#include "framework/Application.h"
#include "framework/Window.h"

namespace applet {

void SendToMainWindow(UINT message, WPARAM wParam, LPARAM lParam) {
    const framework::Application* app = framework::Application::Current();
    const framework::Window* main = app != nullptr ? app->MainWindow() : nullptr;
    if (main != nullptr && main->Hwnd() != nullptr) {
        main->Send(message, wParam, lParam);
    }
}

} // namespace applet
