// The session's fake power-supply tree as a Windows test program reaches it (Z: is the host's
// root): the emulated notebook's battery driver and Wine's own power status both read it, so a
// test changes the battery by writing these files.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include "framework/UniqueHandle.h"

#include <cstdlib>
#include <fstream>
#include <string>

namespace fake_battery {

inline bool InSession() {
    return std::getenv("SUITE_FAKE_BATTERY") != nullptr;
}

inline std::string TreePath() {
    const char* tree = std::getenv("SUITE_FAKE_BATTERY");
    std::string path = "Z:";
    for (const char* c = tree != nullptr ? tree : ""; *c != '\0'; ++c) {
        path.push_back(*c == '/' ? '\\' : *c);
    }
    return path;
}

// One attribute, "BAT0\\technology" for instance; its supply is made when missing.
inline void Write(const std::string& file, const std::string& text) {
    const std::string path = TreePath() + "\\" + file;
    ::CreateDirectoryA(path.substr(0, path.rfind('\\')).c_str(), nullptr);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text << "\n";
}

// The fake battery's pack: 4.4 Ah full at 11.1 V, at `percent` as Wine will report it.
inline void Battery(const std::string& name, int percent, bool charging) {
    Write(name + "\\type", "Battery");
    Write(name + "\\present", "1");
    Write(name + "\\status", charging ? "Charging" : "Discharging");
    Write(name + "\\voltage_now", "11100000");
    Write(name + "\\charge_full", "4400000");
    Write(name + "\\charge_full_design", "4800000");
    Write(name + "\\charge_now", std::to_string(4400000LL * (2 * percent + 1) / 200));
    Write(name + "\\current_now", "1500000");
    Write(name + "\\technology", "Li-ion");
}

// Runs the notebook's set-up with `arguments` ("--battery-slots 2"), for a minute at most. A
// failure carries what the set-up printed, or why it did not start, so that a run on another
// machine says why.
inline ::testing::AssertionResult RunSetup(const std::string& arguments) {
    std::string command = "C:\\windows\\NotebookSetup.exe " + arguments;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    framework::UniqueKernelHandle read, write;
    if (!::CreatePipe(read.Put(), write.Put(), &inherit, 0)) {
        return ::testing::AssertionFailure() << "no pipe (error " << ::GetLastError() << ")";
    }
    ::SetHandleInformation(read.Get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = write.Get();
    startup.hStdError = write.Get();
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                          nullptr, nullptr, &startup, &process)) {
        return ::testing::AssertionFailure() << command << " did not start (error "
                                             << ::GetLastError() << ")";
    }
    const framework::UniqueKernelHandle child(process.hProcess), thread(process.hThread);
    write.Reset();
    // Its few lines fit the pipe's buffer: waited for first, then read without blocking, so
    // that a set-up that hangs costs the bound, not the test.
    const DWORD waited = ::WaitForSingleObject(child.Get(), 60000);
    DWORD code = 1;
    ::GetExitCodeProcess(child.Get(), &code);
    if (waited == WAIT_OBJECT_0 && code == 0) {
        return ::testing::AssertionSuccess();
    }
    std::string output;
    char buffer[512];
    DWORD available = 0, got = 0;
    while (::PeekNamedPipe(read.Get(), nullptr, 0, nullptr, &available, nullptr) &&
           available > 0 && ::ReadFile(read.Get(), buffer, sizeof buffer, &got, nullptr) &&
           got > 0) {
        output.append(buffer, got);
    }
    return ::testing::AssertionFailure()
           << command << (waited == WAIT_OBJECT_0 ? " ended with " : " still running, ")
           << code << ": " << output;
}

// Mains on, the first battery full, as the session starts.
inline void Reset() {
    Write("AC\\online", "1");
    Battery("BAT0", 100, false);
    Write("BAT0\\status", "Full");
}

} // namespace fake_battery
