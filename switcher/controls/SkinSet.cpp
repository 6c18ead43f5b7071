#include "switcher/controls/SkinSet.h"

#include <string>

#include "switcher/controls/GdiplusHandles.h"

namespace switcher {

namespace {

// `source` drawn into a new bitmap of `width` x `height`; null when that cannot be made.
UniqueGpBitmap Resampled(Gdiplus::GpBitmap* source, INT width, INT height) {
    UniqueGpBitmap target;
    if (width <= 0 || height <= 0 ||
        gdip::GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppARGB, nullptr,
                                        target.Put()) != Gdiplus::Ok) {
        return UniqueGpBitmap();
    }
    Gdiplus::GpGraphics* raw = nullptr;
    if (gdip::GdipGetImageGraphicsContext(target.Get(), &raw) != Gdiplus::Ok) {
        return UniqueGpBitmap();
    }
    UniqueGpGraphics graphics(raw);
    // Source pixels, not the key colour around them, make the new edges: every pixel of the
    // target is written as drawn (SourceCopy), with the smoothest filter GDI+ has.
    gdip::GdipSetCompositingMode(graphics.Get(), Gdiplus::CompositingModeSourceCopy);
    gdip::GdipSetInterpolationMode(graphics.Get(), Gdiplus::InterpolationModeHighQualityBicubic);
    gdip::GdipSetPixelOffsetMode(graphics.Get(), Gdiplus::PixelOffsetModeHalf);
    if (gdip::GdipDrawImageRectI(graphics.Get(), source, 0, 0, width, height) != Gdiplus::Ok) {
        return UniqueGpBitmap();
    }
    return target;
}

} // namespace

int SkinSet::SetOf(std::string_view name) const {
    return scale_.SetFor(
        [this, name](int dpi) { return archive_.Find(SkinSetPath(dpi, name)) != nullptr; });
}

UniqueGpBitmap SkinSet::Load(std::string_view name) const {
    const int setDpi = SetOf(name);
    UniqueGpBitmap image = BitmapFromStream(OpenSkinStream(archive_, SkinSetPath(setDpi, name)));
    if (setDpi == scale_.Dpi() || ImageWidth(image.Get()) == 0) {
        return image;
    }
    // A set for a smaller DPI: its image grows to the size this DPI gives it.
    const INT width = scale_.FromSet(static_cast<int>(ImageWidth(image.Get())), setDpi);
    const INT height = scale_.FromSet(static_cast<int>(ImageHeight(image.Get())), setDpi);
    return Resampled(image.Get(), width, height);
}

} // namespace switcher
