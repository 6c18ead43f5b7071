#include "LabeledSlider.h"

#include <commctrl.h>

#include "applet/logic/ProgressRules.h"
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
