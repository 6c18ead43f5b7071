#include "switcher/battery/BatteryFiles.h"

#include <windows.h>
#include <aclapi.h>
#include <shlobj.h>

#include <array>
#include <span>
#include <string>

#include "framework/UniqueHandle.h"

namespace switcher {

namespace {

std::string ReadAtMost(HANDLE file, std::size_t limit) {
    std::string content(limit, '\0');
    std::size_t total = 0;
    while (total < limit) {
        DWORD got = 0;
        if (!::ReadFile(file, content.data() + total, static_cast<DWORD>(limit - total), &got,
                        nullptr) ||
            got == 0) {
            break;
        }
        total += got;
    }
    content.resize(total);
    return content;
}

// A regular file with one name: what the program itself creates.
bool IsPlainFile(HANDLE file) {
    if (::GetFileType(file) != FILE_TYPE_DISK) {
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info)) {
        return false;
    }
    constexpr DWORD kNotPlain =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
    return (info.dwFileAttributes & kNotPlain) == 0 && info.nNumberOfLinks <= 1;
}

} // namespace

std::optional<std::wstring> BatteryFilePath(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA | CSIDL_FLAG_CREATE, nullptr,
                                  SHGFP_TYPE_CURRENT, folder)) ||
        folder[0] == L'\0') {
        return std::nullopt;
    }
    return std::wstring(folder) + L"\\" + name;
}

std::optional<OverrideValues> ReadOverrideFile(const std::wstring& path) {
    framework::UniqueFile file(::CreateFileW(
        path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    // A pipe or device under the name could block the reader; only disk files count.
    if (!file || ::GetFileType(file.Get()) != FILE_TYPE_DISK) {
        return std::nullopt;
    }
    return ParseOverride(ReadAtMost(file.Get(), kMaxOverrideBytes));
}

CounterUpdate UpdateCounterFile(const std::wstring& path, bool eventFlagged) {
    CounterUpdate update;
    // OPEN_REPARSE_POINT opens a link itself rather than what it points to, so that the check
    // below sees it; WRITE_DAC lets the access be changed through this very handle.
    framework::UniqueFile file(::CreateFileW(
        path.c_str(), GENERIC_READ | GENERIC_WRITE | WRITE_DAC, FILE_SHARE_READ, nullptr,
        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    const bool existed = ::GetLastError() == ERROR_ALREADY_EXISTS;
    if (!file || !IsPlainFile(file.Get())) {
        return update;
    }
    update.opened = existed ? CounterUpdate::Opened::Existing : CounterUpdate::Opened::Created;

    const std::string stored = ReadAtMost(file.Get(), kCounterBytes);
    const auto bytes =
        std::span(reinterpret_cast<const std::uint8_t*>(stored.data()), stored.size());
    update.count = NextEventCount(DecodeCounter(bytes), eventFlagged);

    const std::array<std::uint8_t, kCounterBytes> encoded = EncodeCounter(update.count);
    DWORD written = 0;
    if (::SetFilePointer(file.Get(), 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
        ::WriteFile(file.Get(), encoded.data(), static_cast<DWORD>(encoded.size()), &written,
                    nullptr)) {
        update.written = written == encoded.size() && ::SetEndOfFile(file.Get());
    }
    // A null DACL: full access for everyone.
    update.sharedWithEveryone =
        ::SetSecurityInfo(file.Get(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                          nullptr, nullptr) == ERROR_SUCCESS;
    return update;
}

bool DeleteCounterFile(const std::wstring& path) {
    return ::DeleteFileW(path.c_str()) != FALSE || ::GetLastError() == ERROR_FILE_NOT_FOUND;
}

} // namespace switcher
