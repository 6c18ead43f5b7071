// The Windows Vista scheme functions over the scheme list of VistaSchemeList. They return a
// Win32 error code, as the system's do, and every call is journalled with that code first.
//
// The SDK declares them only for Vista targets; declaring the target here lets the compiler
// hold these definitions to the published prototypes.
// (powrprof.h has no include guard: it comes in once, through SchemeRecords.h.)
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
#include "SchemeRecords.h"

#include <cstring>
#include <string>

#include "CallerText.h"
#include "Journal.h"
#include "VistaSchemeList.h"

using namespace powrprof;

namespace {

constexpr DWORD kGuidBytes = sizeof(GUID);

class VistaCall {
public:
    explicit VistaCall(const char* function) : function_(function) {}
    VistaCall(const VistaCall&) = delete;
    VistaCall& operator=(const VistaCall&) = delete;

    emulator::ArgumentList& Args() { return arguments_; }
    emulator::ArgumentList& Outputs() { return outputs_; }

    DWORD Return(DWORD code) {
        std::string result = std::to_string(code);
        if (!outputs_.Text().empty()) {
            result += " " + outputs_.Text();
        }
        emulator::JournalCall("powrprof", function_, arguments_.Text(), result);
        return code;
    }

    void AddGuid(const char* name, const GUID* guid) {
        arguments_.AddWord(name, guid != nullptr ? GuidText(*guid) : std::string("null"));
    }

private:
    const char* function_;
    emulator::ArgumentList arguments_;
    emulator::ArgumentList outputs_;
};

// The reserved root-key parameters must be null.
bool RootGiven(VistaCall& call, HKEY root) {
    call.Args().AddPointer("root", root);
    return root != nullptr;
}

} // namespace

extern "C" DWORD WINAPI PowerEnumerate(HKEY RootPowerKey, const GUID* SchemeGuid,
                                       const GUID* SubGroupOfPowerSettingsGuid,
                                       POWER_DATA_ACCESSOR AccessFlags, ULONG Index, UCHAR* Buffer,
                                       DWORD* BufferSize) {
    VistaCall call("PowerEnumerate");
    const bool rootGiven = RootGiven(call, RootPowerKey);
    call.AddGuid("scheme", SchemeGuid);
    call.AddGuid("subgroup", SubGroupOfPowerSettingsGuid);
    call.Args()
        .Add("access", static_cast<std::uint32_t>(AccessFlags))
        .Add("index", Index)
        .AddPointer("buffer", Buffer);
    if (BufferSize != nullptr) {
        call.Args().Add("size", *BufferSize);
    } else {
        call.Args().AddWord("size", "null");
    }
    if (rootGiven || BufferSize == nullptr) {
        return call.Return(ERROR_INVALID_PARAMETER);
    }
    switch (AccessFlags) {
    case ACCESS_SCHEME:
        break;
    case ACCESS_SUBGROUP:
    case ACCESS_INDIVIDUAL_SETTING:
        // The emulated schemes carry no subgroups or settings.
        if (SchemeGuid == nullptr || !FindVistaScheme(*SchemeGuid)) {
            return call.Return(ERROR_FILE_NOT_FOUND);
        }
        return call.Return(ERROR_NO_MORE_ITEMS);
    default:
        return call.Return(ERROR_INVALID_PARAMETER);
    }
    const std::vector<VistaScheme> schemes = ListVistaSchemes();
    if (Index >= schemes.size()) {
        return call.Return(ERROR_NO_MORE_ITEMS);
    }
    const GUID& found = schemes[Index].guid;
    const DWORD offered = *BufferSize;
    *BufferSize = kGuidBytes;
    call.Outputs().Add("size", kGuidBytes);
    if (Buffer == nullptr) {
        return call.Return(ERROR_SUCCESS);
    }
    if (offered < kGuidBytes) {
        return call.Return(ERROR_MORE_DATA);
    }
    std::memcpy(Buffer, &found, kGuidBytes);
    call.Outputs().AddWord("scheme", GuidText(found));
    return call.Return(ERROR_SUCCESS);
}

extern "C" DWORD WINAPI PowerReadFriendlyName(HKEY RootPowerKey, const GUID* SchemeGuid,
                                              const GUID* SubGroupOfPowerSettingsGuid,
                                              const GUID* PowerSettingGuid, PUCHAR Buffer,
                                              LPDWORD BufferSize) {
    VistaCall call("PowerReadFriendlyName");
    const bool rootGiven = RootGiven(call, RootPowerKey);
    call.AddGuid("scheme", SchemeGuid);
    call.AddGuid("subgroup", SubGroupOfPowerSettingsGuid);
    call.AddGuid("setting", PowerSettingGuid);
    call.Args().AddPointer("buffer", Buffer);
    if (BufferSize != nullptr) {
        call.Args().Add("size", *BufferSize);
    } else {
        call.Args().AddWord("size", "null");
    }
    if (rootGiven || BufferSize == nullptr || SchemeGuid == nullptr) {
        return call.Return(ERROR_INVALID_PARAMETER);
    }
    const auto scheme = FindVistaScheme(*SchemeGuid);
    if (!scheme || SubGroupOfPowerSettingsGuid != nullptr || PowerSettingGuid != nullptr) {
        return call.Return(ERROR_FILE_NOT_FOUND);
    }
    std::wstring name;
    const LONG status = ReadFriendlyName(*scheme, name);
    if (status != ERROR_SUCCESS) {
        return call.Return(static_cast<DWORD>(status));
    }
    const auto needed = static_cast<DWORD>((name.size() + 1) * sizeof(wchar_t));
    const DWORD offered = *BufferSize;
    *BufferSize = needed;
    call.Outputs().Add("size", needed);
    if (Buffer == nullptr) {
        return call.Return(ERROR_SUCCESS);
    }
    if (offered < needed) {
        return call.Return(ERROR_MORE_DATA);
    }
    std::memcpy(Buffer, name.c_str(), needed);
    call.Outputs().AddText("name", Utf8(name));
    return call.Return(ERROR_SUCCESS);
}

extern "C" DWORD WINAPI PowerGetActiveScheme(HKEY UserRootPowerKey, GUID** ActivePolicyGuid) {
    VistaCall call("PowerGetActiveScheme");
    const bool rootGiven = RootGiven(call, UserRootPowerKey);
    call.Args().AddPointer("active", ActivePolicyGuid);
    if (rootGiven || ActivePolicyGuid == nullptr) {
        return call.Return(ERROR_INVALID_PARAMETER);
    }
    // The caller frees the GUID with LocalFree.
    auto* active = static_cast<GUID*>(::LocalAlloc(LMEM_FIXED, kGuidBytes));
    if (active == nullptr) {
        return call.Return(ERROR_NOT_ENOUGH_MEMORY);
    }
    *active = ActiveVistaScheme();
    *ActivePolicyGuid = active;
    call.Outputs().AddWord("scheme", GuidText(*active));
    return call.Return(ERROR_SUCCESS);
}

extern "C" DWORD WINAPI PowerSetActiveScheme(HKEY UserRootPowerKey, const GUID* SchemeGuid) {
    VistaCall call("PowerSetActiveScheme");
    const bool rootGiven = RootGiven(call, UserRootPowerKey);
    call.AddGuid("scheme", SchemeGuid);
    if (rootGiven || SchemeGuid == nullptr) {
        return call.Return(ERROR_INVALID_PARAMETER);
    }
    if (!UserMaySetActiveScheme()) {
        return call.Return(ERROR_ACCESS_DENIED);
    }
    const auto scheme = FindVistaScheme(*SchemeGuid);
    if (!scheme) {
        return call.Return(ERROR_FILE_NOT_FOUND);
    }
    const LONG status = WriteActiveVistaScheme(scheme->guid);
    if (status != ERROR_SUCCESS) {
        return call.Return(static_cast<DWORD>(status));
    }
    std::wstring name;
    if (ReadFriendlyName(*scheme, name) == ERROR_SUCCESS) {
        call.Outputs().AddText("name", Utf8(name));
    }
    return call.Return(ERROR_SUCCESS);
}

extern "C" DWORD WINAPI PowerSettingAccessCheck(POWER_DATA_ACCESSOR AccessFlags,
                                                const GUID* PowerGuid) {
    VistaCall call("PowerSettingAccessCheck");
    call.Args().Add("access", static_cast<std::uint32_t>(AccessFlags));
    call.AddGuid("guid", PowerGuid);
    switch (AccessFlags) {
    case ACCESS_ACTIVE_SCHEME:
        return call.Return(UserMaySetActiveScheme() ? ERROR_SUCCESS : ERROR_ACCESS_DENIED);
    case ACCESS_AC_POWER_SETTING_INDEX:
    case ACCESS_DC_POWER_SETTING_INDEX:
    case ACCESS_SCHEME:
    case ACCESS_SUBGROUP:
    case ACCESS_INDIVIDUAL_SETTING:
    case ACCESS_CREATE_SCHEME:
        return call.Return(UserMayWriteSchemes() ? ERROR_SUCCESS : ERROR_ACCESS_DENIED);
    }
    return call.Return(ERROR_INVALID_PARAMETER);
}
