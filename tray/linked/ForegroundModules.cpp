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

ForegroundModules::ForegroundModules()
    : query_(framework::ProcAddress<QueryFn>(::GetModuleHandleA("ntdll.dll"),
                                             "NtQueryInformationProcess")) {}

void ForegroundModules::Forget() {
    ++generation_;
    processId_ = 0;
    process_.Reset();
    waitable_ = false;
    handles_.clear();
    paths_.clear();
    listHeadAddress_ = nullptr;
    listHeadKnown_ = false;
    looksSinceReread_ = 0;
}

// The system links every module it loads at the tail of the list, so any load moves the
// head's Blink, and freeing the first or the last module moves the head too. Only a module
// freed from the middle leaves the head as it was.
bool ForegroundModules::ReadListHead(LIST_ENTRY& head) {
    if (listHeadAddress_ == nullptr) {
        PROCESS_BASIC_INFORMATION basic{};
        ULONG length = 0;
        if (query_ == nullptr ||
            query_(process_.Get(), ProcessBasicInformation, &basic, sizeof basic, &length) != 0 ||
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

const ModuleList& ForegroundModules::Paths(Look look) {
    if (!process_) {
        return paths_;
    }
    // Read before the listing: a module loaded in between moves the head away from what is
    // kept and is listed at the next look.
    LIST_ENTRY head{};
    const bool headRead = ReadListHead(head);
    const bool headKept = headRead && listHeadKnown_ && head.Flink == listHead_.Flink &&
                          head.Blink == listHead_.Blink;
    listHeadKnown_ = headRead;
    listHead_ = head;
    const bool reread = ++looksSinceReread_ >= kLooksPerReread;
    if (look == Look::ForLoads && headKept && !reread) {
        return paths_;
    }
    ++listings_;
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
        listHeadKnown_ = false;
        return paths_;
    }
    handles.resize(std::min<DWORD>(needed / sizeof(HMODULE), kMaxModules));
    if (handles == handles_ && !reread) {
        return paths_;
    }
    if (reread) {
        looksSinceReread_ = 0;
        ++rereads_;
    }
    // A module seen before keeps its path, except at the periodic re-read; only new ones are
    // read. The list keeps its order and grows at its tail, so the old list is matched in
    // order: a library freed and another loaded at its address comes at the tail, past the
    // old entry, and is read.
    ModuleList paths;
    paths.reserve(handles.size());
    auto next = handles_.begin();
    for (const HMODULE module : handles) {
        const auto known = std::find(next, handles_.end(), module);
        if (known != handles_.end() && !reread) {
            paths.push_back(paths_[static_cast<std::size_t>(known - handles_.begin())]);
            next = known + 1;
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
