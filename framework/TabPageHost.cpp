#include "framework/TabPageHost.h"

#include <commctrl.h>

#include "framework/Dialog.h"

namespace framework {

bool TabPageHost::AddPage(Dialog* page, UINT templateId, HWND parent) {
    pages_.push_back(page);
    if (page == nullptr || !page->Create(templateId, parent)) {
        return false;
    }
    POINT at{pageRect_.left, pageRect_.top};
    if (centred_) {
        RECT own{};
        ::GetWindowRect(page->Hwnd(), &own);
        at.x += ((pageRect_.right - pageRect_.left) - (own.right - own.left)) / 2;
        at.y += ((pageRect_.bottom - pageRect_.top) - (own.bottom - own.top)) / 2;
    }
    ::ScreenToClient(parent, &at);
    // In the Z order (which is the tab order) the pages come right after the tab control, in
    // page order.
    const HWND after = lastPlaced_ != nullptr ? lastPlaced_ : tabs_;
    ::SetWindowPos(page->Hwnd(), after, at.x, at.y, 0, 0,
                   SWP_NOSIZE | SWP_NOACTIVATE | (after == nullptr ? SWP_NOZORDER : 0));
    lastPlaced_ = page->Hwnd();
    return true;
}

bool TabPageHost::TranslatePageKey(const MSG& message) {
    if (message.message != WM_KEYDOWN || tabs_ == nullptr || Count() < 2 ||
        ::GetKeyState(VK_CONTROL) >= 0) {
        return false;
    }
    int step = 0;
    if (message.wParam == VK_TAB) {
        step = ::GetKeyState(VK_SHIFT) < 0 ? -1 : 1;
    } else if (message.wParam == VK_NEXT) {
        step = 1;
    } else if (message.wParam == VK_PRIOR) {
        step = -1;
    } else {
        return false;
    }
    const Dialog* before = Page(shown_);
    const int next = ((shown_ < 0 ? 0 : shown_) + step + Count()) % Count();
    ::SendMessageW(tabs_, TCM_SETCURSEL, static_cast<WPARAM>(next), 0);
    Select(next);
    // The focus does not stay in a page that is hidden now.
    const HWND focus = ::GetFocus();
    if (before != nullptr && before->Hwnd() != nullptr && focus != nullptr &&
        ::IsChild(before->Hwnd(), focus)) {
        ::SetFocus(tabs_);
    }
    return true;
}

bool TabPageHost::Select(int index) {
    if (index >= Count() || index < -1) {
        return false;
    }
    if (index != -1) {
        if (Dialog* shown = Page(shown_); shown != nullptr && shown->Hwnd() != nullptr) {
            ::ShowWindow(shown->Hwnd(), SW_HIDE);
        }
        shown_ = index;
    } else if (shown_ == -1) {
        shown_ = 0;
    }
    Dialog* page = Page(shown_);
    if (page == nullptr || page->Hwnd() == nullptr) {
        return false;
    }
    ::ShowWindow(page->Hwnd(), SW_SHOW);
    ::RedrawWindow(page->Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    return true;
}

Dialog* TabPageHost::Page(int index) const {
    if (index < 0 || index >= Count()) {
        return nullptr;
    }
    return pages_[static_cast<std::size_t>(index)];
}

} // namespace framework
