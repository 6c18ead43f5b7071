#include "SchemeGeneralPage.h"

#include <commdlg.h>

#include <vector>

#include "applet/AppletPolicy.h"
#include "applet/controls/HelpPopup.h"
#include "applet/logic/IconReference.h"
#include "applet/logic/ModeListRules.h"
#include "applet/res/resource.h"
#include "framework/DataExchange.h"
#include "framework/TextCut.h"
#include "framework/WindowText.h"
#include "framework/UniqueHandle.h"

namespace applet {

namespace {

// A registry string comes back only when it fits 200 bytes with its terminator.
constexpr std::size_t kStoredTextLimit = store::kTextSize - 1;

void Store(char (&field)[store::kTextSize], const std::string& text) {
    framework::CopyToField(field, text, framework::IsAnsiLeadByte);
}

// The shell's icon picker (shell32 ordinal 62), wide on the NT family.
using PickIconFn = BOOL(WINAPI*)(HWND, LPWSTR, UINT, int*);

std::wstring Widen(const std::string& text) {
    std::wstring wide(text.size() + 1, L'\0');
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(),
                                             static_cast<int>(wide.size()));
    wide.resize(length > 0 ? static_cast<std::size_t>(length - 1) : 0);
    return wide;
}

std::string Narrow(const wchar_t* text) {
    const int size = ::WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        return {};
    }
    std::string narrow(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text, -1, narrow.data(), size, nullptr, nullptr);
    narrow.resize(static_cast<std::size_t>(size - 1));
    return narrow;
}

} // namespace

SchemeGeneralPage::SchemeGeneralPage() : Dialog(IDD_GENERAL_PAGE, framework::TextKind::Narrow) {}

void SchemeGeneralPage::SetLoadDefault(std::function<void()> load, bool available) {
    loadDefault_ = std::move(load);
    defaultAvailable_ = available;
    if (Hwnd() != nullptr) {
        ::EnableWindow(Item(IDC_GENERAL_LOAD_DEFAULT), available ? TRUE : FALSE);
    }
}

bool SchemeGeneralPage::OnInitDialog() {
    ::SetWindowLongPtrA(Hwnd(), GWL_EXSTYLE,
                        ::GetWindowLongPtrA(Hwnd(), GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    icon_.SubclassDlgItem(IDC_GENERAL_ICON, Hwnd());
    ::EnableWindow(Item(IDC_GENERAL_LOAD_DEFAULT), defaultAvailable_ ? TRUE : FALSE);
    LoadFromMode();
    // Without linked programs on this notebook the group goes; the stored program stays.
    if (AppletPolicy().LinkedProgramWord() == 0) {
        for (const int id : {IDC_GENERAL_LINKED_GROUP, IDC_GENERAL_LINKED_HINT, IDC_GENERAL_BROWSE,
                             IDC_GENERAL_LINKED}) {
            ::ShowWindow(Item(id), SW_HIDE);
        }
    }
    return false;
}

void SchemeGeneralPage::Exchange(bool saving) {
    framework::DataExchange dx(Hwnd(), saving ? framework::DataExchange::Direction::Save
                                              : framework::DataExchange::Direction::Load);
    dx.Text(IDC_GENERAL_NAME, name_, store::kModeNameLimit);
    dx.Text(IDC_GENERAL_DESCRIPTION, description_, kStoredTextLimit);
    dx.Text(IDC_GENERAL_LINKED, linkedProgram_, kStoredTextLimit);
}

void SchemeGeneralPage::LoadFromMode() {
    if (mode_ == nullptr || Hwnd() == nullptr) {
        return;
    }
    name_ = mode_->mode.NamePolicy;
    description_ = mode_->mode.DescriptionPolicy;
    iconReference_ = mode_->mode.ICON;
    linkedProgram_ = mode_->mode.LinkedProgram;
    ShowIcon();
    Exchange(false);
}

void SchemeGeneralPage::SaveToMode() {
    if (mode_ == nullptr || Hwnd() == nullptr) {
        return;
    }
    Exchange(true);
    if (IsBlankName(name_.c_str())) {
        name_ = mode_->mode.NamePolicy;
    } else {
        Store(mode_->mode.NamePolicy, name_);
    }
    Store(mode_->mode.DescriptionPolicy, description_);
    Store(mode_->mode.ICON, iconReference_);
    Store(mode_->mode.LinkedProgram, linkedProgram_);
}

void SchemeGeneralPage::ShowIcon() {
    if (!icon_.SetIconFromReference(iconReference_)) {
        icon_.SetIcon(IDI_APPLET);
    }
}

void SchemeGeneralPage::ChangeIcon() {
    // Where the system has no picker the button does nothing.
    const HMODULE shell = ::GetModuleHandleA("shell32.dll");
    const auto pick = framework::ProcAddress<PickIconFn>(shell, MAKEINTRESOURCEA(62));
    if (pick == nullptr) {
        return;
    }
    const auto parsed = ParseIconReference(iconReference_);
    std::vector<wchar_t> path(MAX_PATH, L'\0');
    const std::wstring file = Widen(parsed ? parsed->file : std::string());
    lstrcpynW(path.data(), file.c_str(), MAX_PATH);
    int index = parsed ? parsed->index : 0;
    if (!pick(Hwnd(), path.data(), MAX_PATH, &index)) {
        return;
    }
    const std::string reference = FormatIconReference({Narrow(path.data()), index});
    if (reference.size() > kStoredTextLimit) {
        ::MessageBeep(MB_ICONEXCLAMATION);
        return;
    }
    iconReference_ = reference;
    ShowIcon();
}

void SchemeGeneralPage::Browse() {
    char file[MAX_PATH] = "*.exe";
    OPENFILENAMEA open{};
    open.lStructSize = sizeof open;
    open.hwndOwner = Hwnd();
    open.lpstrFilter = "Program\0*.exe\0All\0*.*\0\0";
    open.lpstrFile = file;
    open.nMaxFile = sizeof file;
    open.lpstrDefExt = "exe";
    open.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST;
    // Loaded for the dialog only: the Control Panel loads and frees the applet each time it
    // lists its items, and under Wine every load and free of the common dialogs keeps a handle
    // of the process for good.
    const framework::UniqueModule dialogs(::LoadLibraryA("comdlg32.dll"));
    const auto getOpenFileName =
        framework::ProcAddress<decltype(&::GetOpenFileNameA)>(dialogs.Get(), "GetOpenFileNameA");
    if (getOpenFileName == nullptr || !getOpenFileName(&open)) {
        return;
    }
    std::string path = file;
    // The store gives back no text of 200 bytes or more; a long path is kept in its short
    // form, which names the same program, rather than cut into another one.
    if (path.size() > kStoredTextLimit) {
        char shortPath[MAX_PATH] = {};
        const DWORD length = ::GetShortPathNameA(file, shortPath, sizeof shortPath);
        if (length == 0 || length > kStoredTextLimit) {
            ::MessageBeep(MB_ICONEXCLAMATION);
            return;
        }
        path = shortPath;
    }
    ::SetDlgItemTextA(Hwnd(), IDC_GENERAL_LINKED, path.c_str());
    linkedProgram_ = path;
}

bool SchemeGeneralPage::OnCommand(UINT id, UINT code, HWND control) {
    if (code != BN_CLICKED) {
        return Dialog::OnCommand(id, code, control);
    }
    switch (id) {
    case IDC_GENERAL_CHANGE_ICON:
        ChangeIcon();
        return true;
    case IDC_GENERAL_LOAD_DEFAULT:
        if (loadDefault_ && defaultAvailable_) {
            loadDefault_();
        }
        return true;
    case IDC_GENERAL_BROWSE:
        Browse();
        return true;
    default:
        return Dialog::OnCommand(id, code, control);
    }
}

bool SchemeGeneralPage::OnHelp(const HELPINFO& help) {
    if (help.iContextType != HELPINFO_WINDOW) {
        return false;
    }
    ShowHelpFor(Hwnd(), help, static_cast<UINT>(help.iCtrlId));
    return true;
}

} // namespace applet
