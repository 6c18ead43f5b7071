// What the applet's entry point answers to each Control Panel message, and how the item's
// texts (one string: name, info and help file separated by line ends) fill the fixed fields
// of the new-style inquiry.
#pragma once

#include <string>
#include <string_view>

#include "framework/TextCut.h"

namespace applet {

// The Control Panel's messages (their numbers are the protocol's).
enum class CplStep {
    Init = 1,
    GetCount = 2,
    Inquire = 3,
    Select = 4,
    DoubleClick = 5,
    Stop = 6,
    Exit = 7,
    NewInquire = 8,
    StartWithParams = 9,
    // CPL_STARTWPARMSW: the wide start we do not handle. Answering it as handled (non-zero)
    // would tell the shell the item is open, and it would never send the double click.
    StartWithParamsWide = 10,
    Other = 0,
};

CplStep ClassifyCplMessage(unsigned message);

// `handlerValue` is what the step's handler gave: OnInit's success, the number of items,
// OnExit's result, and for a double click whether the dialog object could be made.
// Every other step ignores it.
long CplResult(CplStep step, long handlerValue);

// Field sizes of the new-style inquiry, terminators included.
inline constexpr std::size_t kCplNameSize = 32;
inline constexpr std::size_t kCplInfoSize = 64;
inline constexpr std::size_t kCplHelpFileSize = 128;

struct CplTexts {
    std::string name;
    std::string info;
    std::string helpFile;
};

// Split at "\n"; a missing piece is empty, and each piece is cut to fit its field without
// splitting a double-byte character.
CplTexts SplitCplTexts(std::string_view text, framework::LeadBytePredicate isLeadByte);

} // namespace applet
