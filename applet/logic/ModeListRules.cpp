#include "ModeListRules.h"

#include <algorithm>
#include <climits>
#include <set>

#include "framework/TextList.h"

namespace applet {

namespace {

// A registry string is read into 200 bytes, terminator included.
constexpr std::size_t kStoredTextLimit = 199;

} // namespace

std::vector<int> ListRows(const std::vector<ModeEntry>& modes, bool ac) {
    std::vector<int> rows;
    for (const ModeEntry& mode : modes) {
        if (!mode.deleted && mode.ac == ac) {
            rows.push_back(mode.id);
        }
    }
    return rows;
}

CheckOutcome OnCheckChange(const CheckChange& change) {
    CheckOutcome outcome;
    outcome.rememberedRow = change.rememberedRow;
    if (change.row < 0) {
        return outcome;
    }
    if (change.checkedNow) {
        outcome.uncheckOthers = true;
        outcome.notify = change.byUser && change.row != change.rememberedRow;
        outcome.rememberedRow = change.row;
    } else if (change.row == change.rememberedRow) {
        outcome.checkAgain = true;
    }
    return outcome;
}

bool DeleteAllowed(int selectedRow, int protectedRows) {
    return selectedRow >= 0 && selectedRow >= protectedRows;
}

std::string CopyName(const std::string& format, const std::string& source,
                     framework::LeadBytePredicate isLeadByte) {
    const std::string frame = framework::FillText(format, "");
    const std::size_t room = frame.size() < kStoredTextLimit ? kStoredTextLimit - frame.size() : 0;
    return framework::FillText(format, framework::CutToBytes(source, room, isLeadByte));
}

std::optional<int> NextModeId(int lastId, const std::vector<int>& idsInUse) {
    int highest = lastId;
    for (const int id : idsInUse) {
        highest = std::max(highest, id);
    }
    if (highest < INT_MAX) {
        return std::max(highest + 1, 0);
    }
    const std::set<int> used(idsInUse.begin(), idsInUse.end());
    int candidate = 0;
    for (const int id : used) {
        if (id < candidate) {
            continue;
        }
        if (id > candidate) {
            break;
        }
        if (candidate == INT_MAX) {
            return std::nullopt;
        }
        ++candidate;
    }
    return candidate;
}

int CurrentAfterDelete(const std::vector<int>& rowIds, int rememberedId, int deletedId,
                       int factoryDefault) {
    const int wanted = rememberedId == deletedId ? factoryDefault : rememberedId;
    if (std::find(rowIds.begin(), rowIds.end(), wanted) != rowIds.end()) {
        return wanted;
    }
    return rowIds.empty() ? -1 : rowIds.front();
}

SavePlan PlanSave(const std::vector<ModeEntry>& modes) {
    SavePlan plan;
    for (const ModeEntry& mode : modes) {
        if (mode.deleted) {
            plan.remove.push_back(mode.id);
            continue;
        }
        if (mode.modified) {
            plan.write.push_back(mode.id);
        }
        plan.lastId = std::max(plan.lastId, mode.id);
    }
    return plan;
}

bool IsBlankName(const char* name) {
    if (name == nullptr) {
        return true;
    }
    for (; *name != '\0'; ++name) {
        if (*name != ' ' && *name != '\t') {
            return false;
        }
    }
    return true;
}

} // namespace applet
