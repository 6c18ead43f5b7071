#include "switcher/controls/GdiplusHandles.h"

#include "framework/WindowDC.h"

namespace switcher {

UniqueGpBitmap BitmapFromStream(IStream* stream) {
    UniqueGpBitmap bitmap;
    if (stream != nullptr) {
        gdip::GdipCreateBitmapFromStream(stream, bitmap.Put());
    }
    return bitmap;
}

UINT ImageWidth(Gdiplus::GpBitmap* image) {
    UINT width = 0;
    if (image == nullptr || gdip::GdipGetImageWidth(image, &width) != Gdiplus::Ok) {
        return 0;
    }
    return width;
}

UINT ImageHeight(Gdiplus::GpBitmap* image) {
    UINT height = 0;
    if (image == nullptr || gdip::GdipGetImageHeight(image, &height) != Gdiplus::Ok) {
        return 0;
    }
    return height;
}

namespace {

// The family of the font the system shows its messages in, as the system really resolves it.
UniqueGpFontFamily MessageFontFamily() {
    UniqueGpFontFamily family;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
        return family;
    }
    UniqueGpFont font;
    if (const framework::WindowDC screen(nullptr); screen) {
        gdip::GdipCreateFontFromLogfontW(screen.Get(), &metrics.lfMessageFont, font.Put());
    }
    if (font) {
        gdip::GdipGetFamily(font.Get(), family.Put());
    }
    return family;
}

} // namespace

UniqueGpFont MakeFont(const wchar_t* family, Gdiplus::REAL size, INT style, Gdiplus::Unit unit) {
    UniqueGpFontFamily fontFamily;
    if (gdip::GdipCreateFontFamilyFromName(family, nullptr, fontFamily.Put()) != Gdiplus::Ok &&
        gdip::GdipGetGenericFontFamilySansSerif(fontFamily.Put()) != Gdiplus::Ok) {
        // A system without the usual families (a bare Wine, say) still has the one it shows
        // its own messages in.
        fontFamily = MessageFontFamily();
    }
    UniqueGpFont font;
    if (fontFamily) {
        gdip::GdipCreateFont(fontFamily.Get(), size, style, unit, font.Put());
    }
    return font;
}

UniqueGpFont CloneFont(Gdiplus::GpFont* font) {
    UniqueGpFont copy;
    if (font != nullptr) {
        gdip::GdipCloneFont(font, copy.Put());
    }
    return copy;
}

UniqueGpStringFormat MakeStringFormat() {
    UniqueGpStringFormat format;
    gdip::GdipCreateStringFormat(0, LANG_NEUTRAL, format.Put());
    return format;
}

UniqueGpStringFormat CloneStringFormat(Gdiplus::GpStringFormat* format) {
    UniqueGpStringFormat copy;
    if (format != nullptr) {
        gdip::GdipCloneStringFormat(format, copy.Put());
    }
    return copy;
}

void DrawWhiteText(Gdiplus::GpGraphics* graphics, const wchar_t* text, Gdiplus::GpFont* font,
                   const Gdiplus::RectF& layout, Gdiplus::GpStringFormat* format) {
    if (graphics == nullptr || font == nullptr || text == nullptr || text[0] == L'\0') {
        return;
    }
    UniqueGpBrush brush;
    if (gdip::GdipCreateSolidFill(kTextColour, brush.Put()) != Gdiplus::Ok) {
        return;
    }
    gdip::GdipDrawString(graphics, text, -1, font, &layout, format, brush.Get());
}

} // namespace switcher
