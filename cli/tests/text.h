// Generated texts and an independent codec (glibc's iconv) for the tool's
// tests.
#pragma once

#include <iconv.h>

#include <bit>
#include <cerrno>
#include <random>
#include <stdexcept>
#include <string>

#include "glimvane/substitution_table.h"

namespace glimvane::testing {

// The helpers below read UTF-16LE straight into char16_t.
static_assert(std::endian::native == std::endian::little);

// Chinese-like text, well-formed UTF-16: table sources and targets, other
// ideographs, full-width punctuation, ASCII words, CR LF and LF line breaks
// and, unless `bmp_only`, a supplementary-plane ideograph now and then.
inline std::u16string ChineseLikeText(std::mt19937& rng, std::size_t units, bool bmp_only = false) {
  std::uniform_int_distribution<int> kind(0, 99);
  std::uniform_int_distribution<std::size_t> row(0, kSubstitutionRowCount - 1);
  std::uniform_int_distribution<int> ideograph(0x4E00, 0x9FA5);
  std::uniform_int_distribution<int> ascii(0x20, 0x7E);
  std::u16string text;
  while (text.size() < units) {
    const int k = kind(rng);
    if (k < 30) text += kSubstitutionTable[row(rng)].source;
    else if (k < 40) text += kSubstitutionTable[row(rng)].target;
    else if (k < 80) text += static_cast<char16_t>(ideograph(rng));
    else if (k < 85) text += u"，。、";
    else if (k < 93) text += static_cast<char16_t>(ascii(rng));
    else if (k < 96) text += u"\r\n";
    else if (k < 98) text += u"\n";
    else if (!bmp_only) text += u"\U00020000";
  }
  if (text.size() > units) text.resize(units);
  if (!text.empty() && text.back() >= 0xD800 && text.back() < 0xDC00) text.back() = u'a';
  return text;
}

// Converts between charsets with iconv; throws if the input is not valid.
inline std::string Iconv(const std::string& bytes, const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error(std::string("no iconv for ") + from + " to " + to);
  std::string out(bytes.size() * 4 + 16, '\0');
  char* in = const_cast<char*>(bytes.data());
  std::size_t in_left = bytes.size();
  char* out_ptr = out.data();
  std::size_t out_left = out.size();
  const std::size_t result = iconv(cd, &in, &in_left, &out_ptr, &out_left);
  iconv_close(cd);
  if (result == static_cast<std::size_t>(-1)) throw std::runtime_error(std::string("iconv to ") + to + " failed");
  out.resize(out.size() - out_left);
  return out;
}

inline std::string FromUnits(const std::u16string& text, const char* charset) {
  return Iconv(std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2), charset, "UTF-16LE");
}

inline std::u16string ToUnits(const std::string& bytes, const char* charset) {
  const std::string le = Iconv(bytes, "UTF-16LE", charset);
  return std::u16string(reinterpret_cast<const char16_t*>(le.data()), le.size() / 2);
}

}  // namespace glimvane::testing
