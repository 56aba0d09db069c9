#include "options.h"

#include <array>
#include <cstring>
#include <string_view>
#include <strings.h>

namespace glimvane::cli {
namespace {

// Names are matched without regard to case. GBK and CP936 are one code page.
constexpr std::array<Encoding, 7> kEncodings = {{
    {"UTF-8", nullptr},
    {"UTF8", nullptr},
    {"GBK", "GBK"},
    {"CP936", "CP936"},
    {"GB18030", "GB18030"},
    {"UTF-16LE", "UTF-16LE"},
    {"UTF-16BE", "UTF-16BE"},
}};

bool FindEncoding(std::string_view name, Encoding& encoding) {
  for (const Encoding& candidate : kEncodings) {
    if (name.size() == std::strlen(candidate.name) && strncasecmp(name.data(), candidate.name, name.size()) == 0) {
      encoding = candidate;
      return true;
    }
  }
  return false;
}

}  // namespace

bool ParseArguments(int argc, char** argv, Options& options, std::string& error) {
  bool only_files = false;
  for (int k = 1; k < argc; ++k) {
    const std::string_view arg = argv[k];
    if (only_files || arg == "-" || !arg.starts_with("-")) {
      options.files.emplace_back(arg);
    } else if (arg == "--") {
      only_files = true;
    } else if (arg == "-h" || arg == "--help") {
      options.help = true;
    } else if (arg == "--version") {
      options.version = true;
    } else if (arg == "-r" || arg == "--reverse") {
      options.direction = Direction::kReverse;
    } else if (arg == "-f" || arg == "--forward") {
      options.direction = Direction::kForward;
    } else if (arg == "-e" || arg == "--encoding" || arg.starts_with("--encoding=")) {
      std::string_view name;
      if (arg.starts_with("--encoding=")) {
        name = arg.substr(std::strlen("--encoding="));
      } else if (k + 1 < argc) {
        name = argv[++k];
      } else {
        error = "option '" + std::string(arg) + "' needs an encoding name";
        return false;
      }
      if (!FindEncoding(name, options.encoding)) {
        error = "unknown encoding '" + std::string(name) + "' (UTF-8, GBK, CP936, GB18030, UTF-16LE or UTF-16BE)";
        return false;
      }
    } else {
      error = "unknown option '" + std::string(arg) + "'";
      return false;
    }
  }
  return true;
}

std::string HelpText() {
  return R"(Usage: glimvane-convert [OPTION]... [FILE]...
Convert Chinese text through Glimvane's substitution table: forward turns
common simplified characters into their look-alike characters, --reverse
turns those back. Each FILE, or standard input when there is none or FILE
is -, is converted to standard output, one after the other.

  -f, --forward         the forward conversion (the default)
  -r, --reverse         the reverse conversion
  -e, --encoding NAME   the encoding of input and output alike: UTF-8 (the
                        default), GBK, CP936 (the same as GBK), GB18030,
                        UTF-16LE or UTF-16BE; names in any case
  -h, --help            show this help and exit
      --version         show the version and exit

Every character that is not in the table comes out as it went in, a byte
order mark included. In UTF-8 the output has the length of the input and
bytes that are not valid UTF-8 pass through unchanged. In the other
encodings input that is not valid in the encoding stops the conversion of
that file: the text before the bad character is written, the character and
what follows it are not, and the byte offset of the character in the file
is reported. The remaining files are converted all the same.

Exit status: 0 if every file was converted, 1 if a file could not be read
or converted or the output could not be written, 2 for a usage error.
)";
}

}  // namespace glimvane::cli
