// Every generated table of every type and language goes out to the text file
// and back, the word processor's byte-order mark added on the way.
#include <gtest/gtest.h>

#include "catalog/catalog.h"
#include "format_test_support.h"
#include "formats/email_data.h"
#include "formats/string_table.h"
#include "tools/sample/sample_tables.h"

namespace gs {
namespace {

using test::Masked;
using test::WithByteOrderMark;

constexpr uint32_t kSeed = 77;

// True when a text still holds a letter in the stored form of its kind: the
// pairs that decoding must have turned into edit form.
bool HoldsStoredLetter(const Bytes& text, FileKind kind) {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    const uint8_t a = text[i], b = text[i + 1];
    if (kind == FileKind::Game) {
      if ((a == 0xC7 && b >= 0x80 && b <= 0xBF) || (a == 0xC6 && (b == 0xA8 || b == 0xB8))) return true;
    } else if (a == 0xC3 || (a == 0xC2 && (b == 0xA8 || b == 0xB8))) {
      return true;
    }
  }
  return false;
}

// The text of a table outside the French slot: each line's two texts as
// stored, only their control bytes masked.
Bytes StoredText(const std::vector<std::pair<Bytes, Bytes>>& lines) {
  Bytes text;
  for (const auto& [work, english] : lines) {
    text = test::Cat({text, Masked(work), test::B({0}), Masked(english), test::B({0x0D, 0x0A})});
  }
  return text;
}

class RoundTrip : public test::ScratchFolderTest {
 protected:
  ConversionFiles Files(const std::string& name, FileKind kind) const {
    return {Path(name), Path(TemplateNameOf(kind) + ".eng"), Path(name + ".txt")};
  }
  // Export, the byte-order mark the word processor adds, import.
  template <typename Export, typename Import>
  Bytes Cycle(const ConversionFiles& files, const std::string& name, Export exportFn, Import importFn,
              Bytes& text) {
    exportFn(state_, files, name, kt_);
    text = ReadWholeFile(files.TextFilePath);
    WriteWholeFile(files.TextFilePath, WithByteOrderMark(text));
    importFn(state_, files, name, kt_);
    return ReadWholeFile(files.WorkTablePath);
  }

  FormatState state_;
  KtLibrary kt_;
};

TEST_F(RoundTrip, StringTablesKeepEveryEntryOfEveryLanguage) {
  for (const FileKind kind : {FileKind::Front, FileKind::Game}) {
    const Bytes english = MakeStringTable(kind, "English", 600, kSeed);
    const size_t headerBlock = 16 + 4 * 600;
    for (const std::string_view language : kLanguages) {
      const std::string name = CurrentFileName(kFileTypes[static_cast<size_t>(kind)], language);
      SCOPED_TRACE(name);
      const Bytes work = MakeStringTable(kind, language, 600, kSeed);
      const ConversionFiles files = Files(name, kind);
      WriteWholeFile(files.WorkTablePath, work);
      WriteWholeFile(files.TemplateCopyPath, english);
      Bytes text;
      const Bytes rebuilt = Cycle(files, name, StringTableExport, StringTableImport, text);
      const std::vector<Bytes> before = test::StoredStrings(work);
      if (language != "French(Russian)") {
        // Latin letters with their diacritics show as they are.
        std::vector<std::pair<Bytes, Bytes>> lines;
        const std::vector<Bytes> englishStrings = test::StoredStrings(english);
        for (size_t j = 0; j < before.size(); ++j) lines.emplace_back(before[j], englishStrings[j]);
        EXPECT_TRUE(text == StoredText(lines));
      } else {
        EXPECT_FALSE(HoldsStoredLetter(text, kind));
      }

      EXPECT_TRUE(std::equal(english.begin(), english.begin() + headerBlock, rebuilt.begin()));
      const std::vector<Bytes> after = test::StoredStrings(rebuilt);
      ASSERT_EQ(after.size(), before.size());
      for (size_t j = 0; j < before.size(); ++j) EXPECT_EQ(after[j], Masked(before[j])) << "entry " << j;

      // Once through, a table comes back byte for byte.
      Bytes again;
      EXPECT_EQ(Cycle(files, name, StringTableExport, StringTableImport, again), rebuilt);
      EXPECT_EQ(again, text);
    }
  }
}

TEST_F(RoundTrip, EmailDataKeepsEveryRecordOfEveryLanguage) {
  const Bytes english = MakeEmailData("English", 150, kSeed);
  for (const std::string_view language : kLanguages) {
    const std::string name = CurrentFileName("E-Mail", language);
    SCOPED_TRACE(name);
    const Bytes work = MakeEmailData(language, 150, kSeed);
    const ConversionFiles files = Files(name, FileKind::Email);
    WriteWholeFile(files.WorkTablePath, work);
    WriteWholeFile(files.TemplateCopyPath, english);
    Bytes text;
    const Bytes rebuilt = Cycle(files, name, EmailExport, EmailImport, text);
    if (language != "French(Russian)") {
      std::vector<std::pair<Bytes, Bytes>> lines;
      const auto workRecords = test::PlainEmailRecords(work),
                 englishRecords = test::PlainEmailRecords(english);
      for (size_t r = 0; r < workRecords.size(); ++r) {
        lines.emplace_back(workRecords[r].heading, englishRecords[r].heading);
        for (size_t k = 0; k < workRecords[r].strings.size(); ++k) {
          lines.emplace_back(workRecords[r].strings[k], englishRecords[r].strings[k]);
        }
      }
      EXPECT_TRUE(text == StoredText(lines));
    } else {
      EXPECT_FALSE(HoldsStoredLetter(text, FileKind::Email));
    }

    std::vector<test::PlainEmailRecord> expected = test::PlainEmailRecords(work);
    for (auto& record : expected) {
      record.heading = Masked(record.heading);
      for (Bytes& s : record.strings) s = Masked(s);
    }
    EXPECT_EQ(test::PlainEmailRecords(rebuilt), expected);

    Bytes again;
    EXPECT_EQ(Cycle(files, name, EmailExport, EmailImport, again), rebuilt);
    EXPECT_EQ(again, text);
  }
}

}  // namespace
}  // namespace gs
