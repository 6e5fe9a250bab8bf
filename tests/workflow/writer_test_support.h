// Helpers of the tests that drive the real word processor.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "workflow/word_app.h"
#include "workflow/writer/writer_probe.h"

namespace gs::testing {

// A fresh folder per test, and word processors that keep their profiles in
// the build folder.
class WriterTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  static WordAppOptions Options();
  std::unique_ptr<WordApp> Start(const WordAppOptions& options = Options());
  static writer::WriterProbe& Probe(WordApp& app);

  // A text file as the converters write it: "left NUL right CR LF" per row.
  static std::string TextFile(const std::vector<std::pair<std::string, std::string>>& rows);
  static void Write(const std::string& path, const std::string& bytes);
  static std::string Read(const std::string& path);

  // Open, Orientation, WholeStory, ConvertToTable, SaveAs: the document
  // built from a text file, left open in app.
  static void BuildDocument(WordApp& app, const std::string& textPath, const std::string& docPath);
  // Open, ConvertToText, EndKey, TypeBackspace, SaveAs, Quit: the text taken
  // back from a document by a fresh word processor.
  void TakeBack(const std::string& docPath, const std::string& textPath);

  std::filesystem::path dir_;
};

}  // namespace gs::testing
