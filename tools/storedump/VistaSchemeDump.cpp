#include "VistaSchemeDump.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "../../framework/UniqueHandle.h"

namespace storedump {

namespace {

enum class Kind { Timeout, Percent, Action, Flags, Flag };

struct Setting {
    GUID subgroup;
    GUID setting;
    const char* label; // when the system has no name for it
    Kind kind;
};

constexpr GUID kNoSubgroup = {
    0xfea3413e, 0x7e05, 0x4911, {0x9a, 0x71, 0x70, 0x03, 0x31, 0xf1, 0xc2, 0x94}};
constexpr GUID kVideo = {
    0x7516b95f, 0xf776, 0x4464, {0x8c, 0x53, 0x06, 0x16, 0x7f, 0x40, 0xcc, 0x99}};
constexpr GUID kDisk = {
    0x0012ee47, 0x9041, 0x4b5d, {0x9b, 0x77, 0x53, 0x5f, 0xba, 0x8b, 0x14, 0x42}};
constexpr GUID kSleep = {
    0x238c9fa8, 0x0aad, 0x41ed, {0x83, 0xf4, 0x97, 0xbe, 0x24, 0x2c, 0x8f, 0x20}};
constexpr GUID kButtons = {
    0x4f971e89, 0xeebd, 0x4455, {0xa8, 0xde, 0x9e, 0x59, 0x04, 0x0e, 0x73, 0x47}};
constexpr GUID kBattery = {
    0xe73a048d, 0xbf27, 0x4f12, {0x97, 0x31, 0x8b, 0x20, 0x76, 0xe8, 0x89, 0x1f}};
constexpr GUID kProcessor = {
    0x54533251, 0x82be, 0x4824, {0x96, 0xc1, 0x47, 0xb6, 0x0b, 0x74, 0x0d, 0x00}};

// The settings an apply writes, with their winnt.h GUIDs.
const Setting kSettings[] = {
    {kVideo,
     {0x3c0bc021, 0xc8a8, 0x4e07, {0xa9, 0x73, 0x6b, 0x14, 0xcb, 0xcb, 0x2b, 0x7e}},
     "monitor off after",
     Kind::Timeout},
    {kDisk,
     {0x6738e2c4, 0xe8a5, 0x4a42, {0xb1, 0x6a, 0xe0, 0x40, 0xe7, 0x69, 0x75, 0x6e}},
     "disk off after",
     Kind::Timeout},
    {kSleep,
     {0x29f6c1db, 0x86da, 0x48c5, {0x9f, 0xdb, 0xf2, 0xb6, 0x7b, 0x1f, 0x44, 0xda}},
     "stand by after",
     Kind::Timeout},
    {kSleep,
     {0x9d7815a6, 0x7ee4, 0x497e, {0x88, 0x88, 0x51, 0x5a, 0x05, 0xf0, 0x23, 0x64}},
     "hibernate after",
     Kind::Timeout},
    {kVideo,
     {0xaded5e82, 0xb909, 0x4619, {0x99, 0x49, 0xf5, 0xd7, 0x1d, 0xac, 0x0b, 0xcb}},
     "brightness",
     Kind::Percent},
    {kProcessor,
     {0xbc5038f7, 0x23e0, 0x4960, {0x96, 0xda, 0x33, 0xab, 0xaf, 0x59, 0x35, 0xec}},
     "processor maximum",
     Kind::Percent},
    {kButtons,
     {0x5ca83367, 0x6e45, 0x459f, {0xa2, 0x7b, 0x47, 0x6b, 0x1d, 0x01, 0xc9, 0x36}},
     "lid",
     Kind::Action},
    {kButtons,
     {0x7648efa3, 0xdd9c, 0x4e3e, {0xb5, 0x66, 0x50, 0xf9, 0x29, 0x38, 0x62, 0x80}},
     "power button",
     Kind::Action},
    {kButtons,
     {0x96996bc0, 0xad50, 0x47ec, {0x92, 0x3b, 0x6f, 0x41, 0x87, 0x4d, 0xd9, 0xeb}},
     "sleep button",
     Kind::Action},
    {kBattery,
     {0x9a66d8d7, 0x4ff7, 0x4ef9, {0xb5, 0xa2, 0x5a, 0x32, 0x6c, 0xa2, 0xa4, 0x69}},
     "critical alarm level",
     Kind::Percent},
    {kBattery,
     {0x637ea02f, 0xbbcb, 0x4015, {0x8e, 0x2c, 0xa1, 0xc7, 0xb9, 0xc0, 0xb5, 0x46}},
     "critical alarm action",
     Kind::Action},
    {kBattery,
     {0x5dbb7c9f, 0x38e9, 0x40d2, {0x97, 0x49, 0x4f, 0x8a, 0x0e, 0x9f, 0x64, 0x0f}},
     "critical alarm notify",
     Kind::Flags},
    {kBattery,
     {0x8183ba9a, 0xe910, 0x48da, {0x87, 0x69, 0x14, 0xae, 0x6d, 0xc1, 0x17, 0x0a}},
     "low alarm level",
     Kind::Percent},
    {kBattery,
     {0xd8742dcb, 0x3e6a, 0x4b3c, {0xb3, 0xfe, 0x37, 0x46, 0x23, 0xcd, 0xcf, 0x06}},
     "low alarm action",
     Kind::Action},
    {kBattery,
     {0xbcded951, 0x187b, 0x4d05, {0xbc, 0xcc, 0xf7, 0xe5, 0x19, 0x60, 0xc2, 0x58}},
     "low alarm notify",
     Kind::Flags},
    {kNoSubgroup,
     {0x0e796bdb, 0x100d, 0x47d6, {0xa2, 0xd5, 0xf7, 0xd2, 0xda, 0xa5, 0x1f, 0x51}},
     "password on wake",
     Kind::Flag},
};

using EnumerateFn = DWORD(WINAPI*)(HKEY, const GUID*, const GUID*, int, ULONG, UCHAR*, DWORD*);
using ReadNameFn = DWORD(WINAPI*)(HKEY, const GUID*, const GUID*, const GUID*, UCHAR*, DWORD*);
using GetActiveFn = DWORD(WINAPI*)(HKEY, GUID**);
using ReadIndexFn = DWORD(WINAPI*)(HKEY, const GUID*, const GUID*, const GUID*, DWORD*);

constexpr int kAccessScheme = 16;

struct VistaPower {
    framework::UniqueModule module{::LoadLibraryA("powrprof.dll")};
    EnumerateFn enumerate = framework::ProcAddress<EnumerateFn>(module.Get(), "PowerEnumerate");
    ReadNameFn readName = framework::ProcAddress<ReadNameFn>(module.Get(), "PowerReadFriendlyName");
    GetActiveFn getActive =
        framework::ProcAddress<GetActiveFn>(module.Get(), "PowerGetActiveScheme");
    ReadIndexFn readAc = framework::ProcAddress<ReadIndexFn>(module.Get(), "PowerReadACValueIndex");
    ReadIndexFn readDc = framework::ProcAddress<ReadIndexFn>(module.Get(), "PowerReadDCValueIndex");

    bool Complete() const {
        return enumerate != nullptr && readName != nullptr && getActive != nullptr &&
               readAc != nullptr && readDc != nullptr;
    }
};

std::string GuidText(const GUID& g) {
    char text[40];
    std::snprintf(text, sizeof text, "{%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x}",
                  static_cast<unsigned long>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1],
                  g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return text;
}

// The name the system gives; empty when it has none or it does not fit.
std::string Name(const VistaPower& power, const GUID* scheme, const GUID* subgroup,
                 const GUID* setting) {
    wchar_t name[256] = L"";
    DWORD size = sizeof name - sizeof(wchar_t);
    if (power.readName(nullptr, scheme, subgroup, setting, reinterpret_cast<UCHAR*>(name), &size) !=
        ERROR_SUCCESS) {
        return {};
    }
    char narrow[512] = "";
    ::WideCharToMultiByte(CP_ACP, 0, name, -1, narrow, sizeof narrow - 1, nullptr, nullptr);
    return narrow;
}

std::string Value(Kind kind, DWORD value) {
    static const char* const kActions[] = {"nothing", "sleep", "hibernate", "shut down"};
    char text[32];
    switch (kind) {
    case Kind::Timeout:
        if (value == 0) {
            return "never";
        }
        std::snprintf(text, sizeof text, value % 60 == 0 ? "%lu min" : "%lu s",
                      static_cast<unsigned long>(value % 60 == 0 ? value / 60 : value));
        return text;
    case Kind::Percent:
        std::snprintf(text, sizeof text, "%lu %%", static_cast<unsigned long>(value));
        return text;
    case Kind::Action:
        return value < 4 ? kActions[value] : "other (" + std::to_string(value) + ")";
    case Kind::Flag:
        return value != 0 ? "on" : "off";
    case Kind::Flags:
        break;
    }
    std::snprintf(text, sizeof text, "0x%lx", static_cast<unsigned long>(value));
    return text;
}

std::string Index(ReadIndexFn read, const GUID& scheme, const Setting& s) {
    DWORD value = 0;
    const DWORD status = read(nullptr, &scheme, &s.subgroup, &s.setting, &value);
    return status == ERROR_SUCCESS ? Value(s.kind, value) : "error " + std::to_string(status);
}

void PrintScheme(const VistaPower& power, const GUID& scheme, bool active) {
    std::printf("  %s \"%s\" %s\n", active ? "*" : " ",
                Name(power, &scheme, nullptr, nullptr).c_str(), GuidText(scheme).c_str());
    std::printf("    %-34s %-12s %s\n", "setting", "plugged in", "on battery");
    for (const Setting& s : kSettings) {
        std::string name = Name(power, nullptr, &s.subgroup, &s.setting);
        if (name.empty()) {
            name = s.label;
        }
        std::printf("    %-34s %-12s %s\n", name.c_str(), Index(power.readAc, scheme, s).c_str(),
                    Index(power.readDc, scheme, s).c_str());
    }
}

} // namespace

bool HasVistaSchemes() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    return ::GetVersionExW(&info) && info.dwMajorVersion >= 6;
}

void PrintVistaSchemes() {
    VistaPower power;
    if (!power.Complete()) {
        std::printf("Windows schemes: the power library lacks the scheme functions\n");
        return;
    }
    GUID* active = nullptr;
    GUID activeScheme{};
    if (power.getActive(nullptr, &active) == ERROR_SUCCESS && active != nullptr) {
        activeScheme = *active;
    }
    framework::UniqueLocal activeBlock(active);
    std::vector<GUID> schemes;
    for (ULONG index = 0;; ++index) {
        GUID scheme{};
        DWORD size = sizeof scheme;
        if (power.enumerate(nullptr, nullptr, nullptr, kAccessScheme, index,
                            reinterpret_cast<UCHAR*>(&scheme), &size) != ERROR_SUCCESS) {
            break;
        }
        schemes.push_back(scheme);
    }
    std::printf("Windows schemes (* active): %u\n", static_cast<unsigned>(schemes.size()));
    for (const GUID& scheme : schemes) {
        PrintScheme(power, scheme, IsEqualGUID(scheme, activeScheme) != 0);
    }
}

} // namespace storedump
