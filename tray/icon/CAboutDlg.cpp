#include "tray/icon/CAboutDlg.h"

#include <utility>

#include "tray/resource.h"

namespace tray {

CAboutDlg::CAboutDlg(std::string versionText)
    : Dialog(IDD_ABOUTBOX, framework::TextKind::Narrow), versionText_(std::move(versionText)) {}

bool CAboutDlg::OnInitDialog() {
    const HWND item = Item(IDC_VERSION_TEXT);
    const int length = ::GetWindowTextLengthA(item);
    std::string text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
    const int copied = ::GetWindowTextA(item, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    text += versionText_;
    ::SetWindowTextA(item, text.c_str());
    return true;
}

} // namespace tray
