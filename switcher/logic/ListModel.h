// The state of one skinned list (the scheme list or the action list): its rows, which of them
// are visible, the highlighted row, the row with the active mark and whether the list is the
// current one. Windows-free: CAdvListCtrl paints and routes messages, this decides.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace switcher {

// Row texts longer than this are shown shortened.
inline constexpr std::size_t kRowTextLimit = 20;
// What is kept of a shortened text before the ellipsis.
inline constexpr std::size_t kRowTextKept = 17;

// The text as a row shows it: longer than 20 characters, its first 17 and "...".
std::wstring ShortenRowText(std::wstring_view text);

// How one visible row is drawn.
struct RowLook {
    bool hasItem = false;     // otherwise only the row background
    bool highlighted = false; // highlight overlay: the highlighted row of the current list
    bool marked = false;      // active-mark overlay
    int item = -1;            // index of the item shown, -1 for none
};

// What a hover did to the list.
struct HoverOutcome {
    bool ignored = true; // below the last item: nothing changed
    bool becameActive = false;
    bool repaint = false;
};

class ListModel {
public:
    explicit ListModel(int rows = 0) : rows_(rows < 0 ? 0 : rows) {}

    void SetRows(int rows) { rows_ = rows < 0 ? 0 : rows; }
    int Rows() const { return rows_; }
    int Count() const { return static_cast<int>(items_.size()); }
    int First() const { return first_; }
    int Highlight() const { return highlight_; }
    int Mark() const { return mark_; }
    bool Active() const { return active_; }
    const std::wstring& Item(int index) const { return items_.at(static_cast<std::size_t>(index)); }
    bool IsRow(int index) const { return index >= 0 && index < Count(); }

    void Add(std::wstring text) { items_.push_back(std::move(text)); }
    // No rows, no mark, no highlight, scrolled to the top; the list stays current or not.
    void Clear();

    // The highlighted row when it is a row, else -1.
    int Selection() const { return IsRow(highlight_) ? highlight_ : -1; }
    // Rows on screen that show an item (0 .. rows).
    int ShownRows() const;
    // The highlight relative to the top visible row, -1 when it is not a visible row.
    int VisibleHighlight() const;
    // Relative index of the last row on screen that shows an item, -1 for an empty view.
    int LastShownRelative() const { return ShownRows() - 1; }

    // Keyboard move, by a row relative to the top one: ignored at or below the visible rows;
    // -1 clears the highlight; otherwise highlights that row when it holds an item. Returns
    // whether the list must be repainted.
    bool HighlightVisibleRow(int relative);

    // Marks `row` as the active one and scrolls it into view: as far down as the list allows,
    // so that the last page stays full. -1 clears the mark without scrolling; rows below -1 or
    // past the end are ignored. Returns whether anything was accepted.
    bool SetActiveMark(int row);

    // Restores a highlight remembered relative to the top row across a rebuild: pulled back
    // onto the last item when it would fall past it, otherwise kept within the visible rows.
    void RestoreHighlightRelative(int relative);

    // The scroll buttons move the view one row; each returns whether it moved.
    bool ScrollUp();
    bool ScrollDown();
    bool CanScrollUp() const { return first_ > 0; }
    bool CanScrollDown() const { return first_ + rows_ < Count(); }

    // The mouse rests on the row at `y` (pixels from the top, rows `rowHeight` high).
    HoverOutcome Hover(int y, int rowHeight);
    // Another list became the current one.
    void Deactivate() { active_ = false; }

    // Visible row `row` (0 .. rows - 1) as it is to be drawn.
    RowLook Look(int row) const;

private:
    std::vector<std::wstring> items_;
    int rows_ = 0;
    int first_ = 0;
    int highlight_ = -1;
    int mark_ = -1;
    bool active_ = false;
};

// Arrow keys in the popup move the highlight down the current list and on into the other one.
enum class NavigationKey { Up, Down };

struct NavigationMove {
    bool toOtherList = false; // make the other list current first
    int relative = -1;        // row to highlight, relative to the top row of the target list
};

// Where the highlight goes; nothing when the current list's highlight is not a visible row.
// Up from the top row goes to the last visible row of the other list, Down from the last
// visible row (or the last item) to the top row of the other list. The lists never scroll here.
bool Navigate(NavigationKey key, const ListModel& current, const ListModel& other,
              NavigationMove& move);

} // namespace switcher
