// Windows: Microsoft Word itself, created by its class identifier and driven
// through IDispatch, member by member as the WordApp interface names them,
// with only the arguments the steps give (the others omitted, as in VB).
#include "workflow/word_app_win32.h"

#include <deque>

#include "common/error.h"

namespace gs {

namespace {

using com::Argument;
using com::Dispatch;
using com::Variant;

// wdAlertsNone: Word shows no alert and takes each one's default answer.
constexpr int32_t kAlertsNone = 0;

// What an application handed out (documents, selections, tables) lives as
// long as the application: the steps use such a reference for one statement,
// and each use of a member asks Word afresh.
struct ComObject {
  virtual ~ComObject() = default;
};

class Objects {
 public:
  template <typename T>
  T& Keep(Dispatch object) {
    auto kept = std::make_unique<T>(std::move(object), *this);
    T& result = *kept;
    all_.push_back(std::move(kept));
    return result;
  }

 private:
  std::deque<std::unique_ptr<ComObject>> all_;
};

// The named argument, when it is given.
template <typename T>
void AddIfGiven(std::vector<Argument>& arguments, const char* name, const std::optional<T>& value) {
  if (value) arguments.push_back({name, Variant(*value)});
}

class ComPageSetup final : public WordPageSetup, public ComObject {
 public:
  ComPageSetup(Dispatch object, Objects&) : object_(std::move(object)) {}
  void SetOrientation(int32_t orientation) override { object_.Put("Orientation", Variant(orientation)); }

 private:
  Dispatch object_;
};

class ComCell final : public WordCell, public ComObject {
 public:
  ComCell(Dispatch object, Objects&) : object_(std::move(object)) {}
  void Select() override { object_.Call("Select"); }

 private:
  Dispatch object_;
};

class ComRows final : public WordRows, public ComObject {
 public:
  ComRows(Dispatch object, Objects&) : object_(std::move(object)) {}
  int32_t Count() override { return object_.Property("Count").ToInt32(); }

 private:
  Dispatch object_;
};

class ComTable final : public WordTable, public ComObject {
 public:
  ComTable(Dispatch object, Objects& objects) : object_(std::move(object)), objects_(objects) {}
  WordRows& Rows() override { return objects_.Keep<ComRows>(object_.Object("Rows")); }
  WordCell& Cell(int32_t row, int32_t column) override {
    return objects_.Keep<ComCell>(object_.Object("Cell", {Variant(row), Variant(column)}));
  }
  void ConvertToText(const std::string& separator) override {
    object_.Call("ConvertToText", {{"Separator", Variant(separator)}});
  }

 private:
  Dispatch object_;
  Objects& objects_;
};

class ComTables final : public WordTables, public ComObject {
 public:
  ComTables(Dispatch object, Objects& objects) : object_(std::move(object)), objects_(objects) {}
  WordTable& Item(int32_t index) override {
    return objects_.Keep<ComTable>(object_.Object("Item", {Variant(index)}));
  }

 private:
  Dispatch object_;
  Objects& objects_;
};

class ComDocument final : public WordDocument, public ComObject {
 public:
  ComDocument(Dispatch object, Objects& objects) : object_(std::move(object)), objects_(objects) {}
  WordPageSetup& PageSetup() override { return objects_.Keep<ComPageSetup>(object_.Object("PageSetup")); }
  WordTables& Tables() override { return objects_.Keep<ComTables>(object_.Object("Tables")); }
  void SaveAs(const std::string& fileName, std::optional<int32_t> fileFormat, std::optional<int32_t> encoding,
              std::optional<bool> allowSubstitutions) override {
    std::vector<Argument> arguments{{"FileName", Variant(fileName)}};
    AddIfGiven(arguments, "FileFormat", fileFormat);
    AddIfGiven(arguments, "Encoding", encoding);
    AddIfGiven(arguments, "AllowSubstitutions", allowSubstitutions);
    object_.Call("SaveAs", arguments);
  }

 private:
  Dispatch object_;
  Objects& objects_;
};

class ComDocuments final : public WordDocuments, public ComObject {
 public:
  ComDocuments(Dispatch object, Objects& objects) : object_(std::move(object)), objects_(objects) {}
  WordDocument& Open(const std::string& fileName, std::optional<int32_t> format,
                     std::optional<int32_t> encoding, std::optional<bool> confirmConversions,
                     std::optional<bool> addToRecentFiles, std::optional<bool> noEncodingDialog) override {
    // In the order of Word's parameters.
    std::vector<Argument> arguments{{"FileName", Variant(fileName)}};
    AddIfGiven(arguments, "ConfirmConversions", confirmConversions);
    AddIfGiven(arguments, "AddToRecentFiles", addToRecentFiles);
    AddIfGiven(arguments, "Format", format);
    AddIfGiven(arguments, "Encoding", encoding);
    AddIfGiven(arguments, "NoEncodingDialog", noEncodingDialog);
    return objects_.Keep<ComDocument>(com::ObjectIn(object_.Call("Open", arguments), "Open"));
  }

 private:
  Dispatch object_;
  Objects& objects_;
};

class ComSelection final : public WordSelection, public ComObject {
 public:
  ComSelection(Dispatch object, Objects&) : object_(std::move(object)) {}
  void WholeStory() override { object_.Call("WholeStory"); }
  void ConvertToTable(const std::string& separator) override {
    object_.Call("ConvertToTable", {{"Separator", Variant(separator)}});
  }
  void Collapse(int32_t direction) override { object_.Call("Collapse", {{"Direction", Variant(direction)}}); }
  int32_t Information(int32_t type) override {
    return object_.Property("Information", {Variant(type)}).ToInt32();
  }
  void EndKey(int32_t unit) override { object_.Call("EndKey", {{"Unit", Variant(unit)}}); }
  void TypeBackspace() override { object_.Call("TypeBackspace"); }

 private:
  Dispatch object_;
};

class ComWordApp final : public WordApp {
 public:
  ComWordApp(std::shared_ptr<com::Apartment> apartment, Dispatch application)
      : apartment_(std::move(apartment)), application_(std::move(application)) {
    // Before anything else: no alert may stop a Word that nobody sees yet.
    application_.Put("DisplayAlerts", Variant(kAlertsNone));
  }

  WordDocuments& Documents() override {
    return objects_.Keep<ComDocuments>(application_.Object("Documents"));
  }
  WordDocument& ActiveDocument() override {
    return objects_.Keep<ComDocument>(application_.Object("ActiveDocument"));
  }
  WordSelection& Selection() override {
    return objects_.Keep<ComSelection>(application_.Object("Selection"));
  }
  void SetVisible(bool visible) override { application_.Put("Visible", Variant(visible)); }
  void SetWindowState(int32_t state) override { application_.Put("WindowState", Variant(state)); }
  void Quit(std::optional<bool> saveChanges) override {
    std::vector<Argument> arguments;
    AddIfGiven(arguments, "SaveChanges", saveChanges);
    application_.Call("Quit", arguments);
  }

 private:
  // Released in reverse: what Word handed out, then Word, then COM.
  std::shared_ptr<com::Apartment> apartment_;
  Dispatch application_;
  Objects objects_;
};

}  // namespace

std::unique_ptr<WordApp> WordAppOver(com::Dispatch application) {
  return std::make_unique<ComWordApp>(com::Apartment::OfThisThread(), std::move(application));
}

std::unique_ptr<WordApp> CreateWordApp(const WordAppOptions&) {
  std::shared_ptr<com::Apartment> apartment = com::Apartment::OfThisThread();
  IDispatch* application = nullptr;
  const HRESULT hr = ::CoCreateInstance(kWordApplicationClass, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                        reinterpret_cast<void**>(&application));
  if (FAILED(hr) || application == nullptr) {
    RaiseRuntime(rt::CantCreateObject,
                 "Microsoft Word (class {000209FF-0000-0000-C000-000000000046}) could not be started, " +
                     com::DescribeHresult(hr));
  }
  return std::make_unique<ComWordApp>(std::move(apartment), Dispatch(application));
}

}  // namespace gs
