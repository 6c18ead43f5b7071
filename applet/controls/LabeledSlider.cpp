#include "LabeledSlider.h"

#include <commctrl.h>

#include "applet/AppletMessages.h"
#include "applet/logic/ProgressRules.h"
#include "applet/logic/SettingsRules.h"
#include "framework/TextList.h"
#include "framework/WindowText.h"

namespace applet {

bool LabeledSlider::LoadList(UINT stringId) {
    auto choices = framework::SplitList(framework::LoadText(stringId));
    const bool loaded = !choices.empty();
    SetChoices(std::move(choices));
    return loaded;
}

void LabeledSlider::SetChoices(std::vector<std::string> choices) {
    choices_ = std::move(choices);
    const int count = static_cast<int>(choices_.size());
    Send(TBM_SETRANGE, TRUE, MAKELPARAM(1, count > 0 ? count : 1));
}

void LabeledSlider::SetValue(int value) {
    const int lower = static_cast<int>(Send(TBM_GETRANGEMIN));
    const int upper = static_cast<int>(Send(TBM_GETRANGEMAX));
    const int position = SliderPositionFor(value, lower, upper);
    Send(TBM_SETPOS, TRUE, position);
    ShowChoice(position);
}

int LabeledSlider::Value() const {
    return static_cast<int>(Send(TBM_GETPOS));
}

void LabeledSlider::ShowChoice(int position) {
    if (label_ == nullptr || position < 1 || position > static_cast<int>(choices_.size())) {
        return;
    }
    framework::SetWindowText(label_, choices_[static_cast<std::size_t>(position - 1)]);
}

int LabeledSlider::Maximum() const {
    return static_cast<int>(Send(TBM_GETRANGEMAX));
}

void LabeledSlider::SetMaximum(int maximum) {
    Send(TBM_SETRANGEMAX, TRUE, maximum);
}

bool LabeledSlider::OnReflectedScroll(UINT code, int position) {
    // The codes up to SB_ENDSCROLL; the final SB_THUMBPOSITION repeats what tracking showed.
    if (code < SB_ENDSCROLL && code != SB_THUMBPOSITION) {
        ShowChoice(code == SB_THUMBTRACK ? position : Value());
    }
    // The slider's own window is the one being edited: the properties dialog while it is
    // open, so that a cancelled dialog leaves the main dialog's Apply as it was.
    if (const HWND top = ::GetAncestor(Hwnd(), GA_ROOT)) {
        ::SendMessageA(top, WM_APPLET_MODIFIED, 0, 0);
    }
    KeepPartnerInStep();
    return true;
}

void LabeledSlider::KeepPartnerInStep() {
    if (hibernatePartner_ != nullptr) {
        const int hibernate = HibernateAfterStandbyMove(Value(), hibernatePartner_->Value());
        if (hibernate != hibernatePartner_->Value()) {
            hibernatePartner_->SetValue(hibernate);
        }
    }
    if (standbyPartner_ != nullptr) {
        const int standby = StandbyAfterHibernateMove(Value(), standbyPartner_->Value(), Maximum());
        if (standby != standbyPartner_->Value()) {
            standbyPartner_->SetValue(standby);
        }
    }
}

LRESULT LabeledSlider::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONUP) {
        const LRESULT result = DefaultProc(message, wParam, lParam);
        ShowChoice(Value());
        return result;
    }
    return Window::WindowProc(message, wParam, lParam);
}

void LabeledSlider::Show(bool shown) {
    const int command = shown ? SW_SHOW : SW_HIDE;
    for (const HWND hwnd : {Hwnd(), label_, frame_}) {
        if (hwnd != nullptr) {
            ::ShowWindow(hwnd, command);
        }
    }
}

void LabeledSlider::MarkInEffect(bool inEffect) {
    LONG_PTR exStyle = ::GetWindowLongPtrA(Hwnd(), GWL_EXSTYLE);
    exStyle &= ~static_cast<LONG_PTR>(WS_EX_DLGMODALFRAME | WS_EX_STATICEDGE);
    exStyle |= inEffect ? WS_EX_DLGMODALFRAME : WS_EX_STATICEDGE;
    ::SetWindowLongPtrA(Hwnd(), GWL_EXSTYLE, exStyle);
    // A changed frame style shows only after the frame is recomputed.
    ::SetWindowPos(Hwnd(), nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

} // namespace applet
