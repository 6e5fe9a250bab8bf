#include "common/utf8.h"

#include <gtest/gtest.h>

#include <random>

namespace gs {
namespace {

// Where decoding one character at a time first fails: the reference that the
// fast search must agree with.
size_t FirstUndecodable(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const size_t at = i;
    if (DecodeUtf8(text, i) == kInvalidCodePoint) return at;
  }
  return std::string_view::npos;
}

TEST(Utf8, FindInvalidAgreesWithDecodingOnEdgesAndRandomText) {
  // Characters of every length, the edges of each form, and bytes that no
  // form allows, in runs long and short enough for both paths of the search.
  const std::string_view pieces[] = {"a",
                                     "plain ascii text",
                                     "\xC2\x80",
                                     "\xDF\xBF",
                                     "\xD0\x96",
                                     "\xE0\xA0\x80",
                                     "\xED\x9F\xBF",
                                     "\xEF\xBF\xBF",
                                     "\xF0\x90\x80\x80",
                                     "\xF4\x8F\xBF\xBF",
                                     "\xC0\x80",
                                     "\xC1\xBF",
                                     "\xE0\x9F\xBF",
                                     "\xED\xA0\x80",
                                     "\xF0\x8F\xBF\xBF",
                                     "\xF4\x90\x80\x80",
                                     "\xF5\x80\x80\x80",
                                     "\x80",
                                     "\xBF",
                                     "\xC3",
                                     "\xE2\x82",
                                     "\xF0\x9F\x8F",
                                     "\xFF"};
  std::mt19937 rng(7);
  for (int n = 0; n < 20000; ++n) {
    std::string text;
    for (unsigned k = rng() % 12; k > 0; --k) text += pieces[rng() % std::size(pieces)];
    ASSERT_EQ(FindInvalidUtf8(text), FirstUndecodable(text)) << testing::PrintToString(text);
  }
}

}  // namespace
}  // namespace gs
