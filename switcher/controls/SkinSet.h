// The skin's images at the popup's DPI: each decoded from the image set of that DPI, or from
// the nearest smaller set that holds it and then drawn up to the DPI, so that every picture
// comes at the size the popup's layout gives it. At 96 dpi these are the 1x images untouched.
#pragma once

#include <windows.h>

#include <string_view>

#include "switcher/controls/SkinArchive.h"
#include "switcher/logic/SkinScale.h"

namespace switcher {

class SkinSet {
public:
    // `archive` outlives the set. 96 dpi until SetDpi.
    explicit SkinSet(const SkinArchive& archive) : archive_(archive) {}

    // A DPI outside 96..288 is brought into that range.
    void SetDpi(int dpi) { scale_ = SkinScale(dpi); }
    const SkinScale& Scale() const { return scale_; }
    const SkinArchive& Archive() const { return archive_; }

    // Image `name` (for example "dlg.png") decoded at this DPI; null when no set holds an image
    // of that name that decodes.
    UniqueGpBitmap Load(std::string_view name) const;
    // The DPI of the set Load takes image `name` from.
    int SetOf(std::string_view name) const;

private:
    const SkinArchive& archive_;
    SkinScale scale_;
};

} // namespace switcher
