#include "TextFit.h"

#include <commctrl.h>

#include <cstdio>
#include <set>

namespace text_fit {

std::string Utf8(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size,
                          nullptr, nullptr);
    for (char& c : out) {
        if (c == '\n' || c == '\r' || c == '\t') {
            c = ' ';
        }
    }
    return out;
}

namespace {

// Said once: a layout repeats some labels (the two alarms), which then fail alike.
void Fail(const Program& program, const char* dialog, const std::string& control,
          const std::wstring& text, const std::string& how) {
    static std::set<std::string> said;
    const std::string line = std::string("DOES NOT FIT: ") + program.name + " " + g_tag + " " +
                             dialog + " " + control + " \"" + Utf8(text) + "\": " + how;
    if (said.insert(line).second) {
        ++g_failures;
        std::printf("%s\n", line.c_str());
    }
}

} // namespace

std::wstring LoadText(HMODULE module, UINT id) {
    const HRSRC found =
        ::FindResourceExW(module, MAKEINTRESOURCEW(6), MAKEINTRESOURCEW(id / 16 + 1), g_lang);
    if (found == nullptr) {
        return {};
    }
    const auto* p = static_cast<const WCHAR*>(::LockResource(::LoadResource(module, found)));
    if (p == nullptr) {
        return {};
    }
    for (UINT i = 0; i < (id & 15); ++i) {
        p += *p + 1;
    }
    return std::wstring(p + 1, *p);
}

std::vector<std::wstring> Split(const std::wstring& text, wchar_t separator) {
    std::vector<std::wstring> out;
    std::wstring item;
    for (const wchar_t c : text) {
        if (c == separator) {
            out.push_back(item);
            item.clear();
        } else {
            item += c;
        }
    }
    if (!item.empty()) {
        out.push_back(item);
    }
    return out;
}

std::wstring Fill(const std::wstring& format, const std::wstring& s) {
    const auto at = format.find(L"%s");
    return at == std::wstring::npos ? format : format.substr(0, at) + s + format.substr(at + 2);
}

namespace {

std::string ControlName(HWND control) {
    wchar_t cls[64] = {};
    ::GetClassNameW(control, cls, 64);
    const int id = ::GetDlgCtrlID(control);
    return "control " + (id == -1 || id == 0xffff ? std::string("-1") : std::to_string(id)) + " (" +
           Utf8(cls) + ")";
}

std::string Pixels(int need, int room) {
    return "needs " + std::to_string(need) + " px, has " + std::to_string(room) + " px (" +
           std::to_string(need - room) + " px too wide)";
}

// How a text is drawn in a control of this style, and the rectangle it has to stay in; false
// for controls without a text of their own.
bool TextRoom(HWND control, HDC dc, RECT* room, UINT* format) {
    wchar_t cls[64] = {};
    ::GetClassNameW(control, cls, 64);
    const LONG style = ::GetWindowLongW(control, GWL_STYLE);
    ::GetClientRect(control, room);
    if (lstrcmpiW(cls, L"Static") == 0) {
        const LONG type = style & SS_TYPEMASK;
        if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_SIMPLE &&
            type != SS_LEFTNOWORDWRAP) {
            return false;
        }
        *format = DT_EXPANDTABS | ((style & SS_NOPREFIX) ? DT_NOPREFIX : 0) |
                  (type == SS_SIMPLE || type == SS_LEFTNOWORDWRAP ? DT_SINGLELINE : DT_WORDBREAK);
        return true;
    }
    if (lstrcmpiW(cls, L"Button") != 0) {
        return false;
    }
    const LONG type = style & BS_TYPEMASK;
    const UINT lines = (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
    switch (type) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
        // The frame, and the default button's extra border, then two pixels of margin.
        ::InflateRect(room, type == BS_DEFPUSHBUTTON ? -3 : -2, type == BS_DEFPUSHBUTTON ? -3 : -2);
        *format = lines;
        return true;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON: {
        // The box (12 px + 1 at 96 dpi) and half a digit's width before the text.
        int digit = 0;
        ::GetCharWidth32W(dc, L'0', L'0', &digit);
        room->left += 13 + digit / 2;
        *format = lines;
        return true;
    }
    case BS_GROUPBOX:
        ::InflateRect(room, -7, 0);
        *format = DT_SINGLELINE;
        return true;
    default:
        return false;
    }
}

} // namespace

void Measure(const Program& program, const char* dialog, HWND control, const std::wstring& text,
             const std::string& what) {
    if (text.empty()) {
        return;
    }
    HDC dc = ::GetDC(control);
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
    const HGDIOBJ old = ::SelectObject(dc, font ? font : ::GetStockObject(DEFAULT_GUI_FONT));
    RECT room{};
    UINT format = 0;
    if (TextRoom(control, dc, &room, &format)) {
        ++g_measured;
        const int width = room.right - room.left;
        const int height = room.bottom - room.top;
        const std::string name = ControlName(control) + what;
        TEXTMETRICW metrics{};
        ::GetTextMetricsW(dc, &metrics);
        // The text on one line: its width decides for one-line controls and single-line styles.
        RECT line{0, 0, 0, 0};
        ::DrawTextW(dc, text.c_str(), -1, &line,
                    (format & ~DT_WORDBREAK) | DT_SINGLELINE | DT_CALCRECT);
        const int lines = height / (metrics.tmHeight > 0 ? metrics.tmHeight : 1);
        if ((format & DT_SINGLELINE) || lines <= 1) {
            if (line.right > width) {
                Fail(program, dialog, name, text, Pixels(line.right, width));
            }
        } else {
            RECT wrapped{0, 0, width, 0};
            ::DrawTextW(dc, text.c_str(), -1, &wrapped, format | DT_CALCRECT);
            if (wrapped.right > width) {
                Fail(program, dialog, name, text, "a word " + Pixels(wrapped.right, width));
            } else if (wrapped.bottom > height) {
                const int need = (wrapped.bottom + metrics.tmHeight - 1) / metrics.tmHeight;
                Fail(program, dialog, name, text,
                     "wraps to " + std::to_string(need) + " lines, room for " +
                         std::to_string(lines) + " (" + std::to_string(wrapped.bottom - height) +
                         " px too high)");
            }
        }
    }
    ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
}

void MeasureCaption(const Program& program, const char* dialog, HWND window,
                    const std::wstring& text) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    const HFONT font = ::CreateFontIndirectW(&metrics.lfCaptionFont);
    HDC dc = ::GetDC(window);
    const HGDIOBJ old = ::SelectObject(dc, font);
    SIZE size{};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    ::SelectObject(dc, old);
    ::ReleaseDC(window, dc);
    ::DeleteObject(font);
    RECT frame{};
    ::GetWindowRect(window, &frame);
    const LONG style = ::GetWindowLongW(window, GWL_STYLE);
    const LONG exStyle = ::GetWindowLongW(window, GWL_EXSTYLE);
    int buttons = 1;
    buttons += (style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) ? 2 : 0;
    buttons += (exStyle & WS_EX_CONTEXTHELP) ? 1 : 0;
    const int room = (frame.right - frame.left) - 2 * ::GetSystemMetrics(SM_CXFIXEDFRAME) -
                     buttons * ::GetSystemMetrics(SM_CXSIZE) - 8;
    ++g_measured;
    if (size.cx > room) {
        Fail(program, dialog, "caption", text, Pixels(size.cx, room));
    }
}

void MeasureTabs(const Program& program, const char* dialog, HWND tabs,
                 const std::vector<std::wstring>& texts) {
    std::wstring all;
    int index = 0;
    for (const std::wstring& text : texts) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(text.c_str());
        ::SendMessageW(tabs, TCM_INSERTITEMW, static_cast<WPARAM>(index++),
                       reinterpret_cast<LPARAM>(&item));
        all += (all.empty() ? L"" : L" | ") + text;
    }
    RECT last{};
    RECT client{};
    ::SendMessageW(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(index - 1),
                   reinterpret_cast<LPARAM>(&last));
    ::GetClientRect(tabs, &client);
    ++g_measured;
    if (last.right > client.right) {
        Fail(program, dialog, ControlName(tabs) + " tab row", all,
             Pixels(last.right, client.right));
    }
}

} // namespace text_fit
