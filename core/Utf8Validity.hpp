// Utf8Validity.hpp: how far a text is strict UTF-8, fast enough to run over whole files.
#pragma once

namespace utf8 {

// The first byte at or after p where strict UTF-8 stops (an invalid sequence, or one cut by end), or end.
// It agrees with DecodeOne everywhere; blocks of 64 bytes are checked at once where the processor allows it.
const unsigned char* SkipValid(const unsigned char* p, const unsigned char* end);

}  // namespace utf8
