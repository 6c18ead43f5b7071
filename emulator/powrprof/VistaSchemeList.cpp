#include "VistaSchemeList.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "RegistryAccess.h"
#include "RegistryValueStore.h"

namespace powrprof {

const GUID kBalancedScheme = {
    0x381B4222, 0xF694, 0x41F0, {0x96, 0x85, 0xFF, 0x5B, 0xB2, 0x60, 0xDF, 0x2E}};
const GUID kHighPerformanceScheme = {
    0x8C5E7FDA, 0xE8BF, 0x4A96, {0x9A, 0x85, 0xA6, 0xE2, 0x3A, 0x8C, 0x63, 0x5C}};
const GUID kPowerSaverScheme = {
    0xA1841308, 0x3541, 0x4FAB, {0xBC, 0x81, 0xF7, 0x15, 0x56, 0xF2, 0x0B, 0x4A}};

namespace {

struct DefaultScheme {
    const GUID* guid;
    const wchar_t* name;
};

// In the order of their GUID texts, as a listed key would be.
constexpr std::array<DefaultScheme, 3> kDefaultSchemes{
    DefaultScheme{&kBalancedScheme, L"Balanced"},
    DefaultScheme{&kHighPerformanceScheme, L"High performance"},
    DefaultScheme{&kPowerSaverScheme, L"Power saver"},
};

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

} // namespace

std::string GuidText(const GUID& guid) {
    char text[40];
    std::snprintf(text, sizeof text, "{%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x}",
                  static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0],
                  guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                  guid.Data4[6], guid.Data4[7]);
    return text;
}

std::optional<GUID> ParseGuid(const std::string& text) {
    std::string body = text;
    if (body.size() == 38 && body.front() == '{' && body.back() == '}') {
        body = body.substr(1, 36);
    }
    if (body.size() != 36) {
        return std::nullopt;
    }
    std::array<std::uint8_t, 16> bytes{};
    std::size_t nibble = 0;
    for (std::size_t i = 0; i < body.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash) {
            if (body[i] != '-') {
                return std::nullopt;
            }
            continue;
        }
        const int digit = HexDigit(body[i]);
        if (digit < 0) {
            return std::nullopt;
        }
        bytes[nibble / 2] = static_cast<std::uint8_t>(bytes[nibble / 2] << 4 | digit);
        ++nibble;
    }
    GUID guid{};
    guid.Data1 =
        static_cast<unsigned long>(bytes[0]) << 24 | bytes[1] << 16 | bytes[2] << 8 | bytes[3];
    guid.Data2 = static_cast<unsigned short>(bytes[4] << 8 | bytes[5]);
    guid.Data3 = static_cast<unsigned short>(bytes[6] << 8 | bytes[7]);
    std::memcpy(guid.Data4, bytes.data() + 8, 8);
    return guid;
}

std::vector<VistaScheme> ListVistaSchemes() {
    std::vector<VistaScheme> schemes;
    if (!emulator::KeyExists(HKEY_LOCAL_MACHINE, kVistaSchemesKey)) {
        for (const DefaultScheme& d : kDefaultSchemes) {
            schemes.push_back(VistaScheme{*d.guid, {}});
        }
        return schemes;
    }
    std::vector<std::pair<std::string, VistaScheme>> named;
    for (const std::string& name : emulator::SubkeyNames(HKEY_LOCAL_MACHINE, kVistaSchemesKey)) {
        // Keys that are not GUIDs are not schemes; they are left out, not reported.
        if (const auto guid = ParseGuid(name)) {
            named.emplace_back(GuidText(*guid),
                               VistaScheme{*guid, std::string(kVistaSchemesKey) + "\\" + name});
        }
    }
    std::stable_sort(named.begin(), named.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& entry : named) {
        schemes.push_back(entry.second);
    }
    return schemes;
}

std::optional<VistaScheme> FindVistaScheme(const GUID& guid) {
    for (const VistaScheme& scheme : ListVistaSchemes()) {
        if (IsEqualGUID(scheme.guid, guid)) {
            return scheme;
        }
    }
    return std::nullopt;
}

LONG ReadFriendlyName(const VistaScheme& scheme, std::wstring& name) {
    if (scheme.key.empty()) {
        for (const DefaultScheme& d : kDefaultSchemes) {
            if (IsEqualGUID(*d.guid, scheme.guid)) {
                name = d.name;
                return ERROR_SUCCESS;
            }
        }
        return ERROR_FILE_NOT_FOUND;
    }
    return emulator::ReadWideText(HKEY_LOCAL_MACHINE, scheme.key, kFriendlyNameValue, name);
}

GUID ActiveVistaScheme() {
    std::wstring text;
    if (emulator::ReadWideText(HKEY_LOCAL_MACHINE, emulator::kStateKeyPath, kVistaActiveSchemeValue,
                               text) != ERROR_SUCCESS) {
        return kBalancedScheme;
    }
    std::string narrow;
    for (const wchar_t c : text) {
        narrow.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    }
    return ParseGuid(narrow).value_or(kBalancedScheme);
}

LONG WriteActiveVistaScheme(const GUID& guid) {
    const std::string text = GuidText(guid);
    return emulator::WriteWideText(HKEY_LOCAL_MACHINE, emulator::kStateKeyPath,
                                   kVistaActiveSchemeValue, std::wstring(text.begin(), text.end()));
}

bool UserMaySetActiveScheme() {
    emulator::RegistryValueStore store;
    return emulator::Interpret(emulator::ValueKind::Flag, 1,
                               store.Read(kCanUserSetActiveSchemeValue)) != 0;
}

} // namespace powrprof
