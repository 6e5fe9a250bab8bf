#include "quality/checks.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "catalog/catalog.h"
#include "common/file.h"
#include "common/utf8.h"

namespace gs {

namespace {

constexpr std::array<std::string_view, kCheckKinds> kKindNames = {"placeholders", "breaks", "characters",
                                                                  "length"};
constexpr char32_t kCharacters = 0x110000;

bool IsRussianLetter(char32_t c) {
  return (c >= 0x0410 && c <= 0x044F) || c == 0x0401 || c == 0x0451;
}

bool IsCyrillic(char32_t c) {
  return c >= 0x0400 && c <= 0x052F;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The printf conversion that starts with the % at text[i]: its length, or 0
// when none starts there.
size_t ConversionLength(std::string_view text, size_t i) {
  const size_t n = text.size();
  const auto at = [&](size_t k) { return k < n ? text[k] : '\0'; };
  const auto digits = [&](size_t& k) {
    const size_t from = k;
    while (IsDigit(at(k))) ++k;
    return k > from;
  };
  // A width or precision: digits, or * with an optional argument position.
  const auto amount = [&](size_t& k) {
    if (at(k) != '*') return static_cast<void>(digits(k));
    size_t m = ++k;
    if (digits(m) && at(m) == '$') k = m + 1;
  };
  size_t j = i + 1;
  if (at(j) == '%') return 2;
  if (size_t k = j; at(k) != '0' && digits(k) && at(k) == '$') j = k + 1;
  while (at(j) != '\0' && std::strchr("-+#0'", at(j)) != nullptr) ++j;
  amount(j);
  if (at(j) == '.') amount(++j);
  if (at(j) == 'h' || at(j) == 'l') j += at(j + 1) == at(j) ? 2 : 1;
  return at(j) != '\0' && std::strchr("diuxXcsf", at(j)) != nullptr ? j + 1 - i : 0;
}

// The conversions of text, sorted.
void Conversions(std::string_view text, std::vector<std::string_view>& out) {
  out.clear();
  for (size_t i = text.find('%'); i != std::string_view::npos; i = text.find('%', i)) {
    const size_t length = ConversionLength(text, i);
    if (length == 0) {
      ++i;
      continue;
    }
    out.push_back(text.substr(i, length));
    i += length;
  }
  std::sort(out.begin(), out.end());
}

// "%d, %s": the conversions of sorted in that are not in sorted other.
std::string Difference(const std::vector<std::string_view>& in, const std::vector<std::string_view>& other) {
  std::vector<std::string_view> only;
  std::set_difference(in.begin(), in.end(), other.begin(), other.end(), std::back_inserter(only));
  std::string text;
  for (const std::string_view c : only) text.append(text.empty() ? "" : " ").append(c);
  return text;
}

// Line breaks as the game gets them: "@", and control bytes, which the
// import turns into "@".
size_t CountBreaks(std::string_view text) {
  return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    const auto b = static_cast<uint8_t>(c);
    return b == '@' || (b >= 0x01 && b < 0x20);
  }));
}

// "U+0402 Ђ"
std::string Named(char32_t c) {
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X ", static_cast<unsigned>(c));
  return code + Utf8(c);
}

// Every code point of text named, bytes that are not UTF-8 in hexadecimal.
std::string NamedAll(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    const size_t from = i;
    const char32_t c = DecodeUtf8(text, i);
    if (!out.empty()) out += ", ";
    if (c != kInvalidCodePoint) {
      out += Named(c);
    } else {
      char byte[16];
      std::snprintf(byte, sizeof byte, "byte %02X", static_cast<unsigned>(static_cast<uint8_t>(text[from])));
      out += byte;
    }
  }
  return out;
}

}  // namespace

std::string_view KindName(CheckKind kind) {
  return kKindNames[static_cast<size_t>(kind)];
}

EntryChecker::EntryChecker(std::string_view currentFileName, const Repertoire& repertoire,
                           const CheckOptions& options, KtLibrary& kt)
    : codec_(currentFileName, kt),
      russian_(StoredLettersOf(currentFileName) != StoredLetters::AsEdited),
      repertoire_(repertoire),
      options_(options),
      verdicts_(kCharacters, kUnknown) {}

void EntryChecker::Check(const EntryLine& line, std::vector<Finding>& findings) {
  CheckPlaceholders(line, findings);
  if (const size_t work = CountBreaks(line.Work), english = CountBreaks(line.English); work != english) {
    findings.push_back(
        {line.Number, CheckKind::Breaks,
         std::to_string(work) + " breaks (@) where the English text has " + std::to_string(english)});
  }
  CheckCharacters(line, findings);
  const size_t english = CountCodePoints(line.English);
  const size_t work = CountCodePoints(line.Work);
  if (english >= options_.ShortestMeasured &&
      static_cast<double>(work) > options_.MaxGrowth * static_cast<double>(english)) {
    char text[160];
    std::snprintf(text, sizeof text, "%zu characters, %.2f times the %zu of the English text (at most %g)",
                  work, static_cast<double>(work) / static_cast<double>(english), english,
                  options_.MaxGrowth);
    findings.push_back({line.Number, CheckKind::Length, text});
  }
}

void EntryChecker::CheckPlaceholders(const EntryLine& line, std::vector<Finding>& findings) {
  if (line.Work.find('%') == std::string_view::npos && line.English.find('%') == std::string_view::npos)
    return;
  Conversions(line.Work, workConversions_);
  Conversions(line.English, englishConversions_);
  if (workConversions_ == englishConversions_) return;
  const std::string missing = Difference(englishConversions_, workConversions_);
  const std::string extra = Difference(workConversions_, englishConversions_);
  std::string message;
  if (!missing.empty()) message = "missing " + missing;
  if (!extra.empty())
    message += (message.empty() ? "" : "; ") + std::string("not in the English text ") + extra;
  findings.push_back({line.Number, CheckKind::Placeholders, message});
}

void EntryChecker::CheckCharacters(const EntryLine& line, std::vector<Finding>& findings) {
  const std::string_view text = line.Work;
  lineProblems_.clear();
  std::string invalid;
  for (size_t i = 0; i < text.size();) {
    const size_t from = i;
    const char32_t c = DecodeUtf8(text, i);
    if (c < 0x20) continue;  // a control byte becomes "@", a break
    if (c == kInvalidCodePoint) {
      if (invalid.empty()) invalid = "not UTF-8 from byte " + std::to_string(from + 1);
      continue;
    }
    if (verdicts_[c] == kHeld) continue;
    if (!Problem(c).empty() &&
        std::find(lineProblems_.begin(), lineProblems_.end(), c) == lineProblems_.end()) {
      lineProblems_.push_back(c);
    }
  }
  if (lineProblems_.empty() && invalid.empty()) return;
  std::string message;
  for (const char32_t c : lineProblems_) message.append(message.empty() ? "" : "; ").append(problems_.at(c));
  if (!invalid.empty()) message.append(message.empty() ? "" : "; ").append(invalid);
  findings.push_back({line.Number, CheckKind::Characters, message});
}

const std::string& EntryChecker::Problem(char32_t c) {
  static const std::string kNone;
  if (verdicts_[c] == kUnknown) {
    std::string problem = FindProblem(c);
    verdicts_[c] = problem.empty() ? kHeld : kNotHeld;
    if (!problem.empty()) problems_.emplace(c, std::move(problem));
  }
  return verdicts_[c] == kHeld ? kNone : problems_.at(c);
}

std::string EntryChecker::FindProblem(char32_t c) const {
  // What the game gets, read back as the export shows it; neither mapping
  // touches ASCII.
  const std::string edited = Utf8(c);
  std::string stored = edited;
  if (c >= 0x80) {
    const std::span<uint8_t> bytes(reinterpret_cast<uint8_t*>(stored.data()), stored.size());
    codec_.Encode(bytes);
    codec_.Decode(bytes);
  }
  if (stored != edited) return Named(c) + " becomes " + NamedAll(stored);
  if (russian_ && IsCyrillic(c) && !IsRussianLetter(c)) {
    return Named(c) + " is stored as UTF-8, which the game does not read in this table";
  }
  if (!repertoire_.Holds(c) && !(russian_ && IsRussianLetter(c))) {
    return Named(c) + " is in none of the game's tables read";
  }
  return {};
}

CheckReport CheckEntries(const ConversionFiles& files, std::string_view currentFileName,
                         const Repertoire& repertoire, const CheckOptions& options, KtLibrary& kt) {
  CheckReport report;
  EntryChecker checker(currentFileName, repertoire, options, kt);
  ForEachEntry(files, currentFileName, kt, [&](const EntryLine& line) {
    ++report.Entries;
    checker.Check(line, report.Findings);
  });
  for (const Finding& finding : report.Findings) ++report.Counts[static_cast<size_t>(finding.Kind)];
  return report;
}

std::string Summary(const CheckReport& report) {
  std::string text;
  for (size_t k = 0; k < kCheckKinds; ++k) {
    if (report.Counts[k] == 0) continue;
    text.append(text.empty() ? "" : ", ")
        .append(std::to_string(report.Counts[k]))
        .append(" ")
        .append(kKindNames[k]);
  }
  return "Checks: " + (text.empty() ? std::string("nothing found") : text);
}

std::string FindingLine(const Finding& finding) {
  return std::to_string(finding.Line) + ": " + std::string(KindName(finding.Kind)) + ": " + finding.Message;
}

void WriteFindings(const std::string& path, const CheckReport& report) {
  AtomicFile file(path);
  const auto line = [&file](const std::string& text) {
    file.Append(text.data(), text.size());
    file.Append("\r\n", 2);
  };
  for (const Finding& finding : report.Findings) line(FindingLine(finding));
  line(Summary(report));
  file.Commit();
}

}  // namespace gs
