// Shared by the fuzz targets: a gs::Error is a normal outcome of bad input;
// anything else, or a broken promise of the code, ends the run.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <span>

#include "common/error.h"
#include "common/file.h"
#include "common/utf8.h"
#include "formats/kt_library.h"

namespace gs::fuzz {

inline KtLibrary& Kt() {
  static KtLibrary kt;
  return kt;
}

[[noreturn]] inline void Broken(const char* promise) {
  std::fprintf(stderr, "broken: %s\n", promise);
  std::abort();
}

inline void Expect(bool holds, const char* promise) {
  if (!holds) Broken(promise);
}

// Runs fn; a gs::Error is an accepted outcome.
template <typename Fn>
void Tolerating(Fn fn) {
  try {
    fn();
  } catch (const Error&) {
  }
}

// Runs fn; it must not fail at all.
template <typename Fn>
void Succeeding(Fn fn, const char* promise) {
  try {
    fn();
  } catch (const Error& e) {
    std::fprintf(stderr, "error %d: %s\n", static_cast<int>(e.Number()), e.Description().c_str());
    Broken(promise);
  }
}

inline bool IsUtf8(std::span<const uint8_t> text) {
  return FindInvalidUtf8({reinterpret_cast<const char*>(text.data()), text.size()}) == std::string_view::npos;
}

inline Bytes WithByteOrderMark(std::span<const uint8_t> text) {
  Bytes out{0xEF, 0xBB, 0xBF};
  out.insert(out.end(), text.begin(), text.end());
  return out;
}

// Splits an input into two files at the length its first two bytes give.
inline std::pair<std::span<const uint8_t>, std::span<const uint8_t>> TwoFiles(
    std::span<const uint8_t> input) {
  const size_t first = std::min<size_t>(input.size() - 2, input[0] | input[1] << 8);
  input = input.subspan(2);
  return {input.first(first), input.subspan(first)};
}

}  // namespace gs::fuzz
