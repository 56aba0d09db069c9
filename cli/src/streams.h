// Converting one input stream to the output, in fixed-size chunks.
#pragma once

#include <cstddef>
#include <span>
#include <string>

#include "options.h"

namespace glimvane::cli {

// How much one read asks for; every buffer of the tool is of about this size,
// whatever the size of the input.
inline constexpr std::size_t kChunkBytes = std::size_t{1} << 20;

// A write to the output failed (a full disk, a closed pipe): nothing that
// follows can reach the reader, so the whole run stops.
struct WriteError {
  int error_number;
};

// Writes all of each buffer to a file descriptor, or throws WriteError.
class Output {
 public:
  explicit Output(int fd) : fd_(fd) {}
  void Write(std::span<const char> bytes);

 private:
  int fd_;
};

// An input: an open file descriptor and the name that messages give it.
struct Input {
  int fd;
  std::string name;
};

// Converts `input` to `output`. Reports a failure of the input (a read
// error, input that the encoding rejects) on stderr as one line naming the
// input and returns false; throws WriteError when the output fails.
bool ConvertUtf8Stream(const Input& input, Output& output, Direction direction);
bool ConvertCodecStream(const Input& input, Output& output, Direction direction, const Encoding& encoding);

// "glimvane-convert: NAME: MESSAGE" on stderr.
void Report(const std::string& name, const std::string& message);

}  // namespace glimvane::cli
