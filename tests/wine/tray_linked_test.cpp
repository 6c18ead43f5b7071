// What keeps the linked-program check cheap, against the real registry and a real process:
// the store watch sees every change another writer makes, and the foreground process's
// module paths are read once, then only those loaded since.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "store/RegistryKey.h"
#include "tray/linked/ForegroundHook.h"
#include "tray/linked/ForegroundModules.h"
#include "tray/linked/StoreWatch.h"

namespace {

constexpr char kWatched[] = "Software\\SuiteTests\\StoreWatch";

void SetWord(const std::string& path, const char* name, DWORD value) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    ::RegCloseKey(key);
}

struct WriteJob {
    std::string path;
    const char* name;
    DWORD value;
};

DWORD WINAPI WriteOnThread(void* data) {
    const auto* job = static_cast<WriteJob*>(data);
    SetWord(job->path, job->name, job->value);
    return 0;
}

// Another writer: a thread of its own, as the applet or `reg` would be a process of its own.
void SetWordFromAnotherThread(const std::string& path, const char* name, DWORD value) {
    WriteJob job{path, name, value};
    const HANDLE thread = ::CreateThread(nullptr, 0, &WriteOnThread, &job, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    ::WaitForSingleObject(thread, 5000);
    ::CloseHandle(thread);
}

// The notification reaches the event a moment after the write returns.
bool ChangedWithin(tray::StoreWatch& watch, DWORD milliseconds) {
    for (DWORD waited = 0; waited <= milliseconds; waited += 20) {
        if (watch.Changed()) {
            return true;
        }
        ::Sleep(20);
    }
    return false;
}

class StoreWatchTest : public ::testing::Test {
protected:
    void SetUp() override { store::DeleteKeyTree(HKEY_CURRENT_USER, kWatched); }
    void TearDown() override { store::DeleteKeyTree(HKEY_CURRENT_USER, kWatched); }
};

} // namespace

TEST_F(StoreWatchTest, AMissingStoreIsReadEveryTimeUntilItExists) {
    tray::StoreWatch watch(kWatched);
    EXPECT_TRUE(watch.Changed());
    EXPECT_TRUE(watch.Changed());
    EXPECT_FALSE(watch.Watching());

    SetWord(kWatched, "LastID", 5);
    EXPECT_TRUE(watch.Changed());
    EXPECT_TRUE(watch.Watching());
    EXPECT_FALSE(watch.Changed());
}

TEST_F(StoreWatchTest, EveryChangeBelowTheStoreIsSeenOnceAndQuietTimesCostNoRead) {
    SetWord(std::string(kWatched) + "\\GlobalPowerPolicy", "PwrSchemeAC", 3);
    tray::StoreWatch watch(kWatched);
    EXPECT_TRUE(watch.Changed()); // the first look always reads
    EXPECT_FALSE(watch.Changed());

    SetWordFromAnotherThread(std::string(kWatched) + "\\GlobalPowerPolicy", "PwrSchemeAC", 2);
    EXPECT_TRUE(ChangedWithin(watch, 2000));
    EXPECT_FALSE(watch.Changed());

    // A new mode key is a change too.
    SetWordFromAnotherThread(std::string(kWatched) + "\\PowerPolicy\\7", "ACPlug_IN", 1);
    EXPECT_TRUE(ChangedWithin(watch, 2000));
    EXPECT_FALSE(watch.Changed());
}

TEST_F(StoreWatchTest, AStoreRemovedAndMadeAgainIsSeenWithinTheRecheckPeriod) {
    SetWord(kWatched, "LastID", 5);
    tray::StoreWatch watch(kWatched, 400);
    EXPECT_TRUE(watch.Changed());
    EXPECT_FALSE(watch.Changed());

    // The watch on the removed key may never fire again; the recheck reads anyway and watches
    // the new key from then on.
    ASSERT_TRUE(store::DeleteKeyTree(HKEY_CURRENT_USER, kWatched));
    SetWord(kWatched, "LastID", 6);
    EXPECT_TRUE(ChangedWithin(watch, 1500));
    EXPECT_FALSE(watch.Changed());
    SetWordFromAnotherThread(kWatched, "LastID", 7);
    EXPECT_TRUE(ChangedWithin(watch, 300));
}

bool Lists(const tray::ModuleList& list, const std::string& path) {
    return std::any_of(list.begin(), list.end(), [&](const std::string& entry) {
        return tray::SameTextMultiByte(entry, path);
    });
}

std::string PathOf(HMODULE module) {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(module, path, MAX_PATH);
    return path;
}

// Paths are read once per module, and the list is taken again only when its head moved: a
// library loaded late is seen at the next look. One freed from the middle of the list (not
// only the last one loaded) is seen by a look for frees.
TEST(ForegroundModulesTest, TheListFollowsLoadsAndFreesWherePathsAreReadOnce) {
    using Look = tray::ForegroundModules::Look;
    const HWND window = ::CreateWindowExA(0, "STATIC", "linked", WS_POPUP, 0, 0, 1, 1, nullptr,
                                          nullptr, ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    tray::ForegroundModules modules;
    modules.Follow(window);
    EXPECT_NE(modules.Process(), nullptr);
    const tray::ModuleList first = modules.Paths(Look::ForLoads);
    ASSERT_TRUE(Lists(first, PathOf(nullptr)));
    const unsigned long readAtFirst = modules.PathsRead();
    EXPECT_EQ(readAtFirst, first.size());
    EXPECT_EQ(modules.Paths(Look::ForLoads), first);
    EXPECT_EQ(modules.PathsRead(), readAtFirst);
    EXPECT_EQ(modules.Listings(), 1u) << "nothing loaded: the head is enough";

    const HMODULE middle = ::LoadLibraryA("msimg32.dll");
    const HMODULE last = ::LoadLibraryA("dciman32.dll");
    ASSERT_TRUE(middle && last);
    const std::string middlePath = PathOf(middle);
    const std::string lastPath = PathOf(last);
    const tray::ModuleList loaded = modules.Paths(Look::ForLoads);
    EXPECT_EQ(loaded.size(), first.size() + 2);
    EXPECT_EQ(modules.PathsRead() - readAtFirst, 2u);
    EXPECT_TRUE(Lists(loaded, middlePath) && Lists(loaded, lastPath));

    const unsigned long generation = modules.Generation();
    ::FreeLibrary(middle);
    const tray::ModuleList freed = modules.Paths(Look::ForFrees);
    EXPECT_FALSE(Lists(freed, middlePath));
    EXPECT_TRUE(Lists(freed, lastPath));
    EXPECT_NE(modules.Generation(), generation);
    ::FreeLibrary(last);
    EXPECT_EQ(modules.Paths(Look::ForLoads), first);
    EXPECT_EQ(modules.PathsRead() - readAtFirst, 2u);

    // Every so many looks every path is read again (a library put in another's place).
    for (unsigned look = 0; look < tray::ForegroundModules::kLooksPerReread; ++look) {
        modules.Paths(Look::ForLoads);
    }
    EXPECT_EQ(modules.Rereads(), 1u);
    EXPECT_EQ(modules.PathsRead() - readAtFirst, 2u + first.size());

    // No window: nothing, and the process is let go.
    modules.Follow(nullptr);
    EXPECT_TRUE(modules.Paths().empty());
    EXPECT_EQ(modules.Process(), nullptr);
    ::DestroyWindow(window);
}

TEST(ForegroundModulesTest, CaseAndMultiByteRulesOfTheComparison) {
    EXPECT_TRUE(tray::SameTextMultiByte("C:\\Linked Apps\\Tool.EXE", "c:\\linked apps\\tool.exe"));
    EXPECT_FALSE(tray::SameTextMultiByte("C:\\Tool.exe", "C:\\Tool.exe2"));
    EXPECT_FALSE(tray::SameTextMultiByte("", "C:\\Tool.exe"));
}

namespace {

// The target's reports that arrived within about a second.
std::vector<HWND> Reports(HWND target, UINT message) {
    std::vector<HWND> reports;
    MSG m;
    for (int i = 0; i < 50; ++i) {
        while (::PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.hwnd == target && m.message == message) {
                reports.push_back(reinterpret_cast<HWND>(m.lParam));
            }
            ::DispatchMessageA(&m);
        }
        if (!reports.empty()) {
            break;
        }
        ::Sleep(20);
    }
    return reports;
}

} // namespace

// A change of the foreground window reaches the target as a posted message, so a linked
// program is seen the moment it comes to the front; a stopped hook reports nothing. The event
// is raised as the system raises it (Wine 8 raises none of its own for a foreground change).
TEST(ForegroundHookTest, AForegroundChangeIsPostedToTheTargetUntilStopped) {
    constexpr UINT kMessage = WM_APP + 77;
    const HWND target = ::CreateWindowExA(0, "STATIC", "target", WS_POPUP, 0, 0, 1, 1, nullptr,
                                          nullptr, ::GetModuleHandleA(nullptr), nullptr);
    const HWND front = ::CreateWindowExA(0, "STATIC", "front", WS_POPUP, 0, 0, 1, 1, nullptr,
                                         nullptr, ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(target && front);

    tray::ForegroundHook hook;
    ASSERT_TRUE(hook.Start(target, kMessage));
    Reports(target, kMessage);
    ::NotifyWinEvent(EVENT_SYSTEM_FOREGROUND, front, OBJID_WINDOW, CHILDID_SELF);
    EXPECT_EQ(Reports(target, kMessage), std::vector<HWND>{front});
    // Other events are not the hook's.
    ::NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, front, OBJID_WINDOW, CHILDID_SELF);
    EXPECT_TRUE(Reports(target, kMessage).empty());

    hook.Stop();
    EXPECT_FALSE(hook.Running());
    ::NotifyWinEvent(EVENT_SYSTEM_FOREGROUND, front, OBJID_WINDOW, CHILDID_SELF);
    EXPECT_TRUE(Reports(target, kMessage).empty());
    for (const HWND window : {front, target}) {
        ::DestroyWindow(window);
    }
}
