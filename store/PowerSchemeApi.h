// The power-scheme interface of Windows Vista and later, bound by name for one operation as
// PowerApi binds the XP functions: an XP system has none of these entry points and a partial
// replacement library may lack some. A missing one is traced and its forwarder reports
// ERROR_CALL_NOT_IMPLEMENTED without calling anything, so the system stays as it was.
#pragma once

#include <windows.h>

#include <array>

#include "../framework/UniqueHandle.h"

namespace store {

// The bound entry points, in the order they are looked up.
enum class SchemeEntry {
    PowerEnumerate,
    PowerReadFriendlyName,
    PowerWriteFriendlyName,
    PowerWriteDescription,
    PowerDuplicateScheme,
    PowerDeleteScheme,
    PowerGetActiveScheme,
    PowerSetActiveScheme,
    PowerReadACValueIndex,
    PowerReadDCValueIndex,
    PowerWriteACValueIndex,
    PowerWriteDCValueIndex,
    Count
};

// PowerEnumerate's choice of what to list: the schemes themselves.
inline constexpr DWORD kAccessScheme = 16; // ACCESS_SCHEME

class PowerSchemeApi {
public:
    explicit PowerSchemeApi(const char* libraryName = "powrprof.dll");

    PowerSchemeApi(const PowerSchemeApi&) = delete;
    PowerSchemeApi& operator=(const PowerSchemeApi&) = delete;

    bool Has(SchemeEntry entry) const;

    // Every function works on the user's schemes (no root key) and returns the library's
    // Win32 error code. Names and descriptions are UTF-16 text with its terminator, sized in
    // bytes.
    DWORD EnumerateScheme(ULONG index, GUID& scheme);
    DWORD ReadFriendlyName(const GUID& scheme, UCHAR* buffer, DWORD& size);
    DWORD WriteFriendlyName(const GUID& scheme, const wchar_t* name, DWORD size);
    DWORD WriteDescription(const GUID& scheme, const wchar_t* text, DWORD size);
    // `destination` names the GUID wished for; the library may give another one, which the
    // forwarder copies back (and frees the library's block).
    DWORD DuplicateScheme(const GUID& source, GUID& destination);
    DWORD DeleteScheme(const GUID& scheme);
    DWORD GetActiveScheme(GUID& scheme);
    DWORD SetActiveScheme(const GUID& scheme);
    DWORD ReadValueIndex(bool ac, const GUID& scheme, const GUID& subgroup, const GUID& setting,
                         DWORD& value);
    DWORD WriteValueIndex(bool ac, const GUID& scheme, const GUID& subgroup, const GUID& setting,
                          DWORD value);

private:
    using AnyProc = void (*)();

    // The pointer of one entry, or null after a trace naming what is missing.
    template <typename Fn>
    Fn Proc(SchemeEntry entry) const {
        // A pointer to void() is the neutral type GetProcAddress results are kept in; the
        // real signature is the documented one the caller names.
        const AnyProc proc = procs_[static_cast<std::size_t>(entry)];
        if (proc == nullptr) {
            TraceMissing(entry);
        }
        return reinterpret_cast<Fn>(proc);
    }
    static void TraceMissing(SchemeEntry entry);

    framework::UniqueModule module_;
    std::array<AnyProc, static_cast<std::size_t>(SchemeEntry::Count)> procs_{};
};

} // namespace store
