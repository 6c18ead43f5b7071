// The popup at the panel's DPI, without Windows: which of the skin's image sets it draws from
// and how every length of its 96-dpi layout grows. The skin carries each image at 96 dpi
// ("imgs/main/NAME") and at 120, 144 and 192 dpi ("imgs/main@125/NAME", "@150", "@200", the
// set's percentage); the popup takes the set of its DPI, or the nearest smaller one that holds
// the image and scales that up.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "framework/DpiScale.h"

namespace switcher {

using framework::kBaseDpi;
// The DPIs the popup is laid out for; any other is brought into this range first
// (framework::ClampDpi, as the other programs do).
inline constexpr int kLowestDpi = framework::kMinDpi;
inline constexpr int kHighestDpi = framework::kMaxDpi;
using framework::ClampDpi;
// The DPIs the skin has image sets for, ascending; the first is the 1x set.
inline constexpr std::array<int, 4> kSkinSetDpis = {96, 120, 144, 192};

// The path of image `name` in the set for `setDpi` (one of kSkinSetDpis).
std::string SkinSetPath(int setDpi, std::string_view name);

// A place of the 96-dpi layout in fractional pixels (a text's box).
struct LayoutRect {
    float x;
    float y;
    float width;
    float height;
};

class SkinScale {
public:
    // 96 dpi: every length as it is.
    SkinScale() = default;
    explicit SkinScale(int dpi) : dpi_(ClampDpi(dpi)) {}

    int Dpi() const { return dpi_; }
    // A length of the 96-dpi layout at this DPI, rounded to the nearest pixel, halves away from
    // zero as MulDiv rounds (the skin generator draws the image sets to the same rounding).
    int Px(int length) const { return ScaleLength(length, kBaseDpi, dpi_); }
    float Px(float length) const;
    LayoutRect Px(const LayoutRect& place) const {
        return {Px(place.x), Px(place.y), Px(place.width), Px(place.height)};
    }
    // A font's size in pixels for its size in points at this DPI.
    float FontPixels(float points) const;

    // The set an image is taken from: the largest set not above this DPI for which `has`
    // (given the set's DPI) says the archive holds the image; the 1x set when none does.
    int SetFor(const std::function<bool(int setDpi)>& has) const;

    // A length of an image drawn for `setDpi`, at this DPI.
    int FromSet(int length, int setDpi) const { return ScaleLength(length, setDpi, dpi_); }

    // `length` * `to` / `from`, rounded as MulDiv rounds; 0 for a `from` that is not positive.
    static int ScaleLength(int length, int from, int to);

private:
    int dpi_ = kBaseDpi;
};

} // namespace switcher
