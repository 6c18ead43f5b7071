// Our libraries loaded and freed many times in one process, as the tray loads the power library
// at every apply: nothing of the process runs out (TLS indexes and handles, which the static
// run-time used to keep some of per load) and the library still answers at the end.
#include <windows.h>

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

void ReloadMany(const std::string& name) {
    // The first load may start a system library for good (user32 keeps an index of its own).
    ::FreeLibrary(::LoadLibraryA(name.c_str()));
    const DWORD before = NextFreeTlsIndex();
    const std::uintptr_t handleBefore = NextHandleValue();
    for (int i = 0; i < kLoads; ++i) {
        HMODULE module = ::LoadLibraryA(name.c_str());
        ASSERT_NE(module, nullptr) << name << " load " << i << " error " << ::GetLastError();
        ::FreeLibrary(module);
    }
    EXPECT_EQ(NextFreeTlsIndex(), before) << name;
    EXPECT_EQ(NextHandleValue(), handleBefore) << name;
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

} // namespace
