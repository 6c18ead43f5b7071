#include "framework/TabPageHost.h"

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
    ::SetWindowPos(page->Hwnd(), nullptr, at.x, at.y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
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
