// Battery queries through a stand-in battery class, for what the emulated notebook's battery
// device cannot be made to do (short or failed answers, unterminated names, handle counts).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "BatteryQueries.h"
#include "DeviceHandle.h"
#include "SchemeStore.h"

using namespace hardware;

namespace {

std::vector<std::uint8_t> Wide(const std::string& text, bool terminated = true) {
    std::vector<std::uint8_t> bytes;
    for (char c : text) {
        bytes.insert(bytes.end(), {static_cast<std::uint8_t>(c), 0});
    }
    if (terminated) {
        bytes.insert(bytes.end(), {0, 0});
    }
    return bytes;
}

template <typename T>
std::vector<std::uint8_t> Bytes(const T& value) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(&value);
    return std::vector<std::uint8_t>(p, p + sizeof value);
}

struct FakeBattery {
    ULONG tag = 7;
    bool statusOk = true;
    std::vector<std::uint8_t> status;
    std::vector<std::uint8_t> information;
    std::vector<std::uint8_t> name;
    std::vector<std::uint8_t> uniqueId;
};

struct ControlCall {
    DWORD code = 0;
    std::vector<std::uint8_t> input;
    DWORD outputSize = 0;

    template <typename T>
    T InputAs() const {
        T value{};
        std::memcpy(&value, input.data(), std::min(input.size(), sizeof value));
        return value;
    }
};

// Batteries by index; a missing index has no device. Every control call is recorded, and the
// handles given out are real kernel objects, so a leaked one can be seen.
class FakeBatteries final : public BatteryDevice {
public:
    std::map<int, FakeBattery> batteries;
    mutable std::vector<ControlCall> calls;

    framework::UniqueFile Open(int index) const override {
        if (batteries.count(index) == 0) {
            return {};
        }
        HANDLE handle = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        opened_[handle] = index;
        return framework::UniqueFile(handle);
    }

    bool Control(HANDLE device, DWORD code, const void* input, DWORD inputSize, void* output,
                 DWORD outputSize, DWORD& returned) const override {
        const auto* in = static_cast<const std::uint8_t*>(input);
        calls.push_back({code, std::vector<std::uint8_t>(in, in + inputSize), outputSize});
        const FakeBattery& battery = batteries.at(opened_.at(device));
        const std::vector<std::uint8_t>* answer = nullptr;
        const std::vector<std::uint8_t> tag = Bytes(battery.tag);
        if (code == kQueryTagCode) {
            answer = &tag;
        } else if (code == kQueryStatusCode) {
            const auto wait = calls.back().InputAs<BATTERY_WAIT_STATUS>();
            answer = battery.statusOk && wait.BatteryTag == battery.tag ? &battery.status : nullptr;
        } else if (code == kQueryInformationCode) {
            const auto query = calls.back().InputAs<BATTERY_QUERY_INFORMATION>();
            if (query.BatteryTag == battery.tag) {
                answer = query.InformationLevel == ::BatteryInformation  ? &battery.information
                         : query.InformationLevel == ::BatteryDeviceName ? &battery.name
                         : query.InformationLevel == ::BatteryUniqueID   ? &battery.uniqueId
                                                                         : nullptr;
            }
        }
        returned = 0;
        if (answer == nullptr || answer->empty() || answer->size() > outputSize) {
            return false;
        }
        std::memcpy(output, answer->data(), answer->size());
        returned = static_cast<DWORD>(answer->size());
        return true;
    }

    int OpenHandles() const {
        int count = 0;
        for (const auto& [handle, index] : opened_) {
            DWORD flags = 0;
            count += GetHandleInformation(handle, &flags) ? 1 : 0;
        }
        return count;
    }

private:
    mutable std::map<HANDLE, int> opened_;
};

class BatteryTest : public ::testing::Test {
protected:
    void SetUp() override {
        BATTERY_STATUS status{};
        status.PowerState = BATTERY_POWER_ON_LINE | BATTERY_CHARGING;
        status.Capacity = 30000;
        SetStatus(status);
        SetFullCharged(60000);
        battery().name = Wide("ABC");
        battery().uniqueId = Wide("0042SMP");
    }

    FakeBattery& battery() { return device.batteries[0]; }
    void SetStatus(const BATTERY_STATUS& status) { battery().status = Bytes(status); }
    void SetFullCharged(ULONG capacity) {
        BATTERY_INFORMATION information{};
        std::memcpy(information.Chemistry, "LION", 4);
        information.FullChargedCapacity = capacity;
        battery().information = Bytes(information);
    }

    FakeBatteries device;
};

} // namespace

TEST_F(BatteryTest, ChargeIsCapacityOfFullChargedCapacity) {
    EXPECT_EQ(hardware::BatteryCharge(0, device), 50);
    EXPECT_EQ(device.OpenHandles(), 0);
    SetFullCharged(0);
    EXPECT_EQ(hardware::BatteryCharge(0, device), -1);
}

TEST_F(BatteryTest, FailedOrShortStatusIsAFailure) {
    BATTERY_STATUS status{};
    battery().status.resize(8);
    EXPECT_EQ(QueryBatteryStatus(0, status, device), BatteryQuery::Failed);
    EXPECT_EQ(status.PowerState, 0u);
    battery().statusOk = false;
    EXPECT_EQ(QueryBatteryStatus(0, status, device), BatteryQuery::Failed);
    EXPECT_EQ(hardware::BatteryCharge(0, device), -1);
}

TEST_F(BatteryTest, QueriesSendTheTagWithTheirWaitsAndLevels) {
    BATTERY_STATUS status{};
    BATTERY_INFORMATION information{};
    ASSERT_EQ(QueryBatteryStatus(0, status, device), BatteryQuery::Succeeded);
    ASSERT_EQ(QueryBatteryInformation(0, information, device), BatteryQuery::Succeeded);
    EXPECT_EQ(status.Capacity, 30000u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(information.Chemistry), 4), "LION");

    ASSERT_EQ(device.calls.size(), 4u);
    EXPECT_EQ(device.calls[0].code, 0x294040u);
    EXPECT_EQ(device.calls[0].InputAs<ULONG>(), 200u);
    EXPECT_EQ(device.calls[1].code, 0x29404Cu);
    const auto wait = device.calls[1].InputAs<BATTERY_WAIT_STATUS>();
    EXPECT_EQ(wait.BatteryTag, 7u);
    EXPECT_EQ(wait.Timeout, 50u);
    EXPECT_EQ(wait.PowerState | wait.LowCapacity | wait.HighCapacity, 0u);
    EXPECT_EQ(device.calls[3].code, 0x294044u);
    const auto query = device.calls[3].InputAs<BATTERY_QUERY_INFORMATION>();
    EXPECT_EQ(query.BatteryTag, 7u);
    EXPECT_EQ(query.InformationLevel, ::BatteryInformation);
    EXPECT_EQ(query.AtRate, 0);
    EXPECT_EQ(device.calls[3].outputSize, 36u);
    EXPECT_EQ(device.OpenHandles(), 0);
}

TEST_F(BatteryTest, WideNamesBecomeNarrowText) {
    char name[kBatteryTextSize];
    char id[kBatteryTextSize];
    ASSERT_TRUE(hardware::BatteryDeviceName(0, name, device));
    ASSERT_TRUE(hardware::BatteryUniqueId(0, id, device));
    EXPECT_STREQ(name, "ABC");
    EXPECT_STREQ(id, "0042SMP");
    EXPECT_EQ(device.calls[1].InputAs<BATTERY_QUERY_INFORMATION>().InformationLevel, 4);
    EXPECT_EQ(device.calls[1].outputSize, 50u);
    EXPECT_EQ(device.calls[3].InputAs<BATTERY_QUERY_INFORMATION>().InformationLevel, 7);

    battery().name.clear();
    std::memset(name, 'Z', sizeof name);
    EXPECT_FALSE(hardware::BatteryDeviceName(0, name, device));
    EXPECT_STREQ(name, "");
}

TEST_F(BatteryTest, FullUnterminatedNameStaysInsideTheCallersBuffer) {
    battery().name = Wide(std::string(25, 'N'), false); // 50 bytes, no terminator
    struct {
        char text[kBatteryTextSize];
        char guard[6];
    } out;
    std::memset(&out, '#', sizeof out);
    ASSERT_TRUE(hardware::BatteryDeviceName(0, out.text, device));
    EXPECT_EQ(std::string(out.text), std::string(25, 'N'));
    EXPECT_EQ(std::string(out.guard, 6), "######");
    static_assert(kBatteryTextSize == 26);
}

TEST_F(BatteryTest, OpenBatteryHandsOverTheHandle) {
    framework::UniqueFile handle = OpenBattery(0, device);
    ASSERT_TRUE(handle);
    EXPECT_EQ(QueryBatteryTag(handle.Get(), device), 7u);
    EXPECT_EQ(device.OpenHandles(), 1);
    handle.Reset();
    EXPECT_EQ(device.OpenHandles(), 0);
}

TEST(DeviceHandleHolder, FailedEnumerationShowsTheSystemText) {
    std::vector<std::string> boxes;
    const MessageBoxFn capture = [&](const char* text, const char* caption, UINT style) {
        boxes.push_back(std::string(text) + "|" + caption + "|" + std::to_string(style));
        return IDOK;
    };
    DeviceHandle handle;
    // A notebook has two bays at most: a fifth battery is never there.
    EXPECT_FALSE(handle.Open(kBatteryInterfaceClass, 4, capture));
    ASSERT_NE(handle.LastError(), 0u);
    EXPECT_EQ(boxes, std::vector<std::string>{store::SystemErrorText(handle.LastError()) +
                                              "|VELMORA Power Management|" +
                                              std::to_string(MB_ICONEXCLAMATION | MB_TOPMOST)});
    handle.Close();
    EXPECT_FALSE(handle.IsOpen());
}

// A request the device never answers (here: a pipe waiting for a client that never comes,
// as a hung driver host would leave a battery query) fails after the bound, and cancels.
TEST(SystemBatteryDeviceTest, UnansweredControlGivesUpAfterItsBound) {
    constexpr DWORD kPipeListen = 0x00110008; // FSCTL_PIPE_LISTEN: waits for a client
    const framework::UniqueFile pipe(::CreateNamedPipeA("\\\\.\\pipe\\battery-control-bound",
                                                        PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                                        PIPE_TYPE_BYTE, 1, 64, 64, 0, nullptr));
    ASSERT_TRUE(pipe);
    const DWORD start = ::GetTickCount();
    DWORD returned = 7;
    char output[4] = {};
    EXPECT_FALSE(hardware::SystemBatteryDevice().Control(pipe.Get(), kPipeListen, nullptr, 0,
                                                         output, sizeof output, returned));
    const DWORD took = ::GetTickCount() - start;
    EXPECT_EQ(returned, 0u);
    EXPECT_GE(took + 50, hardware::SystemBatteryDevice::kControlTimeoutMs);
    EXPECT_LT(took, hardware::SystemBatteryDevice::kControlTimeoutMs +
                        hardware::SystemBatteryDevice::kCancelTimeoutMs + 500);
}
