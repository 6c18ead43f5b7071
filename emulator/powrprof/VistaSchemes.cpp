// The Windows Vista scheme functions that list schemes, name them and choose the active one,
// over the registry layout of PowerSchemeStore. They return a Win32 error code, as the system's
// do, and every call is journalled with that code first.
//
// The SDK declares them only for Vista targets; declaring the target here lets the compiler
// hold these definitions to the published prototypes.
// (powrprof.h has no include guard: it comes in once, through SchemeRecords.h.)
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
#include "SchemeRecords.h"

#include <cstring>
#include <string>
#include <vector>

#include "CallerText.h"
#include "NumberText.h"
#include "PowerSchemeStore.h"
#include "VistaCall.h"
#include "VistaPowerSettings.h"

using namespace powrprof;
using emulator::PowerGuid;

namespace {

// Hands back one GUID of a list by the enumeration's size protocol.
DWORD HandBackGuid(VistaCall& call, const std::vector<PowerGuid>& list, ULONG index, UCHAR* buffer,
                   DWORD* size) {
    if (index >= list.size()) {
        return call.Return(ERROR_NO_MORE_ITEMS);
    }
    const DWORD offered = *size;
    *size = kGuidBytes;
    call.Outputs().Add("size", kGuidBytes);
    if (buffer == nullptr) {
        return call.Return(ERROR_SUCCESS);
    }
    if (offered < kGuidBytes) {
        return call.Return(ERROR_MORE_DATA);
    }
    const GUID found = ToGuid(list[index]);
    std::memcpy(buffer, &found, kGuidBytes);
    call.Outputs().AddWord("guid", emulator::BracedText(list[index]));
    return call.Return(ERROR_SUCCESS);
}

enum class TextKind { Name, Description };

// The text of a scheme, or the name of a subgroup or setting of the table.
DWORD ReadText(TextKind kind, const GUID* scheme, const GUID* subgroup, const GUID* setting,
               std::wstring& text) {
    if (setting != nullptr || subgroup != nullptr) {
        const emulator::PowerSubgroup* group =
            emulator::FindPowerSubgroup(SubgroupOrNone(subgroup));
        const emulator::PowerSetting* item =
            setting != nullptr
                ? emulator::FindPowerSetting(SubgroupOrNone(subgroup), ToPowerGuid(*setting))
                : nullptr;
        if ((setting != nullptr && item == nullptr) || group == nullptr ||
            kind == TextKind::Description) {
            return ERROR_FILE_NOT_FOUND;
        }
        text = item != nullptr ? item->name : group->name;
        return ERROR_SUCCESS;
    }
    if (scheme == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    if (!emulator::VistaSchemeExists(ToPowerGuid(*scheme))) {
        return ERROR_FILE_NOT_FOUND;
    }
    return static_cast<DWORD>(emulator::ReadSchemeText(
        ToPowerGuid(*scheme),
        kind == TextKind::Name ? emulator::kSchemeNameValue : emulator::kSchemeDescriptionValue,
        text));
}

DWORD ReadTextCall(const char* function, TextKind kind, HKEY root, const GUID* scheme,
                   const GUID* subgroup, const GUID* setting, UCHAR* buffer, DWORD* size) {
    VistaCall call(function);
    const bool rootGiven = call.RootGiven(root);
    call.AddGuid("scheme", scheme);
    call.AddGuid("subgroup", subgroup);
    call.AddGuid("setting", setting);
    call.Args().AddPointer("buffer", buffer);
    call.AddSize(size);
    if (const DWORD start = call.Start(); start != ERROR_SUCCESS) {
        return call.Return(start);
    }
    if (rootGiven || size == nullptr) {
        return call.Return(ERROR_INVALID_PARAMETER);
    }
    std::wstring text;
    const DWORD status = ReadText(kind, scheme, subgroup, setting, text);
    if (status != ERROR_SUCCESS) {
        return call.Return(status);
    }
    return HandBackText(call, kind == TextKind::Name ? "name" : "description", text, buffer, size);
}

DWORD WriteTextCall(const char* function, TextKind kind, HKEY root, const GUID* scheme,
                    const GUID* subgroup, const GUID* setting, const UCHAR* buffer, DWORD size) {
    VistaCall call(function);
    const bool rootGiven = call.RootGiven(root);
    call.AddGuid("scheme", scheme);
    call.AddGuid("subgroup", subgroup);
    call.AddGuid("setting", setting);
    call.Args().AddPointer("buffer", buffer).Add("size", size);
    if (const DWORD start = call.Start(); start != ERROR_SUCCESS) {
        return call.Return(start);
    }
    // Only a scheme's own texts are kept; the table's names are fixed.
    if (rootGiven || scheme == nullptr || subgroup != nullptr || setting != nullptr ||
        buffer == nullptr || size < sizeof(wchar_t) || size % sizeof(wchar_t) != 0 ||
        size / sizeof(wchar_t) > kMaxCallerText + 1) {
        return call.Return(ERROR_INVALID_PARAMETER);
    }
    // The caller's size bounds the read; the text ends at its first terminator, if any.
    std::wstring text(size / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), buffer, size);
    text.resize(::wcsnlen(text.c_str(), text.size()));
    call.Args().AddText("text", Utf8(text));
    if (!UserMayWriteSchemes()) {
        return call.Return(ERROR_ACCESS_DENIED);
    }
    return call.Return(static_cast<DWORD>(emulator::WriteSchemeText(
        ToPowerGuid(*scheme),
        kind == TextKind::Name ? emulator::kSchemeNameValue : emulator::kSchemeDescriptionValue,
        text)));
}

// The active scheme; a missing or damaged value reads as Balanced.
PowerGuid ActiveScheme() {
    PowerGuid active = emulator::BalancedScheme();
    emulator::ReadActiveVistaScheme(active);
    return active;
}

// What the newly active scheme asks of the machine, as the XP manager journals it.
void NoteApplied(VistaCall& call, const PowerGuid& scheme) {
    for (const emulator::PowerSetting& s : emulator::PowerSettings()) {
        LONG status[2];
        std::uint32_t index[2] = {0, 0};
        emulator::ReadSettingIndexes(scheme, s.subgroup, s.setting, status, index);
        std::string pair;
        for (int i = 0; i < 2; ++i) {
            pair += (i == 0 ? "" : "/") +
                    (status[i] == ERROR_SUCCESS ? emulator::DecimalText(index[i]) : "?");
        }
        call.Outputs().AddWord(s.word, pair);
    }
}

} // namespace

extern "C" DWORD WINAPI PowerEnumerate(HKEY RootPowerKey, const GUID* SchemeGuid,
                                       const GUID* SubGroupOfPowerSettingsGuid,
                                       POWER_DATA_ACCESSOR AccessFlags, ULONG Index, UCHAR* Buffer,
                                       DWORD* BufferSize) {
    VistaCall call("PowerEnumerate");
    const bool rootGiven = call.RootGiven(RootPowerKey);
    call.AddGuid("scheme", SchemeGuid);
    call.AddGuid("subgroup", SubGroupOfPowerSettingsGuid);
    call.Args()
        .Add("access", static_cast<std::uint32_t>(AccessFlags))
        .Add("index", Index)
        .AddPointer("buffer", Buffer);
    call.AddSize(BufferSize);
    if (const DWORD start = call.Start(); start != ERROR_SUCCESS) {
        return call.Return(start);
    }
    if (rootGiven || BufferSize == nullptr) {
        return call.Return(ERROR_INVALID_PARAMETER);
    }
    // The list is read afresh at every index: a scheme made or deleted between two calls
    // shifts the ones after it, and an index past the new end ends the walk.
    std::vector<PowerGuid> list;
    switch (AccessFlags) {
    case ACCESS_SCHEME:
        list = emulator::ListVistaSchemes();
        break;
    case ACCESS_SUBGROUP:
    case ACCESS_INDIVIDUAL_SETTING:
        if (SchemeGuid != nullptr && !emulator::VistaSchemeExists(ToPowerGuid(*SchemeGuid))) {
            return call.Return(ERROR_FILE_NOT_FOUND);
        }
        if (AccessFlags == ACCESS_SUBGROUP) {
            for (const emulator::PowerSubgroup& g : emulator::PowerSubgroups()) {
                list.push_back(g.guid);
            }
        } else {
            const PowerGuid group = SubgroupOrNone(SubGroupOfPowerSettingsGuid);
            if (emulator::FindPowerSubgroup(group) == nullptr) {
                return call.Return(ERROR_FILE_NOT_FOUND);
            }
            for (const emulator::PowerSetting* s : emulator::SettingsOf(group)) {
                list.push_back(s->setting);
            }
        }
        break;
    default:
        return call.Return(ERROR_INVALID_PARAMETER);
    }
    return HandBackGuid(call, list, Index, Buffer, BufferSize);
}

extern "C" DWORD WINAPI PowerReadFriendlyName(HKEY RootPowerKey, const GUID* SchemeGuid,
                                              const GUID* SubGroupOfPowerSettingsGuid,
                                              const GUID* PowerSettingGuid, PUCHAR Buffer,
                                              LPDWORD BufferSize) {
    return ReadTextCall("PowerReadFriendlyName", TextKind::Name, RootPowerKey, SchemeGuid,
                        SubGroupOfPowerSettingsGuid, PowerSettingGuid, Buffer, BufferSize);
}

extern "C" DWORD WINAPI PowerReadDescription(HKEY RootPowerKey, const GUID* SchemeGuid,
                                             const GUID* SubGroupOfPowerSettingsGuid,
                                             const GUID* PowerSettingGuid, PUCHAR Buffer,
                                             LPDWORD BufferSize) {
    return ReadTextCall("PowerReadDescription", TextKind::Description, RootPowerKey, SchemeGuid,
                        SubGroupOfPowerSettingsGuid, PowerSettingGuid, Buffer, BufferSize);
}

extern "C" DWORD WINAPI PowerWriteFriendlyName(HKEY RootPowerKey, const GUID* SchemeGuid,
                                               const GUID* SubGroupOfPowerSettingsGuid,
                                               const GUID* PowerSettingGuid, UCHAR* Buffer,
                                               DWORD BufferSize) {
    return WriteTextCall("PowerWriteFriendlyName", TextKind::Name, RootPowerKey, SchemeGuid,
                         SubGroupOfPowerSettingsGuid, PowerSettingGuid, Buffer, BufferSize);
}

extern "C" DWORD WINAPI PowerWriteDescription(HKEY RootPowerKey, const GUID* SchemeGuid,
                                              const GUID* SubGroupOfPowerSettingsGuid,
                                              const GUID* PowerSettingGuid, UCHAR* Buffer,
                                              DWORD BufferSize) {
    return WriteTextCall("PowerWriteDescription", TextKind::Description, RootPowerKey, SchemeGuid,
                         SubGroupOfPowerSettingsGuid, PowerSettingGuid, Buffer, BufferSize);
}

extern "C" DWORD WINAPI PowerGetActiveScheme(HKEY UserRootPowerKey, GUID** ActivePolicyGuid) {
    VistaCall call("PowerGetActiveScheme");
    const bool rootGiven = call.RootGiven(UserRootPowerKey);
    call.Args().AddPointer("active", ActivePolicyGuid);
    if (const DWORD start = call.Start(); start != ERROR_SUCCESS) {
        return call.Return(start);
    }
    if (rootGiven || ActivePolicyGuid == nullptr) {
        return call.Return(ERROR_INVALID_PARAMETER);
    }
    // The caller frees the GUID with LocalFree.
    auto* active = static_cast<GUID*>(::LocalAlloc(LMEM_FIXED, kGuidBytes));
    if (active == nullptr) {
        return call.Return(ERROR_NOT_ENOUGH_MEMORY);
    }
    const PowerGuid scheme = ActiveScheme();
    *active = ToGuid(scheme);
    *ActivePolicyGuid = active;
    call.Outputs().AddWord("scheme", emulator::BracedText(scheme));
    return call.Return(ERROR_SUCCESS);
}

extern "C" DWORD WINAPI PowerSetActiveScheme(HKEY UserRootPowerKey, const GUID* SchemeGuid) {
    VistaCall call("PowerSetActiveScheme");
    const bool rootGiven = call.RootGiven(UserRootPowerKey);
    call.AddGuid("scheme", SchemeGuid);
    if (const DWORD start = call.Start(); start != ERROR_SUCCESS) {
        return call.Return(start);
    }
    if (rootGiven || SchemeGuid == nullptr) {
        return call.Return(ERROR_INVALID_PARAMETER);
    }
    if (!UserMaySetActiveScheme()) {
        return call.Return(ERROR_ACCESS_DENIED);
    }
    const PowerGuid scheme = ToPowerGuid(*SchemeGuid);
    if (!emulator::VistaSchemeExists(scheme)) {
        return call.Return(ERROR_FILE_NOT_FOUND);
    }
    const LONG status = emulator::WriteActiveVistaScheme(scheme);
    if (status != ERROR_SUCCESS) {
        return call.Return(static_cast<DWORD>(status));
    }
    std::wstring name;
    if (emulator::ReadSchemeText(scheme, emulator::kSchemeNameValue, name) == ERROR_SUCCESS) {
        call.Outputs().AddText("name", Utf8(name));
    }
    NoteApplied(call, scheme);
    return call.Return(ERROR_SUCCESS);
}

extern "C" DWORD WINAPI PowerSettingAccessCheck(POWER_DATA_ACCESSOR AccessFlags,
                                                const GUID* PowerGuid) {
    VistaCall call("PowerSettingAccessCheck");
    call.Args().Add("access", static_cast<std::uint32_t>(AccessFlags));
    call.AddGuid("guid", PowerGuid);
    if (const DWORD start = call.Start(); start != ERROR_SUCCESS) {
        return call.Return(start);
    }
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
    default:
        break;
    }
    return call.Return(ERROR_INVALID_PARAMETER);
}
