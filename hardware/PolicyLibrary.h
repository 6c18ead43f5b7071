// Holder of the notebook-policy library and the record its "GetKvPolicy" fills.
#pragma once

#include <windows.h>

#include "../framework/UniqueHandle.h"
#include "NotebookInterfaces.h"
#include "NotebookPolicy.h"

namespace hardware {

inline constexpr char kPolicyLibraryName[] = "Sarnesh.dll";
static_assert(notebook::kPolicySize == kNotebookPolicySize);

class PolicyLibrary {
public:
    // Loads the library by name; on failure keeps the error of the load.
    explicit PolicyLibrary(const char* name = kPolicyLibraryName);

    PolicyLibrary(PolicyLibrary&&) noexcept = default;
    PolicyLibrary& operator=(PolicyLibrary&&) noexcept = default;

    bool Loaded() const { return static_cast<bool>(module_); }
    DWORD LastError() const { return lastError_; }

    // Fills the record; non-zero means success. 0 when the library or the export is missing.
    int LoadPolicy();
    const NotebookPolicy& Policy() const { return policy_; }

private:
    NotebookPolicy policy_;
    framework::UniqueModule module_;
    notebook::GetKvPolicyFn getKvPolicy_ = nullptr;
    DWORD lastError_ = 0;
};

} // namespace hardware
