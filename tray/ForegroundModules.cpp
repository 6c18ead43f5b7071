#include "ForegroundModules.h"

#include <mbstring.h>
#include <psapi.h>

#include <algorithm>
#include <string>

namespace tray {

namespace {

constexpr DWORD kMaxModules = 1024;

} // namespace

void ForegroundModules::Forget() {
    processId_ = 0;
    process_.Reset();
    handles_.clear();
    paths_.clear();
}

const ModuleList& ForegroundModules::Of(HWND window) {
    DWORD processId = 0;
    if (window != nullptr) {
        ::GetWindowThreadProcessId(window, &processId);
    }
    if (processId == 0) {
        Forget();
        return paths_;
    }
    // The same id with our handle still held is the same process, unless that process has
    // ended (a window of an ended process cannot be in front, but the answer costs nothing).
    DWORD exitCode = 0;
    const bool same = processId == processId_ && process_ &&
                      ::GetExitCodeProcess(process_.Get(), &exitCode) &&
                      exitCode == STILL_ACTIVE;
    if (!same) {
        Forget();
        process_.Reset(
            ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
        if (!process_) {
            return paths_;
        }
        processId_ = processId;
    }
    std::vector<HMODULE> handles(kMaxModules);
    DWORD needed = 0;
    if (!::EnumProcessModules(process_.Get(), handles.data(),
                              static_cast<DWORD>(handles.size() * sizeof(HMODULE)), &needed)) {
        Forget();
        return paths_;
    }
    handles.resize(std::min<DWORD>(needed / sizeof(HMODULE), kMaxModules));
    if (handles == handles_) {
        return paths_;
    }
    // A module already seen at the same address keeps its path; only new ones are read.
    ModuleList paths;
    paths.reserve(handles.size());
    for (const HMODULE module : handles) {
        const auto known = std::find(handles_.begin(), handles_.end(), module);
        if (known != handles_.end()) {
            paths.push_back(paths_[static_cast<std::size_t>(known - handles_.begin())]);
            continue;
        }
        char path[MAX_PATH] = {};
        const DWORD length = ::GetModuleFileNameExA(process_.Get(), module, path, MAX_PATH);
        ++pathsRead_;
        paths.emplace_back(path, std::min<DWORD>(length, MAX_PATH - 1));
    }
    handles_ = std::move(handles);
    paths_ = std::move(paths);
    return paths_;
}

bool SameTextMultiByte(std::string_view a, std::string_view b) {
    const std::string left(a);
    const std::string right(b);
    return ::_mbsicmp(reinterpret_cast<const unsigned char*>(left.c_str()),
                      reinterpret_cast<const unsigned char*>(right.c_str())) == 0;
}

} // namespace tray
