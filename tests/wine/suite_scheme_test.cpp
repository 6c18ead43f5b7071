// The suite's scheme on the Vista power-scheme interface, against a stand-in library that can
// refuse a setting, choose its own GUIDs, carry long names and change its list while walked.
#include <gtest/gtest.h>

#include <string>

#include "PartialPowerLibrary.h"
#include "SchemeStubLibrary.h"
#include "SuiteScheme.h"
#include "framework/UniqueHandle.h"

using namespace store;

namespace {

class SuiteSchemeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(api_.Has(SchemeEntry::PowerDuplicateScheme));
        module_ = ::GetModuleHandleA(kSchemeStubLibrary);
        Fn<SchemeStubResetFn>("SchemeStubReset")();
        control_ = Fn<SchemeStubControlFn>("SchemeStubControlBlock")();
    }

    template <typename F>
    F Fn(const char* name) {
        const auto fn = framework::ProcAddress<F>(module_, name);
        EXPECT_NE(fn, nullptr) << name;
        return fn;
    }

    int Count() { return Fn<SchemeStubCountFn>("SchemeStubCount")(); }

    std::wstring Name(const GUID& scheme, std::wstring* description = nullptr) {
        wchar_t name[600] = {};
        wchar_t text[600] = {};
        Fn<SchemeStubNameFn>("SchemeStubName")(&scheme, name, 600, text, 600);
        if (description != nullptr) {
            *description = text;
        }
        return name;
    }

    // The value as the stand-in stored it for both power sources, or a note of what differs.
    std::string Value(const GUID& scheme, SchemeSetting setting) {
        GUID subgroup{};
        GUID guid{};
        if (!SchemeSettingGuids(setting, subgroup, guid)) {
            return "no GUID";
        }
        DWORD ac = 0;
        DWORD dc = 0;
        const auto read = Fn<SchemeStubValueFn>("SchemeStubValue");
        if (!read(&scheme, &guid, TRUE, &ac) || !read(&scheme, &guid, FALSE, &dc)) {
            return "not written";
        }
        return ac == dc ? std::to_string(ac)
                        : "AC " + std::to_string(ac) + " DC " + std::to_string(dc);
    }

    GUID Active() {
        GUID active{};
        Fn<SchemeStubActiveFn>("SchemeStubActive")(&active);
        return active;
    }

    PowerSchemeApi api_{kSchemeStubLibrary};
    HMODULE module_ = nullptr;
    SchemeStubControl* control_ = nullptr;
};

const std::vector<SchemeValue> kValues = {{SchemeSetting::VideoTimeout, 300},
                                          {SchemeSetting::HibernateTimeout, 2700},
                                          {SchemeSetting::LidClose, 1},
                                          {SchemeSetting::CriticalFlags, 0x80000003}};

bool Same(const GUID& a, const GUID& b) {
    return IsEqualGUID(a, b) != FALSE;
}

} // namespace

TEST_F(SuiteSchemeTest, MadeOnceAsACopyOfBalancedAndFoundAgainAfterARename) {
    EXPECT_FALSE(FindSuiteScheme(api_));
    const auto made = EnsureSuiteScheme(api_, kValues);
    ASSERT_TRUE(made);
    EXPECT_TRUE(Same(*made, kSuiteSchemeGuid));
    std::wstring description;
    EXPECT_EQ(Name(*made, &description), L"Power Management");
    EXPECT_EQ(description, L"Power Management");
    EXPECT_EQ(Value(*made, SchemeSetting::VideoTimeout), "300");
    EXPECT_EQ(Value(*made, SchemeSetting::HibernateTimeout), "2700");
    EXPECT_EQ(Value(*made, SchemeSetting::LidClose), "1");
    EXPECT_EQ(Value(*made, SchemeSetting::CriticalFlags), std::to_string(0x80000003u));
    EXPECT_EQ(Count(), 4);

    // A second call changes nothing; a rename by the user keeps the scheme ours.
    EXPECT_TRUE(EnsureSuiteScheme(api_, {{SchemeSetting::VideoTimeout, 60}}));
    EXPECT_EQ(control_->duplicateCalls, 1);
    EXPECT_EQ(Value(*made, SchemeSetting::VideoTimeout), "300");
    const wchar_t renamed[] = L"Mine";
    ASSERT_EQ(api_.WriteFriendlyName(*made, renamed, sizeof renamed), 0u);
    const auto found = FindSuiteScheme(api_);
    ASSERT_TRUE(found);
    EXPECT_TRUE(Same(*found, *made));

    // Deleted behind the suite's back: made again.
    ASSERT_TRUE(RemoveSuiteScheme(api_));
    EXPECT_TRUE(EnsureSuiteScheme(api_, kValues));
    EXPECT_EQ(Count(), 4);
}

TEST_F(SuiteSchemeTest, ALibraryThatChoosesItsOwnGuidIsFoundByName) {
    control_->allocateGuids = TRUE;
    const auto made = EnsureSuiteScheme(api_, kValues);
    ASSERT_TRUE(made);
    EXPECT_FALSE(Same(*made, kSuiteSchemeGuid));
    EXPECT_EQ(Value(*made, SchemeSetting::LidClose), "1");
    const auto found = FindSuiteScheme(api_);
    ASSERT_TRUE(found);
    EXPECT_TRUE(Same(*found, *made));
}

TEST_F(SuiteSchemeTest, ARefusedSettingLeavesTheRestOfTheApplyGoing) {
    const auto made = EnsureSuiteScheme(api_, {});
    ASSERT_TRUE(made);
    GUID subgroup{};
    ASSERT_TRUE(
        SchemeSettingGuids(SchemeSetting::HibernateTimeout, subgroup, control_->refusedSetting));
    control_->refusedError = ERROR_ACCESS_DENIED;
    EXPECT_EQ(WriteSchemeValues(api_, *made, kValues), 2); // AC and DC of the refused one
    EXPECT_EQ(Value(*made, SchemeSetting::HibernateTimeout), "not written");
    EXPECT_EQ(Value(*made, SchemeSetting::VideoTimeout), "300");
    EXPECT_EQ(Value(*made, SchemeSetting::CriticalFlags), std::to_string(0x80000003u));
    EXPECT_TRUE(ActivateScheme(api_, *made));
    EXPECT_TRUE(Same(Active(), *made));
}

TEST_F(SuiteSchemeTest, LongNamesAndAListThatShrinksWhileWalkedNeverCrash) {
    const std::wstring longName(700, L'x');
    const GUID other = {0x11111111, 0, 0, {1, 2, 3, 4, 5, 6, 7, 8}};
    Fn<SchemeStubAddFn>("SchemeStubAdd")(&other, (L"Power Management" + longName).c_str());
    control_->shrinkAtIndex = 2;
    EXPECT_FALSE(FindSuiteScheme(api_));

    control_->allocateGuids = TRUE;
    control_->shrinkAtIndex = 1;
    const auto made = EnsureSuiteScheme(api_, kValues);
    ASSERT_TRUE(made);
    EXPECT_EQ(Name(*made), L"Power Management");
}

TEST_F(SuiteSchemeTest, RemovalActivatesBalancedAndKeepsTheStockSchemes) {
    const auto made = EnsureSuiteScheme(api_, kValues);
    ASSERT_TRUE(made);
    ASSERT_TRUE(ActivateScheme(api_, *made));
    EXPECT_TRUE(RemoveSuiteScheme(api_));
    EXPECT_TRUE(Same(Active(), kBalancedSchemeGuid));
    EXPECT_EQ(Count(), 3);
    EXPECT_FALSE(FindSuiteScheme(api_));
    // Nothing left to remove: nothing is deleted.
    const int deletes = control_->deleteCalls;
    EXPECT_TRUE(RemoveSuiteScheme(api_));
    EXPECT_EQ(control_->deleteCalls, deletes);
}

TEST(SuiteSchemeMissing, WithoutTheVistaFunctionsNothingIsCalled) {
    PowerSchemeApi api(kPartialPowerLibrary);
    EXPECT_FALSE(api.Has(SchemeEntry::PowerEnumerate));
    EXPECT_FALSE(FindSuiteScheme(api));
    EXPECT_FALSE(EnsureSuiteScheme(api, kValues));
    EXPECT_EQ(WriteSchemeValues(api, kSuiteSchemeGuid, kValues), 8);
    EXPECT_FALSE(ActivateScheme(api, kSuiteSchemeGuid));
    EXPECT_TRUE(RemoveSuiteScheme(api));
    GUID active{};
    EXPECT_EQ(api.GetActiveScheme(active), static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED));
}

TEST(SuiteSchemeMissing, ALibraryLackingOneNeededFunctionMakesNothing) {
    PowerSchemeApi api(kSchemeStubPartialLibrary);
    const HMODULE module = ::GetModuleHandleA(kSchemeStubPartialLibrary);
    framework::ProcAddress<SchemeStubResetFn>(module, "SchemeStubReset")();
    const SchemeStubControl* control =
        framework::ProcAddress<SchemeStubControlFn>(module, "SchemeStubControlBlock")();
    EXPECT_FALSE(EnsureSuiteScheme(api, kValues));
    EXPECT_EQ(control->duplicateCalls, 0);
    EXPECT_EQ(framework::ProcAddress<SchemeStubCountFn>(module, "SchemeStubCount")(), 3);
}
