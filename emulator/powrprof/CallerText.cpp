#include "CallerText.h"

#include <windows.h>

#include <cstdint>
#include <cstring>

namespace powrprof {

namespace {

constexpr DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                            PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;

// Bytes readable from `address` on, within the region that holds it.
std::size_t ReadableFrom(const unsigned char* address) {
    MEMORY_BASIC_INFORMATION info{};
    if (::VirtualQuery(address, &info, sizeof info) == 0 || info.State != MEM_COMMIT ||
        (info.Protect & kReadable) == 0 || (info.Protect & (PAGE_GUARD | PAGE_NOACCESS)) != 0) {
        return 0;
    }
    const auto* end = static_cast<const unsigned char*>(info.BaseAddress) + info.RegionSize;
    return static_cast<std::size_t>(end - address);
}

} // namespace

std::optional<std::wstring> ReadCallerText(const wchar_t* text) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    std::size_t readable = 0;
    std::wstring result;
    for (std::size_t i = 0; i < kMaxCallerText; ++i) {
        const std::size_t needed = (i + 1) * sizeof(wchar_t);
        while (readable < needed) {
            const std::size_t more = ReadableFrom(bytes + readable);
            if (more == 0) {
                return std::nullopt;
            }
            readable += more;
        }
        // Narrow text passed by mistake may sit at an odd address.
        wchar_t unit = 0;
        std::memcpy(&unit, bytes + i * sizeof(wchar_t), sizeof unit);
        if (unit == L'\0') {
            return result;
        }
        result.push_back(unit);
    }
    return std::nullopt;
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        return {};
    }
    std::string out(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                          nullptr, nullptr);
    return out;
}

} // namespace powrprof
