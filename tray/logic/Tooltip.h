// The text of the tray icon's tooltip: the power source, the mode in force and the remaining
// charge, fitted into the 63 characters the shell shows.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

#include "framework/TextCut.h"

namespace tray {

// The shell's tip buffer holds 64 bytes with the terminator.
inline constexpr std::size_t kTipLength = 63;

// Fills a format from the string table: each "%s" takes the next text, "%d" the number and
// "%%" gives "%". Anything else, including a "%s" without a text left, is copied as it is, so
// a damaged translation cannot read past its arguments.
std::string FormatResourceText(std::string_view format,
                               std::initializer_list<std::string_view> texts, int number);

// When `text` is longer than the tip, the name is shortened by the overflow (with "..." when
// there is room for it) and every occurrence of the full name in the text is replaced. Lengths
// are bytes of the ANSI code page: the name is never cut inside a double-byte character, and
// an occurrence only counts where a character starts.
std::string FitTooltip(std::string text, std::string_view name,
                       framework::LeadBytePredicate isLeadByte = nullptr);

struct TooltipParts {
    bool readOnly = false;
    int acStatus = -1;               // 1 mains, 0 battery, -1 unknown
    int percent = -1;                // -1 unknown
    std::string_view onAcWord;       // string 136
    std::string_view onBatteryWord;  // string 137
    std::string_view modeFormat;     // string 138: power word, mode name, percent
    std::string_view readOnlyFormat; // string 139: power word, percent
    std::string_view modeName;       // the mode in force (not read in read-only mode)
    framework::LeadBytePredicate isLeadByte = nullptr; // of the code page the texts are in
};

std::string BuildTooltip(const TooltipParts& parts);

} // namespace tray
