#include "InstallerLibrary.h"

namespace hardware {

InstallerLibrary::InstallerLibrary(const char* name) : module_(::LoadLibraryA(name)) {
    if (!module_) {
        lastError_ = ::GetLastError();
        return;
    }
    initial_ = framework::ProcAddress<InitialFn>(module_.Get(), "Initial");
    if (initial_ == nullptr) {
        lastError_ = ::GetLastError();
    }
}

int InstallerLibrary::CallInitial() const {
    if (!module_ || initial_ == nullptr) {
        return 0;
    }
    return initial_();
}

} // namespace hardware
