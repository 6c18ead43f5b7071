// What the tray icon shows: the tooltip (power source, charge, the mode in force) and the
// picture of that mode. The shell is told only what changed: an apply that leaves the tooltip
// and the picture as they were costs no call to the shell and no icon read from a file.
#pragma once

#include <string>

#include "tray/icon/CSystemTray.h"

namespace tray {

struct TrayViewState {
    bool readOnly = false;
    int acStatus = -1;
    int batteryPercent = -1;
    int scheme = 0;
};

class TrayIconView {
public:
    explicit TrayIconView(CSystemTray& tray);

    // The tooltip alone, for a change of charge that applies nothing.
    void ShowTooltip(const TrayViewState& state);
    // Tooltip and picture, the mode read once for both.
    void Show(const TrayViewState& state);
    // Forgets what the shell was told, so that the next Show tells it everything again.
    void Forget();

private:
    void SetTooltip(const TrayViewState& state, const char* modeName);

    CSystemTray& tray_;
    std::string onAc_;
    std::string onBattery_;
    std::string modeFormat_;
    std::string readOnlyFormat_;
    std::string tip_;
    bool tipKnown_ = false;
    // The picture shown: the read-only one, or the one named by the mode's icon reference.
    std::string picture_;
    bool pictureKnown_ = false;
};

} // namespace tray
