#include "SchemeStubLibrary.h"

#include <cstring>
#include <cwchar>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Scheme {
    GUID guid;
    std::wstring name;
    std::wstring description;
    std::map<std::pair<std::string, bool>, DWORD> values; // (subgroup+setting, ac)
};

SchemeStubControl g_control;
std::vector<Scheme> g_schemes;
GUID g_active;
unsigned g_nextGuid = 1;

constexpr GUID kBalanced = {
    0x381b4222, 0xf694, 0x41f0, {0x96, 0x85, 0xff, 0x5b, 0xb2, 0x60, 0xdf, 0x2e}};
constexpr GUID kHigh = {
    0x8c5e7fda, 0xe8bf, 0x4a96, {0x9a, 0x85, 0xa6, 0xe2, 0x3a, 0x8c, 0x63, 0x5c}};
constexpr GUID kSaver = {
    0xa1841308, 0x3541, 0x4fab, {0xbc, 0x81, 0xf7, 0x15, 0x56, 0xf2, 0x0b, 0x4a}};

bool Same(const GUID& a, const GUID& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

std::string Key(const GUID* subgroup, const GUID* setting) {
    std::string key(2 * sizeof(GUID), '\0');
    std::memcpy(key.data(), subgroup, sizeof(GUID));
    std::memcpy(key.data() + sizeof(GUID), setting, sizeof(GUID));
    return key;
}

Scheme* Find(const GUID* guid) {
    if (guid == nullptr) {
        return nullptr;
    }
    for (Scheme& s : g_schemes) {
        if (Same(s.guid, *guid)) {
            return &s;
        }
    }
    return nullptr;
}

DWORD CopyText(const std::wstring& text, UCHAR* buffer, DWORD* size) {
    const DWORD needed = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    if (buffer == nullptr) {
        *size = needed;
        return ERROR_SUCCESS;
    }
    if (*size < needed) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    std::memcpy(buffer, text.c_str(), needed);
    *size = needed;
    return ERROR_SUCCESS;
}

DWORD WriteValue(const GUID* scheme, const GUID* subgroup, const GUID* setting, bool ac,
                 DWORD value) {
    Scheme* s = Find(scheme);
    if (s == nullptr || subgroup == nullptr || setting == nullptr) {
        return ERROR_FILE_NOT_FOUND;
    }
    if (g_control.refusedError != 0 && Same(*setting, g_control.refusedSetting)) {
        return g_control.refusedError;
    }
    s->values[{Key(subgroup, setting), ac}] = value;
    return ERROR_SUCCESS;
}

DWORD ReadValue(const GUID* scheme, const GUID* subgroup, const GUID* setting, bool ac,
                DWORD* value) {
    const Scheme* s = Find(scheme);
    if (s == nullptr || subgroup == nullptr || setting == nullptr || value == nullptr) {
        return ERROR_FILE_NOT_FOUND;
    }
    const auto it = s->values.find({Key(subgroup, setting), ac});
    if (it == s->values.end()) {
        return ERROR_FILE_NOT_FOUND;
    }
    *value = it->second;
    return ERROR_SUCCESS;
}

} // namespace

// Exported undecorated (the link strips the stdcall suffix), as the system library does.
#define EXPORT extern "C" __declspec(dllexport)

EXPORT SchemeStubControl* WINAPI SchemeStubControlBlock() {
    return &g_control;
}

EXPORT void WINAPI SchemeStubReset() {
    g_control = SchemeStubControl{};
    g_control.shrinkAtIndex = -1;
    g_schemes = {{kBalanced, L"Balanced", L"", {}},
                 {kHigh, L"High performance", L"", {}},
                 {kSaver, L"Power saver", L"", {}}};
    g_active = kBalanced;
}

EXPORT void WINAPI SchemeStubAdd(const GUID* guid, const wchar_t* name) {
    g_schemes.push_back({*guid, name, L"", {}});
}

EXPORT int WINAPI SchemeStubCount() {
    return static_cast<int>(g_schemes.size());
}

EXPORT BOOL WINAPI SchemeStubName(const GUID* guid, wchar_t* name, int nameChars,
                                  wchar_t* description, int descriptionChars) {
    const Scheme* s = Find(guid);
    if (s == nullptr) {
        return FALSE;
    }
    std::wcsncpy(name, s->name.c_str(), static_cast<std::size_t>(nameChars - 1));
    std::wcsncpy(description, s->description.c_str(),
                 static_cast<std::size_t>(descriptionChars - 1));
    return TRUE;
}

EXPORT BOOL WINAPI SchemeStubValue(const GUID* scheme, const GUID* setting, BOOL ac, DWORD* value) {
    const Scheme* s = Find(scheme);
    if (s == nullptr) {
        return FALSE;
    }
    for (const auto& [key, stored] : s->values) {
        if (key.second == (ac != FALSE) &&
            std::memcmp(key.first.data() + sizeof(GUID), setting, sizeof(GUID)) == 0) {
            *value = stored;
            return TRUE;
        }
    }
    return FALSE;
}

EXPORT void WINAPI SchemeStubActive(GUID* active) {
    *active = g_active;
}

EXPORT DWORD WINAPI PowerEnumerate(HKEY, const GUID*, const GUID*, DWORD access, ULONG index,
                                   UCHAR* buffer, DWORD* size) {
    if (access != 16 || size == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    if (g_control.shrinkAtIndex >= 0 && static_cast<ULONG>(g_control.shrinkAtIndex) == index &&
        !g_schemes.empty()) {
        g_schemes.pop_back();
        g_control.shrinkAtIndex = -1;
    }
    if (index >= g_schemes.size()) {
        return ERROR_NO_MORE_ITEMS;
    }
    if (buffer == nullptr || *size < sizeof(GUID)) {
        *size = sizeof(GUID);
        return buffer == nullptr ? ERROR_SUCCESS : ERROR_MORE_DATA;
    }
    std::memcpy(buffer, &g_schemes[index].guid, sizeof(GUID));
    *size = sizeof(GUID);
    return ERROR_SUCCESS;
}

EXPORT DWORD WINAPI PowerReadFriendlyName(HKEY, const GUID* scheme, const GUID*, const GUID*,
                                          UCHAR* buffer, DWORD* size) {
    const Scheme* s = Find(scheme);
    if (s == nullptr || size == nullptr) {
        return ERROR_FILE_NOT_FOUND;
    }
    return CopyText(s->name, buffer, size);
}

EXPORT DWORD WINAPI PowerWriteFriendlyName(HKEY, const GUID* scheme, const GUID*, const GUID*,
                                           UCHAR* buffer, DWORD size) {
    Scheme* s = Find(scheme);
    if (s == nullptr || buffer == nullptr) {
        return ERROR_FILE_NOT_FOUND;
    }
    s->name.assign(reinterpret_cast<const wchar_t*>(buffer),
                   ::wcsnlen(reinterpret_cast<const wchar_t*>(buffer), size / sizeof(wchar_t)));
    return ERROR_SUCCESS;
}

// The partial build lacks this one, as a replacement library might.
#ifndef SCHEME_STUB_WITHOUT_DESCRIPTION
EXPORT DWORD WINAPI PowerWriteDescription(HKEY, const GUID* scheme, const GUID*, const GUID*,
                                          UCHAR* buffer, DWORD size) {
    Scheme* s = Find(scheme);
    if (s == nullptr || buffer == nullptr) {
        return ERROR_FILE_NOT_FOUND;
    }
    s->description.assign(
        reinterpret_cast<const wchar_t*>(buffer),
        ::wcsnlen(reinterpret_cast<const wchar_t*>(buffer), size / sizeof(wchar_t)));
    return ERROR_SUCCESS;
}
#endif

EXPORT DWORD WINAPI PowerDuplicateScheme(HKEY, const GUID* source, GUID** destination) {
    ++g_control.duplicateCalls;
    const Scheme* s = Find(source);
    if (s == nullptr || destination == nullptr) {
        return ERROR_FILE_NOT_FOUND;
    }
    Scheme copy = *s;
    if (*destination == nullptr || g_control.allocateGuids) {
        copy.guid = GUID{0x5a5a0000u + g_nextGuid++, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};
        *destination = static_cast<GUID*>(::LocalAlloc(LMEM_FIXED, sizeof(GUID)));
        **destination = copy.guid;
    } else {
        copy.guid = **destination;
    }
    g_schemes.push_back(copy);
    return ERROR_SUCCESS;
}

EXPORT DWORD WINAPI PowerDeleteScheme(HKEY, const GUID* scheme) {
    ++g_control.deleteCalls;
    if (scheme == nullptr || Same(*scheme, g_active)) {
        return ERROR_ACCESS_DENIED;
    }
    for (auto it = g_schemes.begin(); it != g_schemes.end(); ++it) {
        if (Same(it->guid, *scheme)) {
            g_schemes.erase(it);
            return ERROR_SUCCESS;
        }
    }
    return ERROR_FILE_NOT_FOUND;
}

EXPORT DWORD WINAPI PowerGetActiveScheme(HKEY, GUID** active) {
    *active = static_cast<GUID*>(::LocalAlloc(LMEM_FIXED, sizeof(GUID)));
    **active = g_active;
    return ERROR_SUCCESS;
}

EXPORT DWORD WINAPI PowerSetActiveScheme(HKEY, const GUID* scheme) {
    if (Find(scheme) == nullptr) {
        return ERROR_FILE_NOT_FOUND;
    }
    g_active = *scheme;
    return ERROR_SUCCESS;
}

EXPORT DWORD WINAPI PowerReadACValueIndex(HKEY, const GUID* scheme, const GUID* subgroup,
                                          const GUID* setting, DWORD* value) {
    return ReadValue(scheme, subgroup, setting, true, value);
}

EXPORT DWORD WINAPI PowerReadDCValueIndex(HKEY, const GUID* scheme, const GUID* subgroup,
                                          const GUID* setting, DWORD* value) {
    return ReadValue(scheme, subgroup, setting, false, value);
}

EXPORT DWORD WINAPI PowerWriteACValueIndex(HKEY, const GUID* scheme, const GUID* subgroup,
                                           const GUID* setting, DWORD value) {
    return WriteValue(scheme, subgroup, setting, true, value);
}

EXPORT DWORD WINAPI PowerWriteDCValueIndex(HKEY, const GUID* scheme, const GUID* subgroup,
                                           const GUID* setting, DWORD value) {
    return WriteValue(scheme, subgroup, setting, false, value);
}
