#include "MessageBoxes.h"

#include <string>

#include "SchemeStore.h"

namespace hardware {

int ShowMessageBox(const char* text, const char* caption, UINT style) {
    return ::MessageBoxA(nullptr, text, caption, style);
}

int ShowSystemErrorWith(const MessageBoxFn& box, DWORD code, const char* caption, UINT style) {
    if (!box) {
        return 0;
    }
    const std::string text = store::SystemErrorText(code);
    return box(text.c_str(), caption, style);
}

} // namespace hardware
