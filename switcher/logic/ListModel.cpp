#include "switcher/logic/ListModel.h"

#include <algorithm>

namespace switcher {

namespace {

bool IsHighSurrogate(wchar_t unit) {
    const auto value = static_cast<unsigned long>(unit);
    return value >= 0xD800 && value <= 0xDBFF;
}

} // namespace

std::wstring ShortenRowText(std::wstring_view text) {
    if (text.size() <= kRowTextLimit) {
        return std::wstring(text);
    }
    std::size_t kept = kRowTextKept;
    // Never leave half of a surrogate pair in front of the dots.
    if (IsHighSurrogate(text[kept - 1])) {
        --kept;
    }
    std::wstring shown(text.substr(0, kept));
    shown += L"...";
    return shown;
}

void ListModel::Clear() {
    items_.clear();
    first_ = 0;
    highlight_ = -1;
    mark_ = -1;
}

int ListModel::ShownRows() const {
    return std::clamp(Count() - first_, 0, rows_);
}

int ListModel::VisibleHighlight() const {
    const int relative = highlight_ - first_;
    return (highlight_ >= 0 && relative >= 0 && relative < rows_) ? relative : -1;
}

bool ListModel::HighlightVisibleRow(int relative) {
    if (relative >= rows_ || relative < -1) {
        return false;
    }
    if (relative == -1) {
        highlight_ = -1;
        return true;
    }
    if (!IsRow(first_ + relative)) {
        return false;
    }
    highlight_ = first_ + relative;
    return true;
}

bool ListModel::SetActiveMark(int row) {
    if (row < -1 || row >= Count()) {
        return false;
    }
    mark_ = row;
    if (row == -1) {
        return true; // nothing to bring into view; the view stays where it is
    }
    first_ = (Count() - row < rows_) ? std::max(Count() - rows_, 0) : row;
    return true;
}

void ListModel::RestoreHighlightRelative(int relative) {
    if (first_ + relative >= Count()) {
        relative = Count() - first_ - 1;
    } else {
        relative = std::clamp(relative, 0, std::max(rows_ - 1, 0));
    }
    if (relative < 0) {
        highlight_ = -1;
    } else if (IsRow(first_ + relative)) {
        highlight_ = first_ + relative;
    }
}

bool ListModel::ScrollUp() {
    if (first_ <= 0) {
        return false;
    }
    --first_;
    return true;
}

bool ListModel::ScrollDown() {
    if (first_ + rows_ >= Count()) {
        return false;
    }
    ++first_;
    return true;
}

HoverOutcome ListModel::Hover(int y, int rowHeight) {
    HoverOutcome outcome;
    if (y < 0 || rowHeight <= 0) {
        return outcome;
    }
    const int row = first_ + y / rowHeight;
    if (row >= Count()) {
        return outcome;
    }
    outcome.ignored = false;
    const bool wasActive = active_;
    if (!wasActive) {
        active_ = true;
        outcome.becameActive = true;
    }
    if (!(wasActive && highlight_ == row)) {
        highlight_ = row;
        outcome.repaint = true;
    }
    return outcome;
}

RowLook ListModel::Look(int row) const {
    RowLook look;
    const int item = first_ + row;
    if (row < 0 || row >= rows_ || !IsRow(item)) {
        return look;
    }
    look.hasItem = true;
    look.item = item;
    look.highlighted = active_ && item == highlight_;
    look.marked = item == mark_;
    return look;
}

bool Navigate(NavigationKey key, const ListModel& current, const ListModel& other,
              NavigationMove& move) {
    const int relative = current.VisibleHighlight();
    if (relative < 0 || !current.IsRow(current.Highlight())) {
        return false;
    }
    if (key == NavigationKey::Up) {
        move = relative == 0 ? NavigationMove{true, other.LastShownRelative()}
                             : NavigationMove{false, relative - 1};
    } else {
        move = relative >= current.LastShownRelative() ? NavigationMove{true, 0}
                                                       : NavigationMove{false, relative + 1};
    }
    return true;
}

} // namespace switcher
