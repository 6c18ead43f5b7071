// The emulated notebook's Windows-free parts: how state values are read, and journal lines.
#include <gtest/gtest.h>

#include <set>

#include "JournalLine.h"
#include "MachineState.h"
#include "MapStore.h"
#include "NumberText.h"

using namespace emulator;
using testing_support::MapStore;

namespace {

TEST(NumberText, DecimalAcceptsOnlyPlainDigitsWithin32Bits) {
    EXPECT_EQ(ParseDecimal("0"), 0u);
    EXPECT_EQ(ParseDecimal("4294967295"), 4294967295u);
    EXPECT_FALSE(ParseDecimal("4294967296"));
    EXPECT_FALSE(ParseDecimal(""));
    EXPECT_FALSE(ParseDecimal("-1"));
    EXPECT_FALSE(ParseDecimal(" 5"));
    EXPECT_FALSE(ParseDecimal("5a"));
}

TEST(NumberText, NumbersTypedByAPersonMayBeHexAndPadded) {
    EXPECT_EQ(ParseNumber(" 0x41 "), 0x41u);
    EXPECT_EQ(ParseNumber("0XfF"), 0xFFu);
    EXPECT_EQ(ParseNumber("12"), 12u);
    EXPECT_FALSE(ParseNumber("0x"));
    EXPECT_FALSE(ParseNumber("0x100000000"));
    EXPECT_FALSE(ParseNumber("twelve"));
}

TEST(MachineStateLogic, EveryValueHasADistinctNameAndADefaultOfItsKind) {
    std::set<std::string> names;
    for (const StateValueInfo& info : AllStateValues()) {
        EXPECT_TRUE(names.insert(info.name).second) << info.name;
        EXPECT_TRUE(FitsKind(info.kind, info.fallback)) << info.name;
        EXPECT_EQ(&Describe(info.id), &info);
    }
}

TEST(MachineStateLogic, MissingOrDamagedValuesGiveTheDefault) {
    MapStore store;
    MachineState state(store);
    EXPECT_EQ(state.Get(StateValue::Brightness), 100u);

    store.values["Brightness"] = RawValue{RawValue::Type::Other, 0, {}};
    EXPECT_EQ(state.Get(StateValue::Brightness), 100u);
    store.values["Brightness"] = RawValue{RawValue::Type::Word, 101, {}};
    EXPECT_EQ(state.Get(StateValue::Brightness), 100u);
    store.Text("Brightness", "fifty");
    EXPECT_EQ(state.Get(StateValue::Brightness), 100u);
    store.Text("Brightness", "50");
    EXPECT_EQ(state.Get(StateValue::Brightness), 50u);

    store.values["TKPE"] = RawValue{RawValue::Type::Word, 0x100, {}};
    EXPECT_EQ(state.Get(StateValue::WakeBits), 0u);
    store.values["ChargeCycles"] = RawValue{RawValue::Type::Word, 0x10000, {}};
    EXPECT_EQ(state.Get(StateValue::ChargeCycles), 12u);
}

TEST(MachineStateLogic, FlagsReadAnyNonZeroWordAsSet) {
    MapStore store;
    MachineState state(store);
    store.values["CapS4"] = RawValue{RawValue::Type::Word, 7, {}};
    EXPECT_EQ(state.Get(StateValue::CapS4), 1u);
    store.Text("CapS4", "0");
    EXPECT_EQ(state.Get(StateValue::CapS4), 0u);
}

TEST(MachineStateLogic, SetRefusesWordsOutsideTheKind) {
    MapStore store;
    MachineState state(store);
    EXPECT_FALSE(state.Set(StateValue::Brightness, 101));
    EXPECT_FALSE(state.Set(StateValue::CanUserWritePwrScheme, 2));
    EXPECT_TRUE(store.values.empty());
    EXPECT_TRUE(state.Set(StateValue::WakeBits, 0xFF));
    EXPECT_EQ(state.Get(StateValue::WakeBits), 0xFFu);
}

TEST(MachineStateLogic, EcRegistersComeFromTheirValuesAndTheCycleCount) {
    MapStore store;
    MachineState state(store);
    EXPECT_EQ(state.EcRegister(0xCA), 0x30);
    EXPECT_EQ(state.EcRegister(0xCB), 0x11);
    EXPECT_EQ(state.EcRegister(0xEE), 0);
    EXPECT_EQ(state.EcRegister(0xC9), 0);
    EXPECT_EQ(state.EcRegister(0xF0), 0);

    store.values["EC_CC"] = RawValue{RawValue::Type::Word, 0x34, {}};
    store.values["EC_CD"] = RawValue{RawValue::Type::Word, 0x134, {}};
    EXPECT_EQ(state.EcRegister(0xCC), 0x34);
    EXPECT_EQ(state.EcRegister(0xCD), 0x10);

    state.Set(StateValue::ChargeCycles, 1001);
    EXPECT_EQ(state.EcRegister(0xEB), 1001 & 0xFF);
    EXPECT_EQ(state.EcRegister(0xEC), 1001 >> 8);
    store.values["EC_EB"] = RawValue{RawValue::Type::Word, 5, {}};
    EXPECT_EQ(state.EcRegister(0xEB), 1001 & 0xFF);
}

TEST(MachineStateLogic, EcRegisterNames) {
    EXPECT_EQ(EcRegisterValueName(0xCA), "EC_CA");
    EXPECT_EQ(EcRegisterValueName(0xEF), "EC_EF");
    EXPECT_EQ(EcRegisterValueName(0xEB), "");
    EXPECT_EQ(EcRegisterValueName(0xC9), "");
}

TEST(MachineStateLogic, ProfilesByNameIgnoringCase) {
    MapStore store;
    MachineState state(store);
    EXPECT_EQ(state.Profile(), ModelProfile::Default);
    store.Text("ModelProfile", "FEATURES-OFF");
    EXPECT_EQ(state.Profile(), ModelProfile::FeaturesOff);
    store.Text("ModelProfile", "load-fails");
    EXPECT_EQ(state.Profile(), ModelProfile::LoadFails);
    store.Text("ModelProfile", "model 25");
    EXPECT_EQ(state.Profile(), ModelProfile::Default);
    store.values["ModelProfile"] = RawValue{RawValue::Type::Word, 1, {}};
    EXPECT_EQ(state.Profile(), ModelProfile::Default);
    for (ModelProfile p : {ModelProfile::Default, ModelProfile::Model25, ModelProfile::FeaturesOff,
                           ModelProfile::LoadFails}) {
        EXPECT_EQ(ParseModelProfile(ModelProfileName(p)), p);
    }
}

JournalEntry Sample() {
    ArgumentList arguments;
    arguments.AddHex("code", 0x454D4342)
        .Add("argument", 100)
        .AddText("name", "Power \"Management\"");
    return {JournalTime(2024, 5, 1, 9, 8, 7, 6),
            1234,
            "Zelnor",
            "ControlMethodEx",
            arguments.Text(),
            "100"};
}

TEST(JournalLineFormat, LineHasSixTabSeparatedFieldsAndParsesBack) {
    const std::string line = FormatJournalLine(Sample());
    EXPECT_EQ(line, "2024-05-01 09:08:07.006\t1234\tZelnor\tControlMethodEx\tcode=0x454D4342 "
                    "argument=100 name=\"Power \\\"Management\\\"\"\t100\n");
    const auto parsed = ParseJournalLine(line);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->time, "2024-05-01 09:08:07.006");
    EXPECT_EQ(parsed->process, 1234u);
    EXPECT_EQ(parsed->function, "ControlMethodEx");
    EXPECT_EQ(parsed->result, "100");
    EXPECT_EQ(FindArgument(parsed->arguments, "name"), "Power \"Management\"");
    EXPECT_EQ(FindArgument(parsed->arguments, "argument"), "100");
    EXPECT_FALSE(FindArgument(parsed->arguments, "missing"));
}

TEST(JournalLineFormat, ControlCharactersInTextAreEscapedSoOneCallIsOneLine) {
    ArgumentList arguments;
    arguments.AddText("t", std::string("a\tb\nc\r\\\x01\x7f\xc3\xa9", 11));
    EXPECT_EQ(arguments.Text(), "t=\"a\\tb\\nc\\r\\\\\\x01\\x7F\xc3\xa9\"");
    const auto parsed = ParseArguments(arguments.Text());
    ASSERT_TRUE(parsed);
    EXPECT_EQ((*parsed)[0].value, std::string("a\tb\nc\r\\\x01\x7f\xc3\xa9", 11));

    JournalEntry entry = Sample();
    entry.function = "Bad\tName\n";
    entry.result = "x\ny";
    const std::string line = FormatJournalLine(entry);
    EXPECT_EQ(line.find('\n'), line.size() - 1);
    const auto back = ParseJournalLine(line);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->function, "Bad Name ");
}

TEST(JournalLineFormat, LongTextIsCutAndTheLineStaysBounded) {
    ArgumentList arguments;
    arguments.AddText("t", std::string(1000, 'x'));
    const auto value = FindArgument(arguments.Text(), "t");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->size(), kMaxJournalText + 3);
    EXPECT_EQ(value->substr(kMaxJournalText), "...");

    // A cut never splits a UTF-8 sequence.
    std::string many;
    for (std::size_t i = 0; i < kMaxJournalText; ++i) {
        many += "\xc3\xa9";
    }
    ArgumentList utf8;
    utf8.AddText("t", many);
    const auto cut = FindArgument(utf8.Text(), "t");
    ASSERT_TRUE(cut);
    EXPECT_EQ((cut->size() - 3) % 2, 0u);

    JournalEntry entry = Sample();
    entry.arguments = std::string(10000, 'y');
    const std::string line = FormatJournalLine(entry);
    EXPECT_LE(line.size(), kMaxJournalLine);
    const auto parsed = ParseJournalLine(line);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->result, "100");
}

TEST(JournalLineFormat, MalformedLinesAndArgumentsAreRejected) {
    EXPECT_FALSE(ParseJournalLine(""));
    EXPECT_FALSE(ParseJournalLine("a\tb\tc\td\te"));
    EXPECT_FALSE(ParseJournalLine("t\t12x\tlib\tfn\t\tr"));
    EXPECT_FALSE(ParseJournalLine("t\t99999999999\tlib\tfn\t\tr"));
    EXPECT_FALSE(ParseJournalLine("t\t1\t\tfn\t\tr"));
    EXPECT_TRUE(ParseJournalLine("t\t1\tlib\tfn\t\t\r\n"));

    EXPECT_FALSE(ParseArguments("novalue"));
    EXPECT_FALSE(ParseArguments("=1"));
    EXPECT_FALSE(ParseArguments("a=\"open"));
    EXPECT_FALSE(ParseArguments("a=\"bad\\q\""));
    EXPECT_FALSE(ParseArguments("a=\"\\x4\""));
    EXPECT_FALSE(ParseArguments("a=1 "));
    EXPECT_FALSE(ParseArguments("a=\"x\"b=1"));
    const auto empty = ParseArguments("");
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->empty());
}

} // namespace
