// A push button drawn from a strip of state images (normal, hover, pressed, a fourth never
// chosen here), which may also be an animated image played by CTPAniImpl. Takes over an
// owner-drawn button of a dialog template.
#pragma once

#include <windows.h>

#include "framework/Window.h"
#include "switcher/controls/CTPAniImpl.h"
#include "switcher/controls/SkinArchive.h"

namespace switcher {

class CTPButton : public framework::Window {
public:
    enum State { kNormal = 0, kHover = 1, kPressed = 2, kFourth = 3 };
    // The states side by side in the skin's button strips.
    static constexpr int kStates = 4;

    CTPButton() = default;
    ~CTPButton() override;

    // Decodes the strip from `image`, takes the item over, sizes it to one state and starts the
    // animation. Fails (the item stays as it was) when the strip cannot be decoded.
    bool Init(int id, HWND parent, IStream* image, int states);
    // The same with the strip decoded already (the popup's, at its DPI).
    bool Init(int id, HWND parent, UniqueGpBitmap image, int states);
    // A strip of another DPI with the same states; false (the old one kept) when it is null.
    bool SetStrip(UniqueGpBitmap strip);

    int State() const { return state_; }
    bool Checked() const { return checked_; }
    void SetToggle(bool toggle) { toggle_ = toggle; }
    void SetDisabled(bool disabled) { disabled_ = disabled; }
    const CTPAniImpl& Animation() const { return animation_; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool DrawItem(const DRAWITEMSTRUCT& item) override;

private:
    bool ToggledOn() const { return toggle_ && checked_; }
    void Repaint();
    // Writes the text into every state column of the strip; the window text is not kept.
    void DrawTextIntoStrip(const wchar_t* text);
    void ReleaseImage();

    CTPAniImpl animation_;
    int states_ = 0;
    bool toggle_ = false;
    bool checked_ = false;
    int state_ = kNormal;
    int stripWidth_ = 0;
    int height_ = 0;
    int stateWidth_ = 0;
    bool disabled_ = false;
    UniqueGpBitmap image_;
};

} // namespace switcher
