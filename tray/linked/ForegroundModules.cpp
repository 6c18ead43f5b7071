#include "tray/linked/ForegroundModules.h"

#include <mbstring.h>
#include <psapi.h>

#include <algorithm>
#include <string>

namespace tray {

namespace {

constexpr DWORD kMaxModules = 1024;

} // namespace

void ForegroundModules::Forget() {
    ++generation_;
    processId_ = 0;
    process_.Reset();
    waitable_ = false;
    handles_.clear();
    paths_.clear();
    looksSinceReread_ = 0;
}

void ForegroundModules::Follow(HWND window) {
    DWORD processId = 0;
    if (window != nullptr) {
        ::GetWindowThreadProcessId(window, &processId);
    }
    if (processId == 0) {
        Forget();
        return;
    }
    // The same id with our handle still held is the same process: an id is not given to a
    // new process while a handle to the old one is open.
    if (processId == processId_ && process_) {
        return;
    }
    Forget();
    // SYNCHRONIZE beyond what the listing needs, so that the end of the process can be waited
    // for; a process that refuses it is opened for the listing alone, and not waited on.
    process_.Reset(
        ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    waitable_ = static_cast<bool>(process_);
    if (!process_) {
        process_.Reset(
            ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    }
    if (process_) {
        processId_ = processId;
    }
}

// The list is taken at every look: a library freed from the middle of it changes nothing
// cheaper to read (the list's head stays as it was).
const ModuleList& ForegroundModules::Paths() {
    if (!process_) {
        return paths_;
    }
    std::vector<HMODULE> handles(kMaxModules);
    DWORD needed = 0;
    if (!::EnumProcessModules(process_.Get(), handles.data(),
                              static_cast<DWORD>(handles.size() * sizeof(HMODULE)), &needed)) {
        // A process still starting may not be listed yet: the process is kept and listed
        // again at the next look.
        if (!handles_.empty() || !paths_.empty()) {
            ++generation_;
        }
        handles_.clear();
        paths_.clear();
        return paths_;
    }
    handles.resize(std::min<DWORD>(needed / sizeof(HMODULE), kMaxModules));
    const bool reread = ++looksSinceReread_ >= kLooksPerReread;
    if (handles == handles_ && !reread) {
        return paths_;
    }
    if (reread) {
        looksSinceReread_ = 0;
        ++rereads_;
    }
    // A module already seen at the same address keeps its path, except at the periodic
    // re-read; only new ones are read.
    ModuleList paths;
    paths.reserve(handles.size());
    for (const HMODULE module : handles) {
        const auto known = std::find(handles_.begin(), handles_.end(), module);
        if (known != handles_.end() && !reread) {
            paths.push_back(paths_[static_cast<std::size_t>(known - handles_.begin())]);
            continue;
        }
        char path[MAX_PATH] = {};
        const DWORD length = ::GetModuleFileNameExA(process_.Get(), module, path, MAX_PATH);
        ++pathsRead_;
        paths.emplace_back(path, std::min<DWORD>(length, MAX_PATH - 1));
    }
    handles_ = std::move(handles);
    if (paths != paths_) {
        paths_ = std::move(paths);
        ++generation_;
    }
    return paths_;
}

bool SameTextMultiByte(std::string_view a, std::string_view b) {
    const std::string left(a);
    const std::string right(b);
    return ::_mbsicmp(reinterpret_cast<const unsigned char*>(left.c_str()),
                      reinterpret_cast<const unsigned char*>(right.c_str())) == 0;
}

} // namespace tray
