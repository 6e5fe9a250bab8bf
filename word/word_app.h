// The word processor as the editing steps drive it: an application object
// with the members of Word's automation model that the steps call, named
// after them so that a step reads like Word code:
//
//   app.Documents().Open(textFile, wd::OpenFormatEncodedText, wd::EncodingUTF8);
//   app.ActiveDocument().PageSetup().SetOrientation(wd::OrientLandscape);
//   app.Selection().WholeStory();
//   app.Selection().ConvertToTable(std::string(1, '\0'));
//
// Only what the steps call is here, and only the argument values they pass
// (Word's numbers); a value the steps never pass fails with
// wderr::ValueOutOfRange. Every failure is raised as a gs::Error with a
// Word-like number (see wderr), so that a caller can ignore the failures it
// expects. WordApps gives the real one: Microsoft Word through COM on
// Windows (word_app_win32.cpp, com/), LibreOffice Writer through a plugin
// loaded at run time elsewhere (word_app_posix.cpp, writer/uno/). Tests give
// the steps their own (WordAppFactory).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "common/error.h"

namespace gs {

// Word's constants for the arguments the steps pass.
namespace wd {
inline constexpr int32_t OpenFormatEncodedText = 5;
inline constexpr int32_t EncodingUTF8 = 65001;  // msoEncodingUTF8
inline constexpr int32_t OrientLandscape = 1;
inline constexpr int32_t FormatDocument = 0;
inline constexpr int32_t FormatEncodedText = 7;
inline constexpr int32_t CollapseStart = 1;
inline constexpr int32_t EndOfRangeRowNumber = 14;
inline constexpr int32_t Story = 6;
inline constexpr int32_t WindowStateMaximize = 1;
// WdLanguageID: the languages of the tables.
inline constexpr int32_t Czech = 1029;
inline constexpr int32_t German = 1031;
inline constexpr int32_t EnglishUS = 1033;
inline constexpr int32_t Finnish = 1035;
inline constexpr int32_t Russian = 1049;
inline constexpr int32_t Swedish = 1053;
}  // namespace wd

// Numbers of the errors the word processor raises.
namespace wderr {
// The application could not be created.
inline constexpr int32_t CantCreateObject = rt::CantCreateObject;
// The word processor's process is gone (closed by the user, crashed, killed).
inline constexpr int32_t ServerUnavailable = rt::ServerUnavailable;
// A call did not return in time; the word processor was ended.
inline constexpr int32_t CallTimedOut = -2147417846;  // RPC_E_SERVERCALL_RETRYLATER
// The word processor refused or failed the command.
inline constexpr int32_t CommandFailed = 4198;
// A member that needs a document was used with none open.
inline constexpr int32_t NoDocumentOpen = 4248;
// The member is not available in the current state.
inline constexpr int32_t NotAvailable = 4605;
// An argument value the member does not accept.
inline constexpr int32_t ValueOutOfRange = 4608;
// Documents.Open of a file that does not exist.
inline constexpr int32_t FileNotFound = 5174;
// Tables.Item of a table that does not exist.
inline constexpr int32_t NoSuchMember = 5941;
}  // namespace wderr

// The source of errors that LibreOffice Writer raises itself; Word names its
// own source ("Microsoft Word").
inline constexpr const char* kWordProcessorSource = "LibreOffice Writer";

class WordPageSetup {
 public:
  virtual ~WordPageSetup() = default;
  // wd::OrientLandscape turns the page sideways (width and height swapped).
  virtual void SetOrientation(int32_t orientation) = 0;
};

class WordRows {
 public:
  virtual ~WordRows() = default;
  virtual int32_t Count() = 0;
};

class WordCell {
 public:
  virtual ~WordCell() = default;
  // Selects the cell's text.
  virtual void Select() = 0;
};

class WordColumn {
 public:
  virtual ~WordColumn() = default;
  // Selects the whole column, every cell of it.
  virtual void Select() = 0;
};

class WordTable {
 public:
  virtual ~WordTable() = default;
  virtual WordRows& Rows() = 0;
  // The cell at row and column, counted from 1.
  virtual WordCell& Cell(int32_t row, int32_t column) = 0;
  // Columns(index): the column counted from 1 (Word's Columns.Item).
  virtual WordColumn& Columns(int32_t index) = 0;
  // Turns the table into text: one paragraph per row, its cells joined by the
  // one-character separator.
  virtual void ConvertToText(const std::string& separator) = 0;
};

class WordTables {
 public:
  virtual ~WordTables() = default;
  // The index-th table of the document, counted from 1.
  virtual WordTable& Item(int32_t index) = 0;
};

class WordDocument {
 public:
  virtual ~WordDocument() = default;
  virtual WordPageSetup& PageSetup() = 0;
  virtual WordTables& Tables() = 0;
  // Writes the document under fileName in fileFormat (wd::FormatDocument, or
  // wd::FormatEncodedText with wd::EncodingUTF8 and no substitutions); the
  // document then is that file.
  virtual void SaveAs(const std::string& fileName, int32_t fileFormat, std::optional<int32_t> encoding = {},
                      std::optional<bool> allowSubstitutions = {}) = 0;
};

class WordDocuments {
 public:
  virtual ~WordDocuments() = default;
  // Opens a file; it becomes the active document. Without a format, a
  // document as its file says; wd::OpenFormatEncodedText with
  // wd::EncodingUTF8, a text file. confirmConversions false and
  // noEncodingDialog true keep Word's format and encoding questions away;
  // addToRecentFiles false keeps the file off Word's recent list.
  virtual WordDocument& Open(const std::string& fileName, std::optional<int32_t> format = {},
                             std::optional<int32_t> encoding = {},
                             std::optional<bool> confirmConversions = {},
                             std::optional<bool> addToRecentFiles = {},
                             std::optional<bool> noEncodingDialog = {}) = 0;
};

class WordSelection {
 public:
  virtual ~WordSelection() = default;
  virtual void WholeStory() = 0;
  // Turns the selected lines into a table: one row per line, one cell per
  // field between one-character separators.
  virtual void ConvertToTable(const std::string& separator) = 0;
  // Collapses the selection to its start (wd::CollapseStart).
  virtual void Collapse(int32_t direction) = 0;
  // Word's Information(type); wd::EndOfRangeRowNumber gives the table row at
  // the end of the selection, -1 outside a table.
  virtual int32_t Information(int32_t type) = 0;
  // To the end of the whole text (wd::Story).
  virtual void EndKey(int32_t unit) = 0;
  virtual void TypeBackspace() = 0;
  // Selection.LanguageID = language (a wd:: WdLanguageID): the language the
  // selected text is marked with, in which the word processor checks its
  // spelling.
  virtual void SetLanguageID(int32_t language) = 0;
};

class WordApp {
 public:
  virtual ~WordApp() = default;
  virtual WordDocuments& Documents() = 0;
  virtual WordDocument& ActiveDocument() = 0;
  virtual WordSelection& Selection() = 0;
  virtual void SetVisible(bool visible) = 0;
  // wd::WindowStateMaximize.
  virtual void SetWindowState(int32_t state) = 0;
  // Ends the application. With saveChanges true (wdSaveChanges) the open
  // documents are first saved in their own format; with false
  // (wdDoNotSaveChanges) their changes are dropped. Returns once the
  // application has let go of its documents (its process has ended), or
  // after a bounded wait for that, so that another one may open them.
  virtual void Quit(bool saveChanges) = 0;
};

// How the real word processor is found and how long it may take. Word on
// Windows is found by its class and uses only the time limits. A call that
// runs past its limit fails with wderr::CallTimedOut; a word processor of the
// program's own that nobody sees is then ended.
struct WordAppOptions {
  // LibreOffice's program folder (holding soffice.bin); empty: the installed one.
  std::string officeProgramDir;
  // Folder of the word processor's private profiles; empty: the user's cache folder.
  std::string profileRoot;
  // Longest wait for the word processor to start and answer.
  double startSeconds = 60;
  // Longest wait for a short call, and for a load, store, conversion or
  // layout, whose time grows with the document.
  double callSeconds = 60;
  double longCallSeconds = 900;
  // Whether the word processor may use the display (needed to become visible).
  bool useDisplay = true;
};

// What the steps hold to start a word processor: each call starts a new,
// invisible application. Tests give the steps their own.
using WordAppFactory = std::function<std::unique_ptr<WordApp>()>;

// The real word processor, started with options at each call of the
// factory. Its applications share what the word processor keeps between
// them (Writer: the documents just written, so that the save-back step's
// second application need not have the office read the first one's document
// again); a fresh factory shares nothing. A call raises error 429 naming the
// program when it cannot be started (on Windows with the failure's HRESULT).
WordAppFactory WordApps(const WordAppOptions& options = {});

}  // namespace gs
