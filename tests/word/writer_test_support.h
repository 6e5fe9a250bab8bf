// Helpers of the tests that drive the real word processor.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/test_folder.h"
#include "tests/word/probe/writer_probe.h"
#include "word/word_app.h"

namespace gs::testing {

// A fresh folder per test, and word processors that keep their profiles in
// the build folder.
class WriterTest : public FolderTest {
 protected:
  static WordAppOptions Options();
  // An application of the tests' plugin (see ProbeOf). The applications of
  // a test share what they write, as the program's do.
  std::unique_ptr<WordApp> Start(const WordAppOptions& options = Options());
  static WriterProbe& Probe(WordApp& app);

  // A text file as the converters write it: "left NUL right CR LF" per row.
  static std::string TextFile(const std::vector<std::pair<std::string, std::string>>& rows);

  // Open, Orientation, WholeStory, ConvertToTable, SaveAs: the document
  // built from a text file, left open in app. With a language (WdLanguageID)
  // its first column is marked with it and the second as English before the
  // save, as the editing step marks them.
  static void BuildDocument(WordApp& app, const std::string& textPath, const std::string& docPath,
                            int32_t language = 0);
  // The first cell of a row of the first table, as the editing step goes
  // back to the remembered row.
  static void GoToRow(WordApp& app, int32_t row);
  // Open, ConvertToText, EndKey, TypeBackspace, SaveAs, Quit: the text taken
  // back from a document by a fresh word processor.
  void TakeBack(const std::string& docPath, const std::string& textPath);

 private:
  ProbedWriter writer_;
};

}  // namespace gs::testing
