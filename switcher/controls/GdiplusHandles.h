// Owners for the GDI+ objects the skinned controls draw with (flat API, as the skin archive
// hands out GpBitmap pointers), and the two helpers every control uses.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include "framework/UniqueHandle.h"
#include "switcher/controls/SkinArchive.h"
#include "switcher/logic/SkinScale.h"

namespace switcher {

namespace gdip = Gdiplus::DllExports;

inline void DeleteGpGraphics(Gdiplus::GpGraphics* graphics) {
    gdip::GdipDeleteGraphics(graphics);
}
inline void DeleteGpFont(Gdiplus::GpFont* font) {
    gdip::GdipDeleteFont(font);
}
inline void DeleteGpFontFamily(Gdiplus::GpFontFamily* family) {
    gdip::GdipDeleteFontFamily(family);
}
inline void DeleteGpStringFormat(Gdiplus::GpStringFormat* format) {
    gdip::GdipDeleteStringFormat(format);
}
inline void DeleteGpBrush(Gdiplus::GpSolidFill* brush) {
    gdip::GdipDeleteBrush(brush);
}

using UniqueGpGraphics =
    framework::UniqueHandle<framework::NullHandleTraits<Gdiplus::GpGraphics*, DeleteGpGraphics>>;
using UniqueGpFont =
    framework::UniqueHandle<framework::NullHandleTraits<Gdiplus::GpFont*, DeleteGpFont>>;
using UniqueGpFontFamily = framework::UniqueHandle<
    framework::NullHandleTraits<Gdiplus::GpFontFamily*, DeleteGpFontFamily>>;
using UniqueGpStringFormat = framework::UniqueHandle<
    framework::NullHandleTraits<Gdiplus::GpStringFormat*, DeleteGpStringFormat>>;
using UniqueGpBrush =
    framework::UniqueHandle<framework::NullHandleTraits<Gdiplus::GpSolidFill*, DeleteGpBrush>>;

inline constexpr Gdiplus::ARGB kTextColour = 0xFFFFFFFF;

// A bitmap decoded from a skin stream, or null.
UniqueGpBitmap BitmapFromStream(IStream* stream);
// Width and height of an image; 0 for none.
UINT ImageWidth(Gdiplus::GpBitmap* image);
UINT ImageHeight(Gdiplus::GpBitmap* image);
// A font of `family` at `size` in `unit`; a family the system lacks falls back to the generic
// sans-serif one, and a system without that to the family of its message font.
UniqueGpFont MakeFont(const wchar_t* family, Gdiplus::REAL size, INT style, Gdiplus::Unit unit);
UniqueGpFont CloneFont(Gdiplus::GpFont* font);
UniqueGpStringFormat MakeStringFormat();
UniqueGpStringFormat CloneStringFormat(Gdiplus::GpStringFormat* format);
// A place of the 96-dpi layout at the scale's DPI, as GDI+ takes it.
inline Gdiplus::RectF ScaledRect(const SkinScale& scale, const LayoutRect& place) {
    const LayoutRect r = scale.Px(place);
    return Gdiplus::RectF(r.x, r.y, r.width, r.height);
}
// Draws `text` in white in `layout` on `graphics`.
void DrawWhiteText(Gdiplus::GpGraphics* graphics, const wchar_t* text, Gdiplus::GpFont* font,
                   const Gdiplus::RectF& layout, Gdiplus::GpStringFormat* format);

} // namespace switcher
