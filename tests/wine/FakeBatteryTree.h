// The session's fake power-supply tree as a Windows test program reaches it (Z: is the host's
// root): the emulated notebook's battery driver and Wine's own power status both read it, so a
// test changes the battery by writing these files.
#pragma once

#include <windows.h>

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

// Runs the notebook's set-up with `arguments` ("--battery-slots 2"); true when it succeeded.
inline bool RunSetup(const std::string& arguments) {
    std::string command = "C:\\windows\\NotebookSetup.exe " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                          nullptr, nullptr, &startup, &process)) {
        return false;
    }
    ::WaitForSingleObject(process.hProcess, 60000);
    DWORD code = 1;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return code == 0;
}

// Mains on, the first battery full, as the session starts.
inline void Reset() {
    Write("AC\\online", "1");
    Battery("BAT0", 100, false);
    Write("BAT0\\status", "Full");
}

} // namespace fake_battery
