#include "formats/field_codec.h"

#include <gtest/gtest.h>

#include "common/fs.h"
#include "format_test_support.h"

namespace gs {
namespace {

using test::B;
using test::Cat;
using test::ErrorOf;

Bytes GameDecoded(Bytes b) {
  GameDecode(b);
  return b;
}

Bytes GameEncoded(Bytes b) {
  GameEncode(b);
  return b;
}

// The 66 letters that go both ways: edit form and Windows-1251 code.
std::vector<std::pair<Bytes, uint32_t>> RoundTripLetters() {
  std::vector<std::pair<Bytes, uint32_t>> letters;
  for (uint32_t cp = 0x410; cp <= 0x44F; ++cp) {
    letters.push_back(
        {B({0xC0 | static_cast<int>(cp >> 6), 0x80 | static_cast<int>(cp & 0x3F)}), cp - 0x350});
  }
  letters.push_back({B({0xD0, 0x81}), 0xA8});
  letters.push_back({B({0xD1, 0x91}), 0xB8});
  return letters;
}

Bytes Utf8(uint32_t v) {
  return B({0xC0 | static_cast<int>(v >> 6), 0x80 | static_cast<int>(v & 0x3F)});
}

TEST(GameMapping, EveryRoundTripLetterGoesBothWays) {
  for (const auto& [edit, code] : RoundTripLetters()) {
    const Bytes stored = Utf8(code + 0x100);
    EXPECT_EQ(GameEncoded(edit), stored);
    EXPECT_EQ(GameDecoded(stored), edit);
  }
}

TEST(GameMapping, DecodeLooksOnlyAtPairStarts) {
  EXPECT_EQ(GameDecoded(B({0xC7, 0x80, 0x41})), B({0xD0, 0x90, 0x41}));
  EXPECT_EQ(GameDecoded(B({0xC6, 0x41})), B({0xC6, 0x41}));
  // The second byte of an unmapped pair starts no pair.
  EXPECT_EQ(GameDecoded(B({0xC6, 0xC7, 0x80})), B({0xC6, 0xC7, 0x80}));
  EXPECT_EQ(GameDecoded(B({0xC7, 0xC0})), B({0xC7, 0xC0}));
}

TEST(GameMapping, LoneLeadByteAtTheEndIsKept) {
  EXPECT_EQ(GameDecoded(B({0x41, 0xC7})), B({0x41, 0xC7}));
  EXPECT_EQ(GameDecoded(B({0xC6})), B({0xC6}));
  EXPECT_EQ(GameDecoded(B({0xC7, 0x80, 0xC6})), B({0xD0, 0x90, 0xC6}));
}

TEST(GameMapping, EncodeLeavesOtherPairsAndTheLastByte) {
  EXPECT_EQ(GameEncoded(B({0xD0, 0x80})), B({0xD0, 0x80}));  // Ѐ is no round-trip letter
  EXPECT_EQ(GameEncoded(B({0x41, 0xD0})), B({0x41, 0xD0}));
  // An unmapped pair's second byte may start the next pair.
  EXPECT_EQ(GameEncoded(B({0xD0, 0xD0, 0x90})), B({0xD0, 0xC7, 0x80}));
  EXPECT_EQ(GameEncoded(B({0xD1, 0xBF})), B({0xD1, 0xBF}));
}

TEST(MaskControlBytes, OnlyBytesOneToThirtyOneBecomeAt) {
  Bytes all(256);
  for (int i = 0; i < 256; ++i) all[i] = static_cast<uint8_t>(i);
  MaskControlBytes(all);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(all[i], (i >= 1 && i <= 0x1F) ? '@' : i) << i;
}

TEST(FieldCodec, TablesOutsideTheFrenchSlotKeepTheirLettersBothWays) {
  // "Drücken", "Zuschauerlärm" and "schießen" hold the pairs that the
  // Cyrillic mappings would take; a tab is masked all the same.
  const Bytes stored =
      B("Dr\xC3\xBC"
        "cken\tZuschauerl\xC3\xA4rm schie\xC3\x9F"
        "en \xC7\x80\xC2\xA8\xC5\x99");
  const Bytes edited = test::Masked(stored);
  KtLibrary missing({ExecutableDir() + "no-such-kt.so"});  // nor is the library needed
  for (const char* name : {"FrontGerman.bin", "GameSwedish.bin", "emaildataFinnish.dta", "FrontCzech.bin",
                           "GameEnglish.bin", "emaildata.dta"}) {
    const FieldCodec codec(name, missing);
    EXPECT_EQ(codec.ReadField(Cat({stored, B({0})}), 0), edited) << name;
    Bytes back = Cat({edited, B({0}), edited});
    codec.EncodeField(back);
    EXPECT_EQ(back, Cat({edited, B({0}), edited})) << name;
  }
  KtLibrary kt;
  EXPECT_EQ(FieldCodec("FrontFrench.bin", kt)
                .ReadField(B("Dr\xC3\xBC"
                             "cken"),
                           0),
            B("Dr\xD1\x8C"
              "cken"));
}

TEST(FieldCodec, ReadFieldDecodesMasksAndReportsTheNextPosition) {
  KtLibrary kt;
  const Bytes file = B({0xC3, 0x80, 0x09, 0x41, 0x0A, 0x00, 0xC3, 0xBF, 0x00, 0x00, 0x42, 0x43});
  const FieldCodec front("FrontFrench.bin", kt);
  Bytes out;
  EXPECT_EQ(front.ReadField(file, 0, out), 6u);
  EXPECT_EQ(out, B({0xD0, 0x90, '@', 'A', '@'}));
  EXPECT_EQ(front.ReadField(file, 6), B({0xD1, 0x8F}));
  EXPECT_EQ(front.ReadField(file, 9, out), 10u);  // an empty field
  // A string running into the end of the file ends there.
  EXPECT_EQ(front.ReadField(file, 10), B("BC"));
  EXPECT_EQ(front.ReadField(file, 10, out), file.size());
  // Offsets outside the file read as empty strings.
  EXPECT_TRUE(front.ReadField(file, 12).empty());
  EXPECT_TRUE(front.ReadField(file, 1 << 30).empty());
  EXPECT_TRUE(front.ReadField(file, -1).empty());
}

TEST(FieldCodec, ReadFieldOfEachKind) {
  KtLibrary kt;
  const Bytes game = B({0xC7, 0x80, 0x41, 0x00, 0x41, 0xC7, 0x00});
  EXPECT_EQ(FieldCodec("GameFrench.bin", kt).ReadField(game, 0), B({0xD0, 0x90, 0x41}));
  EXPECT_EQ(FieldCodec("GameFrench.bin", kt).ReadField(game, 4), B({0x41, 0xC7}));
  // The same bytes outside a "Game" table are not Cyrillic.
  EXPECT_EQ(FieldCodec("FrontFrench.bin", kt).ReadField(game, 0), B({0xC7, 0x80, 0x41}));
  // A lone C3 at the end stays.
  EXPECT_EQ(FieldCodec("FrontFrench.bin", kt).ReadField(B({0x41, 0xC3}), 0), B({0x41, 0xC3}));
}

TEST(FieldCodec, EncodeFieldMasksThenMapsARunOfStrings) {
  KtLibrary kt;
  const Bytes run = B({0xD0, 0x90, 0x00, 0xD1, 0x91, 0x09, 0x00});
  Bytes game = run;
  FieldCodec("GameFrench.bin", kt).EncodeField(game);
  EXPECT_EQ(game, B({0xC7, 0x80, 0x00, 0xC6, 0xB8, '@', 0x00}));
  Bytes front = run;
  FieldCodec("FrontFrench.bin", kt).EncodeField(front);
  EXPECT_EQ(front, B({0xC3, 0x80, 0x00, 0xC2, 0xB8, '@', 0x00}));
}

TEST(FieldCodec, ZeroBytesSurviveALeadByteBeforeThem) {
  // The library alone would take D1 00 as a pair and overwrite the zero.
  KtLibrary kt;
  const FieldCodec codec("FrontFrench.bin", kt);
  Bytes run = B({0x41, 0xD1, 0x00, 0xD0, 0x90, 0x00, 0xD0});
  codec.EncodeField(run);
  EXPECT_EQ(run, B({0x41, 0xD1, 0x00, 0xC3, 0x80, 0x00, 0xD0}));
  Bytes stored = B({0xC3, 0x00, 0xC3, 0x80, 0x00});
  codec.Decode(stored);
  EXPECT_EQ(stored, B({0xC3, 0x00, 0xD0, 0x90, 0x00}));
}

TEST(FieldCodec, FrontFormGoesBothWaysThroughTheLibrary) {
  KtLibrary kt;
  const FieldCodec codec("emaildataFrench.dta", kt);
  for (const auto& [edit, code] : RoundTripLetters()) {
    Bytes b = edit;
    codec.EncodeField(b);
    EXPECT_EQ(b, Utf8(code));
    EXPECT_EQ(codec.ReadField(b, 0), edit);
  }
}

TEST(FieldCodec, MissingLibraryFailsOnlyWhenAFieldNeedsIt) {
  KtLibrary missing({ExecutableDir() + "no-such-kt.so"});
  const FieldCodec codec("FrontFrench.bin", missing);
  const Bytes file = B({0x00, 0x41, 0x00});
  EXPECT_TRUE(codec.ReadField(file, 0).empty());
  ErrorOf(53, [&] { codec.ReadField(file, 1); });
  Bytes text = B("A");
  ErrorOf(53, [&] { codec.EncodeField(text); });
  // "Game" never needs the library.
  EXPECT_EQ(FieldCodec("GameFrench.bin", missing).ReadField(file, 1), B("A"));
}

}  // namespace
}  // namespace gs
