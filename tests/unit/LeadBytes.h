// Lead-byte rules of real code pages, for the tests of text cut to a byte limit.
#pragma once

namespace testing_support {

// Shift-JIS (code page 932): lead bytes 0x81..0x9F and 0xE0..0xFC; a trail byte may be any of
// 0x40..0xFC, so it can look like an ASCII letter, a backslash or a lead byte.
inline bool IsCp932LeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

} // namespace testing_support
