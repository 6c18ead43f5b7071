#include "tray/linked/ForegroundModules.h"

#include <mbstring.h>
#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <cstddef>
#include <string>

namespace tray {

namespace {

constexpr DWORD kMaxModules = 1024;

bool ReadRemote(HANDLE process, const void* address, void* buffer, SIZE_T size) {
    SIZE_T read = 0;
    return ::ReadProcessMemory(process, address, buffer, size, &read) && read == size;
}

} // namespace

void ForegroundModules::Forget() {
    ++generation_;
    processId_ = 0;
    process_.Reset();
    handles_.clear();
    paths_.clear();
    listHeadAddress_ = nullptr;
    listHeadKnown_ = false;
    looksSinceWalk_ = 0;
}

// The system links every module it loads at the tail of the list and unlinks every module it
// frees, so a head that has not moved means a list that has not changed.
bool ForegroundModules::ReadListHead(LIST_ENTRY& head) {
    if (listHeadAddress_ == nullptr) {
        using QueryFn = decltype(&::NtQueryInformationProcess);
        static const auto query = framework::ProcAddress<QueryFn>(
            ::GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess");
        PROCESS_BASIC_INFORMATION basic{};
        ULONG length = 0;
        if (query == nullptr ||
            query(process_.Get(), ProcessBasicInformation, &basic, sizeof basic, &length) != 0 ||
            basic.PebBaseAddress == nullptr) {
            return false;
        }
        PPEB_LDR_DATA loader = nullptr;
        // A process still starting has no loader data yet: asked again at the next look.
        if (!ReadRemote(process_.Get(),
                        reinterpret_cast<const char*>(basic.PebBaseAddress) + offsetof(PEB, Ldr),
                        &loader, sizeof loader) ||
            loader == nullptr) {
            return false;
        }
        listHeadAddress_ =
            reinterpret_cast<const char*>(loader) + offsetof(PEB_LDR_DATA, InMemoryOrderModuleList);
    }
    return ReadRemote(process_.Get(), listHeadAddress_, &head, sizeof head);
}

const ModuleList& ForegroundModules::Of(HWND window) {
    Follow(window);
    return Paths();
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
    // for; a process that refuses it is opened for the listing alone.
    process_.Reset(::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE,
                                 processId));
    if (!process_) {
        process_.Reset(
            ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    }
    if (process_) {
        processId_ = processId;
    }
}

const ModuleList& ForegroundModules::Paths() {
    if (!process_) {
        return paths_;
    }
    // Read before the walk: a module loaded in between moves the head away from what is kept
    // and is walked for at the next look.
    LIST_ENTRY head{};
    const bool headRead = ReadListHead(head);
    if (headRead && listHeadKnown_ && head.Flink == listHead_.Flink &&
        head.Blink == listHead_.Blink && ++looksSinceWalk_ < kLooksPerWalk) {
        return paths_;
    }
    listHeadKnown_ = headRead;
    listHead_ = head;
    looksSinceWalk_ = 0;
    ++walks_;
    std::vector<HMODULE> handles(kMaxModules);
    DWORD needed = 0;
    if (!::EnumProcessModules(process_.Get(), handles.data(),
                              static_cast<DWORD>(handles.size() * sizeof(HMODULE)), &needed)) {
        // A process still starting may not be listed yet: the process is kept and listed
        // again at the next look.
        handles_.clear();
        paths_.clear();
        listHeadKnown_ = false;
        ++generation_;
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
    ++generation_;
    return paths_;
}

bool SameTextMultiByte(std::string_view a, std::string_view b) {
    const std::string left(a);
    const std::string right(b);
    return ::_mbsicmp(reinterpret_cast<const unsigned char*>(left.c_str()),
                      reinterpret_cast<const unsigned char*>(right.c_str())) == 0;
}

} // namespace tray
