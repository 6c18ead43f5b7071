// The sibling-library holders and the start sequence, with stand-in libraries beside the test
// program and every box captured instead of shown.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "SchemeStore.h"
#include "StartSequence.h"

using namespace hardware;

namespace {

constexpr char kGoodStub[] = "HardwareStubGood.dll";
constexpr char kFailingStub[] = "HardwareStubFailing.dll";
constexpr char kMissing[] = "HardwareNoSuchLibrary.dll";
// Present everywhere, exports neither "Initial" nor "GetKvPolicy".
constexpr char kWithoutExports[] = "version.dll";

int StubCount(const char* name) {
    char text[16] = "0";
    return GetEnvironmentVariableA(name, text, sizeof text) ? std::atoi(text) : 0;
}

int InitialCalls() {
    return StubCount("HARDWARE_STUB_INITIAL_CALLS");
}

int PolicyCalls() {
    return StubCount("HARDWARE_STUB_POLICY_CALLS");
}

bool IsLoaded(const char* name) {
    return GetModuleHandleA(name) != nullptr;
}

std::string LoadErrorBox() {
    return store::SystemErrorText(ERROR_MOD_NOT_FOUND) + "|VELMORA Utility|" +
           std::to_string(0x40010);
}

class StartTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetEnvironmentVariableA("HARDWARE_STUB_INITIAL_CALLS", nullptr);
        SetEnvironmentVariableA("HARDWARE_STUB_POLICY_CALLS", nullptr);
        options.messageBox = [this](const char* text, const char* caption, UINT style) {
            boxes.push_back(std::string(text) + "|" + caption + "|" + std::to_string(style));
            return IDOK;
        };
        options.installerLibrary = kGoodStub;
        options.policyLibrary = kGoodStub;
    }

    void TearDown() override {
        // Every holder is gone by now, so nothing may keep a stand-in loaded.
        EXPECT_FALSE(IsLoaded(kGoodStub));
        EXPECT_FALSE(IsLoaded(kFailingStub));
    }

    StartOptions options;
    std::vector<std::string> boxes;
    NotebookPolicy copy;
};

} // namespace

TEST_F(StartTest, MissingLibrariesKeepTheirLoadErrorAndCallNothing) {
    InstallerLibrary installer(kMissing);
    EXPECT_FALSE(installer.Loaded());
    EXPECT_EQ(installer.LastError(), DWORD{ERROR_MOD_NOT_FOUND});
    EXPECT_EQ(installer.CallInitial(), 0);
    PolicyLibrary policy(kMissing);
    EXPECT_FALSE(policy.Loaded());
    EXPECT_EQ(policy.LastError(), DWORD{ERROR_MOD_NOT_FOUND});
    EXPECT_EQ(policy.LoadPolicy(), 0);
}

TEST_F(StartTest, MissingExportCountsAsAFailedCall) {
    InstallerLibrary installer(kWithoutExports);
    EXPECT_TRUE(installer.Loaded());
    EXPECT_EQ(installer.CallInitial(), 0);
    PolicyLibrary policy(kWithoutExports);
    EXPECT_TRUE(policy.Loaded());
    EXPECT_EQ(policy.LoadPolicy(), 0);
}

TEST_F(StartTest, HoldersCallTheLibraryAndFreeItAfterwards) {
    {
        InstallerLibrary installer(kGoodStub);
        EXPECT_EQ(installer.CallInitial(), 1);
        EXPECT_EQ(InitialCalls(), 1);
        PolicyLibrary policy(kGoodStub);
        EXPECT_NE(policy.LoadPolicy(), 0);
        EXPECT_EQ(policy.Policy().ModelCode(), 0x25);
        EXPECT_EQ(policy.Policy().Data()[447], static_cast<std::uint8_t>(447 * 7));
        EXPECT_TRUE(IsLoaded(kGoodStub));
    }
    EXPECT_FALSE(IsLoaded(kGoodStub));
}

TEST_F(StartTest, SuccessCopiesThePolicyRunsInitialAndKeepsBothLibraries) {
    auto libraries = RunStartSequence(copy, options);
    ASSERT_TRUE(libraries);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(copy.ModelCode(), 0x25);
    EXPECT_EQ(copy.VersionText(), "V1.23");
    EXPECT_EQ(InitialCalls(), 1);
    EXPECT_TRUE(libraries->installer.Loaded() && libraries->policy.Loaded());
    EXPECT_TRUE(IsLoaded(kGoodStub));
    libraries.reset();
}

TEST_F(StartTest, MissingInstallerStopsBeforeThePolicyLibrary) {
    options.installerLibrary = kMissing;
    copy.SetWord(kFanWordOffset, 0x5A5A);
    EXPECT_FALSE(RunStartSequence(copy, options));
    EXPECT_EQ(boxes, std::vector<std::string>{LoadErrorBox()});
    EXPECT_EQ(PolicyCalls(), 0);
    EXPECT_EQ(copy.FanWord(), 0x5A5Au);
}

TEST_F(StartTest, MissingPolicyLibraryStopsWithTheSystemText) {
    options.policyLibrary = kMissing;
    EXPECT_FALSE(RunStartSequence(copy, options));
    EXPECT_EQ(boxes, std::vector<std::string>{LoadErrorBox()});
    EXPECT_EQ(InitialCalls(), 0);
}

TEST_F(StartTest, PolicyThatDoesNotLoadStopsWithItsOwnBox) {
    const std::string box =
        "The policy of NoteBook load fail.|Power Management|" + std::to_string(0x40030);
    for (const char* library : {kFailingStub, kWithoutExports}) {
        boxes.clear();
        options.policyLibrary = library;
        EXPECT_FALSE(RunStartSequence(copy, options));
        EXPECT_EQ(boxes, std::vector<std::string>{box}) << library;
    }
    EXPECT_EQ(PolicyCalls(), 1);
    EXPECT_EQ(InitialCalls(), 0);
    EXPECT_EQ(copy.ModelCode(), 0);
}

TEST_F(StartTest, InstallerWithoutInitialStillStarts) {
    options.installerLibrary = kWithoutExports;
    EXPECT_TRUE(RunStartSequence(copy, options));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(StartTest, FirstCheckRunsBeforeAnyLibraryAndCanStopTheStart) {
    options.firstCheck = [&](const MessageBoxFn& box) {
        EXPECT_FALSE(IsLoaded(kGoodStub));
        return RequireLibraryLoaded(true, 0, box) &&
               RequireSchemeWriteRights(false, kAdminRightsText, box);
    };
    EXPECT_FALSE(RunStartSequence(copy, options));
    EXPECT_EQ(boxes, std::vector<std::string>{
                         "You need administrator's rights to control power scheme.|Power "
                         "Management|" +
                         std::to_string(0x40030)});
    EXPECT_EQ(InitialCalls() + PolicyCalls(), 0);

    boxes.clear();
    options.firstCheck = [](const MessageBoxFn& box) {
        return RequireLibraryLoaded(false, ERROR_MOD_NOT_FOUND, box);
    };
    EXPECT_FALSE(RunStartSequence(copy, options));
    EXPECT_EQ(boxes, std::vector<std::string>{LoadErrorBox()});
}

// The tray's start: the installer loaded before the command line is read, the keyboard
// library's check after it, and the one loaded installer the one whose "Initial" runs.
TEST_F(StartTest, AnInstallerLoadedByTheCallerIsTakenOver) {
    InstallerLibrary preloaded(kGoodStub);
    ASSERT_TRUE(preloaded.Loaded());
    options.installer = &preloaded;
    options.installerLibrary = kMissing; // not looked at when the caller's library is given
    options.firstCheck = [](const MessageBoxFn& box) {
        return RequireLibraryLoaded(false, ERROR_MOD_NOT_FOUND, box);
    };
    EXPECT_FALSE(RunStartSequence(copy, options));
    EXPECT_EQ(boxes, std::vector<std::string>{LoadErrorBox()});
    EXPECT_EQ(InitialCalls(), 0);

    boxes.clear();
    options.firstCheck = nullptr;
    auto libraries = RunStartSequence(copy, options);
    ASSERT_TRUE(libraries);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(InitialCalls(), 1);
    EXPECT_FALSE(preloaded.Loaded());
    EXPECT_TRUE(libraries->installer.Loaded());

    // A caller whose own load failed gets that load's error, not a second attempt.
    InstallerLibrary missing(kMissing);
    options.installer = &missing;
    options.installerLibrary = kGoodStub;
    boxes.clear();
    EXPECT_FALSE(RunStartSequence(copy, options));
    EXPECT_EQ(boxes, std::vector<std::string>{LoadErrorBox()});
}
