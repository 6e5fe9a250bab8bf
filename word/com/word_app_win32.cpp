// Windows: Microsoft Word itself, created by its class identifier and driven
// through IDispatch, member by member as the WordApp interface names them,
// with only the arguments the steps give (the others omitted, as in VB).
//
// Every call runs on a thread of its own for this Word (com::CallThread)
// under a time limit: the short one, or the long one for what grows with the
// document (Open, SaveAs, the conversions, the page turn, Quit). A call that
// runs past it fails with wderr::CallTimedOut naming the member; a Word that
// nobody has seen yet is then ended, found as the one process of Word's
// program that its creation started. A Word that was shown is the user's and
// is left running; so is one whose process could not be told apart.
#include "word/com/word_app_win32.h"

#include <cstdio>
#include <deque>
#include <optional>
#include <string_view>
#include <type_traits>

#include "common/error.h"

namespace gs {

namespace {

using com::Argument;
using com::CallThread;
using com::Dispatch;
using com::Variant;

// wdAlertsNone: Word shows no alert and takes each one's default answer.
constexpr int32_t kAlertsNone = 0;

enum class Length { Short, Long };

class Session;

// What an application handed out (documents, selections, tables) lives as
// long as the application: the steps use such a reference for one statement,
// and each use of a member asks Word afresh.
struct ComObject {
  ComObject(Dispatch object, Session& session) : object(std::move(object)), session(session) {}
  virtual ~ComObject() = default;
  Dispatch object;
  Session& session;
};

std::string SecondsText(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", seconds);
  return text;
}

// Whether another process has path open (Word keeps its documents open
// without letting others write them).
bool InUse(const std::string& path) {
  const HANDLE file =
      ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    ::CloseHandle(file);
    return false;
  }
  return ::GetLastError() == ERROR_SHARING_VIOLATION;
}

// What an application handed out, and the application.
struct Held {
  Held(std::deque<std::unique_ptr<ComObject>> objects, Dispatch application)
      : objects(std::move(objects)), application(std::move(application)) {}
  void Release() {
    objects.clear();
    application = Dispatch();
  }
  void Abandon() noexcept {
    for (auto& o : objects) o->object.Abandon();
    application.Abandon();
  }
  std::deque<std::unique_ptr<ComObject>> objects;
  Dispatch application;
};

// One Word: its thread, its process when known, and every call into it.
class Session {
 public:
  explicit Session(const WordAppOptions& options) : options_(options) {}
  // What Word handed out, then Word itself, released on the thread they
  // live on: at once, or whenever that thread returns from a call that ran
  // out of time. When nothing can run there, they are let go unreleased.
  ~Session() {
    auto held = std::make_shared<Held>(std::move(objects_), std::move(application));
    CallThread::Outcome outcome = CallThread::Outcome::StillBusy;
    try {
      outcome = thread_.Run(options_.callSeconds, [held] { held->Release(); });
    } catch (...) {
    }
    if (outcome == CallThread::Outcome::StillBusy) held->Abandon();
  }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  CallThread& Thread() noexcept { return thread_; }
  void SetProcess(com::ProcessHandle process) noexcept { process_ = std::move(process); }
  const com::ProcessHandle& Process() const noexcept { return process_; }

  // Runs work on Word's thread within the time limit of its length.
  template <class F>
  auto Call(std::string_view member, Length length, F work) {
    const double seconds = length == Length::Short ? options_.callSeconds : options_.longCallSeconds;
    using Result = std::invoke_result_t<F&>;
    if constexpr (std::is_void_v<Result>) {
      const auto outcome = thread_.Run(seconds, std::move(work));
      if (outcome != CallThread::Outcome::Done) RaiseTimedOut(member, seconds, outcome);
    } else {
      std::optional<Result> result;
      const auto outcome = thread_.Run(seconds, std::move(work), result);
      if (outcome != CallThread::Outcome::Done) RaiseTimedOut(member, seconds, outcome);
      return std::move(*result);
    }
  }

  // An object member: what Word gives, kept with the application.
  template <class T, class F>
  T& Keep(std::string_view member, F get, Length length = Length::Short) {
    Dispatch object = Call(member, length, std::move(get));
    objects_.push_back(std::make_unique<T>(std::move(object), *this));
    return static_cast<T&>(*objects_.back());
  }

  // From now on Word is the user's: it is never ended by this program.
  void Shown() noexcept { shown_ = true; }
  // A file Word opened or saved, which it holds until it closes it.
  void Holds(std::string path) { files_.push_back(std::move(path)); }

  // Quit returns before Word has closed its files and ended. Waits, within
  // the short time limit, for its process to end, or where that is not
  // known, for every file it held to be free.
  void LetGo() const {
    const ::DWORD ms = com::Milliseconds(options_.callSeconds);
    if (process_) {
      process_.WaitForEnd(ms);
      return;
    }
    const ULONGLONG deadline = ::GetTickCount64() + ms;
    for (const auto& file : files_) {
      while (InUse(file) && ::GetTickCount64() < deadline) com::WaitPainting(nullptr, 50);
    }
  }

  Dispatch application;

 private:
  [[noreturn]] void RaiseTimedOut(std::string_view member, double seconds, CallThread::Outcome outcome) {
    std::string what =
        outcome == CallThread::Outcome::StillBusy
            ? "Microsoft Word has not answered an earlier call, so " + std::string(member) + " was not made"
            : "Microsoft Word did not answer " + std::string(member) + " within " + SecondsText(seconds) +
                  " seconds";
    if (shown_) {
      what += "; it was left running, since it is shown to the user";
    } else if (ended_ || process_.Terminate()) {
      ended_ = true;
      what += "; it was ended";
    } else {
      what += "; its process could not be found, so it was left running";
    }
    Raise(wderr::CallTimedOut, what);
  }

  // First member, last to go: the thread outlives what lives on it.
  CallThread thread_;
  WordAppOptions options_;
  com::ProcessHandle process_;
  bool shown_ = false;
  bool ended_ = false;
  std::vector<std::string> files_;
  std::deque<std::unique_ptr<ComObject>> objects_;
};

// The named argument, when it is given.
template <typename T>
void AddIfGiven(std::vector<Argument>& arguments, const char* name, const std::optional<T>& value) {
  if (value) arguments.push_back({name, Variant(*value)});
}

class ComCell final : public WordCell, public ComObject {
 public:
  using ComObject::ComObject;
  void Select() override {
    session.Call("Cell.Select", Length::Short, [this] { object.Call("Select"); });
  }
};

class ComColumn final : public WordColumn, public ComObject {
 public:
  using ComObject::ComObject;
  void Select() override {
    session.Call("Column.Select", Length::Long, [this] { object.Call("Select"); });
  }
};

class ComRows final : public WordRows, public ComObject {
 public:
  using ComObject::ComObject;
  int32_t Count() override {
    return session.Call("Rows.Count", Length::Short, [this] { return object.Property("Count").ToInt32(); });
  }
};

class ComTable final : public WordTable, public ComObject {
 public:
  using ComObject::ComObject;
  WordRows& Rows() override {
    return session.Keep<ComRows>("Table.Rows", [this] { return object.Object("Rows"); });
  }
  WordCell& Cell(int32_t row, int32_t column) override {
    return session.Keep<ComCell>("Table.Cell", [this, row, column] {
      return object.Object("Cell", {Variant(row), Variant(column)});
    });
  }
  WordColumn& Columns(int32_t index) override {
    return session.Keep<ComColumn>(
        "Table.Columns", [this, index] { return object.Object("Columns").Object("Item", {Variant(index)}); });
  }
  void ConvertToText(const std::string& separator) override {
    session.Call("Table.ConvertToText", Length::Long, [this, separator] {
      object.Call("ConvertToText", {{"Separator", Variant(separator)}});
    });
  }
};

class ComTables final : public WordTables, public ComObject {
 public:
  using ComObject::ComObject;
  WordTable& Item(int32_t index) override {
    return session.Keep<ComTable>("Tables.Item",
                                  [this, index] { return object.Object("Item", {Variant(index)}); });
  }
};

class ComPageSetup final : public WordPageSetup, public ComObject {
 public:
  using ComObject::ComObject;
  void SetOrientation(int32_t orientation) override {
    session.Call("PageSetup.Orientation", Length::Long,
                 [this, orientation] { object.Put("Orientation", Variant(orientation)); });
  }
};

class ComDocument final : public WordDocument, public ComObject {
 public:
  using ComObject::ComObject;
  WordPageSetup& PageSetup() override {
    return session.Keep<ComPageSetup>("Document.PageSetup", [this] { return object.Object("PageSetup"); });
  }
  WordTables& Tables() override {
    return session.Keep<ComTables>("Document.Tables", [this] { return object.Object("Tables"); });
  }
  void SaveAs(const std::string& fileName, int32_t fileFormat, std::optional<int32_t> encoding,
              std::optional<bool> allowSubstitutions) override {
    std::vector<Argument> arguments{{"FileName", Variant(fileName)}};
    arguments.push_back({"FileFormat", Variant(fileFormat)});
    AddIfGiven(arguments, "Encoding", encoding);
    AddIfGiven(arguments, "AllowSubstitutions", allowSubstitutions);
    session.Holds(fileName);
    session.Call("Document.SaveAs", Length::Long, [this, arguments] { object.Call("SaveAs", arguments); });
  }
};

class ComDocuments final : public WordDocuments, public ComObject {
 public:
  using ComObject::ComObject;
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
    session.Holds(fileName);
    return session.Keep<ComDocument>(
        "Documents.Open", [this, arguments] { return com::ObjectIn(object.Call("Open", arguments), "Open"); },
        Length::Long);
  }
};

class ComSelection final : public WordSelection, public ComObject {
 public:
  using ComObject::ComObject;
  void WholeStory() override {
    session.Call("Selection.WholeStory", Length::Short, [this] { object.Call("WholeStory"); });
  }
  void ConvertToTable(const std::string& separator) override {
    session.Call("Selection.ConvertToTable", Length::Long, [this, separator] {
      object.Call("ConvertToTable", {{"Separator", Variant(separator)}});
    });
  }
  void Collapse(int32_t direction) override {
    session.Call("Selection.Collapse", Length::Short, [this, direction] {
      object.Call("Collapse", {{"Direction", Variant(direction)}});
    });
  }
  int32_t Information(int32_t type) override {
    return session.Call("Selection.Information", Length::Short,
                        [this, type] { return object.Property("Information", {Variant(type)}).ToInt32(); });
  }
  void EndKey(int32_t unit) override {
    session.Call("Selection.EndKey", Length::Short, [this, unit] {
      object.Call("EndKey", {{"Unit", Variant(unit)}});
    });
  }
  void TypeBackspace() override {
    session.Call("Selection.TypeBackspace", Length::Short, [this] { object.Call("TypeBackspace"); });
  }
  // Marks every character of the selection: grows with the document.
  void SetLanguageID(int32_t language) override {
    session.Call("Selection.LanguageID", Length::Long,
                 [this, language] { object.Put("LanguageID", Variant(language)); });
  }
};

class ComWordApp final : public WordApp {
 public:
  ComWordApp(std::unique_ptr<Session> session, Dispatch application) : session_(std::move(session)) {
    Session& s = *session_;
    s.application = std::move(application);
    // Before anything else: no alert may stop a Word that nobody sees yet.
    s.Call("DisplayAlerts", Length::Short,
           [&s] { s.application.Put("DisplayAlerts", Variant(kAlertsNone)); });
  }

  WordDocuments& Documents() override {
    return session_->Keep<ComDocuments>("Documents",
                                        [s = session_.get()] { return s->application.Object("Documents"); });
  }
  WordDocument& ActiveDocument() override {
    return session_->Keep<ComDocument>(
        "ActiveDocument", [s = session_.get()] { return s->application.Object("ActiveDocument"); });
  }
  WordSelection& Selection() override {
    return session_->Keep<ComSelection>("Selection",
                                        [s = session_.get()] { return s->application.Object("Selection"); });
  }
  void SetVisible(bool visible) override {
    if (visible) session_->Shown();
    session_->Call("Visible", Length::Short,
                   [s = session_.get(), visible] { s->application.Put("Visible", Variant(visible)); });
  }
  void SetWindowState(int32_t state) override {
    session_->Call("WindowState", Length::Short,
                   [s = session_.get(), state] { s->application.Put("WindowState", Variant(state)); });
  }
  void Quit(bool saveChanges) override {
    const std::vector<Argument> arguments{{"SaveChanges", Variant(saveChanges)}};
    session_->Call("Quit", Length::Long,
                   [s = session_.get(), arguments] { s->application.Call("Quit", arguments); });
    session_->LetGo();
  }

 private:
  std::unique_ptr<Session> session_;
};

std::string ClassText(const CLSID& applicationClass) {
  wchar_t guid[40] = {};
  ::StringFromGUID2(applicationClass, guid, 40);
  return com::Narrow(std::wstring_view(guid));
}

}  // namespace

std::unique_ptr<WordApp> WordAppOver(std::function<IDispatch*()> make, const WordAppOptions& options) {
  auto session = std::make_unique<Session>(options);
  std::optional<Dispatch> application;
  const auto outcome = session->Thread().Run(
      options.startSeconds, [make = std::move(make)] { return Dispatch(make()); }, application);
  if (outcome != CallThread::Outcome::Done) {
    RaiseRuntime(rt::CantCreateObject, "the application object was not made within " +
                                           SecondsText(options.startSeconds) + " seconds");
  }
  return std::make_unique<ComWordApp>(std::move(session), std::move(*application));
}

std::unique_ptr<WordApp> CreateWordApp(const CLSID& applicationClass, const WordAppOptions& options) {
  const std::string word = "Microsoft Word (class " + ClassText(applicationClass) + ")";
  auto session = std::make_unique<Session>(options);
  const com::ServerProcesses running(applicationClass);
  std::optional<Dispatch> application;
  const auto outcome = session->Thread().Run(
      options.startSeconds,
      [applicationClass, word] {
        IDispatch* created = nullptr;
        const HRESULT hr = ::CoCreateInstance(applicationClass, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                              reinterpret_cast<void**>(&created));
        if (FAILED(hr) || created == nullptr) {
          RaiseRuntime(rt::CantCreateObject, word + " could not be started, " + com::DescribeHresult(hr));
        }
        return Dispatch(created);
      },
      application);
  session->SetProcess(running.Started());
  if (outcome != CallThread::Outcome::Done) {
    const bool ended = session->Process().Terminate();
    RaiseRuntime(rt::CantCreateObject, word + " did not start within " + SecondsText(options.startSeconds) +
                                           " seconds" + (ended ? "; it was ended" : ""));
  }
  return std::make_unique<ComWordApp>(std::move(session), std::move(*application));
}

}  // namespace gs
