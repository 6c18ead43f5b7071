// Which text the platform calls of a program or window use: the ...A functions with char, or
// the ...W functions with wchar_t.
#pragma once

namespace framework {

enum class TextKind { Narrow, Wide };

} // namespace framework
