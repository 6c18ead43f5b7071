#include "IconStatic.h"

#include "applet/logic/IconReference.h"
#include "framework/IconLoad.h"
#include "framework/Module.h"

namespace applet {

HICON ExtractReferencedIcon(const std::string& reference, bool smallSize) {
    const auto parsed = ParseIconReference(reference);
    // Index -1 asks for the number of icons, which is no icon at all.
    if (!parsed || parsed->index == -1) {
        return nullptr;
    }
    // The file's own image for the size shown rather than another one stretched.
    const int size = smallSize ? framework::SmallIconSize() : framework::LargeIconSize();
    return framework::ExtractIconAtSize(parsed->file, parsed->index, size).Release();
}

IconStatic::~IconStatic() {
    // The control must not keep showing an icon that is about to be destroyed.
    if (Hwnd() != nullptr) {
        Send(STM_SETICON, 0);
    }
}

bool IconStatic::Take(HICON icon) {
    if (Hwnd() != nullptr) {
        Send(STM_SETICON, reinterpret_cast<WPARAM>(icon));
    }
    icon_.Reset(icon);
    return icon != nullptr;
}

bool IconStatic::SetIcon(UINT resourceId) {
    Take(nullptr);
    return Take(framework::LoadIconAtSize(framework::ModuleInstance(), resourceId,
                                          framework::LargeIconSize())
                    .Release());
}

bool IconStatic::SetIconFromFile(const std::string& file, int index) {
    Take(nullptr);
    // Index -1 asks ExtractIcon for the number of icons, which is no icon at all.
    if (index == -1) {
        return false;
    }
    return Take(framework::ExtractIconAtSize(file, index, framework::LargeIconSize()).Release());
}

bool IconStatic::SetIconFromReference(const std::string& reference) {
    Take(nullptr);
    return Take(ExtractReferencedIcon(reference, false));
}

void IconStatic::Show(bool shown) {
    if (Hwnd() != nullptr) {
        ::ShowWindow(Hwnd(), shown ? SW_SHOW : SW_HIDE);
    }
}

} // namespace applet
