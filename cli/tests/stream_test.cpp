// glimvane-convert on a pipe: reads that end inside a character, and a large
// stream in bounded memory.

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "glimvane/conversion.h"
#include "glimvane/utf8.h"
#include "text.h"
#include "tool.h"

namespace glimvane::testing {
namespace {

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, data, size);
    if (n < 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// Feeds `pieces` to the tool one read at a time: each piece is written only
// when the tool has taken everything before it out of the pipe, so that its
// reads return exactly these pieces.
ToolRun RunWithPieces(const std::vector<std::string>& args, const std::vector<std::string>& pieces) {
  int in[2];
  EXPECT_EQ(pipe2(in, O_CLOEXEC), 0);
  const std::string out_path = WriteScratchFile("pieces.out", "");
  const int out = open(out_path.c_str(), O_WRONLY | O_CLOEXEC);
  std::string stderr_path;
  const int pid = StartTool(args, in[0], out, stderr_path);
  close(out);
  for (const std::string& piece : pieces) {
    for (int waited = 0;; ++waited) {
      int pending = 0;
      ioctl(in[0], FIONREAD, &pending);
      if (pending == 0) break;
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    // The tool is blocked in read or about to be: give it the time to be.
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    WriteAll(in[1], piece.data(), piece.size());
  }
  close(in[1]);
  close(in[0]);
  ToolRun run;
  FinishTool(pid, stderr_path, run);
  run.out = ReadFile(out_path);
  return run;
}

TEST(Pipe, ReadsThatSplitCharacters) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    std::vector<std::string> pieces;
    std::string expected;
  };
  const std::string gb = FromUnits(u"的国", "GB18030");        // two bytes each
  const std::string gb4 = FromUnits(u"\u00A5的", "GB18030");   // a four-byte character first
  const std::string le = FromUnits(u"\U00020000的", "UTF-16LE");
  const Case cases[] = {
      {"after a lead byte", {}, {"a\xE7", "\x9A\x84" "b"}, "a哋b"},
      {"after two bytes", {}, {"\xE7\x9A", "\x84"}, "哋"},
      {"byte by byte", {}, {"\xE7", "\x9A", "\x84", "\xE5", "\x9B", "\xBD"}, "哋國"},
      {"invalid byte between", {}, {"\xE7\x9A", "\xFF\x84"}, "\xE7\x9A\xFF\x84"},
      {"four-byte character", {}, {"\xF0\xA0", "\x80", "\x80的"}, "\xF0\xA0\x80\x80哋"},
      {"GB18030 two-byte", {"-e", "GB18030"}, {gb.substr(0, 1), gb.substr(1, 2), gb.substr(3)},
       FromUnits(u"哋國", "GB18030")},
      {"GB18030 four-byte", {"-e", "GB18030"}, {gb4.substr(0, 3), gb4.substr(3, 2), gb4.substr(5)},
       FromUnits(u"\u00A5哋", "GB18030")},
      {"UTF-16LE surrogate pair", {"-e", "UTF-16LE"}, {le.substr(0, 1), le.substr(1, 2), le.substr(3, 2), le.substr(5)},
       FromUnits(u"\U00020000哋", "UTF-16LE")},
  };
  for (const Case& c : cases) {
    const ToolRun run = RunWithPieces(c.args, c.pieces);
    EXPECT_EQ(run.exit_code, 0) << c.name << ": " << run.err;
    EXPECT_EQ(run.out, c.expected) << c.name;
  }
}

// A stream far larger than the tool's buffers goes through a pipe while the
// test checks every byte that comes out; the tool's peak resident size must
// stay bounded whatever the length.
TEST(Pipe, LargeStreamInBoundedMemory) {
  constexpr std::size_t kStreamBytes = std::size_t{1} << 30;
  constexpr long kMaxResidentKib = 64 * 1024;
  // One block repeated: its characters are whole, so the converted stream is
  // the converted block repeated, and a read may end anywhere in it.
  std::mt19937 rng(1);
  std::string block = FromUnits(ChineseLikeText(rng, 350'000), "UTF-8");
  while (IncompleteUtf8Tail(std::span<const char>(block.data(), block.size())) != 0 ||
         block.size() % 2 == 0)  // an odd length moves the cut across the pipe's pages
    block.pop_back();
  const std::string expected_block = ConvertForwardUtf8(std::string_view(block));

  int in[2], out[2];
  ASSERT_EQ(pipe2(in, O_CLOEXEC), 0);
  ASSERT_EQ(pipe2(out, O_CLOEXEC), 0);
  fcntl(in[1], F_SETPIPE_SZ, 1 << 20);
  fcntl(out[0], F_SETPIPE_SZ, 1 << 20);
  std::string stderr_path;
  const int pid = StartTool({}, in[0], out[1], stderr_path);
  close(in[0]);
  close(out[1]);

  std::thread writer([&] {
    for (std::size_t sent = 0; sent < kStreamBytes;) {
      const std::size_t n = std::min(block.size(), kStreamBytes - sent);
      if (!WriteAll(in[1], block.data(), n)) break;
      sent += n;
    }
    close(in[1]);
  });
  std::vector<char> buffer(1 << 20);
  std::size_t received = 0, first_difference = SIZE_MAX;
  for (;;) {
    const ssize_t n = read(out[0], buffer.data(), buffer.size());
    if (n <= 0) break;
    for (ssize_t k = 0; k < n && first_difference == SIZE_MAX;) {
      const std::size_t at = (received + k) % expected_block.size();
      const std::size_t run = std::min<std::size_t>(n - k, expected_block.size() - at);
      if (std::memcmp(buffer.data() + k, expected_block.data() + at, run) != 0) first_difference = received + k;
      k += static_cast<ssize_t>(run);
    }
    received += static_cast<std::size_t>(n);
  }
  close(out[0]);
  writer.join();
  ToolRun run;
  FinishTool(pid, stderr_path, run);

  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(received, kStreamBytes);
  EXPECT_EQ(first_difference, SIZE_MAX) << "output differs near byte " << first_difference;
  EXPECT_LT(run.max_rss_kib, kMaxResidentKib) << "peak resident size in KiB";
  RecordProperty("max_rss_kib", std::to_string(run.max_rss_kib));
  std::printf("peak resident size for a %zu MiB stream: %ld KiB\n", kStreamBytes >> 20, run.max_rss_kib);
}

}  // namespace
}  // namespace glimvane::testing
