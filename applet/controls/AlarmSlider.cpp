#include "AlarmSlider.h"

#include <commctrl.h>

#include "applet/AppletMessages.h"
#include "framework/WindowText.h"

namespace applet {

void AlarmSlider::SetValue(int value) {
    Send(TBM_SETPOS, TRUE, value);
    ShowLabel(Value());
}

int AlarmSlider::Value() const {
    return static_cast<int>(Send(TBM_GETPOS));
}

void AlarmSlider::ShowLabel(int value) {
    if (label_ != nullptr) {
        framework::SetWindowText(label_, PercentLabel(value));
    }
}

bool AlarmSlider::OnReflectedScroll(UINT code, int position) {
    if (code == SB_THUMBTRACK) {
        ShowLabel(position);
    } else if (code != SB_ENDSCROLL) {
        ShowLabel(Value());
    }
    NotifyModified();
    return true;
}

void AlarmSlider::PullBack() {
    ShowLabel(Value());
    if (partner_ == nullptr || partner_->Hwnd() == nullptr) {
        return;
    }
    const int value = Value();
    const int pulled = PulledBackLevel(role_, value, partner_->Value(),
                                       ::IsWindowEnabled(partner_->Hwnd()) != FALSE);
    if (pulled != value) {
        SetValue(pulled);
    }
}

LRESULT AlarmSlider::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_LBUTTONUP:
    case WM_KEYUP: {
        const LRESULT result = DefaultProc(message, wParam, lParam);
        PullBack();
        return result;
    }
    default:
        return Window::WindowProc(message, wParam, lParam);
    }
}

} // namespace applet
