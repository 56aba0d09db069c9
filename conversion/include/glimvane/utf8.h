// The two conversions over UTF-8 bytes, in place.
//
// Every character of the substitution table, source or target, is a
// three-byte UTF-8 sequence, so a conversion rewrites those three bytes and
// leaves the length of the buffer as it was. Only a well-formed three-byte
// sequence that decodes to a table character changes; everything else passes
// through byte for byte: ASCII, other characters, bytes that are not valid
// UTF-8, overlong forms, encoded surrogates and a sequence cut off at the end
// of the buffer.
//
// The result is the same as decoding the well-formed characters to UTF-16,
// applying ConvertForward or ConvertReverse and encoding them again, with
// every invalid byte kept where it stood.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace glimvane {

void ConvertForwardUtf8(std::span<char> bytes);
void ConvertReverseUtf8(std::span<char> bytes);

// Copying forms, for convenience.
std::string ConvertForwardUtf8(std::string_view bytes);
std::string ConvertReverseUtf8(std::string_view bytes);

// For a caller that converts a stream chunk by chunk: the number of bytes
// (0 to 3) at the end of `bytes` that begin a well-formed sequence but stop
// before its end. Convert the chunk without them and put them in front of
// the next chunk; at the end of the stream convert what is left as it is.
// Split this way, a stream converts exactly as it would in one piece.
std::size_t IncompleteUtf8Tail(std::span<const char> bytes);

}  // namespace glimvane
