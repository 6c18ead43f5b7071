// PORTAX.DLL's embedded-controller commands over the machine state: register reads, the event
// flag, the start notice, and what fails without touching the caller's buffer.
#include <gtest/gtest.h>

#include "EcCommands.h"
#include "MapStore.h"

using namespace emulator;
using testing_support::MapStore;

namespace {

std::uint8_t ReadRegister(MapStore& store, std::uint8_t reg, EcOutcome* outcome = nullptr) {
    std::uint8_t out = 0xAA;
    const EcOutcome result = RunEcReceive(store, kEcCommandReadRegister, 1, &reg, 1, &out);
    if (outcome != nullptr) {
        *outcome = result;
    }
    return out;
}

TEST(EcCommands, RegistersReadTheirDefaultsAndTheStoredValues) {
    MapStore store;
    EcOutcome outcome;
    EXPECT_EQ(ReadRegister(store, 0xCA, &outcome), 0x30);
    EXPECT_EQ(outcome.result, kEcSucceeded);
    EXPECT_EQ(outcome.detail, "op=read register=0xCA value=0x30");
    EXPECT_EQ(ReadRegister(store, 0xCB), 0x11);
    EXPECT_EQ(ReadRegister(store, 0xCC), 0xCC);
    EXPECT_EQ(ReadRegister(store, 0xCD), 0x10);
    EXPECT_EQ(ReadRegister(store, 0xEE), 0x00);

    store.Word("EC_EE", 0x10);
    store.Word("ChargeCycles", 1001);
    EXPECT_EQ(ReadRegister(store, 0xEE), 0x10);
    EXPECT_EQ(ReadRegister(store, 0xEB), 0xE9);
    EXPECT_EQ(ReadRegister(store, 0xEC), 0x03);
}

TEST(EcCommands, RegistersOutsideTheKeptRangeFailAndLeaveTheOutput) {
    MapStore store;
    for (const std::uint8_t reg : {0x00, 0xC9, 0xF0, 0xFF}) {
        EcOutcome outcome;
        EXPECT_EQ(ReadRegister(store, reg, &outcome), 0xAA) << int(reg);
        EXPECT_EQ(outcome.result, kEcFailed);
        EXPECT_EQ(outcome.detail, "error=unknown-register");
    }
}

TEST(EcCommands, EventFlagIsALevelTheAcknowledgeDoesNotLower) {
    MapStore store;
    const std::uint8_t query = kEcDataEventQuery;
    std::uint8_t flag = 0xAA;
    EXPECT_EQ(RunEcReceive(store, kEcCommandEvent, 1, &query, 1, &flag).result, kEcSucceeded);
    EXPECT_EQ(flag, 0);

    store.Word("ECEventFlag", 1);
    const EcOutcome raised = RunEcReceive(store, kEcCommandEvent, 1, &query, 1, &flag);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(raised.detail, "op=event-query flag=0x01");

    const std::uint8_t ack = kEcDataAcknowledge;
    const EcOutcome acknowledged = RunEcWrite(store, kEcCommandEvent, 1, &ack);
    EXPECT_EQ(acknowledged.result, kEcSucceeded);
    EXPECT_EQ(acknowledged.detail, "op=acknowledge");
    flag = 0;
    RunEcReceive(store, kEcCommandEvent, 1, &query, 1, &flag);
    EXPECT_EQ(flag, 1);
}

TEST(EcCommands, StartNoticeIsCounted) {
    MapStore store;
    const std::uint8_t notice = kEcDataNotify;
    EXPECT_EQ(RunEcWrite(store, kEcCommandEvent, 1, &notice).detail, "op=notify notify_count=1");
    EXPECT_EQ(RunEcWrite(store, kEcCommandEvent, 1, &notice).detail, "op=notify notify_count=2");
    EXPECT_EQ(store.values[kEcNotifyCountValue].word, 2u);
    // A count a person damaged starts again.
    store.values[kEcNotifyCountValue] = RawValue{RawValue::Type::Text, 0, "many"};
    EXPECT_EQ(RunEcWrite(store, kEcCommandEvent, 1, &notice).detail, "op=notify notify_count=1");
}

TEST(EcCommands, UnknownCommandsAndDataFailWithoutEffect) {
    MapStore store;
    const std::uint8_t notice = kEcDataNotify;
    const std::uint8_t query = kEcDataEventQuery;
    const std::uint8_t other = 0x20;
    std::uint8_t out = 0xAA;
    EXPECT_EQ(RunEcWrite(store, 0x46, 1, &notice).detail, "error=unknown-command");
    EXPECT_EQ(RunEcWrite(store, kEcCommandEvent, 1, &query).detail, "error=unknown-data");
    EXPECT_EQ(RunEcWrite(store, kEcCommandEvent, 1, &other).result, kEcFailed);
    EXPECT_EQ(RunEcReceive(store, 0x46, 1, &query, 1, &out).detail, "error=unknown-command");
    EXPECT_EQ(RunEcReceive(store, kEcCommandEvent, 1, &notice, 1, &out).detail,
              "error=unknown-data");
    EXPECT_EQ(RunEcWrite(store, 0x145, 1, &notice).result, kEcFailed); // only 0x45 itself
    EXPECT_EQ(out, 0xAA);
    EXPECT_TRUE(store.values.empty());
}

TEST(EcCommands, NullPointersAndZeroCountsFail) {
    MapStore store;
    const std::uint8_t notice = kEcDataNotify;
    const std::uint8_t reg = 0xCA;
    std::uint8_t out = 0xAA;
    EXPECT_EQ(RunEcWrite(store, kEcCommandEvent, 1, nullptr).detail, "error=no-data");
    EXPECT_EQ(RunEcWrite(store, kEcCommandEvent, 0, &notice).detail, "error=no-data");
    EXPECT_EQ(RunEcReceive(store, kEcCommandReadRegister, 1, nullptr, 1, &out).detail,
              "error=no-input");
    EXPECT_EQ(RunEcReceive(store, kEcCommandReadRegister, 0, &reg, 1, &out).detail,
              "error=no-input");
    EXPECT_EQ(RunEcReceive(store, kEcCommandReadRegister, 1, &reg, 1, nullptr).detail,
              "error=no-output");
    EXPECT_EQ(RunEcReceive(store, kEcCommandReadRegister, 1, &reg, 0, &out).detail,
              "error=no-output");
    EXPECT_EQ(out, 0xAA);
    EXPECT_TRUE(store.values.empty());
}

TEST(EcCommands, LongerBuffersUseTheirFirstByteOnly) {
    MapStore store;
    const std::uint8_t regs[3] = {0xCB, 0xCA, 0xCC};
    std::uint8_t out[3] = {0xAA, 0xAA, 0xAA};
    EXPECT_EQ(RunEcReceive(store, kEcCommandReadRegister, 3, regs, 3, out).result, kEcSucceeded);
    EXPECT_EQ(out[0], 0x11);
    EXPECT_EQ(out[1], 0xAA);
    EXPECT_EQ(EcByteText(regs, 3), "0xCB");
    EXPECT_EQ(EcByteText(nullptr, 3), "null");
    EXPECT_EQ(EcByteText(regs, 0), "null");
}

} // namespace
