// Registry keys kept open for the life of the process, so that a call of a library costs the
// registry one request per value instead of an open, the request and a close. A key deleted
// behind the process's back answers ERROR_KEY_DELETED on its old handle; the key is then
// opened again by its path, so that every call still sees what is in the registry now.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <tuple>

#include "framework/CriticalSection.h"
#include "framework/UniqueHandle.h"

namespace emulator {

class OpenKeys {
public:
    // Opens the key when it has no open handle yet; a failure is not kept.
    using Opener = std::function<LONG(framework::UniqueKey& key)>;
    using Use = std::function<LONG(HKEY key)>;

    // Runs `use` on the open key root\path (opened with `access` by `open`) and returns its
    // result, or the failure of `open`. Threads of the process take turns.
    LONG With(HKEY root, const std::string& path, REGSAM access, const Opener& open,
              const Use& use);

private:
    using Id = std::tuple<HKEY, std::string, REGSAM>;

    framework::CriticalSection section_;
    std::map<Id, framework::UniqueKey> keys_;
};

// The process's keys, closed when the library is unloaded.
OpenKeys& ProcessKeys();

} // namespace emulator
