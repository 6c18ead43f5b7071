// A small dialog-data exchange: one call per control moves a value between a member and the
// control, in the direction the exchange was made for (Load fills the controls, Save reads
// them back), so a page's Load and Save share one list of its controls.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace framework {

class DataExchange {
public:
    enum class Direction { Load, Save };

    DataExchange(HWND dialog, Direction direction) : dialog_(dialog), direction_(direction) {}

    bool Saving() const { return direction_ == Direction::Save; }
    HWND Dialog() const { return dialog_; }

    // Edit or static text. Loading also limits an edit control to `maxLength` characters;
    // saving cuts a longer text to `maxLength` bytes.
    void Text(int id, std::string& value, std::size_t maxLength);
    // Check box: 0 or 1 (an indeterminate box saves as 1).
    void Check(int id, int& value);
    // Selected item of a combo box or extended combo box; -1 for none.
    void ComboSelection(int id, int& index);
    // Track bar position.
    void TrackPosition(int id, int& position);

private:
    HWND dialog_;
    Direction direction_;
};

} // namespace framework
