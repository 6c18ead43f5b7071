// PORTAX.DLL of the emulated notebook, loaded by name as the switcher loads it: register reads,
// the event flag and the start notice against the machine state, and the journal of each call.
#include <array>

#include "EmulatorTestSupport.h"
#include "NotebookInterfaces.h"
#include "framework/UniqueHandle.h"

using namespace emulator_test;

namespace {

class PortaxTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetMachineState();
        ASSERT_TRUE(module_) << "PORTAX.DLL not found";
        write_ = framework::ProcAddress<notebook::EcWriteCommFn>(module_.Get(), "EC_686CPort_WriteCOMM");
        receive_ =
            framework::ProcAddress<notebook::EcReceiveCommFn>(module_.Get(), "EC_686CPort_ReceiveCOMM");
        ASSERT_NE(write_, nullptr);
        ASSERT_NE(receive_, nullptr);
    }
    void TearDown() override { ResetMachineState(); }

    int Receive(unsigned command, unsigned char input, unsigned char& output) {
        return receive_(command, 1, &input, 1, &output);
    }
    int Write(unsigned command, unsigned char data) { return write_(command, 1, &data); }

    static DWORD StateWord(const char* name) {
        return ReadValue(HKEY_LOCAL_MACHINE, emulator::kStateKeyPath, name).Word();
    }

    framework::UniqueModule module_{::LoadLibraryW(L"PORTAX.DLL")};
    notebook::EcWriteCommFn write_ = nullptr;
    notebook::EcReceiveCommFn receive_ = nullptr;
};

TEST_F(PortaxTest, BatteryRegistersComeFromTheMachineState) {
    SetStateWord("EC_CA", 0x30);
    SetStateWord("EC_CB", 0x11);
    SetStateWord("EC_CC", 0x34);
    SetStateWord("EC_CD", 0x08);
    SetStateWord("EC_EE", 0x10);
    SetStateWord("EC_EF", 0x80);
    SetStateWord("ChargeCycles", 1001);
    JournalWatch journal;

    const std::array<std::pair<unsigned char, unsigned char>, 8> expected{{{0xCA, 0x30},
                                                                           {0xCB, 0x11},
                                                                           {0xCC, 0x34},
                                                                           {0xCD, 0x08},
                                                                           {0xEB, 0xE9},
                                                                           {0xEC, 0x03},
                                                                           {0xEE, 0x10},
                                                                           {0xEF, 0x80}}};
    for (const auto& [reg, value] : expected) {
        unsigned char out = 0;
        EXPECT_EQ(Receive(0xB0, reg, out), 1);
        EXPECT_EQ(out, value) << std::hex << int(reg);
    }
    const auto calls = journal.Entries("Portax", "EC_686CPort_ReceiveCOMM");
    ASSERT_EQ(calls.size(), expected.size());
    EXPECT_EQ(calls[0].arguments,
              "command=0x000000B0 input_count=1 input=0xCA output_count=1 output=set");
    EXPECT_EQ(calls[0].result, "1 op=read register=0xCA value=0x30");
    EXPECT_EQ(calls[4].result, "1 op=read register=0xEB value=0xE9");
}

TEST_F(PortaxTest, EventFlagStaysRaisedThroughTheAcknowledge) {
    JournalWatch journal;
    unsigned char flag = 0xAA;
    EXPECT_EQ(Receive(0x45, 0x1F, flag), 1);
    EXPECT_EQ(flag, 0);

    SetStateWord("ECEventFlag", 1);
    EXPECT_EQ(Receive(0x45, 0x1F, flag), 1);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(Write(0x45, 0x1E), 1);
    EXPECT_EQ(Receive(0x45, 0x1F, flag), 1);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(StateWord("ECEventFlag"), 1u);

    EXPECT_EQ(journal.Last("Portax", "EC_686CPort_ReceiveCOMM").result,
              "1 op=event-query flag=0x01");
    const auto ack = journal.Last("Portax", "EC_686CPort_WriteCOMM");
    EXPECT_EQ(ack.arguments, "command=0x00000045 count=1 data=0x1E");
    EXPECT_EQ(ack.result, "1 op=acknowledge");
}

TEST_F(PortaxTest, StartNoticeIsCountedInTheState) {
    JournalWatch journal;
    EXPECT_EQ(Write(0x45, 0x1D), 1);
    EXPECT_EQ(Write(0x45, 0x1D), 1);
    EXPECT_EQ(StateWord("ECNotifyCount"), 2u);
    const auto entries = journal.Entries("Portax", "EC_686CPort_WriteCOMM");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].arguments, "command=0x00000045 count=1 data=0x1D");
    EXPECT_EQ(entries[1].result, "1 op=notify notify_count=2");
}

TEST_F(PortaxTest, BadCallsFailWithoutCrashOrEffect) {
    JournalWatch journal;
    unsigned char out = 0xAA;
    const unsigned char reg = 0xCA;
    EXPECT_EQ(Write(0x99, 0x1D), 0);
    EXPECT_EQ(Receive(0x99, 0xCA, out), 0);
    EXPECT_EQ(Receive(0xB0, 0x10, out), 0);
    EXPECT_EQ(write_(0x45, 0, nullptr), 0);
    EXPECT_EQ(write_(0x45, 1, nullptr), 0);
    EXPECT_EQ(receive_(0xB0, 1, &reg, 1, nullptr), 0);
    EXPECT_EQ(receive_(0xB0, 0, nullptr, 0, nullptr), 0);
    EXPECT_EQ(out, 0xAA);
    EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, emulator::kStateKeyPath, "ECNotifyCount").found);

    const auto writes = journal.Entries("Portax", "EC_686CPort_WriteCOMM");
    ASSERT_EQ(writes.size(), 3u);
    EXPECT_EQ(writes[0].result, "0 error=unknown-command");
    EXPECT_EQ(writes[1].arguments, "command=0x00000045 count=0 data=null");
    EXPECT_EQ(writes[1].result, "0 error=no-data");
    const auto reads = journal.Entries("Portax", "EC_686CPort_ReceiveCOMM");
    ASSERT_EQ(reads.size(), 4u);
    EXPECT_EQ(reads[1].result, "0 error=unknown-register");
    EXPECT_EQ(reads[2].result, "0 error=no-output");
}

} // namespace
