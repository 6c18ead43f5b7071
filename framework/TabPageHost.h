// The pages of a tab control: modeless child dialogs placed at one rectangle of the owner, one
// of them shown at a time. The host owns no page and no window.
#pragma once

#include <windows.h>

#include <vector>

namespace framework {

class Dialog;

class TabPageHost {
public:
    // Screen coordinates of the area the pages are placed in.
    void SetPageRect(const RECT& screenRect) { pageRect_ = screenRect; }
    const RECT& PageRect() const { return pageRect_; }
    // Off: a page's top-left corner goes to the rectangle's; on: the page is centred in it.
    void SetCentred(bool centred) { centred_ = centred; }
    // The tab control of the pages: they follow it in the Z order, so that Tab goes from the
    // tabs into the shown page and then on to the dialog's buttons, and Ctrl+Tab turns them.
    void SetTabControl(HWND tabs) { tabs_ = tabs; }

    // Stores the page at the next index, creates it from `templateId` as a child of `parent`
    // and places it without changing its size or Z order. False when it could not be made (it
    // keeps its index, so tab and page numbers stay in step).
    bool AddPage(Dialog* page, UINT templateId, HWND parent);
    // Shows page `index` and hides the one shown before. -1 with nothing shown takes page 0.
    // False for an index beyond the last page or a page without a window.
    bool Select(int index);

    // Ctrl+Tab and Ctrl+Page Down show the next page, with Shift or Page Up the previous one,
    // as the tab control shows; true when the key was one of them.
    bool TranslatePageKey(const MSG& message);

    int Count() const { return static_cast<int>(pages_.size()); }
    int Shown() const { return shown_; }
    Dialog* Page(int index) const;

private:
    std::vector<Dialog*> pages_;
    int shown_ = -1;
    RECT pageRect_{};
    bool centred_ = false;
    HWND tabs_ = nullptr;
    HWND lastPlaced_ = nullptr;
};

} // namespace framework
