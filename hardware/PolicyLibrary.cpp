#include "PolicyLibrary.h"

namespace hardware {

PolicyLibrary::PolicyLibrary(const char* name) : module_(::LoadLibraryA(name)) {
    if (!module_) {
        lastError_ = ::GetLastError();
        return;
    }
    getKvPolicy_ = framework::ProcAddress<notebook::GetKvPolicyFn>(module_.Get(), "GetKvPolicy");
    if (getKvPolicy_ == nullptr) {
        lastError_ = ::GetLastError();
    }
}

int PolicyLibrary::LoadPolicy() {
    if (!module_ || getKvPolicy_ == nullptr) {
        return 0;
    }
    return getKvPolicy_(policy_.Data());
}

} // namespace hardware
