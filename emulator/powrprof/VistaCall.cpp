#include "VistaCall.h"

#include <cstring>

#include "CallerText.h"
#include "CallerVersion.h"
#include "Journal.h"
#include "MachineState.h"
#include "PowerSchemeStore.h"
#include "RegistryValueStore.h"
#include "VistaPowerSettings.h"

namespace powrprof {

static_assert(sizeof(emulator::PowerGuid) == sizeof(GUID));

emulator::PowerGuid ToPowerGuid(const GUID& guid) {
    emulator::PowerGuid copy;
    copy.data1 = static_cast<std::uint32_t>(guid.Data1);
    copy.data2 = guid.Data2;
    copy.data3 = guid.Data3;
    std::memcpy(copy.data4.data(), guid.Data4, 8);
    return copy;
}

GUID ToGuid(const emulator::PowerGuid& guid) {
    GUID copy{};
    copy.Data1 = guid.data1;
    copy.Data2 = guid.data2;
    copy.Data3 = guid.data3;
    std::memcpy(copy.Data4, guid.data4.data(), 8);
    return copy;
}

DWORD VistaCall::Return(DWORD code) {
    std::string result = std::to_string(code);
    if (!outputs_.Text().empty()) {
        result += " " + outputs_.Text();
    }
    emulator::JournalCall("powrprof", function_, arguments_.Text(), result);
    return code;
}

void VistaCall::AddGuid(const char* name, const GUID* guid) {
    arguments_.AddWord(name, guid != nullptr ? emulator::BracedText(ToPowerGuid(*guid)) : "null");
}

void VistaCall::AddSize(const DWORD* size) {
    if (size != nullptr) {
        arguments_.Add("size", *size);
    } else {
        arguments_.AddWord("size", "null");
    }
}

bool VistaCall::RootGiven(HKEY root) {
    arguments_.AddPointer("root", root);
    return root != nullptr;
}

DWORD VistaCall::Start() {
    if (!CallerHasVistaSchemes()) {
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
    emulator::SeedVistaSchemesOnFirstUse();
    return ERROR_SUCCESS;
}

bool UserMaySetActiveScheme() {
    emulator::RegistryValueStore store;
    return emulator::Interpret(emulator::ValueKind::Flag, 1,
                               store.Read(kCanUserSetActiveSchemeValue)) != 0;
}

emulator::PowerGuid SubgroupOrNone(const GUID* subgroup) {
    return subgroup != nullptr ? ToPowerGuid(*subgroup) : emulator::NoSubgroup();
}

DWORD HandBackText(VistaCall& call, const char* output, const std::wstring& text, UCHAR* buffer,
                   DWORD* size) {
    const auto needed = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    const DWORD offered = *size;
    *size = needed;
    call.Outputs().Add("size", needed);
    if (buffer == nullptr) {
        return call.Return(ERROR_SUCCESS);
    }
    if (offered < needed) {
        return call.Return(ERROR_MORE_DATA);
    }
    std::memcpy(buffer, text.c_str(), needed);
    call.Outputs().AddText(output, Utf8(text));
    return call.Return(ERROR_SUCCESS);
}

} // namespace powrprof
