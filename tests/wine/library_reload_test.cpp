// Our libraries loaded and freed many times in one process, as the tray loads the power library
// at every apply and the Control Panel the applet each time it lists its items: nothing of the process runs out (TLS indexes and handles, which the static
// run-time used to keep some of per load) and the library still answers at the end.
#include <windows.h>

#include <cpl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "NotebookInterfaces.h"
#include "framework/UniqueHandle.h"

namespace {

// Past the 1,088 TLS indexes a process has: a leak of one per load shows before the end.
constexpr int kLoads = 1200;

DWORD NextFreeTlsIndex() {
    const DWORD index = ::TlsAlloc();
    ::TlsFree(index);
    return index;
}

// The value of the next handle the process gets: it grows when handles are kept.
std::uintptr_t NextHandleValue() {
    const HANDLE event = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
    ::CloseHandle(event);
    return reinterpret_cast<std::uintptr_t>(event);
}

// What a caller does with the library between its load and its free.
using Use = void (*)(HMODULE);

void ReloadMany(const std::string& name, Use use = nullptr) {
    // The first load may start a system library for good (user32 keeps an index of its own).
    {
        HMODULE first = ::LoadLibraryA(name.c_str());
        if (first && use) {
            use(first);
        }
        ::FreeLibrary(first);
    }
    const DWORD before = NextFreeTlsIndex();
    const std::uintptr_t handleBefore = NextHandleValue();
    for (int i = 0; i < kLoads; ++i) {
        HMODULE module = ::LoadLibraryA(name.c_str());
        ASSERT_NE(module, nullptr) << name << " load " << i << " error " << ::GetLastError();
        if (use) {
            use(module);
        }
        ::FreeLibrary(module);
    }
    EXPECT_EQ(NextFreeTlsIndex(), before) << name;
    EXPECT_EQ(NextHandleValue(), handleBefore) << name;
}

// The Control Panel's pattern each time it lists its items: load, initialise, ask for the
// item, exit, free.
void ListAppletItem(HMODULE cpl) {
    using CplFn = LONG(APIENTRY*)(HWND, UINT, LPARAM, LPARAM);
    const auto entry = framework::ProcAddress<CplFn>(cpl, "CPlApplet");
    ASSERT_NE(entry, nullptr);
    ASSERT_EQ(entry(nullptr, CPL_INIT, 0, 0), 1);
    ASSERT_EQ(entry(nullptr, CPL_GETCOUNT, 0, 0), 1);
    NEWCPLINFOA info = {};
    entry(nullptr, CPL_NEWINQUIRE, 0, reinterpret_cast<LPARAM>(&info));
    ASSERT_NE(info.hIcon, nullptr);
    ::DestroyIcon(info.hIcon);
    entry(nullptr, CPL_EXIT, 0, 0);
}

TEST(LibraryReload, NotebookLibrariesGiveBackWhatTheyTake) {
    for (const char* name : {"powrprof.dll", "Sarnesh.dll", "PORTAX.DLL", "VodovEriz.dll"}) {
        ReloadMany(name);
    }
    framework::UniqueModule sarnesh(::LoadLibraryA("Sarnesh.dll"));
    ASSERT_TRUE(sarnesh);
    const auto getPolicy =
        framework::ProcAddress<notebook::GetKvPolicyFn>(sarnesh.Get(), "GetKvPolicy");
    ASSERT_NE(getPolicy, nullptr);
    unsigned char record[notebook::kPolicySize] = {};
    EXPECT_NE(getPolicy(record), 0);
}

TEST(LibraryReload, InstallerLibraryGivesBackWhatItTakes) {
    ReloadMany(TOBRINEL_PATH);
}

TEST(LibraryReload, AppletGivesBackWhatItTakes) {
    ReloadMany(VUMO_PATH, ListAppletItem);
}

} // namespace
