// Prints the power status as Windows reports it, one line: "ac=A percent=P flag=F".
#include <windows.h>

#include <cstdio>

int main() {
    SYSTEM_POWER_STATUS status{};
    if (!::GetSystemPowerStatus(&status)) {
        std::printf("GetSystemPowerStatus failed: %lu\n", ::GetLastError());
        return 1;
    }
    std::printf("ac=%u percent=%u flag=%u\n", status.ACLineStatus, status.BatteryLifePercent,
                status.BatteryFlag);
    return 0;
}
