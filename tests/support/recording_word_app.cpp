#include "tests/support/recording_word_app.h"

#include <algorithm>
#include <sstream>
#include <stdexcept>

#include "common/file.h"
#include "common/fs.h"
#include "word/writer/text_document.h"
#include "word/writer/text_file.h"
#include "word/writer/word_error.h"

namespace gs::testing {

namespace {

using writer::Block;
using writer::RaiseWordError;
using writer::Table;
using writer::TextDocument;

constexpr std::string_view kStandInMagic = "Glossmith stand-in Word document\n";

std::string Escape(const std::string& text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\0': out += "\\0"; break;
      default: out += c;
    }
  }
  return out;
}

std::string Unescape(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    const char c = text[++i];
    out += c == 'n' ? '\n' : c == 'r' ? '\r' : c == '0' ? '\0' : c;
  }
  return out;
}

// The stand-in for a Word document: one line per paragraph ("P text"), per
// table ("T rows columns") and per cell ("C text").
void WriteStandIn(const std::string& path, const TextDocument& document) {
  std::string out(kStandInMagic);
  out += document.Landscape() ? "landscape\n" : "portrait\n";
  for (const auto& block : document.Blocks()) {
    if (const auto* text = std::get_if<std::string>(&block)) {
      out += "P " + Escape(*text) + "\n";
      continue;
    }
    const auto& table = std::get<Table>(block);
    out += "T " + std::to_string(table.rows.size()) + " " +
           std::to_string(table.rows.empty() ? 0 : table.rows.front().size()) + "\n";
    for (const auto& row : table.rows) {
      for (const auto& cell : row) out += "C " + Escape(cell) + "\n";
    }
  }
  WriteWholeFile(path, std::span(reinterpret_cast<const uint8_t*>(out.data()), out.size()));
}

TextDocument ReadStandIn(const std::string& path) {
  const Bytes bytes = ReadWholeFile(path);
  std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  if (!text.starts_with(kStandInMagic)) {
    RaiseWordError(wderr::CommandFailed, path + " is no document the test word processor wrote");
  }
  text.remove_prefix(kStandInMagic.size());
  std::istringstream lines{std::string(text)};
  std::string line;
  std::getline(lines, line);
  const bool landscape = line == "landscape";
  std::vector<Block> blocks;
  while (std::getline(lines, line)) {
    if (line.starts_with("P ")) {
      blocks.emplace_back(Unescape(std::string_view(line).substr(2)));
    } else if (line.starts_with("T ")) {
      size_t rows = 0;
      size_t columns = 0;
      std::istringstream(line.substr(2)) >> rows >> columns;
      Table table;
      table.rows.assign(rows, std::vector<std::string>(columns));
      for (auto& row : table.rows) {
        for (auto& cell : row) {
          std::getline(lines, line);
          cell = Unescape(std::string_view(line).substr(2));
        }
      }
      blocks.emplace_back(std::move(table));
    }
  }
  TextDocument document(std::move(blocks));
  document.SetLandscape(landscape);
  document.SetModified(false);
  return document;
}

std::string Number(int64_t n) {
  return std::to_string(n);
}

std::string Bool(bool value) {
  return value ? "true" : "false";
}

}  // namespace

std::string ArgumentText(const std::string& text) {
  return "\"" + Escape(text) + "\"";
}

std::string WordCall::Text() const {
  const bool property = member == "Visible" || member == "WindowState" || member == "PageSetup.Orientation" ||
                        member == "Selection.LanguageID";
  if (property && arguments.size() == 1) return member + " = " + arguments[0];
  if (member == "create") return member;
  std::string text = member + "(";
  for (size_t i = 0; i < arguments.size(); ++i) text += (i > 0 ? ", " : "") + arguments[i];
  return text + ")";
}

void EditKeptDocument(const std::string& path, size_t row, size_t column, const char* text) {
  const Bytes bytes = ReadWholeFile(path);
  std::vector<std::string> lines;
  std::string line;
  for (char c : std::string(bytes.begin(), bytes.end())) {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  const auto isTable = [](const std::string& l) { return l.starts_with("T "); };
  const auto table = std::find_if(lines.begin(), lines.end(), isTable);
  if (table == lines.end()) throw std::runtime_error(path + " holds no table");
  size_t rows = 0, columns = 0;
  std::istringstream(table->substr(2)) >> rows >> columns;
  const auto first = table + 1 + static_cast<long>(row * columns);
  if (text == nullptr) {
    lines.erase(first, first + static_cast<long>(columns));
    *std::find_if(lines.begin(), lines.end(), isTable) =
        "T " + std::to_string(rows - 1) + " " + std::to_string(columns);
  } else {
    *(first + static_cast<long>(column)) = "C " + Escape(text);
  }
  std::string out;
  for (const auto& l : lines) out += l + "\n";
  WriteWholeFile(path, std::span(reinterpret_cast<const uint8_t*>(out.data()), out.size()));
}

Error UserClosedWord() {
  return Error(wderr::ServerUnavailable, "The remote server machine does not exist or is unavailable");
}

// One recording application with its documents.
class WordScript::App final : public WordApp,
                              public WordDocuments,
                              public WordDocument,
                              public WordPageSetup,
                              public WordTables,
                              public WordTable,
                              public WordRows,
                              public WordCell,
                              public WordSelection {
 public:
  App(WordScript& script, int number) : script_(script), number_(number) {}

  // --- Application
  WordDocuments& Documents() override {
    script_.Check(number_, "Documents");
    return *this;
  }
  WordDocument& ActiveDocument() override {
    script_.Check(number_, "ActiveDocument");
    Active();
    return *this;
  }
  WordSelection& Selection() override {
    script_.Check(number_, "Selection");
    Active();
    return *this;
  }
  void SetVisible(bool visible) override {
    Record("Visible", {Bool(visible)});
    State().visible = visible;
  }
  void SetWindowState(int32_t state) override {
    Record("WindowState", {Number(state)});
    State().windowState = state;
  }
  void Quit(bool saveChanges) override {
    Record("Quit", {Bool(saveChanges)});
    for (auto& d : documents_) {
      if (saveChanges && d.document.Modified()) Save(d, d.path, d.standIn);
    }
    State().quit = true;
  }

  // --- Documents
  WordDocument& Open(const std::string& fileName, std::optional<int32_t> format,
                     std::optional<int32_t> encoding, std::optional<bool> confirmConversions,
                     std::optional<bool> addToRecentFiles, std::optional<bool> noEncodingDialog) override {
    std::vector<std::string> args{ArgumentText(fileName)};
    if (format) args.push_back(Number(*format));
    if (encoding) args.push_back(Number(*encoding));
    if (confirmConversions) args.push_back("ConfirmConversions:=" + Bool(*confirmConversions));
    if (addToRecentFiles) args.push_back("AddToRecentFiles:=" + Bool(*addToRecentFiles));
    if (noEncodingDialog) args.push_back("NoEncodingDialog:=" + Bool(*noEncodingDialog));
    Record("Documents.Open", args);
    if (!FileExists(fileName)) RaiseWordError(wderr::FileNotFound, fileName);
    const bool asText = format == wd::OpenFormatEncodedText;
    documents_.push_back(
        OpenDocument{asText ? writer::ReadTextDocument(fileName) : ReadStandIn(fileName), fileName, !asText});
    return *this;
  }

  // --- Document
  WordPageSetup& PageSetup() override { return *this; }
  WordTables& Tables() override { return *this; }
  void SaveAs(const std::string& fileName, int32_t fileFormat, std::optional<int32_t> encoding,
              std::optional<bool> allowSubstitutions) override {
    std::vector<std::string> args{ArgumentText(fileName), Number(fileFormat)};
    if (encoding) args.push_back(Number(*encoding));
    if (allowSubstitutions) args.push_back(Bool(*allowSubstitutions));
    Record("Document.SaveAs", args);
    if (fileFormat != wd::FormatDocument && fileFormat != wd::FormatEncodedText) {
      RaiseWordError(wderr::ValueOutOfRange, "file format " + Number(fileFormat));
    }
    Save(Active(), fileName, fileFormat == wd::FormatDocument);
  }
  void SetOrientation(int32_t orientation) override {
    Record("PageSetup.Orientation", {Number(orientation)});
    Active().document.SetLandscape(orientation == wd::OrientLandscape);
  }
  WordTable& Item(int32_t index) override {
    Record("Tables.Item", {Number(index)});
    if (index < 1 || static_cast<size_t>(index) > Active().document.TableCount()) {
      RaiseWordError(wderr::NoSuchMember, "Tables.Item(" + Number(index) + ")");
    }
    table_ = index;
    return *this;
  }
  void ConvertToText(const std::string& separator) override {
    Record("Table.ConvertToText", {ArgumentText(separator)});
    Active().document.ConvertToText(table_, separator);
  }
  WordRows& Rows() override { return *this; }
  int32_t Count() override {
    Record("Table.Rows.Count", {});
    return static_cast<int32_t>(Active().document.TableRows(table_));
  }
  WordCell& Cell(int32_t row, int32_t column) override {
    Record("Table.Cell", {Number(row), Number(column)});
    cell_ = {row, column};
    return *this;
  }
  WordColumn& Columns(int32_t index) override {
    Record("Table.Columns", {Number(index)});
    column_.index = index;
    return column_;
  }
  void Select() override {
    Record("Cell.Select", {});
    Active().document.SelectCell(table_, cell_.first, cell_.second);
  }

  // --- Selection
  void WholeStory() override {
    Record("Selection.WholeStory", {});
    Active().document.WholeStory();
  }
  void ConvertToTable(const std::string& separator) override {
    Record("Selection.ConvertToTable", {ArgumentText(separator)});
    Active().document.ConvertToTable(separator);
  }
  void Collapse(int32_t direction) override {
    Record("Selection.Collapse", {Number(direction)});
    if (direction != wd::CollapseStart)
      RaiseWordError(wderr::ValueOutOfRange, "direction " + Number(direction));
    Active().document.CollapseToStart();
  }
  int32_t Information(int32_t type) override {
    Record("Selection.Information", {Number(type)});
    if (const auto it = script_.information_.find(type); it != script_.information_.end()) return it->second;
    if (type != wd::EndOfRangeRowNumber) RaiseWordError(wderr::ValueOutOfRange, "type " + Number(type));
    return Active().document.EndRowNumber();
  }
  void EndKey(int32_t unit) override {
    Record("Selection.EndKey", {Number(unit)});
    if (unit != wd::Story) RaiseWordError(wderr::ValueOutOfRange, "EndKey unit " + Number(unit));
    Active().document.EndOfStory();
  }
  void TypeBackspace() override {
    Record("Selection.TypeBackspace", {});
    Active().document.Backspace();
  }
  void SetLanguageID(int32_t language) override {
    Record("Selection.LanguageID", {Number(language)});
    Active().document.MarkLanguage(language);
  }

 private:
  // The column Table.Columns gave last.
  struct Column final : WordColumn {
    explicit Column(App& app) : app(app) {}
    void Select() override {
      app.Record("Column.Select", {});
      app.Active().document.SelectColumn(app.table_, index);
    }
    App& app;
    int32_t index = 0;
  };

  struct OpenDocument {
    TextDocument document;
    std::string path;
    bool standIn;
  };

  void Record(std::string member, std::vector<std::string> arguments) {
    script_.Record(number_, std::move(member), std::move(arguments));
  }
  AppState& State() { return script_.apps_.at(static_cast<size_t>(number_ - 1)); }
  OpenDocument& Active() {
    if (documents_.empty()) RaiseWordError(wderr::NoDocumentOpen);
    return documents_.back();
  }
  void Save(OpenDocument& d, const std::string& path, bool standIn) {
    if (standIn) {
      WriteStandIn(path, d.document);
    } else {
      writer::WriteTextDocument(path, d.document.Lines());
    }
    d.path = path;
    d.standIn = standIn;
    d.document.SetModified(false);
  }

  WordScript& script_;
  int number_;
  std::vector<OpenDocument> documents_;
  int32_t table_ = 1;
  std::pair<int32_t, int32_t> cell_{1, 1};
  Column column_{*this};
};

WordScript::WordScript() = default;
WordScript::~WordScript() = default;

WordAppFactory WordScript::Factory() {
  return [this]() -> std::unique_ptr<WordApp> {
    Record(created_ + 1, "create", {});
    ++created_;
    apps_.emplace_back();
    return std::make_unique<App>(*this, created_);
  };
}

void WordScript::Record(int app, std::string member, std::vector<std::string> arguments) {
  calls_.push_back(WordCall{app, member, std::move(arguments)});
  Check(app, member);
}

void WordScript::Check(int app, const std::string& member) {
  const int seen = ++seen_[member];
  for (const auto& f : failures_) {
    if (f.member == member && (f.occurrence == 0 || f.occurrence == seen)) throw f.error;
  }
  if (member == "create") return;
  const AppState& state = apps_.at(static_cast<size_t>(app - 1));
  if (state.closedByUser || state.quit) throw UserClosedWord();
}

std::vector<std::string> WordScript::CallTexts() const {
  std::vector<std::string> texts;
  for (const auto& call : calls_) {
    texts.push_back(created_ > 1 ? std::to_string(call.app) + ": " + call.Text() : call.Text());
  }
  return texts;
}

void WordScript::SetInformation(int32_t type, int32_t value) {
  information_[type] = value;
}

void WordScript::Fail(const std::string& member, const Error& error, int occurrence) {
  failures_.push_back(Failure{member, error, occurrence == 0 ? 0 : seen_[member] + occurrence});
}

void WordScript::CloseByUser(int app) {
  apps_.at(static_cast<size_t>(app - 1)).closedByUser = true;
}

bool WordScript::Visible(int app) const {
  return apps_.at(static_cast<size_t>(app - 1)).visible;
}

std::optional<int32_t> WordScript::WindowState(int app) const {
  return apps_.at(static_cast<size_t>(app - 1)).windowState;
}

bool WordScript::Quit(int app) const {
  return apps_.at(static_cast<size_t>(app - 1)).quit;
}

}  // namespace gs::testing
