#include "CplTable.h"

#include "framework/TextList.h"

namespace applet {

CplStep ClassifyCplMessage(unsigned message) {
    if (message >= 1 && message <= 10) {
        return static_cast<CplStep>(message);
    }
    return CplStep::Other;
}

long CplResult(CplStep step, long handlerValue) {
    switch (step) {
    case CplStep::Init:
        return handlerValue != 0 ? 1 : 0;
    case CplStep::GetCount:
    case CplStep::Exit:
        return handlerValue;
    case CplStep::Inquire:
        // Nothing is filled: the shell falls back to the new-style inquiry.
        return 1;
    case CplStep::NewInquire:
    case CplStep::StartWithParamsWide:
    case CplStep::Select:
    case CplStep::Stop:
        return 0;
    case CplStep::DoubleClick:
        return handlerValue != 0 ? 0 : 1;
    case CplStep::StartWithParams:
    case CplStep::Other:
        return 1;
    }
    return 1;
}

CplTexts SplitCplTexts(std::string_view text, framework::LeadBytePredicate isLeadByte) {
    const auto pieces = framework::SplitList(text, '\n');
    auto piece = [&](std::size_t index, std::size_t size) {
        return index < pieces.size() ? framework::CutToBytes(pieces[index], size - 1, isLeadByte)
                                     : std::string();
    };
    return CplTexts{piece(0, kCplNameSize), piece(1, kCplInfoSize), piece(2, kCplHelpFileSize)};
}

} // namespace applet
