// glimvane-convert on UTF-8: the command line, byte identity with the
// library, and every way reading or writing can fail.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "glimvane/conversion.h"
#include "glimvane/utf8.h"
#include "text.h"
#include "tool.h"

namespace glimvane::testing {
namespace {

TEST(CommandLine, OptionsAndUsageErrors) {
  const struct {
    std::vector<std::string> args;
    int exit_code;
    std::string out_has;  // "" for no output at all
    std::string err;      // the whole of stderr
  } cases[] = {
      {{"--help"}, 0, "Usage: glimvane-convert [OPTION]... [FILE]...", ""},
      {{"-h"}, 0, "Exit status: 0 if every file", ""},
      {{"--version"}, 0, "glimvane-convert 1.", ""},
      {{"--bogus"}, 2, "",
       "glimvane-convert: unknown option '--bogus'\nTry 'glimvane-convert --help' for more information.\n"},
      {{"-x", "file"}, 2, "",
       "glimvane-convert: unknown option '-x'\nTry 'glimvane-convert --help' for more information.\n"},
      {{"--encoding"}, 2, "",
       "glimvane-convert: option '--encoding' needs an encoding name\nTry 'glimvane-convert --help' for more "
       "information.\n"},
      {{"--encoding", "BIG5"}, 2, "",
       "glimvane-convert: unknown encoding 'BIG5' (UTF-8, GBK, CP936, GB18030, UTF-16LE or UTF-16BE)\nTry "
       "'glimvane-convert --help' for more information.\n"},
      {{"--encoding=UTF-16"}, 2, "",  // the byte order must be named
       "glimvane-convert: unknown encoding 'UTF-16' (UTF-8, GBK, CP936, GB18030, UTF-16LE or UTF-16BE)\nTry "
       "'glimvane-convert --help' for more information.\n"},
  };
  for (const auto& c : cases) {
    const std::string label = ::testing::PrintToString(c.args);
    const ToolRun run = RunTool(c.args);
    EXPECT_EQ(run.exit_code, c.exit_code) << label;
    EXPECT_EQ(run.err, c.err) << label;
    if (c.out_has.empty())
      EXPECT_EQ(run.out, "") << label;
    else
      EXPECT_NE(run.out.find(c.out_has), std::string::npos) << label << ": " << run.out;
  }
}

TEST(CommandLine, VersionIsTheProjectVersion) {
  EXPECT_EQ(RunTool({"--version"}).out, "glimvane-convert 1.0.0.0\n");
}

// UTF-8 bytes of a UTF-16 text (well-formed) through the system codec.
std::string Utf8(const std::u16string& text) { return FromUnits(text, "UTF-8"); }

// Several chunks' worth, so that reads end inside characters.
const std::u16string& LargeText() {
  static const std::u16string text = [] {
    std::mt19937 rng(2024);
    return ChineseLikeText(rng, 1'500'000);
  }();
  return text;
}

TEST(Utf8Stream, OutputIsTheLibrarysConversion) {
  const std::string input = Utf8(LargeText());
  const std::string path = WriteScratchFile("large.txt", input);
  const std::string forward = Utf8(ConvertForward(LargeText()));
  const std::string reverse = Utf8(ConvertReverse(LargeText()));
  ASSERT_NE(forward, input);

  const struct {
    std::vector<std::string> args;
    bool from_stdin;
    const std::string& expected;
  } cases[] = {
      {{path}, false, forward},
      {{}, true, forward},
      {{"-"}, true, forward},
      {{"--forward", path}, false, forward},
      {{"--reverse", path}, false, reverse},
      {{"-r"}, true, reverse},
      {{"--encoding", "utf-8", "-r", path}, false, reverse},
  };
  for (const auto& c : cases) {
    const ToolRun run = RunTool(c.args, c.from_stdin ? path : "");
    const std::string label = ::testing::PrintToString(c.args);
    EXPECT_EQ(run.exit_code, 0) << label << run.err;
    EXPECT_EQ(run.err, "") << label;
    EXPECT_EQ(run.out.size(), input.size()) << label;
    EXPECT_TRUE(run.out == c.expected) << label << ": output differs from the library's conversion";
  }
}

TEST(Utf8Stream, InvalidBytesPassThrough) {
  // Malformed pieces next to table characters, and a cut-off character at
  // the very end, which must come out as it went in.
  const std::string input =
      "\xEF\xBB\xBF" "的\xFF的\xE7\x9A" "a\xC0\x80国\xED\xA0\x80\xF0\x87\x9A\x84\x9A\x84" "在\xF8\xE7";
  const std::string path = WriteScratchFile("invalid.txt", input);
  const ToolRun run = RunTool({path});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out, "\xEF\xBB\xBF" "哋\xFF哋\xE7\x9A" "a\xC0\x80國\xED\xA0\x80\xF0\x87\x9A\x84\x9A\x84" "茬\xF8\xE7");
  EXPECT_EQ(run.out, ConvertForwardUtf8(std::string_view(input)));
}

TEST(Utf8Stream, FilesAreConvertedOneAfterTheOther) {
  // A character cut between two files is two invalid pieces, not one
  // character.
  const std::string a = WriteScratchFile("a.txt", "的\xE7\x9A");
  const std::string b = WriteScratchFile("b.txt", "\x84国");
  const std::string in = WriteScratchFile("in.txt", "在");
  const ToolRun run = RunTool({a, "-", b}, in);
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out, "哋\xE7\x9A茬\x84國");
}

TEST(Utf8Stream, EmptyInput) {
  const ToolRun run = RunTool({WriteScratchFile("empty.txt", "")});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out, "");
}

TEST(Errors, UnreadableInputsAreReportedAndTheRestConverted) {
  const std::string good = WriteScratchFile("good.txt", "的");
  const std::string missing = ScratchDir() + "/no-such-file.txt";
  const std::string folder = ScratchDir();
  const ToolRun run = RunTool({missing, good, folder, good});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.out, "哋哋");
  EXPECT_EQ(run.err, "glimvane-convert: " + missing + ": No such file or directory\n" +
                         "glimvane-convert: " + folder + ": Is a directory\n");
}

TEST(Errors, FileWithoutReadPermission) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
  const std::string path = WriteScratchFile("secret.txt", "的");
  chmod(path.c_str(), 0);
  const ToolRun run = RunTool({path});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.err, "glimvane-convert: " + path + ": Permission denied\n");
}

TEST(Errors, FullDisk) {
  const std::string path = WriteScratchFile("some.txt", Utf8(LargeText()).substr(0, 100'000));
  for (const std::vector<std::string>& args : {std::vector<std::string>{path},
                                               std::vector<std::string>{"--encoding", "GB18030", path},
                                               std::vector<std::string>{"--help"}}) {
    const ToolRun run = RunTool(args, "", "/dev/full");
    EXPECT_EQ(run.exit_code, 1) << args[0];
    EXPECT_EQ(run.err, "glimvane-convert: stdout: No space left on device\n") << args[0];
  }
}

TEST(Errors, ReaderGoneAway) {
  const std::string path = WriteScratchFile("some.txt", "的的的");
  int fds[2];
  ASSERT_EQ(pipe2(fds, O_CLOEXEC), 0);
  close(fds[0]);  // nobody will read
  const int in = open("/dev/null", O_RDONLY | O_CLOEXEC);
  std::string stderr_path;
  const int pid = StartTool({path}, in, fds[1], stderr_path);
  close(in);
  close(fds[1]);
  ToolRun run;
  FinishTool(pid, stderr_path, run);
  EXPECT_EQ(run.signal, 0) << "killed by a signal instead of reporting";
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.err, "glimvane-convert: stdout: Broken pipe\n");
}

TEST(Errors, InputFileIsTheOutput) {
  const std::string path = WriteScratchFile("self.txt", "的");
  const int in = open("/dev/null", O_RDONLY | O_CLOEXEC);
  const int out = open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  std::string stderr_path;
  const int pid = StartTool({path}, in, out, stderr_path);
  close(in);
  close(out);
  ToolRun run;
  FinishTool(pid, stderr_path, run);
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.err, "glimvane-convert: " + path + ": input file is output file\n");
  EXPECT_EQ(ReadFile(path), "的");
}

}  // namespace
}  // namespace glimvane::testing
