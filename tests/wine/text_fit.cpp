// Does every text fit its control? For one language, each dialog of the applet and the tray is
// created from the program's own resources; each static text, button, check box, radio button
// and group box caption is measured in the control's own font, with the control's own wrapping
// rules, against the room Wine's controls give it. So are the texts the code puts in at run time
// (the About lines with a version, the grid and alarm labels, tabs, captions, the tray tip).
//
//   text_fit.exe TAG LANGID Z:\...\Vumo.cpl Z:\...\Halvik.exe Z:\...\Tobrinel.dll
//   text_fit.exe --switcher Z:\...\Pivora.exe [--dpi N] TAG=LANGID...   (the switcher's texts,
//                                                                at 96 dpi or at N)
//
// Run it under the locale of the language (LC_ALL), so that "MS Shell Dlg" is the font that
// language's system gives it, and in a prefix at the DPI to check (text_fit.sh: TEXT_FIT_DPI),
// where the fonts and the dialog units grow in steps of their own. Prints one line per text that does not fit and exits with 1 when
// there is any.

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "TextFit.h"

#include "applet/res/resource.h"
#include "installer/resource.h"
#include "switcher/SwitcherIds.h"
#include "switcher/controls/GdiplusHandles.h"
#include "switcher/logic/BatteryStatusLogic.h"
#include "switcher/logic/PopupLayout.h"
#include "tray/logic/Tooltip.h"
#include "tray/resource.h"

using namespace text_fit;

namespace {

// The version a notebook gives the About lines: the longest the emulated ones report.
constexpr wchar_t kVersion[] = L"EMU 1.20J";

#define NAMED(x)                                                                                   \
    { x, #x }
const Named kDialogs[] = {
    NAMED(IDD_PMDLG),           NAMED(IDD_ABOUT),
    NAMED(IDD_ALARM_PAGE),      NAMED(IDD_ALARM_ACTION),
    NAMED(IDD_BATTERY_PAGE),    NAMED(IDD_ADVANCED_PAGE),
    NAMED(IDD_BATTERY_DETAILS), NAMED(IDD_MODES_PAGE),
    NAMED(IDD_GENERAL_PAGE),    NAMED(IDD_SCHEME_PROPERTIES),
    NAMED(IDD_SETTINGS_PAGE),
};
const Named kTrayDialogs[] = {NAMED(IDD_ABOUTBOX), NAMED(IDD_BATTERY_LEARNING)};
#undef NAMED

INT_PTR CALLBACK Quiet(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? FALSE : FALSE;
}

// What the code puts into the dialog's controls after it is created.
void RunTimeTexts(const Program& program, const Program& installer, int id, const char* dialog,
                  HWND window) {
    const HMODULE module = program.module;
    auto item = [&](int control) { return ::GetDlgItem(window, control); };
    auto text = [&](UINT string) { return LoadText(module, string); };
    std::vector<std::wstring> names;
    for (const UINT n : {IDS_NAME_FULL_POWER, IDS_NAME_LONG_LIFE, IDS_NAME_NORMAL,
                         IDS_NAME_HIGH_POWER, IDS_NAME_DVD_PLAYBACK}) {
        names.push_back(LoadText(installer.module, n));
    }
    auto window_text = [](HWND hwnd) {
        wchar_t buffer[512] = {};
        ::GetWindowTextW(hwnd, buffer, 512);
        return std::wstring(buffer);
    };
    if (program.dialogs == kTrayDialogs) {
        if (id == IDD_ABOUTBOX) {
            Measure(program, dialog, item(IDC_VERSION_TEXT),
                    window_text(item(IDC_VERSION_TEXT)) + kVersion, " with its version");
        }
        return;
    }
    switch (id) {
    case IDD_ABOUT:
        Measure(program, dialog, item(IDC_ABOUT_VERSION),
                window_text(item(IDC_ABOUT_VERSION)) + kVersion, " with its version");
        break;
    case IDD_PMDLG:
        MeasureTabs(program, dialog, item(IDC_PM_TABS),
                    {text(IDS_TAB_MODES), text(IDS_TAB_ALARM), text(IDS_TAB_ADVANCED),
                     text(IDS_TAB_METER)});
        break;
    case IDD_SCHEME_PROPERTIES:
        MeasureTabs(program, dialog, item(IDC_PROPS_TABS),
                    {text(IDS_TAB_GENERAL), text(IDS_TAB_SETTINGS)});
        for (const std::wstring& name : names) {
            MeasureCaption(program, dialog, window, Fill(window_text(window), name));
        }
        break;
    case IDD_BATTERY_DETAILS:
        MeasureCaption(program, dialog, window, text(IDS_DETAILS_CAPTION1));
        for (const UINT state : {IDS_STATE_ON_LINE, IDS_STATE_DISCHARGING, IDS_STATE_CHARGING,
                                 IDS_STATE_CRITICAL, IDS_NOT_PRESENT}) {
            Measure(program, dialog, item(IDC_DETAILS_STATE), text(state), " (power state)");
        }
        // The longest states a battery reports together.
        Measure(program, dialog, item(IDC_DETAILS_STATE),
                text(IDS_STATE_DISCHARGING) + text(IDS_LIST_SEPARATOR) + text(IDS_STATE_CRITICAL),
                " (power state)");
        Measure(program, dialog, item(IDC_DETAILS_STATE),
                text(IDS_STATE_ON_LINE) + text(IDS_LIST_SEPARATOR) + text(IDS_STATE_CHARGING),
                " (power state)");
        break;
    case IDD_BATTERY_PAGE:
        Measure(program, dialog, item(IDC_METER_SOURCE_TEXT), text(IDS_AC_POWER));
        Measure(program, dialog, item(IDC_METER_SOURCE_TEXT), text(IDS_BATTERY_POWER));
        break;
    case IDD_ALARM_PAGE: {
        // Both notifications, then each action or the word for none.
        auto word = [&](UINT string) {
            const std::wstring w = text(string);
            return w.empty() ? w : w.substr(0, w.size() - 1);
        };
        Measure(program, dialog, item(IDC_ALARM_LOW_NOTIFY_TEXT),
                word(IDS_NOTIFY_SOUND) + text(IDS_LIST_SEPARATOR) + word(IDS_NOTIFY_TEXT),
                " (notification)");
        // The list's first entry is never shown here: no action reads as the word for none.
        const auto actions = Split(text(IDS_ACTION_LIST), L',');
        for (std::size_t i = 1; i < actions.size(); ++i) {
            Measure(program, dialog, item(IDC_ALARM_LOW_ACTION_TEXT), actions[i], " (action)");
        }
        const std::wstring none = text(IDS_NO_ACTION);
        Measure(program, dialog, item(IDC_ALARM_LOW_ACTION_TEXT),
                none.empty() ? none : none.substr(0, none.size() - 1), " (action)");
        break;
    }
    case IDD_SETTINGS_PAGE: {
        const struct {
            int label;
            UINT list;
        } rows[] = {{IDC_SET_CPU1_LABEL, IDS_CPU_LIST},
                    {IDC_SET_BRIGHT1_LABEL, IDS_BRIGHTNESS_LIST},
                    {IDC_SET_MONITOR1_LABEL, IDS_TIMEOUT_LIST},
                    {IDC_SET_HIBERNATE1_LABEL, IDS_HIBERNATE_LIST}};
        for (const auto& row : rows) {
            for (const std::wstring& value : Split(text(row.list), L',')) {
                Measure(program, dialog, item(row.label), value, " (grid value)");
            }
        }
        break;
    }
    default:
        break;
    }
}

void CheckDialog(const Program& program, const Program& installer, const Named& dialog, HWND host) {
    const HRSRC found =
        ::FindResourceExW(program.module, MAKEINTRESOURCEW(5), MAKEINTRESOURCEW(dialog.id), g_lang);
    if (found == nullptr) {
        ++g_failures;
        std::printf("MISSING: %s %s %s: no such dialog in this language\n", program.name,
                    g_tag.c_str(), dialog.name);
        return;
    }
    const auto* tmpl =
        static_cast<const DLGTEMPLATE*>(::LockResource(::LoadResource(program.module, found)));
    const HWND window = ::CreateDialogIndirectParamW(program.module, tmpl, host, Quiet, 0);
    if (window == nullptr) {
        ++g_failures;
        std::printf("CANNOT CREATE: %s %s %s (error %lu)\n", program.name, g_tag.c_str(),
                    dialog.name, ::GetLastError());
        return;
    }
    // Controls the dialog never shows (kept hidden in the layout) are not on screen.
    for (HWND child = ::GetWindow(window, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (!(::GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE)) {
            continue;
        }
        wchar_t buffer[1024] = {};
        ::GetWindowTextW(child, buffer, 1024);
        Measure(program, dialog.name, child, buffer);
    }
    const LONG style = ::GetWindowLongW(window, GWL_STYLE);
    if ((style & WS_CAPTION) == WS_CAPTION && dialog.id != IDD_SCHEME_PROPERTIES &&
        dialog.id != IDD_BATTERY_DETAILS) {
        wchar_t caption[512] = {};
        ::GetWindowTextW(window, caption, 512);
        MeasureCaption(program, dialog.name, window, caption);
    }
    RunTimeTexts(program, installer, dialog.id, dialog.name, window);
    ::DestroyWindow(window);
}

std::string Ansi(const std::wstring& text) {
    const int size =
        ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
    out.resize(out.size() - 1);
    return out;
}

std::string Shown(const std::string& ansi) {
    std::wstring wide(ansi.size() + 1, L'\0');
    const int n = ::MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, wide.data(),
                                        static_cast<int>(wide.size()));
    wide.resize(n > 0 ? static_cast<std::size_t>(n - 1) : 0);
    return Utf8(wide);
}

bool LeadByte(unsigned char c) {
    return ::IsDBCSLeadByte(c) != FALSE;
}

// The tray tip as the tray builds it, with each factory mode name on each power source: the
// shell shows 63 bytes, and the tray shortens the mode name to fit them. It fails when more
// than the name would have to go; a shortened factory name is said, not failed.
void CheckTrayTip(const Program& tray, const Program& installer) {
    const std::string ac = Ansi(LoadText(tray.module, IDS_ON_AC_POWER));
    const std::string battery = Ansi(LoadText(tray.module, IDS_ON_BATTERY_POWER));
    const std::string format = Ansi(LoadText(tray.module, IDS_TIP_MODE));
    for (const UINT n : {IDS_NAME_FULL_POWER, IDS_NAME_LONG_LIFE, IDS_NAME_NORMAL,
                         IDS_NAME_HIGH_POWER, IDS_NAME_DVD_PLAYBACK}) {
        const std::string name = Ansi(LoadText(installer.module, n));
        for (const int status : {1, 0}) {
            tray::TooltipParts parts;
            parts.acStatus = status;
            parts.percent = 100;
            parts.onAcWord = ac;
            parts.onBatteryWord = battery;
            parts.modeFormat = format;
            parts.modeName = name;
            parts.isLeadByte = LeadByte;
            const std::string tip = tray::BuildTooltip(parts);
            const std::string& word = status ? ac : battery;
            ++g_measured;
            if (tip.size() > tray::kTipLength || tip.find(word) == std::string::npos ||
                tip.find("100") == std::string::npos) {
                ++g_failures;
                std::printf("DOES NOT FIT: tray %s tray tip (notification area) \"%s\": "
                            "%zu bytes in code page %u, the shell shows %zu; more than the "
                            "mode name is lost\n",
                            g_tag.c_str(), Shown(tip).c_str(), tip.size(), ::GetACP(),
                            tray::kTipLength);
            } else if (tip.find(name) == std::string::npos) {
                std::printf("SHORTENED (allowed): tray %s tray tip shows the mode name as "
                            "\"%s\" (%zu bytes in code page %u)\n",
                            g_tag.c_str(), Shown(tip).c_str(), tip.size(), ::GetACP());
            }
        }
    }
}

// The switcher draws with GDI+: the battery indicator's texts centred in 110 x 40 px at 8 pt,
// the actions in 130 x 20 px at 9 pt (one line), each scaled to the popup's DPI as the popup
// scales them (fonts in pixels). Its languages are few and neutral, and its texts are wide:
// one run checks them all.
int CheckSwitcher(HMODULE pivora, const std::vector<std::pair<std::string, LANGID>>& languages,
                  int dpi) {
    using namespace switcher;
    const SkinScale scale(dpi);
    const LayoutRect indicator = scale.Px(kIndicatorTextPlace);
    const LayoutRect action = scale.Px(kActionTextPlace);
    const std::string atDpi = dpi == kBaseDpi ? "" : " at " + std::to_string(dpi) + " dpi";
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) {
        std::fprintf(stderr, "text_fit: GDI+ does not start\n");
        return 2;
    }
    int failures = 0;
    {
        const HDC screen = ::GetDC(nullptr);
        UniqueGpGraphics graphics;
        gdip::GdipCreateFromHDC(screen, graphics.Put());
        UniqueGpFont small = MakeFont(L"Segoe UI", scale.FontPixels(kIndicatorFontPoints),
                                      Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
        UniqueGpFont list = MakeFont(L"Segoe UI", scale.FontPixels(kListFontPoints),
                                     Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
        UniqueGpStringFormat centred = MakeStringFormat();
        gdip::GdipSetStringFormatAlign(centred.Get(), Gdiplus::StringAlignmentCenter);
        UniqueGpStringFormat plain = MakeStringFormat();
        auto check = [&](const std::string& tag, const char* where, const std::wstring& text,
                         Gdiplus::GpFont* font, Gdiplus::GpStringFormat* format, float width,
                         float height) {
            // Room for as many lines as the text needs at this width.
            const Gdiplus::RectF layout(0.0f, 0.0f, width, 1000.0f);
            Gdiplus::RectF bound;
            gdip::GdipMeasureString(graphics.Get(), text.c_str(), -1, font, &layout, format, &bound,
                                    nullptr, nullptr);
            ++g_measured;
            if (bound.Height > height + 0.5f || bound.Width > width + 0.5f) {
                ++failures;
                std::printf("DOES NOT FIT: switcher %s %s%s \"%s\": needs %.0f x %.0f px, has "
                            "%.0f x %.0f px\n",
                            tag.c_str(), where, atDpi.c_str(), Utf8(text).c_str(), bound.Width,
                            bound.Height, width, height);
            }
        };
        for (const auto& [tag, lang] : languages) {
            g_lang = lang;
            const auto texts = Split(LoadText(pivora, IDS_BATTERY_TEXTS), L'\t');
            if (texts.size() > kTokenTimeRemaining) {
                check(tag, "battery indicator", texts[kTokenCalculating], small.Get(),
                      centred.Get(), indicator.width, indicator.height);
                std::wstring remaining = texts[kTokenTimeRemaining];
                for (const wchar_t* number : {L"10", L"59"}) {
                    const auto at = remaining.find(L"%d");
                    if (at != std::wstring::npos) {
                        remaining.replace(at, 2, number);
                    }
                }
                check(tag, "battery indicator", remaining, small.Get(), centred.Get(),
                      indicator.width, indicator.height);
            } else {
                ++failures;
                std::printf("MISSING: switcher %s: battery texts\n", tag.c_str());
            }
            for (const std::wstring& text : Split(LoadText(pivora, IDS_POWER_ACTIONS), L';')) {
                check(tag, "action list", text, list.Get(), plain.Get(), action.width,
                      action.height);
            }
        }
        ::ReleaseDC(nullptr, screen);
    }
    Gdiplus::GdiplusShutdown(token);
    std::printf("switcher%s: %d texts measured in %zu languages, %d do not fit\n", atDpi.c_str(),
                g_measured, languages.size(), failures);
    return failures == 0 ? 0 : 1;
}

HMODULE Open(const wchar_t* path) {
    const HMODULE module = ::LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr) {
        std::fprintf(stderr, "text_fit: cannot read %ls (error %lu)\n", path, ::GetLastError());
    }
    return module;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc >= 3 && std::wstring(argv[1]) == L"--switcher") {
        const HMODULE pivora = Open(argv[2]);
        if (pivora == nullptr) {
            return 2;
        }
        int dpi = switcher::kBaseDpi;
        int first = 3;
        if (argc >= 5 && std::wstring(argv[3]) == L"--dpi") {
            dpi = static_cast<int>(wcstol(argv[4], nullptr, 10));
            first = 5;
        }
        std::vector<std::pair<std::string, LANGID>> languages;
        for (int i = first; i < argc; ++i) {
            // TAG=LANGID
            const std::wstring arg = argv[i];
            const auto at = arg.find(L'=');
            languages.emplace_back(Utf8(arg.substr(0, at)),
                                   static_cast<LANGID>(wcstoul(arg.c_str() + at + 1, nullptr, 0)));
        }
        return CheckSwitcher(pivora, languages, dpi);
    }
    if (argc != 6) {
        std::fprintf(stderr, "usage: text_fit TAG LANGID VUMO.cpl HALVIK.exe TOBRINEL.dll\n"
                             "       text_fit --switcher PIVORA.exe [--dpi N] TAG=LANGID...\n");
        return 2;
    }
    g_lang = static_cast<LANGID>(wcstoul(argv[2], nullptr, 0));
    g_tag = Utf8(argv[1]) + " (" + std::to_string(g_lang) + ")";
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_USEREX_CLASSES};
    ::InitCommonControlsEx(&controls);

    const Program applet{"applet", Open(argv[3]), kDialogs, std::size(kDialogs)};
    const Program tray{"tray", Open(argv[4]), kTrayDialogs, std::size(kTrayDialogs)};
    const Program installer{"installer", Open(argv[5]), nullptr, 0};
    if (!applet.module || !tray.module || !installer.module) {
        return 2;
    }
    // Pages are children: they get a hidden parent of their own.
    const HWND host = ::CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 800, 600, nullptr,
                                        nullptr, nullptr, nullptr);
    for (const Program* program : {&applet, &tray}) {
        for (std::size_t i = 0; i < program->count; ++i) {
            CheckDialog(*program, installer, program->dialogs[i], host);
        }
    }
    CheckTrayTip(tray, installer);
    ::DestroyWindow(host);
    std::printf("%s: %d texts measured, %d do not fit (code page %u)\n", g_tag.c_str(), g_measured,
                g_failures, ::GetACP());
    return g_failures == 0 ? 0 : 1;
}
