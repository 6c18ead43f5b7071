// What the owner of a menu says about one command before the menu shows: enabled or greyed,
// checked or not. A property the owner does not set leaves the item as it is.
#pragma once

#include <optional>

namespace framework {

class CommandState {
public:
    explicit CommandState(unsigned id) : id_(id) {}

    unsigned Id() const { return id_; }
    void Enable(bool enabled = true) { enabled_ = enabled; }
    void SetCheck(bool checked = true) { checked_ = checked; }
    std::optional<bool> Enabled() const { return enabled_; }
    std::optional<bool> Checked() const { return checked_; }

private:
    unsigned id_;
    std::optional<bool> enabled_;
    std::optional<bool> checked_;
};

} // namespace framework
