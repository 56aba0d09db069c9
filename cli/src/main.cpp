// glimvane-convert: Glimvane's conversions as a filter over files and pipes.

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "options.h"
#include "streams.h"

namespace glimvane::cli {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// Reading the file that the output goes to would either find it emptied by
// the shell or, appending, chase its own output without end.
bool IsTheOutput(int fd) {
  struct stat in, out;
  return fstat(fd, &in) == 0 && fstat(STDOUT_FILENO, &out) == 0 && S_ISREG(in.st_mode) && S_ISREG(out.st_mode) &&
         in.st_dev == out.st_dev && in.st_ino == out.st_ino;
}

bool ConvertOne(const Input& input, Output& output, const Options& options) {
  if (IsTheOutput(input.fd)) {
    Report(input.name, "input file is output file");
    return false;
  }
  return options.encoding.iconv_name == nullptr
             ? ConvertUtf8Stream(input, output, options.direction)
             : ConvertCodecStream(input, output, options.direction, options.encoding);
}

int Run(int argc, char** argv) {
  Options options;
  std::string error;
  if (!ParseArguments(argc, argv, options, error)) {
    std::fprintf(stderr, "glimvane-convert: %s\nTry 'glimvane-convert --help' for more information.\n", error.c_str());
    return kExitUsage;
  }
  Output output(STDOUT_FILENO);
  if (options.help || options.version) {
    const std::string text = options.help ? HelpText() : "glimvane-convert " GLIMVANE_VERSION "\n";
    output.Write(text);
    return kExitOk;
  }
  if (options.files.empty()) options.files.emplace_back("-");

  bool ok = true;
  for (const std::string& file : options.files) {
    if (file == "-") {
      ok &= ConvertOne(Input{STDIN_FILENO, "stdin"}, output, options);
      continue;
    }
    const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      Report(file, std::strerror(errno));
      ok = false;
      continue;
    }
    ok &= ConvertOne(Input{fd, file}, output, options);
    close(fd);
  }
  return ok ? kExitOk : kExitFailure;
}

}  // namespace
}  // namespace glimvane::cli

int main(int argc, char** argv) {
  // A reader that goes away is a write error to report, not a silent death.
  signal(SIGPIPE, SIG_IGN);
  int status;
  try {
    status = glimvane::cli::Run(argc, argv);
  } catch (const glimvane::cli::WriteError& failure) {
    std::fprintf(stderr, "glimvane-convert: stdout: %s\n", std::strerror(failure.error_number));
    return 1;
  }
  // Anything the system still held for the output is lost if closing fails.
  if (close(STDOUT_FILENO) != 0 && errno != EBADF) {
    std::fprintf(stderr, "glimvane-convert: stdout: %s\n", std::strerror(errno));
    return 1;
  }
  return status;
}
