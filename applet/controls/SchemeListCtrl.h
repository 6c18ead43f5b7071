// A list of power save modes whose check boxes act as radio buttons: the checked row is the
// mode in effect for its power source. Rows carry the mode's id; names are edited in place
// (F2) and cut to 30 bytes. The rows of the factory modes cannot be deleted.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <vector>

#include "framework/Window.h"
#include "store/SchemeStore.h"

namespace applet {

using ModeList = std::vector<std::unique_ptr<store::SchemeStore>>;

class SchemeListCtrl : public framework::Window {
public:
    // The modes the rows name, the Delete button of this list, how many rows (from the top)
    // are protected, and whether it is the AC list (its double click asks for 1126, the
    // battery list's for 1130).
    void Bind(ModeList* modes, HWND deleteButton, int protectedRows, bool ac);

    // Rows for the modes of the list's kind that are not deleted, in array order; the mode
    // `currentId` is checked and selected. Filling is not an edit: Apply stays as it is.
    void Fill(int currentId);
    // A row at the end for `mode`, selected.
    int Append(const store::SchemeStore& mode);

    int CheckedRow() const { return checkedRow_; }
    int SelectedRow() const;
    int RowCount() const;
    int IdOfRow(int row) const;
    int ProtectedRows() const { return protectedRows_; }
    bool IsAcList() const { return ac_; }
    store::SchemeStore* ModeOfRow(int row) const;

protected:
    bool OnReflectedNotify(const NMHDR& header, LRESULT& result) override;

private:
    int InsertRow(int row, const store::SchemeStore& mode, bool selected);
    void OnItemChanged(const NMLISTVIEW& change);
    void OnClick(const NMITEMACTIVATE& click, bool doubleClick);
    bool OnEndLabelEdit(const NMLVDISPINFOA& info);
    void SelectRow(int row);
    void UpdateDeleteButton();

    ModeList* modes_ = nullptr;
    HWND deleteButton_ = nullptr;
    int protectedRows_ = 0;
    bool ac_ = true;
    int checkedRow_ = -1;
    bool filling_ = false;
    bool updating_ = false;
};

} // namespace applet
