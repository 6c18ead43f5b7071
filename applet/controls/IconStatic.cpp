#include "IconStatic.h"

#include <shellapi.h>

#include "applet/logic/IconReference.h"
#include "framework/Module.h"

namespace applet {

HICON ExtractReferencedIcon(const std::string& reference, bool smallSize) {
    const auto parsed = ParseIconReference(reference);
    // Index -1 asks for the number of icons, which is no icon at all.
    if (!parsed || parsed->index == -1 || parsed->file.empty()) {
        return nullptr;
    }
    if (smallSize) {
        // The file's own small image rather than the large one shrunk.
        HICON icon = nullptr;
        if (::ExtractIconExA(parsed->file.c_str(), parsed->index, nullptr, &icon, 1) == 1 &&
            icon != nullptr) {
            return icon;
        }
        return nullptr;
    }
    HICON icon = ::ExtractIconA(framework::ModuleInstance(), parsed->file.c_str(),
                                static_cast<UINT>(parsed->index));
    // 1 means "not an icon file", which is no icon either.
    return icon == reinterpret_cast<HICON>(1) ? nullptr : icon;
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
    return Take(
        static_cast<HICON>(::LoadImageA(framework::ModuleInstance(), MAKEINTRESOURCEA(resourceId),
                                        IMAGE_ICON, 0, 0, LR_DEFAULTSIZE)));
}

bool IconStatic::SetIconFromFile(const std::string& file, int index) {
    Take(nullptr);
    // Index -1 asks ExtractIcon for the number of icons, which is no icon at all.
    if (index == -1) {
        return false;
    }
    HICON icon =
        ::ExtractIconA(framework::ModuleInstance(), file.c_str(), static_cast<UINT>(index));
    // 1 means "not an icon file", which is no icon either.
    if (icon == reinterpret_cast<HICON>(1)) {
        icon = nullptr;
    }
    return Take(icon);
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
