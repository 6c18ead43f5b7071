#include "HibernateRules.h"

#include <algorithm>

namespace applet {

std::vector<std::uint32_t> OfferedActions(ActionListKind kind, bool hibernate) {
    std::vector<std::uint32_t> actions(std::begin(kActionOrder), std::end(kActionOrder));
    const std::uint32_t removed = kind == ActionListKind::Lid ? 6 : 0;
    std::erase(actions, removed);
    if (!hibernate) {
        std::erase(actions, 3U);
    }
    return actions;
}

std::size_t HibernateInsertIndex(const std::vector<std::uint32_t>& actions) {
    const auto powerOff = std::find(actions.begin(), actions.end(), 6U);
    return static_cast<std::size_t>(powerOff - actions.begin());
}

std::uint64_t HibernateUnits(std::uint64_t bytes) {
    return (bytes >> 10) / 1000;
}

bool HibernationFits(std::uint64_t totalPhysicalBytes, std::uint64_t freeBytes) {
    return HibernateUnits(freeBytes) >= HibernateUnits(totalPhysicalBytes);
}

int CoolingIndex(std::uint32_t coolingMethod) {
    return coolingMethod != 0 ? 1 : 0;
}

std::uint32_t CoolingValue(int index) {
    return index == 1 ? 2 : 0;
}

int GaugeCharset(unsigned languageId) {
    switch (languageId) {
    case 1041:
        return 128; // SHIFTJIS_CHARSET
    case 1049:
        return 204; // RUSSIAN_CHARSET
    case 1032:
        return 161; // GREEK_CHARSET
    default:
        return 0; // ANSI_CHARSET
    }
}

} // namespace applet
