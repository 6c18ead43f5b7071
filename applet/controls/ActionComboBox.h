// An extended combo box of system power actions: "None", "Stand By", "Hibernate", "Power OFF"
// from string 107, each item carrying its action (0, 2, 3, 6) as item data.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/Window.h"

namespace applet {

class ActionComboBox : public framework::Window {
public:
    // Empties the list and inserts the four actions in order.
    void Fill();
    // The action of the selected item; `fallback` when nothing is selected.
    std::uint32_t SelectedAction(std::uint32_t fallback = 0) const;
    // Selects the first item with this action; nothing when there is none.
    bool SelectAction(std::uint32_t action);
    // Deletes the first item with this action.
    bool RemoveAction(std::uint32_t action);
    // Puts "Hibernate" back before the last item when no item has action 3.
    void AddHibernateIfMissing();

    int Count() const;
    int FindAction(std::uint32_t action) const;
    std::uint32_t ActionAt(int index) const;

private:
    bool Insert(int index, const char* text, std::uint32_t action);
};

} // namespace applet
