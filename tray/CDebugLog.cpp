#include "tray/CDebugLog.h"

#include <span>
#include <string>
#include <string_view>

#include "framework/TextCut.h"
#include "framework/WindowText.h"

namespace tray {

CDebugLog::CDebugLog(framework::UniqueFile file) : file_(std::move(file)) {
    framework::AddTraceSink(*this);
}

CDebugLog::~CDebugLog() {
    framework::RemoveTraceSink(*this);
}

void CDebugLog::WriteTrace(const char* line) {
    WriteLine("%s", line);
}

CDebugLog* CDebugLog::Acquire(const char* path) {
    if (!instance_) {
        // Appended to, never truncated; others may read it while we write.
        framework::UniqueFile file(::CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            return nullptr;
        }
        if (::SetFilePointer(file.Get(), 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER &&
            ::GetLastError() != NO_ERROR) {
            return nullptr;
        }
        instance_.reset(new CDebugLog(std::move(file)));
    }
    ++holders_;
    return instance_.get();
}

void CDebugLog::Release() {
    if (holders_ <= 0) {
        return;
    }
    if (--holders_ == 0) {
        instance_.reset();
    }
}

CDebugLog* CDebugLog::Current() {
    return instance_.get();
}

int CDebugLog::Holders() {
    return holders_;
}

void CDebugLog::WriteLine(const char* format, ...) {
    va_list args;
    va_start(args, format);
    WriteLineV(format, args);
    va_end(args);
}

void CDebugLog::WriteLineV(const char* format, va_list args) {
    char message[kLogLineSize];
    const std::size_t cut = framework::FormatIntoV(std::span<char>(message), format, args);
    message[framework::WholeCharacterBytes(std::string_view(message, cut),
                                           framework::IsAnsiLeadByte)] = '\0';
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    char line[kLogLineSize];
    const std::size_t formatted =
        framework::FormatInto(std::span<char>(line), "%4d/%02d/%02d %02d:%02d:%02d - %s", now.wYear,
                              now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, message);
    // A cut line may end in half a double-byte character.
    const std::size_t length = framework::WholeCharacterBytes(std::string_view(line, formatted),
                                                              framework::IsAnsiLeadByte);
    // A text file: line ends become CR LF on the way out.
    std::string text;
    text.reserve(length + 8);
    for (std::size_t i = 0; i < length; ++i) {
        if (line[i] == '\n') {
            text += '\r';
        }
        text += line[i];
    }
    DWORD written = 0;
    ::WriteFile(file_.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

} // namespace tray
