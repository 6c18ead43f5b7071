// Details... of a power save mode: a modal dialog with the General and the Power Save Mode
// tabs, editing a private copy of the mode. OK copies it back; Cancel drops it.
#pragma once

#include <memory>

#include "applet/pages/SchemeGeneralPage.h"
#include "applet/pages/SchemeSettingsPage.h"
#include "framework/Dialog.h"
#include "framework/TabPageHost.h"
#include "store/SchemeStore.h"

namespace applet {

class SchemePropertiesDlg : public framework::Dialog {
public:
    SchemePropertiesDlg();
    ~SchemePropertiesDlg() override;

    void SetScheme(store::SchemeStore* source);
    void SetHibernate(bool enabled);

    // The factory settings of the mode's id into the copy and both pages.
    void LoadDefault();

    const store::SchemeStore& Copy() const { return copy_; }
    SchemeGeneralPage* General() const { return general_.get(); }
    SchemeSettingsPage* Settings() const { return settings_.get(); }
    framework::TabPageHost& Pages() { return host_; }

    bool PreTranslateMessage(MSG& message) override;

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    bool OnNotify(const NMHDR& header, LRESULT& result) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    store::SchemeStore copy_;
    store::SchemeStore* source_ = nullptr;
    bool hibernateEnabled_ = false;
    std::unique_ptr<SchemeSettingsPage> settings_;
    std::unique_ptr<SchemeGeneralPage> general_;
    framework::TabPageHost host_;
};

} // namespace applet
