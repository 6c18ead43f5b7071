// The rules of the Power Save Modes page, apart from its windows: which rows a list shows,
// how the check boxes of a list act as radio buttons, the name and the number of a copy, the
// mode a list falls back to when its checked mode is deleted, and what Save writes.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "framework/TextCut.h"

namespace applet {

// What the page knows of one mode for these rules.
struct ModeEntry {
    int id = 0;
    bool ac = false;
    bool modified = false;
    bool deleted = false;
};

// Ids of the rows of the AC list (ac) or of the battery list, in array order.
std::vector<int> ListRows(const std::vector<ModeEntry>& modes, bool ac);

// A row of a list changed its state (LVN_ITEMCHANGED). The list remembers its checked row.
struct CheckChange {
    int row = -1;            // the row that changed
    bool checkedNow = false; // its check box after the change
    int rememberedRow = -1;  // the checked row before the change
    bool byUser = false;     // not the page's own filling of the list
};
struct CheckOutcome {
    bool uncheckOthers = false; // the row was checked: every other row loses its check
    bool checkAgain = false;    // the remembered row was unchecked: a list always has one
    bool notify = false;        // the mode in effect changed: Apply is enabled
    int rememberedRow = -1;
};
CheckOutcome OnCheckChange(const CheckChange& change);

// Delete acts on the selected row; the rows of the factory modes (the first `protectedRows`)
// cannot be deleted.
bool DeleteAllowed(int selectedRow, int protectedRows);

// The name of a copy: the language's text ("Copy %s") with the source name in it, the name cut
// so that the whole fits what the store can hold (199 bytes) without splitting a double-byte
// character.
std::string CopyName(const std::string& format, const std::string& source,
                     framework::LeadBytePredicate isLeadByte);

// A name of nothing but blanks would show as an empty row in the tray's menu; such a name is
// refused and the mode keeps the one it had.
bool IsBlankName(const char* name);

// The number of a new copy: one above both LastID and every id in use (the page's modes and
// the keys in the store), so a copy never lands on an existing mode. When that would overflow
// (a damaged, huge LastID) the lowest free number is taken. None when nothing is free.
std::optional<int> NextModeId(int lastId, const std::vector<int>& idsInUse);

// The mode a list checks after Delete: the remembered checked row's mode, or, when that row
// was deleted, the factory default of that kind; a default the list does not show gives way
// to its first row. -1 for an empty list.
int CurrentAfterDelete(const std::vector<int>& rowIds, int rememberedId, int deletedId,
                       int factoryDefault);

// Save: the keys to delete and to write, and the LastID it leaves (the highest id not deleted,
// 0 when none).
struct SavePlan {
    std::vector<int> remove;
    std::vector<int> write;
    int lastId = 0;
};
SavePlan PlanSave(const std::vector<ModeEntry>& modes);

} // namespace applet
