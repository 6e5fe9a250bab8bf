// The word editing step: the table goes to the word processor as a
// two-column table document, or the kept document is reopened.
#include <algorithm>
#include <array>
#include <string_view>

#include "formats/email_data.h"
#include "formats/string_table.h"
#include "registry/bas_registry.h"
#include "workflow/ktmain.h"

namespace gs {

namespace {

// The column separator of the text file: one NUL character.
const std::string kSeparator(1, '\0');

bool IsStringTableType(std::string_view typeText) {
  return typeText.starts_with("Front") || typeText.starts_with("Game");
}

// Word's language of a language of the list (the French files hold Russian);
// 0 for any other text.
int32_t WordLanguageOf(std::string_view languageText) {
  // In the list's order.
  constexpr std::array<int32_t, kLanguages.size()> kWordLanguages = {wd::EnglishUS, wd::Russian, wd::German,
                                                                     wd::Swedish,   wd::Finnish, wd::Czech};
  const auto at = std::find(kLanguages.begin(), kLanguages.end(), languageText);
  return at == kLanguages.end() ? 0 : kWordLanguages[static_cast<size_t>(at - kLanguages.begin())];
}

// Marks the language column with the table's language and the English
// column as English, so that the word processor checks the spelling of each
// in its own language. A document left unmarked is still edited.
void MarkColumnLanguages(WordApp& app, int32_t language) {
  try {
    WordTable& table = app.ActiveDocument().Tables().Item(1);
    if (language != 0) {
      table.Columns(1).Select();
      app.Selection().SetLanguageID(language);
    }
    table.Columns(2).Select();
    app.Selection().SetLanguageID(wd::EnglishUS);
  } catch (const Error&) {
  }
}

}  // namespace

void EditInWord(KTmain& m, const MainWindow& window) {
  const std::string name = CurrentFileName(window);
  const ConversionFiles files{m.WorkTablePath, m.TemplateCopyPath, m.TextFilePath};
  if (IsStringTableType(window.TypeText())) {
    StringTableExport(m, files, name, *m.Kt);
  } else {
    EmailExport(m, files, name, *m.Kt);
  }

  m.WordApp = m.CreateWordApp();
  if (m.ReuseDocument) {
    m.WordApp->Documents().Open(m.DocumentPath);
  } else {
    // No question about the text's format or encoding may stop Word while
    // it is still invisible.
    m.WordApp->Documents().Open(m.TextFilePath, wd::OpenFormatEncodedText, wd::EncodingUTF8,
                                /*ConfirmConversions*/ false, /*AddToRecentFiles*/ false,
                                /*NoEncodingDialog*/ true);
    m.WordApp->ActiveDocument().PageSetup().SetOrientation(wd::OrientLandscape);
    m.WordApp->Selection().WholeStory();
    m.WordApp->Selection().ConvertToTable(kSeparator);
    MarkColumnLanguages(*m.WordApp, WordLanguageOf(window.LanguageText()));
    m.WordApp->ActiveDocument().SaveAs(m.DocumentPath, wd::FormatDocument);
  }

  // The remembered table row (the save-back step stores Word's row number,
  // which counts rows, not the lines they wrap to), at its first cell; a row
  // the table does not have is the first. Without it (first run) or when the
  // move is refused, the cursor stays where the word processor put it.
  try {
    const int32_t remembered = GetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "WordGoToLine");
    WordTable& table = m.WordApp->ActiveDocument().Tables().Item(1);
    const int32_t row = remembered >= 1 && remembered <= table.Rows().Count() ? remembered : 1;
    table.Cell(row, 1).Select();
    m.WordApp->Selection().Collapse(wd::CollapseStart);
  } catch (const Error&) {
  }

  m.WordApp->SetVisible(true);
  m.WordApp->SetWindowState(wd::WindowStateMaximize);
}

}  // namespace gs
