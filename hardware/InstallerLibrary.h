// Holder of the default-scheme installer library and its "Initial" export.
#pragma once

#include <windows.h>

#include "../framework/UniqueHandle.h"

namespace hardware {

inline constexpr char kInstallerLibraryName[] = "Tobrinel.dll";

class InstallerLibrary {
public:
    // Loads the library by name; on failure keeps the error of the load.
    explicit InstallerLibrary(const char* name = kInstallerLibraryName);

    InstallerLibrary(InstallerLibrary&&) noexcept = default;
    InstallerLibrary& operator=(InstallerLibrary&&) noexcept = default;

    bool Loaded() const { return static_cast<bool>(module_); }
    DWORD LastError() const { return lastError_; }

    // The result of "Initial"; 0 when the library or the export is missing.
    int CallInitial() const;

private:
    // "Initial" takes nothing and the caller cleans up: a plain C call.
    using InitialFn = int(__cdecl*)();

    framework::UniqueModule module_;
    InitialFn initial_ = nullptr;
    DWORD lastError_ = 0;
};

} // namespace hardware
