#include "formats/email_data.h"

#include <gtest/gtest.h>

#include "format_test_support.h"

namespace gs {
namespace {

using test::B;
using test::Cat;
using test::ErrorOf;
using test::Int32;
using test::WithByteOrderMark;
using namespace std::literals;

struct Record {
  int32_t a = 7, b = 8;
  Bytes tag = B("T");
  Bytes heading{};
  std::vector<Bytes> strings{};
  int32_t d = 9, e = 10;
};

// An e-mail data file with the records' strings in record order after them.
Bytes EmailFile(const std::vector<Record>& records) {
  Bytes body;
  Bytes area;
  const auto append = [](Bytes& to, const Bytes& part) { to.insert(to.end(), part.begin(), part.end()); };
  for (const Record& r : records) {
    append(body, Cat({Int32(r.a), Int32(r.b), Int32(static_cast<int32_t>(r.strings.size())), Int32(r.d),
                      Int32(r.e), r.tag, B({0}), r.heading, B({0})}));
    for (const Bytes& s : r.strings) {
      append(body, Int32(static_cast<int32_t>(area.size())));
      append(area, s);
      area.push_back(0x00);
    }
  }
  return Cat({Int32(static_cast<int32_t>(records.size())), Int32(static_cast<int32_t>(8 + body.size())), body,
              area});
}

// Where record r's heading begins in EmailFile's layout, counted from 8.
size_t HeadingAt(const std::vector<Record>& records, size_t r) {
  size_t at = 0;
  for (size_t i = 0; i < r; ++i) {
    at += 20 + records[i].tag.size() + 1 + records[i].heading.size() + 1 + 4 * records[i].strings.size();
  }
  return at + 20 + records[r].tag.size() + 1;
}

class EmailDataTest : public test::ScratchFolderTest {
 protected:
  ConversionFiles Files() const {
    return {Path("emaildataFrench.dta"), Path("emaildata.dta.eng"), Path("emaildataFrench.dta.txt")};
  }
  void Export(const Bytes& work, const Bytes& english, const std::string& name = "emaildataFrench.dta") {
    Write("emaildataFrench.dta", work);
    Write("emaildata.dta.eng", english);
    EmailExport(state_, Files(), name, kt_);
  }
  Bytes Text() const { return Read("emaildataFrench.dta.txt"); }
  Bytes Import(const Bytes& text) {
    Write("emaildataFrench.dta.txt", text);
    EmailImport(state_, Files(), "emaildataFrench.dta", kt_);
    return Read("emaildataFrench.dta");
  }

  FormatState state_;
  KtLibrary kt_;
};

TEST_F(EmailDataTest, ExportOfTheSmallestFile) {
  const Bytes file = B({1, 0, 0, 0, 37, 0, 0, 0, 0,    0, 0,    0,    0, 0, 0, 0, 1, 0,    0, 0,
                        0, 0, 0, 0, 0,  0, 0, 0, 0x54, 0, 0x48, 0x69, 0, 0, 0, 0, 0, 0x41, 0});
  ASSERT_EQ(file.size(), 39u);
  Export(file, file);
  EXPECT_EQ(Text(), B({0x48, 0x69, 0x00, 0x48, 0x69, 0x0D, 0x0A, 0x41, 0x00, 0x41, 0x0D, 0x0A}));
  EXPECT_EQ(state_.EmailCount, 1);
  EXPECT_EQ(state_.LanguageRecords[0].Tag, B({0x54, 0}));
}

TEST_F(EmailDataTest, ExportWritesHeadingsThenStringsPerRecord) {
  const Bytes english = EmailFile({{.heading = B("H0"), .strings = {B("s00")}},
                                   {.heading = B("H1"), .strings = {B("s10"), B("s11"), B("s12")}}});
  const Bytes work =
      EmailFile({{.heading = B({0xC3, 0x80}), .strings = {B("w\n0")}},
                 {.tag = B("other tag"), .heading = B(""), .strings = {B(""), B("w11"), B("w12")}}});
  Export(work, english);
  EXPECT_EQ(Text(), B("\xD0\x90\0H0\r\nw@0\0s00\r\n\0H1\r\n\0s10\r\nw11\0s11\r\nw12\0s12\r\n"sv));
}

TEST_F(EmailDataTest, RecordsThatAreNoTwinsAreUnknownFormat) {
  const Bytes english = EmailFile({{.strings = {B("a")}}, {.strings = {B("b")}}});
  const Bytes more = EmailFile({{.strings = {B("a")}}, {.strings = {B("b"), B("c")}}});
  const Bytes fewer = EmailFile({{.strings = {}}, {.strings = {B("b")}}});
  const Bytes shorter = EmailFile({{.strings = {B("a")}}});
  Write("emaildataFrench.dta.txt", B("old"));
  for (const Bytes& work : {more, fewer, shorter}) {
    EXPECT_EQ(ErrorOf(7777, [&] { Export(work, english); }),
              "Unknown data format for file 'emaildataFrench.dta'");
  }
  EXPECT_EQ(Text(), B("old"));
  EXPECT_TRUE(state_.EmailExported.empty());
  // Different Values and Tags are no reason to refuse a file.
  Export(EmailFile({{.a = 1, .tag = B("x"), .strings = {B("a")}}, {.strings = {B("b")}, .e = 5}}), english);
}

TEST_F(EmailDataTest, DifferentRecordCountsNameTheCurrentFile) {
  std::vector<Record> twelve(12, Record{.strings = {B("s")}});
  const Bytes english = EmailFile(twelve);
  twelve.pop_back();
  Write("emaildataSwedish.dta", EmailFile(twelve));
  Write("emaildata.dta.eng", english);
  const ConversionFiles files{Path("emaildataSwedish.dta"), Path("emaildata.dta.eng"), Path("out.txt")};
  EXPECT_EQ(ErrorOf(7777, [&] { EmailExport(state_, files, "emaildataSwedish.dta", kt_); }),
            "Unknown data format for file 'emaildataSwedish.dta'");
  EXPECT_FALSE(Exists("out.txt"));
}

TEST_F(EmailDataTest, TruncatedAndOversizedFilesAreUnknownFormat) {
  const Bytes good = EmailFile({{.heading = B("H"), .strings = {B("a"), B("b")}}});
  std::vector<Bytes> bad;
  for (size_t cut : {0, 4, 7, 8, 20, 28, 30, 33, 36}) bad.push_back(Bytes(good.begin(), good.begin() + cut));
  Bytes negativeCount = good;
  negativeCount[3] = 0x80;
  Bytes hugeCount = good;
  hugeCount[3] = 0x7F;
  Bytes negativeStrings = good;
  negativeStrings[8 + 8 + 3] = 0xFF;
  Bytes hugeStrings = good;
  hugeStrings[8 + 8 + 3] = 0x20;
  for (const Bytes& b : {negativeCount, hugeCount, negativeStrings, hugeStrings}) bad.push_back(b);
  for (const Bytes& b : bad) {
    EXPECT_EQ(ErrorOf(7777, [&] { Export(b, good); }), "Unknown data format for file 'emaildataFrench.dta'");
    EXPECT_EQ(ErrorOf(7777, [&] { Export(good, b); }), "Unknown data format for file 'emaildata.dta.eng'");
  }
  EXPECT_FALSE(Exists("emaildataFrench.dta.txt"));
}

TEST_F(EmailDataTest, TagLengthCounterOverflowsPast32767Bytes) {
  const Bytes longest = EmailFile({{.tag = Bytes(32766, 'T')}});
  Export(longest, longest);
  EXPECT_EQ(state_.LanguageRecords[0].Tag.size(), 32767u);
  const Bytes tooLong = EmailFile({{.tag = Bytes(32767, 'T')}});
  ErrorOf(6, [&] { Export(tooLong, tooLong); });
  // A Tag cut short by the end of the file is a format error.
  Bytes cut = longest;
  cut.resize(8 + 20 + 100);
  ErrorOf(7777, [&] { Export(cut, longest); });
}

TEST_F(EmailDataTest, StringOffsetsOutsideTheFileReadEmptyAndOverflowIsError6) {
  Bytes file = EmailFile({{.strings = {B("a"), B("b")}}});
  const size_t offsets = 8 + 20 + 2 + 1;
  const Bytes far = Int32(1 << 20);
  std::copy(far.begin(), far.end(), file.begin() + offsets);
  Export(file, file);
  EXPECT_EQ(Text(), B("\0\r\n\0\r\nb\0b\r\n"sv));
  const Bytes top = Int32(0x7FFFFFFF);
  std::copy(top.begin(), top.end(), file.begin() + offsets);
  ErrorOf(6, [&] { Export(file, file); });
}

TEST_F(EmailDataTest, ImportRebuildsFromTheRecordsAndTheText) {
  const Bytes english = EmailFile(
      {{.a = 1, .b = 2, .tag = B("T"), .heading = B("E"), .strings = {B("x"), B("y")}, .d = 3, .e = 4}});
  Export(english, english);
  const Bytes table = Import(WithByteOrderMark(B("Hi\0English part\r\nA\0\r\nB\0\r\n"sv)));
  EXPECT_EQ(table, Cat({Int32(1), Int32(41), Int32(1), Int32(2), Int32(2), Int32(3), Int32(4), B("T"), B({0}),
                        B("Hi"), B({0}), Int32(0), Int32(2), B("A"), B({0}), B("B"), B({0})}));
  EXPECT_EQ(table.size(), 45u);
}

TEST_F(EmailDataTest, ImportMasksEncodesAndIgnoresTheEnglishPart) {
  Export(EmailFile({{.strings = {B("x"), B("y"), B("z")}}}),
         EmailFile({{.strings = {B("x"), B("y"), B("z")}}}));
  const Bytes table = Import(B("\xD0\x9F\0anything\r\nline\r\nbreak\0\r\nA\tB\0\r\n\0\r\n\r\n"sv));
  const size_t s = 8 + 20 + 2 + 3 + 12;
  EXPECT_EQ(Bytes(table.begin() + 8 + 20 + 2, table.begin() + s),
            Cat({B({0xC3, 0x8F, 0}), Int32(0), Int32(12), Int32(16)}));
  EXPECT_EQ(Bytes(table.begin() + s, table.end()), B("line@@break\0A@B\0\0"sv));
  EXPECT_EQ(test::Int32At(table, 4), static_cast<int32_t>(s));
}

TEST_F(EmailDataTest, ImportRefusesATextWithoutALineForEachHeadingAndString) {
  Export(
      EmailFile({{.heading = B("H"), .strings = {B("a")}}, {.heading = B("I"), .strings = {B("b"), B("c")}}}),
      EmailFile(
          {{.heading = B("H"), .strings = {B("a")}}, {.heading = B("I"), .strings = {B("b"), B("c")}}}));
  const Bytes old = Read("emaildataFrench.dta");
  const std::string text = Path("emaildataFrench.dta.txt");
  for (const auto& [edited, why] : std::vector<std::pair<Bytes, std::string>>{
           // A row added inside the first e-mail, which would shift every later text.
           {B("h\0\r\na\0\r\nadded\0\r\ni\0\r\nb\0\r\nc\0\r\n"sv),
            "the text has 6 lines for the 5 headings and strings of 2 e-mail records"},
           {B("h\0\r\na\0\r\ni\0\r\nb\0\r\n"sv),
            "the text has 4 lines for the 5 headings and strings of 2 e-mail records"},
           {B(""), "the text has 0 lines for the 5 headings and strings of 2 e-mail records"},
           {B("h\r\na\r\ni\r\nb\r\nc\r\n"sv),
            "the word processor lost the column separator: no line holds one"},
           {B("h\0\r\na\0\r\ni\0\r\nb\xC3\0\r\nc\0\r\n"sv), "line 4 is not UTF-8 text at its byte 2 (C3)"},
       }) {
    EXPECT_EQ(ErrorOf(7777, [&] { Import(WithByteOrderMark(edited)); }),
              "Unknown data format for file '" + text + "': " + why);
  }
  EXPECT_EQ(Read("emaildataFrench.dta"), old);
  EXPECT_EQ(Names(), (std::vector<std::string>{"emaildata.dta.eng", "emaildataFrench.dta",
                                               "emaildataFrench.dta.txt"}));
  // The records are as the export left them: the right text imports.
  EXPECT_EQ(test::PlainEmailRecords(Import(B("h\0\r\na\0\r\ni\0\r\nb\0\r\nc\0"sv)))[1].strings,
            (std::vector<Bytes>{B("b"), B("c")}));
}

TEST_F(EmailDataTest, EmptyFileAndRecordsWithoutStrings) {
  const Bytes none = EmailFile({});
  Export(none, none);
  EXPECT_TRUE(Text().empty());
  EXPECT_EQ(Import(WithByteOrderMark({})), Cat({Int32(0), Int32(8)}));
  const Bytes bare = EmailFile({{.heading = B("H")}});
  Export(bare, bare);
  EXPECT_EQ(Import(WithByteOrderMark(B("Z\0H\r\n"sv))),
            Cat({Int32(1), Int32(8 + 20 + 2 + 2), Int32(7), Int32(8), Int32(0), Int32(9), Int32(10), B("T"),
                 B({0}), B("Z"), B({0})}));
}

TEST(EmailText, IsEachFieldReadOnItsOwnAndImportsLineByLine) {
  // Both directions map many fields in one pass; the text must be what
  // reading each field on its own gives, and the import must encode each
  // line's work part as EncodeField does on its own.
  KtLibrary kt;
  std::mt19937 rng(44);
  std::vector<Record> work, english;
  for (int r = 0; r < 3000; ++r) {
    work.push_back({.heading = test::AwkwardField(rng)});
    english.push_back({.heading = test::AwkwardField(rng)});
    for (int k = static_cast<int>(rng() % 6); k > 0; --k) {
      work.back().strings.push_back(test::AwkwardField(rng));
      english.back().strings.push_back(test::AwkwardField(rng));
    }
  }
  const Bytes workFile = EmailFile(work), englishFile = EmailFile(english);
  const FieldCodec codec("emaildataFrench.dta", kt);
  const EmailData w = ReadEmailData(workFile, "w", codec), e = ReadEmailData(englishFile, "e", codec);
  TextSink sink;
  EmailText(w, e, codec, sink);
  Bytes expected;
  for (size_t r = 0; r < work.size(); ++r) {
    codec.ReadField(workFile, 8 + static_cast<int64_t>(HeadingAt(work, r)), expected);
    expected.push_back(0x00);
    expected.insert(expected.end(), e.Records[r].Heading.begin(), e.Records[r].Heading.end());
    expected.insert(expected.end(), {0x0D, 0x0A});
    for (size_t k = 0; k < work[r].strings.size(); ++k) {
      codec.ReadField(workFile, w.StringArea + w.Records[r].Offsets[k], expected);
      expected.push_back(0x00);
      codec.ReadField(englishFile, e.StringArea + e.Records[r].Offsets[k], expected);
      expected.insert(expected.end(), {0x0D, 0x0A});
    }
  }
  ASSERT_GT(expected.size(), 3u * (256 << 10));  // several blocks of lines
  ASSERT_TRUE(sink.Buffer() == expected);

  // The text's work parts back, as a word processor saves them.
  Bytes text = WithByteOrderMark({});
  std::vector<Bytes> parts;
  for (size_t r = 0; r < work.size(); ++r) {
    for (size_t k = 0; k <= work[r].strings.size(); ++k) {
      parts.push_back(test::AwkwardEditField(rng));
      const Bytes line = Cat({parts.back(), B({0}), B("English"), B({0x0D, 0x0A})});
      text.insert(text.end(), line.begin(), line.end());
    }
  }
  std::vector<EmailRecord> records = w.Records;
  const std::vector<test::PlainEmailRecord> rebuilt =
      test::PlainEmailRecords(EmailDataFromText(records, text, "t", codec));
  size_t line = 0;
  for (size_t r = 0; r < work.size(); ++r) {
    Bytes heading = parts[line++];
    codec.EncodeField(heading);
    ASSERT_EQ(rebuilt[r].heading, heading) << "record " << r;
    for (size_t k = 0; k < work[r].strings.size(); ++k) {
      Bytes string = parts[line++];
      codec.EncodeField(string);
      ASSERT_EQ(rebuilt[r].strings[k], string) << "record " << r << " string " << k;
    }
  }
}

TEST_F(EmailDataTest, ImportNeedsTheExportOfTheSameFile) {
  Write("emaildataFrench.dta.txt", WithByteOrderMark({}));
  ErrorOf(5, [&] { EmailImport(state_, Files(), "emaildataFrench.dta", kt_); });
  const Bytes none = EmailFile({});
  Export(none, none, "emaildataGerman.dta");
  ErrorOf(5, [&] { EmailImport(state_, Files(), "emaildataFrench.dta", kt_); });
  Export(none, none);
  ErrorOf(7777, [&] { Export(B("short"), none); });
  ErrorOf(5, [&] { EmailImport(state_, Files(), "emaildataFrench.dta", kt_); });
}

}  // namespace
}  // namespace gs
