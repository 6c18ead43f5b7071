// The emulator's machine state, call journal and power-scheme seed in the session's prefix.
#include <set>

#include "EmulatorTestSupport.h"
#include "PowerSchemeLayout.h"
#include "PowerSchemeSeed.h"
#include "RegistryValueStore.h"
#include "framework/UniqueHandle.h"

using namespace emulator_test;
using emulator::ModelProfile;
using emulator::StateValue;

namespace {

class MachineStateTest : public ::testing::Test {
protected:
    void SetUp() override { ResetMachineState(); }
    void TearDown() override { ResetMachineState(); }

    emulator::MachineState& State() { return machine_.State(); }

    emulator::RegistryMachine machine_;
};

TEST_F(MachineStateTest, MissingKeyGivesTheDefaultMachine) {
    EXPECT_EQ(State().Get(StateValue::Brightness), 100u);
    EXPECT_EQ(State().Get(StateValue::FanMode), 2u);
    EXPECT_EQ(State().Get(StateValue::WakeBits), 0u);
    EXPECT_EQ(State().Get(StateValue::CanUserWritePwrScheme), 1u);
    EXPECT_EQ(State().Get(StateValue::CapS3), 1u);
    EXPECT_EQ(State().Get(StateValue::CapS1), 0u);
    EXPECT_EQ(State().EcRegister(0xCA), 0x30);
    EXPECT_EQ(State().EcRegister(0xEB), 12);
    EXPECT_EQ(State().Profile(), ModelProfile::Default);
    EXPECT_TRUE(State().JournalPathSetting().empty());
}

TEST_F(MachineStateTest, ValuesSetByAPersonAreRead) {
    PutText(HKEY_LOCAL_MACHINE, emulator::kStateKeyPath, "TKPE", "0x41");
    SetStateWord("Brightness", 62);
    SetStateWord("ChargeCycles", 0x1234);
    SetStateWord("EC_EE", 0x10);
    PutText(HKEY_LOCAL_MACHINE, emulator::kStateKeyPath, "ModelProfile", "Model25");

    EXPECT_EQ(State().Get(StateValue::WakeBits), 0x41u);
    EXPECT_EQ(State().Get(StateValue::Brightness), 62u);
    EXPECT_EQ(State().Get(StateValue::ChargeCycles), 0x1234u);
    EXPECT_EQ(State().EcRegister(0xEB), 0x34);
    EXPECT_EQ(State().EcRegister(0xEC), 0x12);
    EXPECT_EQ(State().EcRegister(0xEE), 0x10);
    EXPECT_EQ(State().Profile(), ModelProfile::Model25);
}

TEST_F(MachineStateTest, DamagedValuesReadAsDefaults) {
    const BYTE binary[3] = {1, 2, 3};
    PutValue(HKEY_LOCAL_MACHINE, emulator::kStateKeyPath, "FanMode", REG_BINARY, binary,
             sizeof binary);
    SetStateWord("Brightness", 150);
    SetStateWord("EC_CA", 0x1FF);
    PutText(HKEY_LOCAL_MACHINE, emulator::kStateKeyPath, "ChargeCycles", "many");
    PutText(HKEY_LOCAL_MACHINE, emulator::kStateKeyPath, "TKPE", std::string(5000, '7'));
    SetStateWord("ModelProfile", 1);

    EXPECT_EQ(State().Get(StateValue::FanMode), 2u);
    EXPECT_EQ(State().Get(StateValue::Brightness), 100u);
    EXPECT_EQ(State().EcRegister(0xCA), 0x30);
    EXPECT_EQ(State().Get(StateValue::ChargeCycles), 12u);
    EXPECT_EQ(State().Get(StateValue::WakeBits), 0u);
    EXPECT_EQ(State().Profile(), ModelProfile::Default);
}

TEST_F(MachineStateTest, SetStoresWordsAndRefusesOutOfRange) {
    EXPECT_TRUE(State().Set(StateValue::WakeBits, 0x61));
    const RawValue stored = ReadValue(HKEY_LOCAL_MACHINE, emulator::kStateKeyPath, "TKPE");
    EXPECT_EQ(stored.type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(stored.Word(), 0x61u);

    EXPECT_FALSE(State().Set(StateValue::Brightness, 101));
    EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, emulator::kStateKeyPath, "Brightness").found);
}

class JournalTest : public MachineStateTest {};

TEST_F(JournalTest, EachCallIsOneParseableLineAndTheLastErrorSurvives) {
    JournalWatch journal;
    ::SetLastError(1234);
    emulator::ArgumentList arguments;
    arguments.AddHex("code", 0x454D4342).AddText("text", "tab\there");
    emulator::JournalCall("test", "Call", arguments.Text(), "7");
    EXPECT_EQ(::GetLastError(), 1234u);

    const auto lines = journal.RawLines();
    ASSERT_EQ(lines.size(), 1u);
    const auto entry = emulator::ParseJournalLine(lines[0]);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->process, ::GetCurrentProcessId());
    EXPECT_EQ(entry->library, "test");
    EXPECT_EQ(emulator::FindArgument(entry->arguments, "code"), "0x454D4342");
    EXPECT_EQ(emulator::FindArgument(entry->arguments, "text"), "tab\there");
    EXPECT_EQ(entry->result, "7");
}

TEST_F(JournalTest, TheLocationCanBeMovedThroughTheState) {
    char temp[MAX_PATH] = {};
    ASSERT_NE(::GetTempPathA(MAX_PATH, temp), 0u);
    const std::string moved = std::string(temp) + "emulator-journal-test.txt";
    ::DeleteFileA(moved.c_str());
    PutText(HKEY_LOCAL_MACHINE, emulator::kStateKeyPath, "JournalPath",
            "%TEMP%\\emulator-journal-test.txt");

    EXPECT_EQ(emulator::JournalFilePath(), moved);
    emulator::JournalCall("test", "Moved", "", "TRUE");
    EXPECT_NE(ReadFileText(moved).find("\ttest\tMoved\t"), std::string::npos);
    ::DeleteFileA(moved.c_str());
}

// A writer keeps the journal open; a delete must not leave its later lines in a file that
// vanishes when the writer closes it.
TEST_F(JournalTest, NoLineIsLostToADeleteBetweenTwoCalls) {
    char temp[MAX_PATH] = {};
    ASSERT_NE(::GetTempPathA(MAX_PATH, temp), 0u);
    const std::string path = std::string(temp) + "emulator-journal-deleted.txt";
    PutText(HKEY_LOCAL_MACHINE, emulator::kStateKeyPath, "JournalPath", path);
    emulator::JournalCall("test", "Before", "", "TRUE");
    const bool deleted = ::DeleteFileA(path.c_str()) != FALSE;

    emulator::JournalCall("test", "After", "", "TRUE");
    const std::string text = ReadFileText(path);
    EXPECT_NE(text.find("\ttest\tAfter\t"), std::string::npos);
    // A delete that was granted took the old file away at once.
    EXPECT_EQ(text.find("\ttest\tBefore\t") == std::string::npos, deleted);
    ::DeleteFileA(path.c_str());
}

TEST_F(JournalTest, WritersInSeveralProcessesKeepTheirLinesWhole) {
    constexpr int kWriters = 4;
    constexpr int kLines = 60;
    JournalWatch journal;
    std::vector<framework::UniqueKernelHandle> processes;
    for (int w = 0; w < kWriters; ++w) {
        std::string command = std::string("\"") + JOURNAL_WRITER_PATH + "\" " + std::to_string(w) +
                              " " + std::to_string(kLines);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        ASSERT_TRUE(::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                     nullptr, &startup, &info))
            << command;
        ::CloseHandle(info.hThread);
        processes.emplace_back(info.hProcess);
    }
    for (auto& p : processes) {
        ASSERT_EQ(::WaitForSingleObject(p.Get(), 60000), WAIT_OBJECT_0);
    }

    std::set<std::pair<std::string, std::string>> seen;
    for (const auto& entry : journal.Entries("test", "Append")) {
        seen.emplace(*emulator::FindArgument(entry.arguments, "writer"),
                     *emulator::FindArgument(entry.arguments, "line"));
    }
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(kWriters * kLines));
    for (const std::string& line : journal.RawLines()) {
        EXPECT_TRUE(emulator::ParseJournalLine(line)) << line;
    }
}

TEST(PowerSchemeSeedTest, FillsWhatIsMissingAndKeepsWhatWasChanged) {
    using namespace emulator::power;
    const std::string scheme2 = SchemeKey(kUserSchemes, 2);
    const std::string scheme4 = SchemeKey(kUserSchemes, 4);
    const RawValue originalName = ReadValue(HKEY_CURRENT_USER, scheme4, "Name");
    ASSERT_TRUE(originalName.found);
    ::RegDeleteValueA(HKEY_CURRENT_USER, (scheme2 + "").c_str());
    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, scheme2.c_str(), 0, KEY_SET_VALUE, &key),
              ERROR_SUCCESS);
    ::RegDeleteValueA(key, "Policies");
    ::RegCloseKey(key);
    PutText(HKEY_CURRENT_USER, scheme4, "Name", "Changed");

    const emulator::SeedResult first = emulator::SeedPowerSchemes();
    EXPECT_EQ(first.status, ERROR_SUCCESS);
    EXPECT_EQ(first.written, 1u);
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, scheme2, "Policies").data.size(), 80u);
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, scheme4, "Name").Text(), "Changed");
    EXPECT_EQ(emulator::SeedPowerSchemes().written, 0u);

    PutValue(HKEY_CURRENT_USER, scheme4, "Name", originalName.type, originalName.data.data(),
             static_cast<DWORD>(originalName.data.size()));
}

} // namespace
