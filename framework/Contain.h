// Runs code that Windows calls into (hook procedures, exported entry points, thread procedures)
// so that no exception leaves it: a throw is traced with `where` and `fallback` is returned.
// Window procedures of the framework already do this themselves.
#pragma once

#include <exception>
#include <utility>

#include "framework/Trace.h"

namespace framework {

template <typename Result, typename Fn>
Result CallContained(const char* where, Result fallback, Fn&& fn) noexcept {
    try {
        return std::forward<Fn>(fn)();
    } catch (const std::exception& e) {
        Trace("%s: exception: %s\n", where, e.what());
    } catch (...) {
        Trace("%s: exception\n", where);
    }
    return fallback;
}

} // namespace framework
