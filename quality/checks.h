// The checks of a translation: faults that break the game or its texts,
// found line by line in the edit form, before they reach the game. They
// warn; they change no file.
//
//   placeholders  the printf conversions of the work text (%d %i %u %x %X %c
//                 %s %f, with n$, flags - + # 0 ', width, precision, h, hh,
//                 l, ll, and %%) differ from the English text's, counted as
//                 multisets; a % that starts none of them is plain text, and
//                 so is "% s" (a blank is not taken as a flag)
//   breaks        the count of "@" (line breaks and control bytes as the
//                 text shows them; a control byte typed into the text becomes
//                 one) differs from the English text's
//   characters    a character the table cannot hold: one that the table's
//                 stored form turns into another; in the French slot, which
//                 holds Russian, any Cyrillic letter outside А to я, Ё and ё;
//                 and one that is in no table of the repertoire (the 66
//                 Russian letters count as known in the French slot); bytes
//                 that are not UTF-8
//   length        the work text is longer than a factor times its English
//                 text, in code points, for English texts of some length
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "formats/field_codec.h"
#include "formats/format_state.h"
#include "formats/kt_library.h"
#include "quality/entry_lines.h"
#include "quality/repertoire.h"

namespace gs {

enum class CheckKind { Placeholders, Breaks, Characters, Length };
inline constexpr size_t kCheckKinds = 4;

// "placeholders", "breaks", "characters", "length".
std::string_view KindName(CheckKind kind);

struct Finding {
  size_t Line = 0;  // in the text file, from 1
  CheckKind Kind = CheckKind::Placeholders;
  std::string Message;
};

struct CheckOptions {
  double MaxGrowth = 2.0;        // length: at most this many times the English text's code points
  size_t ShortestMeasured = 10;  // length: only for English texts of at least this many code points
};

struct CheckReport {
  size_t Entries = 0;
  std::vector<Finding> Findings;  // in line order, each line's in the order of the kinds
  std::array<size_t, kCheckKinds> Counts{};
};

// Checks the entries of one table, one line at a time.
class EntryChecker {
 public:
  EntryChecker(std::string_view currentFileName, const Repertoire& repertoire, const CheckOptions& options,
               KtLibrary& kt);

  // Appends the line's findings, at most one of each kind.
  void Check(const EntryLine& line, std::vector<Finding>& findings);

 private:
  void CheckPlaceholders(const EntryLine& line, std::vector<Finding>& findings);
  void CheckCharacters(const EntryLine& line, std::vector<Finding>& findings);
  // Why the table cannot hold c; empty when it can.
  const std::string& Problem(char32_t c);
  std::string FindProblem(char32_t c) const;

  FieldCodec codec_;
  bool russian_;
  const Repertoire& repertoire_;
  CheckOptions options_;
  enum Verdict : uint8_t { kUnknown, kHeld, kNotHeld };
  std::vector<uint8_t> verdicts_;                       // per code point, found at its first use
  std::unordered_map<char32_t, std::string> problems_;  // of the code points not held
  std::vector<std::string_view> workConversions_, englishConversions_;
  std::vector<char32_t> lineProblems_;
};

// The findings of the work table of files against its English template copy
// (or of the edited text, when files names one; see ForEachEntry).
CheckReport CheckEntries(const ConversionFiles& files, std::string_view currentFileName,
                         const Repertoire& repertoire, const CheckOptions& options, KtLibrary& kt);

// "Checks: 2 placeholders, 1 characters"; "Checks: nothing found".
std::string Summary(const CheckReport& report);
// "12: placeholders: missing %d"
std::string FindingLine(const Finding& finding);
// Writes every finding's line and the summary to path, replacing it whole.
void WriteFindings(const std::string& path, const CheckReport& report);

}  // namespace gs
