#include "OpenKeys.h"

namespace emulator {

namespace {

// More than every key of the power manager's layout; past it the keys are opened afresh.
constexpr std::size_t kMaxOpenKeys = 512;

} // namespace

LONG OpenKeys::With(HKEY root, const std::string& path, REGSAM access, const Opener& open,
                    const Use& use) {
    framework::CriticalSectionLock lock(section_);
    Id id{root, path, access};
    if (const auto found = keys_.find(id); found != keys_.end()) {
        const LONG status = use(found->second.Get());
        if (status != ERROR_KEY_DELETED) {
            return status;
        }
        keys_.erase(found);
    }
    framework::UniqueKey key;
    const LONG opened = open(key);
    if (opened != ERROR_SUCCESS) {
        return opened;
    }
    const LONG status = use(key.Get());
    if (keys_.size() >= kMaxOpenKeys) {
        keys_.clear();
    }
    keys_.emplace(std::move(id), std::move(key));
    return status;
}

OpenKeys& ProcessKeys() {
    static OpenKeys keys;
    return keys;
}

} // namespace emulator
