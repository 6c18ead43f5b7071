// The Vista scheme functions that make, name, change and delete schemes, as a Windows 10
// program calls them: what the suite's installer and apply do, read back through the interface
// and from the registry layout Windows uses, and a scheme deleted behind the caller's back.
#include "VistaPowerTest.h"

using namespace emulator_test;

namespace {

using VistaEditsTest = VistaPowerTest;

constexpr GUID kButtons = {
    0x4F971E89, 0xEEBD, 0x4455, {0xA8, 0xDE, 0x9E, 0x59, 0x04, 0x0E, 0x73, 0x47}};
constexpr GUID kLid = {
    0x5CA83367, 0x6E45, 0x459F, {0xA2, 0x7B, 0x47, 0x6B, 0x1D, 0x01, 0xC9, 0x36}};
constexpr GUID kLockOnWake = {
    0x0E796BDB, 0x100D, 0x47D6, {0xA2, 0xD5, 0xF7, 0xD2, 0xDA, 0xA5, 0x1F, 0x51}};

TEST_F(VistaEditsTest, DuplicateNamedAndWrittenIsTheSuitesScheme) {
    JournalWatch journal;
    const GUID made = Duplicate();
    ASSERT_FALSE(SameGuid(made, GUID{}));
    EXPECT_EQ(made.Data3 >> 12, 4); // a random GUID
    EXPECT_EQ(Name(made), L"Balanced");
    EXPECT_EQ(WriteName(made, L"Power Management"), ERROR_SUCCESS);
    const std::wstring description = L"The notebook's modes.";
    EXPECT_EQ(
        power_.WriteDescription(nullptr, &made, nullptr, nullptr,
                                reinterpret_cast<UCHAR*>(const_cast<wchar_t*>(description.c_str())),
                                static_cast<DWORD>((description.size() + 1) * sizeof(wchar_t))),
        ERROR_SUCCESS);
    EXPECT_EQ(Name(made), L"Power Management");
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, SchemeKey(made), "Description").Text(),
              "The notebook's modes.");
    // The copy holds Balanced's values as its own.
    const std::string video =
        SchemeKey(made) + "\\" + KeyName(kVideo) + "\\" + KeyName(kVideoTimeout);
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, video, "DCSettingIndex").Word(), 300u);

    EXPECT_EQ(power_.WriteACValueIndex(nullptr, &made, &kVideo, &kVideoTimeout, 120),
              ERROR_SUCCESS);
    EXPECT_EQ(power_.WriteDCValueIndex(nullptr, &made, &kButtons, &kLid, 2), ERROR_SUCCESS);
    EXPECT_EQ(power_.WriteDCValueIndex(nullptr, &made, nullptr, &kLockOnWake, 0), ERROR_SUCCESS);
    DWORD value = 0;
    EXPECT_EQ(ReadAc(made, kVideo, kVideoTimeout, value), ERROR_SUCCESS);
    EXPECT_EQ(value, 120u);
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, video, "ACSettingIndex").Word(), 120u);
    EXPECT_EQ(power_.ReadDCValueIndex(nullptr, &made, &kButtons, &kLid, &value), ERROR_SUCCESS);
    EXPECT_EQ(value, 2u);
    EXPECT_EQ(power_.ReadDCValueIndex(nullptr, &made, nullptr, &kLockOnWake, &value),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 0u);
    // Balanced itself is untouched.
    EXPECT_EQ(ReadAc(kBalanced, kVideo, kVideoTimeout, value), ERROR_SUCCESS);
    EXPECT_EQ(value, 600u);

    EXPECT_EQ(power_.SetActiveScheme(nullptr, &made), ERROR_SUCCESS);
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kPowerSchemes, "ActivePowerScheme").Text(),
              KeyName(made));
    EXPECT_EQ(journal.Last("powrprof", "PowerSetActiveScheme")
                  .result.rfind("0 name=\"Power Management\" video=120/300 ", 0),
              0u);
    const auto duplicate = journal.Last("powrprof", "PowerDuplicateScheme");
    EXPECT_EQ(duplicate.arguments,
              "root=null source={381b4222-f694-41f0-9685-ff5bb260df2e} destination=null");
    EXPECT_EQ(duplicate.result, "0 scheme={" + KeyName(made) + "}");
    EXPECT_EQ(journal.Last("powrprof", "PowerWriteACValueIndex").arguments,
              "root=null scheme={" + KeyName(made) +
                  "} subgroup={7516b95f-f776-4464-8c53-06167f40cc99} "
                  "setting={3c0bc021-c8a8-4e07-a973-6b14cbcb2b7e} index=120");

    // The active scheme stays; another goes, and its key with it.
    EXPECT_EQ(power_.DeleteScheme(nullptr, &made), ERROR_ACCESS_DENIED);
    EXPECT_EQ(power_.SetActiveScheme(nullptr, &kBalanced), ERROR_SUCCESS);
    EXPECT_EQ(power_.DeleteScheme(nullptr, &made), ERROR_SUCCESS);
    EXPECT_FALSE(KeyPresent(HKEY_LOCAL_MACHINE, SchemeKey(made)));
    EXPECT_EQ(power_.DeleteScheme(nullptr, &made), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Enumerate().size(), 3u);
}

TEST_F(VistaEditsTest, DuplicateIntoAGivenGuidAndItsRefusals) {
    GUID chosen = kUnknown;
    GUID* target = &chosen;
    EXPECT_EQ(power_.DuplicateScheme(nullptr, &kPowerSaver, &target), ERROR_SUCCESS);
    EXPECT_EQ(target, &chosen);
    EXPECT_EQ(Name(kUnknown), L"Power saver");
    EXPECT_EQ(power_.DuplicateScheme(nullptr, &kBalanced, &target), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(Name(kUnknown), L"Power saver");

    GUID* made = nullptr;
    EXPECT_EQ(power_.DuplicateScheme(nullptr, &kHighPerformance, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(power_.DuplicateScheme(nullptr, nullptr, &made), ERROR_INVALID_PARAMETER);
    const GUID missing = {0x0BADBEEF, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};
    EXPECT_EQ(power_.DuplicateScheme(nullptr, &missing, &made), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(made, nullptr);
    EXPECT_EQ(Enumerate().size(), 4u);
}

TEST_F(VistaEditsTest, WritesAreCheckedBeforeAnythingIsStored) {
    // Unknown scheme, unknown setting, an index beyond the setting's range.
    EXPECT_EQ(power_.WriteACValueIndex(nullptr, &kUnknown, &kVideo, &kVideoTimeout, 60),
              ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(KeyPresent(HKEY_LOCAL_MACHINE, SchemeKey(kUnknown)));
    EXPECT_EQ(power_.WriteACValueIndex(nullptr, &kBalanced, &kVideo, &kUnknown, 60),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(power_.WriteACValueIndex(nullptr, &kBalanced, &kButtons, &kLid, 9),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(power_.WriteACValueIndex(nullptr, &kBalanced, &kVideo, nullptr, 60),
              ERROR_INVALID_PARAMETER);
    DWORD value = 0;
    EXPECT_EQ(ReadAc(kUnknown, kVideo, kVideoTimeout, value), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(ReadAc(kBalanced, kVideo, kUnknown, value), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(power_.ReadACValueIndex(nullptr, &kBalanced, &kVideo, &kVideoTimeout, nullptr),
              ERROR_INVALID_PARAMETER);

    // Names: a size that does not match UTF-16 text, none, or only the table's.
    wchar_t name[] = L"Odd";
    EXPECT_EQ(power_.WriteFriendlyName(nullptr, &kBalanced, nullptr, nullptr,
                                       reinterpret_cast<UCHAR*>(name), 3),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(power_.WriteFriendlyName(nullptr, &kBalanced, nullptr, nullptr, nullptr, 8),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(power_.WriteFriendlyName(nullptr, &kBalanced, &kVideo, &kVideoTimeout,
                                       reinterpret_cast<UCHAR*>(name), sizeof name),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(WriteName(kUnknown, L"Nobody"), ERROR_FILE_NOT_FOUND);
    // Text without a terminator ends at the caller's size.
    wchar_t unterminated[4] = {L'A', L'b', L'c', L'd'};
    EXPECT_EQ(power_.WriteFriendlyName(nullptr, &kPowerSaver, nullptr, nullptr,
                                       reinterpret_cast<UCHAR*>(unterminated), 3 * sizeof(wchar_t)),
              ERROR_SUCCESS);
    EXPECT_EQ(Name(kPowerSaver), L"Abc");
    EXPECT_EQ(Name(kBalanced), L"Balanced");
}

TEST_F(VistaEditsTest, SchemeDeletedBehindTheCallersBack) {
    const GUID made = Duplicate();
    ASSERT_EQ(power_.SetActiveScheme(nullptr, &made), ERROR_SUCCESS);
    // A setting written before, so that its key was opened by this process.
    ASSERT_EQ(power_.WriteACValueIndex(nullptr, &made, &kVideo, &kVideoTimeout, 120),
              ERROR_SUCCESS);
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, SchemeKey(made).c_str());

    DWORD value = 0;
    EXPECT_EQ(ReadAc(made, kVideo, kVideoTimeout, value), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(power_.WriteACValueIndex(nullptr, &made, &kVideo, &kVideoTimeout, 60),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(WriteName(made, L"Power Management"), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(KeyPresent(HKEY_LOCAL_MACHINE, SchemeKey(made)));
    EXPECT_EQ(power_.SetActiveScheme(nullptr, &made), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(power_.DeleteScheme(nullptr, &made), ERROR_FILE_NOT_FOUND);
    // The active value still names it; the caller can choose another.
    EXPECT_TRUE(SameGuid(Active(), made));
    EXPECT_EQ(power_.SetActiveScheme(nullptr, &kBalanced), ERROR_SUCCESS);

    // The whole list gone: the next call seeds the stock schemes again.
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kPowerSchemes);
    EXPECT_EQ(Enumerate().size(), 3u);
    EXPECT_TRUE(SameGuid(Active(), kBalanced));
}

} // namespace
