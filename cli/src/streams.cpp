#include "streams.h"

#include <errno.h>
#include <iconv.h>
#include <unistd.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <semaphore>
#include <thread>
#include <vector>

#include "glimvane/conversion.h"
#include "glimvane/utf8.h"

namespace glimvane::cli {
namespace {

// UTF-16 in the machine's own byte order, so that iconv's output is an array
// of char16_t. Named with its byte order, iconv neither reads nor writes a
// byte order mark of its own.
constexpr const char* kUnitsCharset = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

// read(2), retried when a signal interrupts it. -1 with errno on failure.
ssize_t ReadSome(int fd, char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t n = read(fd, buffer, size);
    if (n >= 0 || errno != EINTR) return n;
  }
}

void ConvertUnits(std::span<char16_t> units, Direction direction) {
  if (direction == Direction::kForward)
    ConvertForward(units, units);
  else
    ConvertReverse(units, units);
}

class Codec {
 public:
  Codec(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Codec() {
    if (ok()) iconv_close(cd_);
  }
  Codec(const Codec&) = delete;
  Codec& operator=(const Codec&) = delete;

  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  // iconv(3); returns 0 or the errno of its failure.
  int Convert(char** in, std::size_t* in_left, char** out, std::size_t* out_left) {
    return iconv(cd_, in, in_left, out, out_left) == static_cast<std::size_t>(-1) ? errno : 0;
  }

 private:
  iconv_t cd_;
};

std::string Hex(char16_t unit) {
  char text[8];
  std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(unit));
  return text;
}

// Converts UTF-8 chunks in place. A large chunk is cut in two and the
// second half converted on a helper thread, so that a second core shares the
// work. The cut never falls inside a sequence that could be a character, and
// the conversion of a sequence depends on nothing around it, so the result
// is that of converting the chunk whole.
class Utf8Converter {
 public:
  explicit Utf8Converter(Direction direction) : direction_(direction) {}
  ~Utf8Converter() {
    if (helper_.joinable()) {
      stop_ = true;
      start_.release();
      helper_.join();
    }
  }
  Utf8Converter(const Utf8Converter&) = delete;
  Utf8Converter& operator=(const Utf8Converter&) = delete;

  void Convert(std::span<char> chunk) {
    // Below this size handing half of it over costs more than it saves.
    constexpr std::size_t kSplitFrom = std::size_t{256} << 10;
    if (chunk.size() < kSplitFrom || !StartHelper()) {
      ConvertPart(chunk);
      return;
    }
    const std::span<char> head = chunk.first(chunk.size() / 2);
    const std::size_t cut = head.size() - IncompleteUtf8Tail(head);
    task_ = chunk.subspan(cut);
    start_.release();
    ConvertPart(chunk.first(cut));
    done_.acquire();
  }

 private:
  void ConvertPart(std::span<char> part) const {
    if (direction_ == Direction::kForward)
      ConvertForwardUtf8(part);
    else
      ConvertReverseUtf8(part);
  }

  // Started at the first large chunk, so that small inputs and pipes, whose
  // reads are small, never start a thread.
  bool StartHelper() {
    if (helper_.joinable()) return true;
    if (std::thread::hardware_concurrency() < 2) return false;
    helper_ = std::thread([this] {
      for (;;) {
        start_.acquire();
        if (stop_) return;
        ConvertPart(task_);
        done_.release();
      }
    });
    return true;
  }

  const Direction direction_;
  // Handed over through the semaphores, which order the accesses.
  std::span<char> task_;
  bool stop_ = false;
  std::binary_semaphore start_{0};
  std::binary_semaphore done_{0};
  std::thread helper_;
};

}  // namespace

void Report(const std::string& name, const std::string& message) {
  std::fprintf(stderr, "glimvane-convert: %s: %s\n", name.c_str(), message.c_str());
}

void Output::Write(std::span<const char> bytes) {
  while (!bytes.empty()) {
    const ssize_t n = write(fd_, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      throw WriteError{errno};
    }
    bytes = bytes.subspan(static_cast<std::size_t>(n));
  }
}

bool ConvertUtf8Stream(const Input& input, Output& output, Direction direction) {
  // A read may end inside a character: its first bytes wait at the front of
  // the buffer for the rest, so a character is never converted in pieces.
  constexpr std::size_t kCarryMax = 3;
  std::vector<char> buffer(kCarryMax + kChunkBytes);
  std::size_t carried = 0;
  Utf8Converter converter(direction);
  for (;;) {
    const ssize_t n = ReadSome(input.fd, buffer.data() + carried, kChunkBytes);
    if (n < 0) {
      const int error = errno;
      // What was read before the failure is written, as it stands.
      output.Write(std::span<const char>(buffer.data(), carried));
      Report(input.name, std::strerror(error));
      return false;
    }
    const std::size_t filled = carried + static_cast<std::size_t>(n);
    const std::span<char> chunk(buffer.data(), filled);
    // At the end of the input a cut-off sequence is not a character and
    // passes through like any invalid byte.
    const std::size_t tail = n == 0 ? 0 : IncompleteUtf8Tail(chunk);
    const std::span<char> ready = chunk.first(filled - tail);
    converter.Convert(ready);
    output.Write(ready);
    if (n == 0) return true;
    std::memmove(buffer.data(), buffer.data() + ready.size(), tail);
    carried = tail;
  }
}

bool ConvertCodecStream(const Input& input, Output& output, Direction direction, const Encoding& encoding) {
  Codec decoder(kUnitsCharset, encoding.iconv_name);
  Codec encoder(encoding.iconv_name, kUnitsCharset);
  if (!decoder.ok() || !encoder.ok()) {
    Report(input.name, std::string("the system has no converter for ") + encoding.name);
    return false;
  }
  // Room for the bytes of a character cut off by the previous read.
  constexpr std::size_t kCarryMax = 16;
  std::vector<char> bytes(kCarryMax + kChunkBytes);
  std::vector<char16_t> units(kChunkBytes / 2);
  std::vector<char> encoded(kChunkBytes);
  std::size_t carried = 0;
  std::uint64_t offset = 0;  // of bytes[0] in the input

  // Encodes `count` converted units and writes them. iconv stops only at
  // whole characters, so on a failure what it wrote is still sound.
  const auto encode_and_write = [&](std::size_t count) {
    char* in = reinterpret_cast<char*>(units.data());
    std::size_t in_left = count * sizeof(char16_t);
    while (in_left > 0) {
      char* out = encoded.data();
      std::size_t out_left = encoded.size();
      const int error = encoder.Convert(&in, &in_left, &out, &out_left);
      output.Write(std::span<const char>(encoded.data(), out));
      if (error == E2BIG) continue;
      if (error != 0) {
        char16_t unit;
        std::memcpy(&unit, in, sizeof unit);
        Report(input.name, Hex(unit) + " cannot be written in " + encoding.name);
        return false;
      }
    }
    return true;
  };

  for (;;) {
    const ssize_t n = ReadSome(input.fd, bytes.data() + carried, kChunkBytes);
    if (n < 0) {
      Report(input.name, std::strerror(errno));
      return false;
    }
    const bool at_end = n == 0;
    char* in = bytes.data();
    std::size_t in_left = carried + static_cast<std::size_t>(n);
    // Decode what was read; iconv stops early when the units are full (E2BIG),
    // at a character cut off by the end of the chunk (EINVAL) or at one that
    // is not valid (EILSEQ).
    int error = 0;
    do {
      char* out = reinterpret_cast<char*>(units.data());
      std::size_t out_left = units.size() * sizeof(char16_t);
      error = decoder.Convert(&in, &in_left, &out, &out_left);
      const std::size_t count = (out - reinterpret_cast<char*>(units.data())) / sizeof(char16_t);
      ConvertUnits(std::span<char16_t>(units.data(), count), direction);
      if (!encode_and_write(count)) return false;
    } while (error == E2BIG);
    const std::uint64_t bad_offset = offset + static_cast<std::uint64_t>(in - bytes.data());
    if (error == EILSEQ) {
      Report(input.name, "invalid " + std::string(encoding.name) + " input at byte offset " + std::to_string(bad_offset));
      return false;
    }
    if (error == EINVAL && at_end) {
      Report(input.name, "incomplete " + std::string(encoding.name) + " character at the end, byte offset " +
                             std::to_string(bad_offset));
      return false;
    }
    if (error != 0 && error != EINVAL) {
      Report(input.name, std::strerror(error));
      return false;
    }
    if (at_end) return true;
    if (in_left > kCarryMax) {  // no character of these encodings is that long
      Report(input.name, "invalid " + std::string(encoding.name) + " input at byte offset " + std::to_string(bad_offset));
      return false;
    }
    offset = bad_offset;
    std::memmove(bytes.data(), in, in_left);
    carried = in_left;
  }
}

}  // namespace glimvane::cli
