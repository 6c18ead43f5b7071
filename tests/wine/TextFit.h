// The measuring side of text_fit: a text against the room its control, a title bar or a tab
// row gives it, in the control's own font and with its own wrapping rules. What does not fit is
// printed once and counted.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace text_fit {

struct Named {
    int id;
    const char* name;
};

struct Program {
    const char* name;
    HMODULE module;
    const Named* dialogs;
    std::size_t count;
};

// The language checked, its tag for the report, and the counts the report ends with.
inline LANGID g_lang = 0;
inline std::string g_tag;
inline int g_failures = 0;
inline int g_measured = 0;

// UTF-8 on one line, for the report.
std::string Utf8(const std::wstring& text);

// A string of the module in the language checked, never another one.
std::wstring LoadText(HMODULE module, UINT id);

std::vector<std::wstring> Split(const std::wstring& text, wchar_t separator);

// The format with its %s replaced by s.
std::wstring Fill(const std::wstring& format, const std::wstring& s);

// Measures text as the control draws it; reports it when it does not fit.
void Measure(const Program& program, const char* dialog, HWND control, const std::wstring& text,
             const std::string& what = {});

// The caption against the title bar: the dialog's width less its frame, its buttons and a
// little margin on each side.
void MeasureCaption(const Program& program, const char* dialog, HWND window,
                    const std::wstring& text);

// The tabs a page list puts into a tab control: they must fit in one row.
void MeasureTabs(const Program& program, const char* dialog, HWND tabs,
                 const std::vector<std::wstring>& texts);

} // namespace text_fit
