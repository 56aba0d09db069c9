// Throughput of the conversions next to memcpy of the same buffer, of the
// in-place UTF-8 conversion of the same text, and of the literal row-by-row
// algorithm on a smaller buffer. After the runs it prints
// each case's throughput as a ratio to Memcpy.
//
//   build/native/conversion/bench/conversion_bench

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "glimvane/conversion.h"
#include "glimvane/substitution_table.h"
#include "glimvane/utf8.h"

namespace {

constexpr std::size_t kBulkBytes = 64u << 20;
constexpr std::size_t kLiteralBytes = 256u << 10;

// Chinese-like text: mostly ideographs, about a third of them table sources
// and a few table targets, some ASCII words and a line break every 40 units.
std::u16string ChineseLikeText(std::size_t units) {
  std::mt19937 rng(936);
  std::uniform_int_distribution<int> kind(0, 99);
  std::uniform_int_distribution<std::size_t> row(0, glimvane::kSubstitutionRowCount - 1);
  std::uniform_int_distribution<int> ideograph(0x4E00, 0x9FA5);
  std::uniform_int_distribution<int> ascii(0x61, 0x7A);
  std::u16string text;
  text.reserve(units);
  while (text.size() < units) {
    if (text.size() % 40 == 38) {
      text += u"\r\n";
      continue;
    }
    const int k = kind(rng);
    if (k < 35) text += glimvane::kSubstitutionTable[row(rng)].source;
    else if (k < 40) text += glimvane::kSubstitutionTable[row(rng)].target;
    else if (k < 90) text += static_cast<char16_t>(ideograph(rng));
    else text += static_cast<char16_t>(ascii(rng));
  }
  text.resize(units);
  return text;
}

const std::u16string& BulkText() {
  static const std::u16string text = ChineseLikeText(kBulkBytes / 2);
  return text;
}

void Memcpy(benchmark::State& state) {
  const std::u16string& in = BulkText();
  std::vector<char16_t> out(in.size());
  for (auto _ : state) {
    std::memcpy(out.data(), in.data(), in.size() * 2);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * in.size() * 2);
}

template <void (*Conversion)(std::span<const char16_t>, std::span<char16_t>)>
void RunConversion(benchmark::State& state) {
  const std::u16string& in = BulkText();
  std::vector<char16_t> out(in.size());
  for (auto _ : state) {
    Conversion(in, out);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * in.size() * 2);
}

void Forward(benchmark::State& state) { RunConversion<glimvane::ConvertForward>(state); }
void Reverse(benchmark::State& state) { RunConversion<glimvane::ConvertReverse>(state); }

// The same text as UTF-8, converted in place (what glimvane-convert does).
const std::string& BulkUtf8() {
  static const std::string text = [] {
    std::string out;
    for (char16_t unit : BulkText()) {
      if (unit < 0x80) {
        out += static_cast<char>(unit);
      } else {  // every unit of this text is below U+FFFF and no surrogate
        out += static_cast<char>(0xE0 | unit >> 12);
        out += static_cast<char>(0x80 | (unit >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (unit & 0x3F));
      }
    }
    return out;
  }();
  return text;
}

void ForwardUtf8(benchmark::State& state) {
  std::string buffer = BulkUtf8();
  for (auto _ : state) {
    glimvane::ConvertForwardUtf8(std::span<char>(buffer));
    benchmark::DoNotOptimize(buffer.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * buffer.size());
}

// The definition itself: 714 replace steps, each over the whole text.
void Literal714(benchmark::State& state) {
  const std::u16string in = ChineseLikeText(kLiteralBytes / 2);
  std::u16string text;
  for (auto _ : state) {
    text = in;
    for (const glimvane::SubstitutionPair& row : glimvane::kSubstitutionTable)
      for (char16_t& unit : text)
        if (unit == row.source) unit = row.target;
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(state.iterations() * in.size() * 2);
}

BENCHMARK(Memcpy)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Forward)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Reverse)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ForwardUtf8)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Literal714)->Unit(benchmark::kMillisecond)->UseRealTime();

// Prints as usual and keeps each case's bytes per second for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      const auto it = run.counters.find("bytes_per_second");
      if (it != run.counters.end() && run.run_type == Run::RT_Iteration)
        rates_[run.run_name.function_name] = it->second.value;
    }
  }
  void PrintRatios() const {
    const auto base = rates_.find("Memcpy");
    if (base == rates_.end() || base->second <= 0) return;
    std::printf("\nthroughput relative to Memcpy (%.2f GB/s):\n", base->second / 1e9);
    for (const auto& [name, rate] : rates_)
      std::printf("  %-12s %8.2f GB/s  %7.4f x Memcpy\n", name.c_str(), rate / 1e9, rate / base->second);
  }

 private:
  std::map<std::string, double> rates_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
