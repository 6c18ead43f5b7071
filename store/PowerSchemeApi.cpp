#include "PowerSchemeApi.h"

#include "../framework/Trace.h"

namespace store {
namespace {

constexpr std::array<const char*, static_cast<std::size_t>(SchemeEntry::Count)> kEntryNames = {
    "PowerEnumerate",        "PowerReadFriendlyName",  "PowerWriteFriendlyName",
    "PowerWriteDescription", "PowerDuplicateScheme",   "PowerDeleteScheme",
    "PowerGetActiveScheme",  "PowerSetActiveScheme",   "PowerReadACValueIndex",
    "PowerReadDCValueIndex", "PowerWriteACValueIndex", "PowerWriteDCValueIndex"};

// The documented signatures (powrprof.h declares them only for programs built for Vista; the
// suite's programs also run on XP). The data-accessor enumeration is passed as its value.
using EnumerateFn = DWORD(WINAPI*)(HKEY, const GUID*, const GUID*, DWORD, ULONG, UCHAR*, DWORD*);
using ReadNameFn = DWORD(WINAPI*)(HKEY, const GUID*, const GUID*, const GUID*, UCHAR*, DWORD*);
using WriteNameFn = DWORD(WINAPI*)(HKEY, const GUID*, const GUID*, const GUID*, UCHAR*, DWORD);
using DuplicateFn = DWORD(WINAPI*)(HKEY, const GUID*, GUID**);
using SchemeFn = DWORD(WINAPI*)(HKEY, const GUID*);
using GetActiveFn = DWORD(WINAPI*)(HKEY, GUID**);
using ReadIndexFn = DWORD(WINAPI*)(HKEY, const GUID*, const GUID*, const GUID*, DWORD*);
using WriteIndexFn = DWORD(WINAPI*)(HKEY, const GUID*, const GUID*, const GUID*, DWORD);

// The library reads the text through a byte pointer it does not write through.
UCHAR* TextBytes(const wchar_t* text) {
    return reinterpret_cast<UCHAR*>(const_cast<wchar_t*>(text));
}

} // namespace

PowerSchemeApi::PowerSchemeApi(const char* libraryName) : module_(::LoadLibraryA(libraryName)) {
    if (!module_) {
        return;
    }
    for (std::size_t i = 0; i < kEntryNames.size(); ++i) {
        procs_[i] = framework::ProcAddress<AnyProc>(module_.Get(), kEntryNames[i]);
    }
}

bool PowerSchemeApi::Has(SchemeEntry entry) const {
    const auto index = static_cast<std::size_t>(entry);
    return index < procs_.size() && procs_[index] != nullptr;
}

void PowerSchemeApi::TraceMissing(SchemeEntry entry) {
    framework::Trace("powrprof: %s is missing; nothing was changed.\n",
                     kEntryNames[static_cast<std::size_t>(entry)]);
}

DWORD PowerSchemeApi::EnumerateScheme(ULONG index, GUID& scheme) {
    auto fn = Proc<EnumerateFn>(SchemeEntry::PowerEnumerate);
    DWORD size = sizeof scheme;
    return fn == nullptr ? ERROR_CALL_NOT_IMPLEMENTED
                         : fn(nullptr, nullptr, nullptr, kAccessScheme, index,
                              reinterpret_cast<UCHAR*>(&scheme), &size);
}

DWORD PowerSchemeApi::ReadFriendlyName(const GUID& scheme, UCHAR* buffer, DWORD& size) {
    auto fn = Proc<ReadNameFn>(SchemeEntry::PowerReadFriendlyName);
    return fn == nullptr ? ERROR_CALL_NOT_IMPLEMENTED
                         : fn(nullptr, &scheme, nullptr, nullptr, buffer, &size);
}

DWORD PowerSchemeApi::WriteFriendlyName(const GUID& scheme, const wchar_t* name, DWORD size) {
    auto fn = Proc<WriteNameFn>(SchemeEntry::PowerWriteFriendlyName);
    return fn == nullptr ? ERROR_CALL_NOT_IMPLEMENTED
                         : fn(nullptr, &scheme, nullptr, nullptr, TextBytes(name), size);
}

DWORD PowerSchemeApi::WriteDescription(const GUID& scheme, const wchar_t* text, DWORD size) {
    auto fn = Proc<WriteNameFn>(SchemeEntry::PowerWriteDescription);
    return fn == nullptr ? ERROR_CALL_NOT_IMPLEMENTED
                         : fn(nullptr, &scheme, nullptr, nullptr, TextBytes(text), size);
}

DWORD PowerSchemeApi::DuplicateScheme(const GUID& source, GUID& destination) {
    auto fn = Proc<DuplicateFn>(SchemeEntry::PowerDuplicateScheme);
    if (fn == nullptr) {
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
    // A pointer to our own GUID asks for that GUID; a library that allocates one anyway
    // puts its block's address in the pointer, and the caller frees it with LocalFree.
    GUID* made = &destination;
    const DWORD result = fn(nullptr, &source, &made);
    if (made != nullptr && made != &destination) {
        framework::UniqueLocal block(made);
        if (result == ERROR_SUCCESS) {
            destination = *made;
        }
    }
    return result;
}

DWORD PowerSchemeApi::DeleteScheme(const GUID& scheme) {
    auto fn = Proc<SchemeFn>(SchemeEntry::PowerDeleteScheme);
    return fn == nullptr ? ERROR_CALL_NOT_IMPLEMENTED : fn(nullptr, &scheme);
}

DWORD PowerSchemeApi::GetActiveScheme(GUID& scheme) {
    auto fn = Proc<GetActiveFn>(SchemeEntry::PowerGetActiveScheme);
    if (fn == nullptr) {
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
    GUID* active = nullptr;
    const DWORD result = fn(nullptr, &active);
    // The library allocated the GUID for us.
    framework::UniqueLocal block(active);
    if (result == ERROR_SUCCESS && active != nullptr) {
        scheme = *active;
    }
    return active == nullptr && result == ERROR_SUCCESS ? ERROR_INVALID_DATA : result;
}

DWORD PowerSchemeApi::SetActiveScheme(const GUID& scheme) {
    auto fn = Proc<SchemeFn>(SchemeEntry::PowerSetActiveScheme);
    return fn == nullptr ? ERROR_CALL_NOT_IMPLEMENTED : fn(nullptr, &scheme);
}

DWORD PowerSchemeApi::ReadValueIndex(bool ac, const GUID& scheme, const GUID& subgroup,
                                     const GUID& setting, DWORD& value) {
    auto fn = Proc<ReadIndexFn>(ac ? SchemeEntry::PowerReadACValueIndex
                                   : SchemeEntry::PowerReadDCValueIndex);
    return fn == nullptr ? ERROR_CALL_NOT_IMPLEMENTED
                         : fn(nullptr, &scheme, &subgroup, &setting, &value);
}

DWORD PowerSchemeApi::WriteValueIndex(bool ac, const GUID& scheme, const GUID& subgroup,
                                      const GUID& setting, DWORD value) {
    auto fn = Proc<WriteIndexFn>(ac ? SchemeEntry::PowerWriteACValueIndex
                                    : SchemeEntry::PowerWriteDCValueIndex);
    return fn == nullptr ? ERROR_CALL_NOT_IMPLEMENTED
                         : fn(nullptr, &scheme, &subgroup, &setting, value);
}

} // namespace store
