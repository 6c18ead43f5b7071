// The entry points of the notebook's own libraries, as the suite calls them. Every one of them
// is cdecl: the caller removes the arguments.
#pragma once

#include <cstddef>

extern "C" {

// Zelnor.dll: firmware control methods by four-character code. The suite links against it.
int __cdecl ControlMethod(unsigned code);
int __cdecl ControlMethodEx(unsigned code, unsigned argument);

typedef int(__cdecl* ControlMethodFn)(unsigned code);
typedef int(__cdecl* ControlMethodExFn)(unsigned code, unsigned argument);

// Sarnesh.dll, loaded by name: fills the notebook policy record; non-zero means success.
typedef int(__cdecl* GetKvPolicyFn)(void* policy);

// PORTAX.DLL, loaded by name: raw embedded-controller commands with data bytes.
typedef int(__cdecl* EcWriteCommFn)(unsigned command, unsigned count, const unsigned char* data);
typedef int(__cdecl* EcReceiveCommFn)(unsigned command, unsigned inputCount,
                                      const unsigned char* input, unsigned outputCount,
                                      unsigned char* output);
}

namespace notebook {

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
