#include "workflow/translation_quality.h"

#include <optional>

#include "common/fs.h"
#include "quality/checks.h"
#include "quality/progress.h"

namespace gs {

namespace {

// The line that work gives, or when it fails: "<failed> (error N: description)".
template <typename Work>
std::string LineOf(const std::string& failed, Work&& work) {
  try {
    return work();
  } catch (const std::exception&) {
    const Error e = CaughtError();
    return failed + " (error " + std::to_string(e.Number()) + ": " + e.Description() + ")";
  }
}

std::string ProgressLine(const KTmain& m, const ConversionFiles& files, const std::string& currentFileName) {
  return LineOf("Progress unknown", [&] { return EntriesLine(ProgressOf(files, currentFileName, *m.Kt)); });
}

CheckReport CheckSavedText(const KTmain& m, const ConversionFiles& text, const std::string& currentFileName) {
  Repertoire known;
  known.AddTable(ReadWholeFile(m.TemplateCopyPath), currentFileName, *m.Kt);
  // A table the archive lacks only leaves its characters unknown.
  known.AddGameTables(m.GameArchivePath, KindOf(currentFileName), *m.Kt);
  return CheckEntries(text, currentFileName, known, CheckOptions(), *m.Kt);
}

// A path below the game's folder as the user looks for it there.
std::string BelowGame(const KTmain& m, const std::string& path) {
  return path.starts_with(m.InstallDir) ? path.substr(m.InstallDir.size()) : path;
}

}  // namespace

void NoteExtractedProgress(KTmain& m, const std::string& currentFileName) {
  m.QualityLines = {ProgressLine(m, {m.WorkTablePath, m.TemplateCopyPath, ""}, currentFileName)};
}

void NoteSavedQuality(KTmain& m, const std::string& currentFileName) {
  const ConversionFiles text{m.WorkTablePath, m.TemplateCopyPath, m.TextFilePath};
  m.QualityLines = {ProgressLine(m, text, currentFileName)};

  std::optional<CheckReport> report;
  m.QualityLines.push_back(LineOf("Checks not run", [&] {
    report = CheckSavedText(m, text, currentFileName);
    return Summary(*report);
  }));
  // The list beside the kept document is that of the text just saved, or none.
  const std::string path = ChecksPathOf(m, currentFileName);
  if (report && !report->Findings.empty()) {
    m.QualityLines.push_back(LineOf("Their list not written", [&] {
      WriteFindings(path, *report);
      return "Listed in " + BelowGame(m, path);
    }));
  } else if (FileExists(path)) {
    const std::string failed = LineOf("The list of an earlier save not removed", [&] {
      DeleteFile(path);
      return std::string();
    });
    if (!failed.empty()) m.QualityLines.push_back(failed);
  }
}

}  // namespace gs
