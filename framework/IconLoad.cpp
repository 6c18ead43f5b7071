#include "framework/IconLoad.h"

namespace framework {

int SmallIconSize() {
    return ::GetSystemMetrics(SM_CXSMICON);
}

int LargeIconSize() {
    return ::GetSystemMetrics(SM_CXICON);
}

UniqueIcon LoadIconAtSize(HINSTANCE instance, UINT resourceId, int size) {
    return UniqueIcon(static_cast<HICON>(::LoadImageA(instance, MAKEINTRESOURCEA(resourceId),
                                                      IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

UniqueIcon ExtractIconAtSize(const std::string& file, int index, int size) {
    if (file.empty()) {
        return {};
    }
    // The one extraction call that takes the size: ExtractIcon and ExtractIconEx use the
    // metrics of the moment and give either size only. It picks the image nearest the size.
    HICON icon = nullptr;
    const UINT count =
        ::PrivateExtractIconsA(file.c_str(), index, size, size, &icon, nullptr, 1, LR_DEFAULTCOLOR);
    // 0xFFFFFFFF: no such file; 0: not an icon source or no icon at that index.
    if (count == 0 || count == 0xFFFFFFFF || icon == nullptr) {
        return {};
    }
    return UniqueIcon(icon);
}

} // namespace framework
