#include "SettingsRules.h"

#include "store/TimeoutTables.h"

namespace applet {

int HibernateAfterStandbyMove(int standby, int hibernate) {
    return standby <= hibernate && standby > 1 ? standby : hibernate;
}

int StandbyAfterHibernateMove(int hibernate, int standby, int hibernateMax) {
    if (hibernate == hibernateMax) {
        return 1;
    }
    return hibernate >= standby && standby != 1 ? hibernate : standby;
}

int DiskSliderMaximum(std::uint32_t minimumSeconds, int count) {
    if (minimumSeconds == 0) {
        return count;
    }
    const int index = static_cast<int>(store::TimeoutToIndex(minimumSeconds));
    return index >= 1 && index <= count ? index : count;
}

int ColumnInEffect(int acLine, bool acMode, int modeId, std::uint32_t pwrSchemeAC,
                   std::uint32_t pwrSchemeDC, int batteryPercent) {
    if (modeId < 0) {
        return -1;
    }
    const auto id = static_cast<std::uint32_t>(modeId);
    if (acLine == 1) {
        return acMode && id == pwrSchemeAC ? 0 : -1;
    }
    if (acLine == 0) {
        return !acMode && id == pwrSchemeDC ? store::ColumnForPercent(batteryPercent) : -1;
    }
    return -1;
}

int ColumnIcon(bool acMode, int column, bool inEffect) {
    if (acMode) {
        return inEffect ? 166 : 1051;
    }
    static constexpr int kInEffect[kGridColumns] = {158, 156, 157, 155};
    static constexpr int kIdle[kGridColumns] = {1006, 1055, 1054, 1053};
    if (column < 0 || column >= kGridColumns) {
        return 0;
    }
    return inEffect ? kInEffect[column] : kIdle[column];
}

int SettingsPageHelpId(int controlId, bool acMode) {
    if (controlId == kColumnIcons[0]) {
        return acMode ? 1202 : controlId;
    }
    if (controlId == kProcessorRowText) {
        return kGrid[kRowProcessor].helpString;
    }
    if (controlId == kHibernateRowText) {
        return kGrid[kRowHibernate].helpString;
    }
    for (const GridRowInfo& row : kGrid) {
        for (const GridCell& cell : row.cells) {
            if (controlId == cell.slider || controlId == cell.label || controlId == cell.frame) {
                return row.helpString;
            }
        }
    }
    return controlId;
}

} // namespace applet
