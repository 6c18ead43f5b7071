// The contract between the suite and the notebook's own libraries: the entry points as the
// suite calls them and the firmware's method codes. Every entry point is cdecl (the caller
// removes the arguments) and exported by its undecorated name (the .def files beside this
// header). The suite's import library for Zelnor.dll is made from Zelnor.def; the emulated
// notebook implements the same contract.
#pragma once

#include <windows.h>

#include <cstddef>

extern "C" {

// Zelnor.dll: firmware control methods by four-character code. The suite links against it.
int __cdecl ControlMethod(unsigned code);
int __cdecl ControlMethodEx(unsigned code, unsigned argument);
}

namespace notebook {

using ControlMethodFn = int(__cdecl*)(unsigned code);
using ControlMethodExFn = int(__cdecl*)(unsigned code, unsigned argument);

// Sarnesh.dll, loaded by name: fills the notebook policy record; non-zero means success.
using GetKvPolicyFn = int(__cdecl*)(void* policy);

// PORTAX.DLL, loaded by name: raw embedded-controller commands with data bytes.
using EcWriteCommFn = int(__cdecl*)(unsigned command, unsigned count, const unsigned char* data);
using EcReceiveCommFn = int(__cdecl*)(unsigned command, unsigned inputCount,
                                      const unsigned char* input, unsigned outputCount,
                                      unsigned char* output);

// VodovEriz.dll, loaded by name: the hot-key hook, posting `message` to `window` on Fn.
using KeyboardHookStartFn = int(__cdecl*)(HWND window, UINT message);
using KeyboardHookStopFn = int(__cdecl*)();

inline constexpr std::size_t kPolicySize = 448;

// Method codes of Zelnor.dll. BCME and CLCK spell their letters from the low byte up, the
// "EC0_." methods from the high byte down; the TKPE write has no text name.
inline constexpr unsigned kMethodBrightness = 0x454D4342;    // "BCME", percent
inline constexpr unsigned kMethodClock = 0x4B434C43;         // CLCK
inline constexpr unsigned kMethodThrottle = 0x41545349;      // EC0_.ATSI
inline constexpr unsigned kMethodFanMode = 0x4E414643;       // EC0_.NAFC
inline constexpr unsigned kMethodCycleCount = 0x434C5442;    // EC0_.CLTB
inline constexpr unsigned kMethodWakeBits = 0x544B5045;      // EC0_.TKPE
inline constexpr unsigned kMethodWakeBitsWrite = 0x57544B50; // TKPE write
inline constexpr unsigned kMethodFnUp = 0x466E5570;          // EC0_.FnUp
inline constexpr unsigned kMethodDijp = 0x44494A50;          // EC0_.DIJP
inline constexpr unsigned kMethodKoso = 0x4B4F534F;          // EC0_.KOSO

inline constexpr unsigned kWakeBitAutoResume = 0x20;
inline constexpr unsigned kWakeBitHibernate = 0x40;

} // namespace notebook
