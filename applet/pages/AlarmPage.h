// The Alarm page: the low and the critical battery alarm, each with an on/off box, a level
// slider and an action dialog. Edits stay in the page until the main dialog saves.
#pragma once

#include <cstdint>

#include "applet/controls/AlarmSlider.h"
#include "framework/Dialog.h"
#include "store/GlobalPowerSettings.h"

namespace applet {

class AlarmPage : public framework::Dialog {
public:
    AlarmPage();

    void SetSettings(store::GlobalPowerSettings* settings) { settings_ = settings; }
    void SetHibernate(bool enabled);
    void Load();
    void Save();

    std::uint32_t LowAction() const { return low_.action; }
    std::uint32_t CriticalAction() const { return critical_.action; }

protected:
    bool OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnHelp(const HELPINFO& help) override;

private:
    struct Alarm {
        std::uint32_t action = 0;
        std::uint32_t notify = 0;
        AlarmSlider slider;
        int onBox;
        int actionButton;
        int notifyText;
        int actionText;
        int label;
    };

    void LoadAlarm(Alarm& alarm, const store::BatteryAlarm& stored);
    void SaveAlarm(const Alarm& alarm, store::BatteryAlarm& stored) const;
    void EnableGroup(const Alarm& alarm, bool enabled);
    void ShowTexts(Alarm& alarm);
    void RunActionDialog(Alarm& alarm);
    void OnToggle(AlarmRole clicked);

    store::GlobalPowerSettings* settings_ = nullptr;
    bool hibernateEnabled_ = false;
    Alarm low_;
    Alarm critical_;
};

} // namespace applet
