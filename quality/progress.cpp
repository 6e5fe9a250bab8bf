#include "quality/progress.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace gs {

namespace {

// The share in per cent with one decimal, rounded, except that only all
// gives 100.0 and only none gives 0.0.
std::string Share(uint64_t part, uint64_t all) {
  double percent =
      all == 0 ? 0.0 : std::round(1000.0 * static_cast<double>(part) / static_cast<double>(all)) / 10;
  if (part < all) percent = std::min(percent, 99.9);
  if (part > 0) percent = std::max(percent, 0.1);
  char text[16];
  std::snprintf(text, sizeof text, "%.1f %%", percent);
  return text;
}

std::string Line(uint64_t part, uint64_t all, std::string_view what) {
  return "translated " + std::to_string(part) + " of " + std::to_string(all) + " " + std::string(what) +
         " (" + Share(part, all) + ")";
}

}  // namespace

void Progress::Add(const EntryLine& line) noexcept {
  const uint64_t characters = CountCodePoints(line.English);
  ++Entries;
  EnglishCharacters += characters;
  if (line.Work != line.English) {
    ++TranslatedEntries;
    TranslatedCharacters += characters;
  }
}

Progress ProgressOf(const ConversionFiles& files, std::string_view currentFileName, KtLibrary& kt) {
  Progress progress;
  ForEachEntry(files, currentFileName, kt, [&progress](const EntryLine& line) { progress.Add(line); });
  return progress;
}

std::string EntriesLine(const Progress& progress) {
  return Line(progress.TranslatedEntries, progress.Entries, "entries");
}

std::string CharactersLine(const Progress& progress) {
  return Line(progress.TranslatedCharacters, progress.EnglishCharacters, "characters of English text");
}

}  // namespace gs
