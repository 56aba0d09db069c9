// The command line of glimvane-convert.
#pragma once

#include <string>
#include <vector>

namespace glimvane::cli {

enum class Direction { kForward, kReverse };

// The encodings the tool reads and writes. UTF-8 is converted in place; the
// others go through iconv to UTF-16 and back.
struct Encoding {
  const char* name;        // as --help lists it and messages name it
  const char* iconv_name;  // nullptr for UTF-8
};

struct Options {
  Direction direction = Direction::kForward;
  Encoding encoding{"UTF-8", nullptr};
  std::vector<std::string> files;  // empty: standard input; "-" also names it
  bool help = false;
  bool version = false;
};

// Parses argv[1..]; on a usage error returns false with `error` set to a
// one-line message (without the program name).
bool ParseArguments(int argc, char** argv, Options& options, std::string& error);

// The --help text.
std::string HelpText();

}  // namespace glimvane::cli
