// The level slider of a battery alarm: 0..100 with an "N%" label; released, it gives way to
// its partner so that the critical level never lies above the low one.
#pragma once

#include <windows.h>

#include "applet/logic/AlarmRules.h"
#include "framework/Window.h"

namespace applet {

class AlarmSlider : public framework::Window {
public:
    void BindLabel(HWND label) { label_ = label; }
    void SetPartner(AlarmSlider* partner, AlarmRole role) {
        partner_ = partner;
        role_ = role;
    }
    // Position and label.
    void SetValue(int value);
    int Value() const;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnReflectedScroll(UINT code, int position) override;

private:
    void ShowLabel(int value);
    void PullBack();

    HWND label_ = nullptr;
    AlarmSlider* partner_ = nullptr;
    AlarmRole role_ = AlarmRole::Low;
};

} // namespace applet
