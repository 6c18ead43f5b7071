#include "ActionComboBox.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "applet/logic/HibernateRules.h"
#include "applet/res/resource.h"
#include "store/GlobalPowerSettings.h"
#include "framework/TextList.h"
#include "framework/WindowText.h"

namespace applet {

void ActionComboBox::Fill() {
    Send(CB_RESETCONTENT);
    const auto texts = framework::SplitList(framework::LoadText(IDS_ACTION_LIST));
    int index = 0;
    for (std::size_t i = 0; i < std::size(kActionOrder); ++i) {
        const std::string text = i < texts.size() ? texts[i] : std::string();
        Insert(index++, text.c_str(), kActionOrder[i]);
    }
}

bool ActionComboBox::Insert(int index, const char* text, std::uint32_t action) {
    COMBOBOXEXITEMA item{};
    item.mask = CBEIF_TEXT | CBEIF_LPARAM;
    item.iItem = index;
    item.pszText = const_cast<char*>(text);
    item.lParam = static_cast<LPARAM>(action);
    return Send(CBEM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)) != -1;
}

int ActionComboBox::Count() const {
    const LRESULT count = Send(CB_GETCOUNT);
    return count == CB_ERR ? 0 : static_cast<int>(count);
}

std::uint32_t ActionComboBox::ActionAt(int index) const {
    COMBOBOXEXITEMA item{};
    item.mask = CBEIF_LPARAM;
    item.iItem = index;
    if (Send(CBEM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) == 0) {
        return 0;
    }
    return static_cast<std::uint32_t>(item.lParam);
}

int ActionComboBox::FindAction(std::uint32_t action) const {
    const int count = Count();
    for (int i = 0; i < count; ++i) {
        if (ActionAt(i) == action) {
            return i;
        }
    }
    return -1;
}

std::uint32_t ActionComboBox::SelectedAction(std::uint32_t fallback) const {
    const LRESULT selected = Send(CB_GETCURSEL);
    if (selected == CB_ERR) {
        return fallback;
    }
    return ActionAt(static_cast<int>(selected));
}

bool ActionComboBox::SelectAction(std::uint32_t action) {
    const int index = FindAction(action);
    if (index < 0) {
        return false;
    }
    Send(CB_SETCURSEL, static_cast<WPARAM>(index));
    return true;
}

bool ActionComboBox::RemoveAction(std::uint32_t action) {
    const int index = FindAction(action);
    return index >= 0 && Send(CBEM_DELETEITEM, static_cast<WPARAM>(index)) != CB_ERR;
}

void ActionComboBox::AddHibernateIfMissing() {
    if (FindAction(store::kActionHibernate) >= 0) {
        return;
    }
    const auto texts = framework::SplitList(framework::LoadText(IDS_ACTION_LIST));
    const std::string text = texts.size() > 2 ? texts[2] : std::string();
    std::vector<std::uint32_t> actions;
    for (int i = 0; i < Count(); ++i) {
        actions.push_back(ActionAt(i));
    }
    Insert(static_cast<int>(HibernateInsertIndex(actions)), text.c_str(), store::kActionHibernate);
}

} // namespace applet
