// Data for the peer benchmark.
//
//   glimvane_bench_data text BYTES   Chinese-like UTF-8 text, BYTES long (seeded)
//   glimvane_bench_data pairs        the table's rows, "source<TAB>target" per line
//
// Both come from the library's table, so that every tool in the benchmark
// converts the same pairs as glimvane-convert.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "glimvane/substitution_table.h"

namespace {

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | cp >> 6);
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | cp >> 12);
    out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Like running Chinese prose: the table's sources are the most common
// characters and make up most of it; then other ideographs, the table's
// targets, full-width punctuation, some ASCII words and digits, and a line
// break about every 40 characters.
int WriteText(std::size_t bytes) {
  std::mt19937 rng(936);
  std::uniform_int_distribution<int> kind(0, 99);
  std::uniform_int_distribution<std::size_t> row(0, glimvane::kSubstitutionRowCount - 1);
  std::uniform_int_distribution<int> ideograph(0x4E00, 0x9FA5);
  std::uniform_int_distribution<int> letter('a', 'z');
  std::uniform_int_distribution<int> line(30, 50);
  std::string chunk;
  std::size_t written = 0;
  int until_break = line(rng);
  while (written < bytes) {
    chunk.clear();
    while (chunk.size() < (1u << 20)) {
      if (--until_break == 0) {
        chunk += '\n';
        until_break = line(rng);
        continue;
      }
      const int k = kind(rng);
      if (k < 60) AppendUtf8(chunk, glimvane::kSubstitutionTable[row(rng)].source);
      else if (k < 80) AppendUtf8(chunk, static_cast<char32_t>(ideograph(rng)));
      else if (k < 85) AppendUtf8(chunk, glimvane::kSubstitutionTable[row(rng)].target);
      else if (k < 93) AppendUtf8(chunk, k % 2 ? U'，' : U'。');
      else if (k < 97) chunk += static_cast<char>(letter(rng));
      else chunk += static_cast<char>('0' + k % 10);
    }
    // Whole characters only: the last one that does not fit is left out.
    std::size_t size = std::min(chunk.size(), bytes - written);
    if (size < chunk.size()) {
      while (size > 0 && (static_cast<unsigned char>(chunk[size]) & 0xC0) == 0x80) --size;
    }
    if (std::fwrite(chunk.data(), 1, size, stdout) != size) return 1;
    written += size;
    if (size < chunk.size()) break;
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}

int WritePairs() {
  std::string out;
  for (const glimvane::SubstitutionPair& pair : glimvane::kSubstitutionTable) {
    AppendUtf8(out, pair.source);
    out += '\t';
    AppendUtf8(out, pair.target);
    out += '\n';
  }
  return std::fwrite(out.data(), 1, out.size(), stdout) == out.size() && std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "text") == 0) return WriteText(std::strtoull(argv[2], nullptr, 10));
  if (argc == 2 && std::strcmp(argv[1], "pairs") == 0) return WritePairs();
  std::fprintf(stderr, "usage: glimvane_bench_data text BYTES | pairs\n");
  return 2;
}
