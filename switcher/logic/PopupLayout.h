// The popup's layout at 96 dpi, in the pixels the description gives: where each control sits
// (their sizes come from the skin's images) and where and how large its texts are drawn. At
// another DPI each length is scaled by SkinScale, and the images come from the matching set.
#pragma once

#include "switcher/SwitcherIds.h"
#include "switcher/logic/SkinScale.h"

namespace switcher {

struct LayoutPoint {
    int id; // the control's item number
    int x;
    int y;
};

// Client positions of the popup's controls.
inline constexpr LayoutPoint kControlPlaces[] = {
    {IDC_BATTERY_IMAGE, 30, 25}, {IDC_SCHEME_LIST, 140, 28},  {IDC_ACTION_LIST, 140, 160},
    {IDC_SCROLL_UP, 140, 6},     {IDC_SCROLL_DOWN, 140, 123},
};

// The battery indicator's text: centred in the bottom 40 pixels of its 110 x 160 picture.
inline constexpr float kIndicatorFontPoints = 8.0f;
inline constexpr LayoutRect kIndicatorTextPlace = {0.0f, 120.0f, 110.0f, 40.0f};
// The lists' rows: one line of text after the row's mark.
inline constexpr float kListFontPoints = 9.0f;
inline constexpr LayoutRect kSchemeTextPlace = {50.0f, 4.0f, 120.0f, 20.0f};
inline constexpr LayoutRect kActionTextPlace = {50.0f, 4.0f, 130.0f, 20.0f};

} // namespace switcher
