// The kernel's headers, as the battery driver includes them: they want a Windows of their own
// time (the suite's programs are built for an older one), and they declare two intrinsics that
// the compiler's own headers already define.
#pragma once

#undef WINVER
#undef _WIN32_WINNT
#define WINVER 0x0601
#define _WIN32_WINNT 0x0601
#define __INTRINSIC_DEFINED_InterlockedBitTestAndSet
#define __INTRINSIC_DEFINED_InterlockedBitTestAndReset
#include <ntddk.h>
