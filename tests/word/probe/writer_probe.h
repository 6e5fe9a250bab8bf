// A narrow look into the real LibreOffice Writer behind a WordApp, for tests
// and benchmarks: what the office holds, as it holds it, read and changed
// through the same connection. It comes with a Writer plugin of the tests'
// own (libglossmith_writer_probe.so: the shipped plugin's objects and this
// probe), whose applications it sees into; the shipped plugin has none.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "word/word_app.h"

namespace gs::testing {

struct PageSize {
  int32_t width = 0;  // 1/100 mm
  int32_t height = 0;
  bool landscape = false;
};

class WriterProbe {
 public:
  virtual ~WriterProbe() = default;

  // The office's process id (0 once it has ended).
  virtual int OfficePid() = 0;
  virtual bool Headless() = 0;
  // The number of tables in the active document, and the size of one (from 1).
  virtual int32_t TableCount() = 0;
  virtual int32_t TableRows(int32_t table) = 0;
  virtual int32_t TableColumns(int32_t table) = 0;
  // A cell's text ("B12"), as the office has it; and a change to it, as a
  // user's edit in the office would make it.
  virtual std::string CellText(int32_t table, const std::string& cell) = 0;
  virtual void SetCellText(int32_t table, const std::string& cell, const std::string& text) = 0;
  // The language a cell's text is marked with, as the office has it
  // ("ru-RU": CharLocale's language and country).
  virtual std::string CellLanguage(int32_t table, const std::string& cell) = 0;
  // Whether the office's spell checker accepts word in language ("ru-RU");
  // none when it has no dictionary of that language.
  virtual std::optional<bool> SpellingAccepted(const std::string& word, const std::string& language) = 0;
  virtual PageSize Page() = 0;
  // The active document's window: shown, maximized.
  virtual bool WindowVisible() = 0;
  virtual bool WindowMaximized() = 0;
  // Closes the active document's window as the user does with its close
  // button (the office then shows its Start Center).
  virtual void CloseWindow() = 0;
  // The office's own load of source and store of it as target, in the same
  // filter, with nothing else: the baseline of the benchmarks.
  virtual void LoadAndStore(const std::string& source, const std::string& target) = 0;
};

// The word processor of the tests' plugin. Its applications share what they
// write, as those of WordApps do, whatever options each was started with; a
// fresh ProbedWriter shares nothing.
class ProbedWriter {
 public:
  ProbedWriter();
  // Starts applications with options.
  WordAppFactory Apps(const WordAppOptions& options);

 private:
  std::shared_ptr<void> written_;
};

// The probe of an application that a ProbedWriter started; nullptr for any other.
WriterProbe* ProbeOf(WordApp& app);

}  // namespace gs::testing
