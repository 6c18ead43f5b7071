// The windows of other programs that the tray pokes: Windows' own battery meter in the
// notification area, which the tray's icon replaces on the systems that show one, and the
// Power Options window, which reads the power settings again when it is hidden and shown.
#pragma once

#include <string>

namespace tray {

class ShellWindows {
public:
    // `osClass` as WindowsVersionClass gives it.
    explicit ShellWindows(int osClass) : osClass_(osClass) {}

    // Whether this system shows a battery meter of its own (Windows 2000 and XP).
    bool HasSystemMeter() const;
    // Takes the meter's icon away, where there is one.
    void HideSystemBatteryMeter() const;
    // Shows the Power Options window, titled `title`, again.
    static void RefreshPowerOptions(const std::string& title);

private:
    const int osClass_;
};

} // namespace tray
