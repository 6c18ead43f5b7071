// A rule a fuzz target holds the code to: broken, it stops the run where libFuzzer reports it.
#pragma once

namespace testing_support {

inline void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

} // namespace testing_support
