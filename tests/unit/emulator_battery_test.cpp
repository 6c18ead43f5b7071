// The battery driver's rules over a power-supply tree held in a table: what a bay reads as,
// and how it answers the battery class's requests, well-formed and not.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "BatteryRequests.h"
#include "JournalLine.h"

using namespace battery;

namespace {

// Files as "SUPPLY/attribute" → text, as fakebat writes them (with their line feeds).
class Tree {
public:
    std::map<std::string, std::string> files;

    void Battery(const std::string& name) {
        files[name + "/type"] = "Battery\n";
        files[name + "/present"] = "1\n";
        files[name + "/status"] = "Discharging\n";
        files[name + "/voltage_now"] = "11100000\n";
        files[name + "/charge_full"] = "4400000\n";
        files[name + "/charge_full_design"] = "4800000\n";
        files[name + "/charge_now"] = "2222000\n";
        files[name + "/current_now"] = "1500000\n";
    }
    void Mains(bool online) {
        files["AC/type"] = "Mains\n";
        files["AC/online"] = online ? "1\n" : "0\n";
    }
    SupplyTree Access() { return {&Read, &Entry, this}; }
    BayReadout Bay(unsigned bay) {
        const SupplyTree access = Access();
        return ReadBay(access, bay, ReadAcOnline(access));
    }

private:
    static bool Read(void* context, const char* supply, const char* name, char* text, size_t size) {
        auto* self = static_cast<Tree*>(context);
        const auto it = self->files.find(std::string(supply) + "/" + name);
        if (it == self->files.end()) {
            return false;
        }
        std::strncpy(text, it->second.c_str(), size - 1);
        text[size - 1] = '\0';
        return true;
    }
    static bool Entry(void* context, unsigned index, char* name, size_t size) {
        auto* self = static_cast<Tree*>(context);
        std::vector<std::string> supplies;
        for (const auto& [path, text] : self->files) {
            const std::string supply = path.substr(0, path.find('/'));
            if (supplies.empty() || supplies.back() != supply) {
                supplies.push_back(supply);
            }
        }
        if (index >= supplies.size()) {
            return false;
        }
        std::snprintf(name, size, "%s", supplies[index].c_str());
        return true;
    }
};

template <typename In, typename Out>
Reply Ask(uint32_t code, BayMemory& memory, const BayReadout& readout, const In& in, Out& out) {
    return Answer(code, memory, readout, &in, sizeof in, &out, sizeof out);
}

std::u16string WideString(const uint8_t* bytes, uint32_t size) {
    std::u16string text;
    for (uint32_t i = 0; i + 1 < size; i += 2) {
        text.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
    }
    return text;
}

} // namespace

TEST(BatteryReadout, UsesWinesArithmeticSoThatGaugeAndDeviceAgree) {
    Tree tree;
    tree.Mains(false);
    tree.Battery("BAT0");
    tree.files["BAT0/technology"] = "NiMH\n";
    tree.files["BAT0/model_name"] = "  NB-4400 \n";
    tree.files["BAT0/temp"] = "315\n";
    const BayReadout bay = tree.Bay(0);
    ASSERT_TRUE(bay.present);
    EXPECT_EQ(bay.powerState, kDischarging);
    EXPECT_EQ(bay.capacity, 24664u); // 2,222,000 µAh × 11.1 V
    EXPECT_EQ(bay.fullCapacity, 48840u);
    EXPECT_EQ(bay.designCapacity, 53280u);
    EXPECT_EQ(bay.voltage, 11100u);
    EXPECT_EQ(bay.rate, -16650);
    EXPECT_EQ(std::string(bay.chemistry, 4), "NiMH");
    EXPECT_STREQ(bay.deviceName, "NB-4400");
    EXPECT_EQ(bay.temperature, 3047u); // 31.5 °C in tenths of a kelvin
    EXPECT_FALSE(tree.Bay(1).present);

    tree.Mains(true);
    tree.files["BAT0/status"] = "Charging\n";
    tree.files["BAT0/capacity_level"] = "Critical\n";
    EXPECT_EQ(tree.Bay(0).powerState, kPowerOnLine | kCharging | kCritical);
    EXPECT_GT(tree.Bay(0).rate, 0);
}

TEST(BatteryReadout, BrokenTreesReadAsNoBatteryOrAsUnknownValues) {
    Tree tree;
    EXPECT_TRUE(ReadAcOnline(tree.Access())) << "no mains supply at all: a desktop";
    EXPECT_FALSE(tree.Bay(0).present);

    tree.Battery("BAT0");
    tree.files["BAT0/present"] = "0\n";
    EXPECT_FALSE(tree.Bay(0).present);
    tree.files["BAT0/present"] = "1\n";
    tree.files["BAT0/type"] = "UPS\n";
    EXPECT_FALSE(tree.Bay(0).present) << "BAT0 that is not a battery";
    tree.files["BAT0/type"] = "Battery\n";

    tree.files["BAT0/charge_now"] = "lots\n";
    tree.files["BAT0/charge_full"] = "-4400000\n";
    tree.files["BAT0/voltage_now"] = "99999999999999999999\n";
    tree.files["BAT0/technology"] = "Plutonium\n";
    tree.files["BAT0/cycle_count"] = "12 cycles\n";
    const BayReadout bay = tree.Bay(0);
    EXPECT_TRUE(bay.present);
    EXPECT_EQ(bay.capacity, kUnknownCapacity);
    EXPECT_EQ(bay.fullCapacity, kUnknownCapacity);
    EXPECT_EQ(bay.voltage, kUnknownVoltage);
    EXPECT_EQ(bay.rate, kUnknownRate);
    EXPECT_EQ(bay.cycleCount, 0u);
    EXPECT_EQ(std::string(bay.chemistry, 4), std::string(4, '\0'));

    // A number longer than what is read of it is not taken from its first part.
    tree.files["BAT0/voltage_now"] = "11100000" + std::string(60, ' ') + "garbage\n";
    tree.files["BAT0/charge_full"] = std::string(70, '0') + "4400000\n";
    EXPECT_EQ(tree.Bay(0).voltage, kUnknownVoltage);
    EXPECT_EQ(tree.Bay(0).fullCapacity, kUnknownCapacity);

    int64_t value = 0;
    EXPECT_TRUE(ParseNumber(" -42\n", value));
    EXPECT_EQ(value, -42);
    for (const char* bad : {"", "-", "4 2", "0x10", "9007199254740993"}) {
        EXPECT_FALSE(ParseNumber(bad, value)) << bad;
    }
}

TEST(BatteryRequests, TagsFollowTheBatteryInTheBay) {
    Tree tree;
    tree.Mains(true);
    BayMemory memory;
    const uint32_t wait = 200;
    uint32_t tag = 0xFFFF;
    EXPECT_EQ(Ask(kIoctlQueryTag, memory, tree.Bay(0), wait, tag).status, kStatusNoSuchDevice);

    tree.Battery("BAT0");
    ASSERT_EQ(Ask(kIoctlQueryTag, memory, tree.Bay(0), wait, tag).status, kStatusSuccess);
    const uint32_t first = tag;
    EXPECT_NE(first, kTagInvalid);
    ASSERT_EQ(Ask(kIoctlQueryTag, memory, tree.Bay(0), wait, tag).bytes, 4u);
    EXPECT_EQ(tag, first) << "the same battery keeps its tag";
    // In use its readings move; it is still the same pack, and a kept tag still names it.
    for (const char* volts : {"11099000\n", "12600000\n", "10800000\n"}) {
        tree.files["BAT0/voltage_now"] = volts;
        tree.files["BAT0/charge_now"] = "1234567\n";
        tree.files["BAT0/current_now"] = "-700000\n";
        tree.files["BAT0/status"] = "Discharging\n";
        StatusRecord reading{};
        const WaitStatusRecord kept{first, 0, 0, 0, 0};
        EXPECT_EQ(Ask(kIoctlQueryStatus, memory, tree.Bay(0), kept, reading).status, kStatusSuccess)
            << volts;
        ASSERT_EQ(Ask(kIoctlQueryTag, memory, tree.Bay(0), wait, tag).status, kStatusSuccess);
        EXPECT_EQ(tag, first) << volts;
    }

    // Taken out and put back: the old tag is stale.
    tree.files["BAT0/present"] = "0\n";
    EXPECT_EQ(Ask(kIoctlQueryTag, memory, tree.Bay(0), wait, tag).status, kStatusNoSuchDevice);
    tree.files["BAT0/present"] = "1\n";
    ASSERT_EQ(Ask(kIoctlQueryTag, memory, tree.Bay(0), wait, tag).status, kStatusSuccess);
    EXPECT_NE(tag, first);
    StatusRecord status{};
    const WaitStatusRecord stale{first, 50, 0, 0, 0};
    EXPECT_EQ(Ask(kIoctlQueryStatus, memory, tree.Bay(0), stale, status).status,
              kStatusNoSuchDevice);

    // Another pack swapped in between two queries gets a new tag too.
    const uint32_t second = tag;
    tree.files["BAT0/serial_number"] = "X-2\n";
    ASSERT_EQ(Ask(kIoctlQueryTag, memory, tree.Bay(0), wait, tag).status, kStatusSuccess);
    EXPECT_NE(tag, second);
}

TEST(BatteryRequests, AnswersWithThePublishedSizesAndWindowsErrors) {
    Tree tree;
    tree.Mains(true);
    tree.Battery("BAT0");
    tree.files["BAT0/status"] = "Charging\n";
    tree.files["BAT0/technology"] = "Li-ion\n";
    tree.files["BAT0/model_name"] = "ABC\n";
    tree.files["BAT0/serial_number"] = "S\xC3\xA9rie 7\n";
    tree.files["BAT0/cycle_count"] = "312\n";
    BayMemory memory;
    const BayReadout bay = tree.Bay(0);
    const uint32_t tag = CurrentTag(memory, bay);

    StatusRecord status{};
    const WaitStatusRecord wait{tag, 50, 0, 0, 0};
    Reply reply = Ask(kIoctlQueryStatus, memory, bay, wait, status);
    ASSERT_EQ(reply.status, kStatusSuccess);
    EXPECT_EQ(reply.bytes, 16u);
    EXPECT_EQ(status.powerState, kPowerOnLine | kCharging);
    EXPECT_EQ(status.capacity * 100 / 48840, 50u);

    InformationRecord info{};
    reply = Ask(kIoctlQueryInformation, memory, bay, QueryInformationRecord{tag, 0, 0}, info);
    ASSERT_EQ(reply.status, kStatusSuccess);
    EXPECT_EQ(reply.bytes, 36u);
    EXPECT_EQ(std::string(info.chemistry, 4), "LION");
    EXPECT_EQ(info.fullChargedCapacity, 48840u);
    EXPECT_EQ(info.cycleCount, 312u);

    uint8_t text[50] = {};
    reply = Ask(kIoctlQueryInformation, memory, bay, QueryInformationRecord{tag, 4, 0}, text);
    ASSERT_EQ(reply.status, kStatusSuccess);
    EXPECT_EQ(reply.bytes, 8u) << "three characters and the terminator";
    EXPECT_EQ(WideString(text, reply.bytes), std::u16string(u"ABC\0", 4));
    reply = Ask(kIoctlQueryInformation, memory, bay, QueryInformationRecord{tag, 7, 0}, text);
    EXPECT_EQ(WideString(text, reply.bytes), std::u16string(u"S\u00e9rie 7\0", 8));

    // What Windows' battery class refuses, refused the same way, and nothing written.
    uint8_t small[6] = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(
        Ask(kIoctlQueryInformation, memory, bay, QueryInformationRecord{tag, 4, 0}, small).status,
        kStatusBufferTooSmall);
    EXPECT_EQ(small[0], 1);
    EXPECT_EQ(
        Ask(kIoctlQueryInformation, memory, bay, QueryInformationRecord{tag, 99, 0}, info).status,
        kStatusInvalidDeviceRequest);
    EXPECT_EQ(
        Ask(kIoctlQueryInformation, memory, bay, QueryInformationRecord{tag, 2, 0}, info).status,
        kStatusInvalidDeviceRequest)
        << "no temperature in the tree: not supported";
    EXPECT_EQ(Ask(kIoctlQueryInformation, memory, bay, QueryInformationRecord{tag + 1, 0, 0}, info)
                  .status,
              kStatusNoSuchDevice);
    const uint16_t shortInput = 1;
    EXPECT_EQ(Ask(kIoctlQueryStatus, memory, bay, shortInput, status).status,
              kStatusInvalidParameter);
    EXPECT_EQ(Answer(kIoctlQueryTag, memory, bay, &wait, 4, nullptr, 0).status,
              kStatusBufferTooSmall);
    uint32_t found = 0;
    EXPECT_EQ(Answer(kIoctlQueryTag, memory, bay, nullptr, 0, &found, 4).status, kStatusSuccess)
        << "no input: the tag without a wait";
    EXPECT_EQ(found, tag);
    EXPECT_EQ(Answer(kIoctlQueryTag, memory, bay, &wait, 2, &found, 4).status,
              kStatusInvalidParameter);
    EXPECT_EQ(Ask(0x22C004, memory, bay, wait, status).status, kStatusInvalidDeviceRequest);
    EXPECT_EQ(Ask(kIoctlSetInformation, memory, bay, wait, status).status, kStatusNotSupported);
    uint32_t seconds = 0;
    Ask(kIoctlQueryInformation, memory, bay, QueryInformationRecord{tag, 3, -24420}, seconds);
    EXPECT_EQ(seconds, 3635u) << "just under an hour at the rate asked for";
}

TEST(BatteryRequests, JournalLinesAreTheNotebooksOwnFormat) {
    Tree tree;
    tree.Battery("BAT0");
    tree.files["BAT0/model_name"] = "Tab\there \"quoted\"\n";
    BayMemory memory;
    const BayReadout bay = tree.Bay(0);
    const uint32_t tag = CurrentTag(memory, bay);
    const QueryInformationRecord query{tag, 4, 0};
    uint8_t text[64];
    const Reply reply =
        Answer(kIoctlQueryInformation, memory, bay, &query, sizeof query, text, sizeof text);
    char arguments[256];
    char result[256];
    DescribeRequest(kIoctlQueryInformation, 0, &query, sizeof query, sizeof text, arguments,
                    sizeof arguments);
    DescribeReply(kIoctlQueryInformation, &query, sizeof query, reply, text, result, sizeof result);
    char line[512];
    JournalLine({2026, 12, 9, 8, 7, 6, 5, 1234}, RequestName(kIoctlQueryInformation), arguments,
                result, line, sizeof line);

    const auto entry = emulator::ParseJournalLine(line);
    ASSERT_TRUE(entry.has_value()) << line;
    EXPECT_EQ(entry->time, "2026-12-09 08:07:06.005");
    EXPECT_EQ(entry->process, 1234u);
    EXPECT_EQ(entry->library, "NotebookBattery");
    EXPECT_EQ(emulator::FindArgument(entry->arguments, "level"), "4");
    EXPECT_EQ(emulator::FindArgument(entry->result.substr(entry->result.find(' ') + 1), "text"),
              "Tab\there \"quoted\"");
    EXPECT_EQ(entry->result.substr(0, 10), "0x00000000");

    char tiny[24];
    JournalLine({2026, 12, 9, 8, 7, 6, 5, 1234}, "QueryTag", arguments, result, tiny, sizeof tiny);
    EXPECT_EQ(std::strlen(tiny), sizeof tiny - 1);
    EXPECT_EQ(tiny[sizeof tiny - 2], '\n') << "a cut line still ends its line";
}

TEST(BatteryRequests, StatusQueriesWaitForWhatTheyAskFor) {
    Tree tree;
    tree.Mains(false);
    tree.Battery("BAT0"); // discharging at 24,664 mWh
    BayMemory memory;
    const BayReadout now = tree.Bay(0);
    const uint32_t tag = CurrentTag(memory, now);
    ASSERT_NE(tag, kTagInvalid);
    const uint32_t state = kDischarging;
    struct Case {
        WaitStatusRecord wait;
        bool answerNow;
    } cases[] = {
        {{tag, 0, state, 0, 0xFFFFFFFF}, true},           // no timeout: at once
        {{tag, 0xFFFFFFFF, state, 0, 0xFFFFFFFF}, false}, // nothing changed: wait
        {{tag, 500, state, 24664, 24664}, false},         // still inside the range
        {{tag, 500, kPowerOnLine, 0, 0xFFFFFFFF}, true},  // another power state
        {{tag, 500, state, 24665, 0xFFFFFFFF}, true},     // fell below LowCapacity
        {{tag, 500, state, 0, 24663}, true},              // rose above HighCapacity
        {{tag + 1, 500, state, 0, 0xFFFFFFFF}, true},     // not this battery
        {{tag, 50, 0, 0, 0}, true},                       // the suite's own query
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StatusChanged(c.wait, tag, now), c.answerNow)
            << c.wait.timeout << " " << c.wait.powerState << " " << c.wait.lowCapacity;
    }
    tree.files["BAT0/present"] = "0\n";
    EXPECT_TRUE(StatusChanged(cases[1].wait, CurrentTag(memory, tree.Bay(0)), tree.Bay(0)))
        << "taken out while waiting";

    // Held for the timeout, never for ever, and never for a malformed request.
    EXPECT_EQ(HoldMs(kIoctlQueryStatus, &cases[2].wait, sizeof(WaitStatusRecord)), 500u);
    EXPECT_EQ(HoldMs(kIoctlQueryStatus, &cases[1].wait, sizeof(WaitStatusRecord)),
              kMaxStatusWaitMs);
    EXPECT_EQ(HoldMs(kIoctlQueryStatus, &cases[1].wait, sizeof(WaitStatusRecord) - 1), 0u);
    const uint32_t forever = 0xFFFFFFFF, brief = 1;
    EXPECT_EQ(HoldMs(kIoctlQueryTag, &forever, sizeof forever), kMaxTagWaitMs);
    EXPECT_EQ(HoldMs(kIoctlQueryTag, &brief, sizeof brief), 1u);
    EXPECT_EQ(HoldMs(kIoctlQueryInformation, &forever, sizeof forever), 0u);
}
