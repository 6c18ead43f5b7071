// The battery queries on the real path: the emulated notebook's battery driver, reached through
// set-up's device list and DeviceIoControl on an overlapped handle, answering from the session's
// fake power-supply tree, which this test rewrites between queries.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "BatteryQueries.h"
#include "FakeBatteryTree.h"
#include "PowerStatus.h"

using namespace hardware;
using fake_battery::Battery;
using fake_battery::TreePath;
using fake_battery::Write;

namespace {

bool RunSetup(const std::string& arguments) {
    std::string command = "C:\\windows\\NotebookSetup.exe " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                          nullptr, nullptr, &startup, &process)) {
        return false;
    }
    ::WaitForSingleObject(process.hProcess, 60000);
    DWORD code = 1;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return code == 0;
}

DWORD RawInformation(HANDLE battery, ULONG tag, int level, void* output, DWORD size) {
    BATTERY_QUERY_INFORMATION query{tag, static_cast<BATTERY_QUERY_INFORMATION_LEVEL>(level), 0};
    DWORD returned = 0;
    OVERLAPPED overlapped{};
    overlapped.hEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    BOOL ok = ::DeviceIoControl(battery, IOCTL_BATTERY_QUERY_INFORMATION, &query, sizeof query,
                                output, size, &returned, &overlapped);
    if (!ok && ::GetLastError() == ERROR_IO_PENDING) {
        ok = ::GetOverlappedResult(battery, &overlapped, &returned, TRUE);
    }
    const DWORD error = ok ? ERROR_SUCCESS : ::GetLastError();
    ::CloseHandle(overlapped.hEvent);
    return error;
}

class BatteryDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fake_battery::InSession()) << "run in a test session";
        fake_battery::Reset();
    }
    void TearDown() override { fake_battery::Reset(); }
};

} // namespace

TEST_F(BatteryDeviceTest, DeviceAndGaugeShowTheSameBattery) {
    for (const auto& [ac, percent] : {std::pair{true, 100}, {false, 40}, {false, 7}, {true, 63}}) {
        Write("AC\\online", ac ? "1" : "0");
        Battery("BAT0", percent, ac);
        SYSTEM_POWER_STATUS gauge{};
        ASSERT_TRUE(::GetSystemPowerStatus(&gauge));
        EXPECT_EQ(hardware::BatteryCharge(0), gauge.BatteryLifePercent) << percent << " %";
        BATTERY_STATUS status{};
        ASSERT_EQ(QueryBatteryStatus(0, status), BatteryQuery::Succeeded);
        EXPECT_EQ(status.PowerState, ac ? BATTERY_POWER_ON_LINE | BATTERY_CHARGING
                                        : static_cast<ULONG>(BATTERY_DISCHARGING));
        EXPECT_EQ(AcLineStatus(), ac ? 1 : 0);
    }

    Write("BAT0\\technology", "NiMH");
    Write("BAT0\\model_name", "ABC");
    Write("BAT0\\serial_number", "NB-0042");
    BATTERY_INFORMATION information{};
    ASSERT_EQ(QueryBatteryInformation(0, information), BatteryQuery::Succeeded);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(information.Chemistry), 4), "NiMH");
    EXPECT_EQ(information.FullChargedCapacity, 48840u);
    EXPECT_EQ(information.DesignedCapacity, 53280u);
    char text[kBatteryTextSize];
    ASSERT_TRUE(hardware::BatteryDeviceName(0, text));
    EXPECT_STREQ(text, "ABC");
    ASSERT_TRUE(hardware::BatteryUniqueId(0, text));
    EXPECT_STREQ(text, "NB-0042");
}

TEST_F(BatteryDeviceTest, EmptyBayAndMissingSecondBatteryFail) {
    EXPECT_FALSE(OpenBattery(1)) << "one bay unless set up with two";
    BATTERY_STATUS status{};
    EXPECT_EQ(QueryBatteryStatus(1, status), BatteryQuery::NoDevice);
    BATTERY_INFORMATION information{};
    EXPECT_EQ(QueryBatteryInformation(1, information), BatteryQuery::NoDevice);
    EXPECT_EQ(hardware::BatteryCharge(1), -1);
    char text[kBatteryTextSize];
    EXPECT_FALSE(hardware::BatteryDeviceName(1, text));

    Write("BAT0\\present", "0");
    const framework::UniqueFile battery = OpenBattery(0);
    ASSERT_TRUE(battery) << "an empty bay is still a device";
    EXPECT_EQ(QueryBatteryTag(battery.Get()), 0u);
    EXPECT_EQ(QueryBatteryStatus(0, status), BatteryQuery::Failed);
    EXPECT_EQ(hardware::BatteryCharge(0), -1);

    // Garbage in the tree reads as no battery or as unknown values; the driver keeps answering.
    Write("BAT0\\present", "yes please");
    Write("BAT0\\charge_now", "-5");
    Write("BAT0\\voltage_now", "99999999999999999999999");
    EXPECT_EQ(QueryBatteryStatus(0, status), BatteryQuery::Succeeded);
    EXPECT_EQ(status.Capacity, BATTERY_UNKNOWN_CAPACITY);
    EXPECT_EQ(hardware::BatteryCharge(0), -1);
}

TEST_F(BatteryDeviceTest, ReinsertedBatteryGetsANewTagAndMalformedRequestsGetWindowsErrors) {
    const framework::UniqueFile battery = OpenBattery(0);
    ASSERT_TRUE(battery);
    const ULONG first = QueryBatteryTag(battery.Get());
    ASSERT_NE(first, 0u);
    EXPECT_EQ(QueryBatteryTag(battery.Get()), first);
    Write("BAT0\\present", "0");
    EXPECT_EQ(QueryBatteryTag(battery.Get()), 0u);
    Write("BAT0\\present", "1");
    const ULONG second = QueryBatteryTag(battery.Get());
    EXPECT_NE(second, 0u);
    EXPECT_NE(second, first);

    BATTERY_INFORMATION information{};
    EXPECT_EQ(RawInformation(battery.Get(), first, 0, &information, sizeof information),
              static_cast<DWORD>(ERROR_FILE_NOT_FOUND))
        << "stale tag";
    EXPECT_EQ(RawInformation(battery.Get(), second, 0, &information, sizeof information - 1),
              static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(RawInformation(battery.Get(), second, 42, &information, sizeof information),
              static_cast<DWORD>(ERROR_INVALID_FUNCTION));
    ULONG value = 0;
    EXPECT_EQ(RawInformation(battery.Get(), second, BatteryTemperature, &value, sizeof value),
              static_cast<DWORD>(ERROR_INVALID_FUNCTION))
        << "no temperature in the tree: not supported";
    BATTERY_MANUFACTURE_DATE date{};
    Write("BAT0\\manufacture_year", "2024");
    Write("BAT0\\manufacture_month", "5");
    Write("BAT0\\manufacture_day", "17");
    ASSERT_EQ(RawInformation(battery.Get(), second, BatteryManufactureDate, &date, sizeof date),
              static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(date.Year, 2024);
    EXPECT_EQ(date.Month, 5);
    EXPECT_EQ(date.Day, 17);
}

TEST_F(BatteryDeviceTest, SecondBayAppearsWithItsSetUpAndGoesWithIt) {
    Battery("BAT1", 30, false);
    ASSERT_TRUE(RunSetup("--battery-slots 2"));
    EXPECT_EQ(hardware::BatteryCharge(1), 30);
    ASSERT_TRUE(RunSetup("--battery-slots 1"));
    EXPECT_FALSE(OpenBattery(1));
    EXPECT_EQ(hardware::BatteryCharge(0), 100);
    ::DeleteFileA((TreePath() + "\\BAT1\\type").c_str());
}
