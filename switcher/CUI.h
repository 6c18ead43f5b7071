// The switcher's application object: command line, privileges, the single-instance rule with
// the options that close a running copy, GDI+, the skin archive, the popup's window class and
// the embedded-controller library, all before the popup exists; their release after it.
#pragma once

#include <windows.h>

#include <memory>

#include "framework/Application.h"
#include "framework/GdiplusToken.h"
#include "framework/UniqueHandle.h"
#include "switcher/CUIDlg.h"
#include "switcher/battery/PortaxLibrary.h"
#include "switcher/controls/SkinArchive.h"

namespace switcher {

// Every named kernel or window object of the program is formed from this name.
inline constexpr wchar_t kApplicationName[] = L"Pivora";
inline constexpr wchar_t kMutexNameFormat[] = L"The Mutex of %s";
inline constexpr wchar_t kDialogClassFormat[] = L"The Dialog of %s";

class CUI : public framework::Application {
public:
    CUI();
    ~CUI() override;

    bool InitInstance() override;
    int ExitInstance() override;
    bool PreTranslateMessage(MSG& message) override;

    bool Debug() const { return debug_; }

    // Scheme-creation and active-scheme access, and the shutdown privilege enabled in the
    // token for the restart and shut-down actions; a privilege not granted is traced.
    static bool CheckPrivileges();
    // The system dialog class under another name.
    static bool RegisterDialogClass(const wchar_t* className);

private:
    // Another copy runs: closes it or not as the action token asks. True when this copy goes
    // on starting.
    bool HandleRunningCopy(const std::wstring& action);

    framework::UniqueKernelHandle mutex_;
    // The skin resource, parsed in place by the archive.
    SkinResource tar_;
    framework::UniqueGdiplusToken gdiplus_;
    SkinArchive skins_;
    bool debug_ = false;

    PortaxLibrary portax_;
    std::unique_ptr<CUIDlg> dialog_;
    wchar_t dialogClass_[64] = L"";
    bool classRegistered_ = false;
};

} // namespace switcher
