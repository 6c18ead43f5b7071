// The battery queries on the real path: the emulated notebook's battery driver, reached through
// set-up's device list and DeviceIoControl on an overlapped handle, answering from the session's
// fake power-supply tree, which this test rewrites between queries.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>
#include <thread>

#include "BatteryQueries.h"
#include "EmulatorTestSupport.h"
#include "FakeBatteryTree.h"
#include "PowerStatus.h"

using namespace hardware;
using fake_battery::Battery;
using fake_battery::RunSetup;
using fake_battery::TreePath;
using fake_battery::Write;

namespace {

// One control code as a client sends it; the error it ends with (ERROR_SUCCESS when none).
DWORD Raw(HANDLE battery, DWORD code, const void* input, DWORD inputSize, void* output,
          DWORD size) {
    DWORD returned = 0;
    OVERLAPPED overlapped{};
    overlapped.hEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    BOOL ok = ::DeviceIoControl(battery, code, const_cast<void*>(input), inputSize, output, size,
                                &returned, &overlapped);
    if (!ok && ::GetLastError() == ERROR_IO_PENDING) {
        ok = ::GetOverlappedResult(battery, &overlapped, &returned, TRUE);
    }
    const DWORD error = ok ? ERROR_SUCCESS : ::GetLastError();
    ::CloseHandle(overlapped.hEvent);
    return error;
}

DWORD RawInformation(HANDLE battery, ULONG tag, int level, void* output, DWORD size) {
    BATTERY_QUERY_INFORMATION query{tag, static_cast<BATTERY_QUERY_INFORMATION_LEVEL>(level), 0};
    return Raw(battery, IOCTL_BATTERY_QUERY_INFORMATION, &query, sizeof query, output, size);
}

DWORD RawStatus(HANDLE battery, const BATTERY_WAIT_STATUS& wait, BATTERY_STATUS& status) {
    return Raw(battery, IOCTL_BATTERY_QUERY_STATUS, &wait, sizeof wait, &status, sizeof status);
}

// Milliseconds since `start` (a GetTickCount value).
DWORD Since(DWORD start) {
    return ::GetTickCount() - start;
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
    const emulator_test::JournalWatch journal;
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
    // The driver journals each request as the other notebook libraries do: the last status
    // query of bay #1, on mains at 63 %, and what it answered.
    const emulator::JournalEntry query = journal.Last("NotebookBattery", "QueryStatus");
    EXPECT_NE(query.arguments.find("bay=0 "), std::string::npos) << query.arguments;
    EXPECT_EQ(query.result.rfind("0x00000000 power_state=0x00000005", 0), 0u) << query.result;

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
    // The tag query waits for a battery as long as it asks (up to 200 ms), then finds none.
    for (const ULONG wait : {1ul, 200ul}) {
        ULONG tag = 77;
        const DWORD start = ::GetTickCount();
        EXPECT_EQ(Raw(battery.Get(), IOCTL_BATTERY_QUERY_TAG, &wait, sizeof wait, &tag, sizeof tag),
                  static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
        const DWORD took = Since(start);
        EXPECT_GE(took + 20, wait) << wait;
        EXPECT_LT(took, wait + 150) << wait;
    }
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
    // In use the pack's readings move; a kept tag still names it.
    for (const char* volts : {"11098000", "12600000"}) {
        Write("BAT0\\voltage_now", volts);
        Write("BAT0\\charge_now", "2000000");
        Write("BAT0\\current_now", "900000");
        Write("BAT0\\status", "Discharging");
        BATTERY_STATUS status{};
        EXPECT_EQ(RawStatus(battery.Get(), {first, 0, 0, 0, 0}, status),
                  static_cast<DWORD>(ERROR_SUCCESS))
            << volts;
        EXPECT_EQ(QueryBatteryTag(battery.Get()), first) << volts;
    }
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
    // Inputs of no bytes (a tag query that does not wait) and of more than a record.
    ULONG tag = 0;
    EXPECT_EQ(Raw(battery.Get(), IOCTL_BATTERY_QUERY_TAG, nullptr, 0, &tag, sizeof tag),
              static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(tag, second);
    unsigned char large[64] = {};
    const BATTERY_WAIT_STATUS wait{second, 0, 0, 0, 0};
    std::memcpy(large, &wait, sizeof wait);
    BATTERY_STATUS status{};
    EXPECT_EQ(
        Raw(battery.Get(), IOCTL_BATTERY_QUERY_STATUS, large, sizeof large, &status, sizeof status),
        static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_NE(status.Voltage, 0u);
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

TEST_F(BatteryDeviceTest, StatusQueryWaitsForItsConditionsWithinBounds) {
    const framework::UniqueFile battery = OpenBattery(0);
    ASSERT_TRUE(battery);
    const ULONG tag = QueryBatteryTag(battery.Get());
    ASSERT_NE(tag, 0u);
    BATTERY_STATUS now{};
    ASSERT_EQ(RawStatus(battery.Get(), {tag, 0, 0, 0, 0}, now), static_cast<DWORD>(ERROR_SUCCESS));
    ASSERT_NE(now.Capacity, BATTERY_UNKNOWN_CAPACITY);

    struct Case {
        BATTERY_WAIT_STATUS wait;
        DWORD least, most; // milliseconds
    } cases[] = {
        {{tag, 300, now.PowerState, now.Capacity, now.Capacity}, 250, 900}, // nothing changes
        {{tag, INFINITE, now.PowerState, 0, INFINITE}, 900, 3000},          // "for ever": bounded
        {{tag, 5000, now.PowerState ^ BATTERY_CHARGING, 0, INFINITE}, 0, 200}, // differs already
        {{tag, 5000, now.PowerState, now.Capacity + 1, INFINITE}, 0, 200},     // below the range
        {{tag, 50, 0, 0, 0}, 0, 200},                                          // the suite's own
    };
    for (const Case& c : cases) {
        BATTERY_STATUS status{};
        const DWORD start = ::GetTickCount();
        EXPECT_EQ(RawStatus(battery.Get(), c.wait, status), static_cast<DWORD>(ERROR_SUCCESS));
        const DWORD took = Since(start);
        EXPECT_GE(took, c.least) << c.wait.Timeout << " " << c.wait.PowerState;
        EXPECT_LE(took, c.most) << c.wait.Timeout << " " << c.wait.PowerState;
        EXPECT_EQ(status.Capacity, now.Capacity);
    }

    // Unplugged while the query waits: it comes back soon after with a new state.
    std::thread unplug([] {
        ::Sleep(200);
        Write("AC\\online", "0");
        Write("BAT0\\status", "Discharging");
    });
    BATTERY_STATUS status{};
    const DWORD start = ::GetTickCount();
    EXPECT_EQ(RawStatus(battery.Get(), {tag, 5000, now.PowerState, 0, INFINITE}, status),
              static_cast<DWORD>(ERROR_SUCCESS));
    const DWORD took = Since(start);
    unplug.join();
    EXPECT_GE(took, 150u);
    EXPECT_LE(took, 900u);
    // The first change the driver sees ends the wait (the two files are not written at once).
    EXPECT_NE(status.PowerState, now.PowerState);
}

TEST_F(BatteryDeviceTest, BayRemovedWhileAClientAsksLeavesTheDriverWorking) {
    Battery("BAT1", 30, false);
    ASSERT_TRUE(RunSetup("--battery-slots 2"));
    framework::UniqueFile second = OpenBattery(1);
    ASSERT_TRUE(second);
    // An empty bay: every tag query waits 200 ms in the driver, the removal comes meanwhile.
    Write("BAT1\\present", "0");
    std::atomic<bool> stop{false};
    std::atomic<DWORD> slowest{0}, calls{0}, lastError{ERROR_SUCCESS};
    std::thread client([&] {
        while (!stop) {
            const DWORD start = ::GetTickCount();
            ULONG wait = 200, tag = 0;
            DWORD error =
                Raw(second.Get(), IOCTL_BATTERY_QUERY_TAG, &wait, sizeof wait, &tag, sizeof tag);
            BATTERY_STATUS status{};
            if (error == ERROR_SUCCESS) {
                error = RawStatus(second.Get(), {tag, 50, 0, 0, 0}, status);
            }
            lastError = error;
            slowest = std::max<DWORD>(slowest, Since(start));
            ++calls;
        }
    });
    ::Sleep(300);
    const ::testing::AssertionResult removed = RunSetup("--battery-slots 1");
    ::Sleep(300);
    stop = true;
    client.join();
    EXPECT_TRUE(removed);
    EXPECT_GT(calls.load(), 1u);
    EXPECT_LT(slowest.load(), 3000u) << "no request is left hanging";
    EXPECT_NE(lastError.load(), static_cast<DWORD>(ERROR_SUCCESS)) << "the bay is gone";
    second.Reset();

    // The driver host lives on: the remaining bay answers, the removed one is not listed.
    EXPECT_FALSE(OpenBattery(1));
    EXPECT_EQ(hardware::BatteryCharge(0), 100);
    ::DeleteFileA((TreePath() + "\\BAT1\\type").c_str());
}
