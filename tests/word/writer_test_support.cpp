#include "tests/word/writer_test_support.h"

#include <stdexcept>

namespace gs::testing {

WordAppOptions WriterTest::Options() {
  WordAppOptions options;
  options.profileRoot = GLOSSMITH_TEST_PROFILES;
  options.useDisplay = false;
  options.callSeconds = 60;
  options.longCallSeconds = 300;
  return options;
}

std::unique_ptr<WordApp> WriterTest::Start(const WordAppOptions& options) {
  return writer_.Apps(options)();
}

WriterProbe& WriterTest::Probe(WordApp& app) {
  WriterProbe* probe = ProbeOf(app);
  if (probe == nullptr) throw std::runtime_error("not an application of the tests' Writer plugin");
  return *probe;
}

std::string WriterTest::TextFile(const std::vector<std::pair<std::string, std::string>>& rows) {
  std::string text;
  for (const auto& [left, right] : rows) text += left + std::string(1, '\0') + right + "\r\n";
  return text;
}

void WriterTest::BuildDocument(WordApp& app, const std::string& textPath, const std::string& docPath,
                               int32_t language) {
  app.Documents().Open(textPath, wd::OpenFormatEncodedText, wd::EncodingUTF8);
  app.ActiveDocument().PageSetup().SetOrientation(wd::OrientLandscape);
  app.Selection().WholeStory();
  app.Selection().ConvertToTable(std::string(1, '\0'));
  if (language != 0) {
    WordTable& table = app.ActiveDocument().Tables().Item(1);
    table.Columns(1).Select();
    app.Selection().SetLanguageID(language);
    table.Columns(2).Select();
    app.Selection().SetLanguageID(wd::EnglishUS);
  }
  app.ActiveDocument().SaveAs(docPath, wd::FormatDocument);
}

void WriterTest::GoToRow(WordApp& app, int32_t row) {
  app.ActiveDocument().Tables().Item(1).Cell(row, 1).Select();
  app.Selection().Collapse(wd::CollapseStart);
}

void WriterTest::TakeBack(const std::string& docPath, const std::string& textPath) {
  auto app = Start();
  app->Documents().Open(docPath);
  app->ActiveDocument().Tables().Item(1).ConvertToText(std::string(1, '\0'));
  app->Selection().EndKey(wd::Story);
  app->Selection().TypeBackspace();
  app->ActiveDocument().SaveAs(textPath, wd::FormatEncodedText, wd::EncodingUTF8, false);
  app->Quit(false);
}

}  // namespace gs::testing
