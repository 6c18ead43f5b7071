// The "General" tab of the scheme properties: the mode's icon, name, description and linked
// program, and the way back to the factory settings of the mode.
#pragma once

#include <functional>
#include <string>

#include "applet/controls/IconStatic.h"
#include "framework/Dialog.h"
#include "store/SchemeStore.h"

namespace applet {

class SchemeGeneralPage : public framework::Dialog {
public:
    SchemeGeneralPage();

    void SetScheme(store::SchemeStore* mode) { mode_ = mode; }
    // What Load Default runs (the dialog reloads both pages); off when the mode has no factory
    // copy, since loading one would empty it.
    void SetLoadDefault(std::function<void()> load, bool available);

    // Texts from the mode into the controls, and back.
    void LoadFromMode();
    void SaveToMode();

    const std::string& IconReference() const { return iconReference_; }
    const IconStatic& Icon() const { return icon_; }

protected:
    bool OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnHelp(const HELPINFO& help) override;

private:
    void Exchange(bool saving);
    void ShowIcon();
    void ChangeIcon();
    void Browse();

    store::SchemeStore* mode_ = nullptr;
    std::function<void()> loadDefault_;
    bool defaultAvailable_ = false;
    std::string name_;
    std::string description_;
    std::string linkedProgram_;
    std::string iconReference_;
    IconStatic icon_;
};

} // namespace applet
