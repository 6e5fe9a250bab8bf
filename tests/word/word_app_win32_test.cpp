// Word through COM: every member call against an automation object of the
// test's own, which records what reaches IDispatch; and the creation of the
// real Word, which fails where Word is not installed (as under Wine).
#include "registry/registry_api.h"
// After the registry's header, whose names <windows.h> defines as macros.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <regex>

#include "common/fs.h"
#include "tests/workflow/workflow_test_support.h"
#include "word/com/word_app_win32.h"

namespace gs {
namespace {

// What a scripted member does instead of its work.
struct Failure {
  HRESULT hr = DISP_E_EXCEPTION;
  // The exception's fields, for DISP_E_EXCEPTION.
  WORD wCode = 0;
  HRESULT scode = 0;
  std::wstring source = {};
  std::wstring description = {};
  std::wstring helpFile = {};
  DWORD helpContext = 0;
  // Filled in only through pfnDeferredFillIn.
  bool deferred = false;
};

// Shared by all the objects of one test: the names they have handed out
// DISPIDs for, the calls they saw, the scripted answers, and how many are
// still referenced.
struct Automation {
  std::vector<std::wstring> names;
  std::vector<std::string> calls;
  std::map<std::string, Failure> failures;
  std::map<std::string, VARIANT> answers;
  int live = 0;
};

std::string Ascii(const std::wstring& text) {
  return std::string(text.begin(), text.end());
}

// A value as the records show it: texts quoted with NUL as \0, booleans
// only as VARIANT_TRUE and VARIANT_FALSE.
std::string Text(const VARIANT& v) {
  switch (v.vt) {
    case VT_I4: return std::to_string(v.lVal);
    case VT_BOOL:
      return v.boolVal == VARIANT_TRUE ? "true" : v.boolVal == VARIANT_FALSE ? "false" : "bad bool";
    case VT_BSTR: {
      std::string text = "\"";
      for (UINT i = 0; i < ::SysStringLen(v.bstrVal); ++i) {
        text += v.bstrVal[i] == 0 ? std::string("\\0") : std::string(1, static_cast<char>(v.bstrVal[i]));
      }
      return text + "\"";
    }
    default: return "vt " + std::to_string(v.vt);
  }
}

HRESULT FillIn(EXCEPINFO* exception);

// An automation object named after the member that gave it ("Documents").
// Object members give new objects; "Bogus" names are unknown.
class FakeObject final : public IDispatch {
 public:
  FakeObject(std::string name, Automation& automation) : name_(std::move(name)), automation_(automation) {
    ++automation_.live;
  }
  ~FakeObject() { --automation_.live; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
      *object = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
      const std::wstring name = names[i];
      if (name.find(L"Bogus") != std::wstring::npos) {
        ids[i] = DISPID_UNKNOWN;
        hr = DISP_E_UNKNOWNNAME;
        continue;
      }
      auto& known = automation_.names;
      auto at = std::find(known.begin(), known.end(), name);
      if (at == known.end()) at = known.insert(known.end(), name);
      ids[i] = static_cast<DISPID>(at - known.begin()) + 1;
    }
    return hr;
  }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* exception, UINT*) override {
    const std::string member = Ascii(automation_.names.at(static_cast<size_t>(id - 1)));
    const std::string path = name_ + "." + member;
    automation_.calls.push_back(Record(path, flags, *params));
    if (const auto failure = automation_.failures.find(path); failure != automation_.failures.end()) {
      return Fail(failure->second, exception);
    }
    if (result == nullptr) return S_OK;
    ::VariantInit(result);
    if (const auto answer = automation_.answers.find(path); answer != automation_.answers.end()) {
      return ::VariantCopy(result, &answer->second);
    }
    static const char* const kObjectMembers[] = {"Documents", "ActiveDocument", "Selection", "PageSetup",
                                                 "Tables",    "Item",           "Open",      "Cell",
                                                 "Rows",      "Columns"};
    for (const char* objectMember : kObjectMembers) {
      if (member == objectMember) {
        result->vt = VT_DISPATCH;
        result->pdispVal = new FakeObject(member, automation_);
      }
    }
    return S_OK;
  }

 private:
  // "Documents.Open(FileName="t.txt", Format=5)", "Application.Visible = true",
  // "Selection.Information[14]" for a property get with an index.
  std::string Record(const std::string& path, WORD flags, const DISPPARAMS& params) const {
    if (flags == DISPATCH_PROPERTYPUT) {
      const bool putForm =
          params.cArgs == 1 && params.cNamedArgs == 1 && params.rgdispidNamedArgs[0] == DISPID_PROPERTYPUT;
      return putForm ? path + " = " + Text(params.rgvarg[0]) : path + " put without DISPID_PROPERTYPUT";
    }
    std::string arguments;
    for (UINT i = 0; i < params.cNamedArgs; ++i) {
      arguments += (i == 0 ? "" : ", ") + Ascii(automation_.names.at(params.rgdispidNamedArgs[i] - 1)) + "=" +
                   Text(params.rgvarg[i]);
    }
    // Positional arguments follow the named ones, last first.
    for (UINT i = params.cNamedArgs; i < params.cArgs; ++i) {
      arguments +=
          (arguments.empty() ? "" : ", ") + Text(params.rgvarg[params.cArgs - 1 - (i - params.cNamedArgs)]);
    }
    if (flags == DISPATCH_METHOD) return path + "(" + arguments + ")";
    if (flags == (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) {
      return arguments.empty() ? path : path + "[" + arguments + "]";
    }
    return path + " with flags " + std::to_string(flags);
  }

  static HRESULT Fail(const Failure& failure, EXCEPINFO* exception) {
    if (failure.hr != DISP_E_EXCEPTION) return failure.hr;
    *exception = EXCEPINFO{};
    exception->wCode = failure.wCode;
    exception->scode = failure.scode;
    if (failure.deferred) {
      exception->pfnDeferredFillIn = FillIn;
    } else {
      exception->bstrSource = ::SysAllocString(failure.source.c_str());
      exception->bstrDescription = ::SysAllocString(failure.description.c_str());
      exception->bstrHelpFile = ::SysAllocString(failure.helpFile.c_str());
      exception->dwHelpContext = failure.helpContext;
    }
    return DISP_E_EXCEPTION;
  }

  std::string name_;
  Automation& automation_;
  ULONG references_ = 1;
};

HRESULT FillIn(EXCEPINFO* exception) {
  exception->bstrSource = ::SysAllocString(L"Microsoft Word");
  exception->bstrDescription = ::SysAllocString(L"Command failed");
  exception->pfnDeferredFillIn = nullptr;
  return S_OK;
}

// The number, source and description of what call raises.
Error ErrorOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const Error& e) {
    return e;
  }
  ADD_FAILURE() << "nothing raised";
  return Error(0, "");
}

class WordThroughCom : public ::testing::Test {
 protected:
  ~WordThroughCom() override {
    for (auto& [path, answer] : automation_.answers) ::VariantClear(&answer);
  }
  std::unique_ptr<WordApp> Word() {
    return WordAppOver([this] { return new FakeObject("Application", automation_); });
  }
  Automation automation_;
};

TEST_F(WordThroughCom, TheEditingStepsCallsReachWordWithItsArgumentNames) {
  {
    auto word = Word();
    word->Documents().Open("C:\\the game\\KT\\FrontFrench.bin.txt", wd::OpenFormatEncodedText,
                           wd::EncodingUTF8, false, false, true);
    word->ActiveDocument().PageSetup().SetOrientation(wd::OrientLandscape);
    word->Selection().WholeStory();
    word->Selection().ConvertToTable(std::string(1, '\0'));
    word->ActiveDocument().Tables().Item(1).Columns(1).Select();
    word->Selection().SetLanguageID(wd::Russian);
    word->ActiveDocument().SaveAs("C:\\the game\\KT\\Efiles\\FrontFrench.bin.doc", wd::FormatDocument);
    word->ActiveDocument().Tables().Item(1).Cell(17, 1).Select();
    word->Selection().Collapse(wd::CollapseStart);
    word->SetVisible(true);
    word->SetWindowState(wd::WindowStateMaximize);
    word->Quit(true);
    EXPECT_GT(automation_.live, 1);
  }
  const std::vector<std::string> expected = {
      "Application.DisplayAlerts = 0",
      "Application.Documents",
      "Documents.Open(FileName=\"C:\\the game\\KT\\FrontFrench.bin.txt\", ConfirmConversions=false, "
      "AddToRecentFiles=false, Format=5, Encoding=65001, NoEncodingDialog=true)",
      "Application.ActiveDocument",
      "ActiveDocument.PageSetup",
      "PageSetup.Orientation = 1",
      "Application.Selection",
      "Selection.WholeStory()",
      "Application.Selection",
      "Selection.ConvertToTable(Separator=\"\\0\")",
      "Application.ActiveDocument",
      "ActiveDocument.Tables",
      "Tables.Item[1]",
      "Item.Columns",
      "Columns.Item[1]",
      "Item.Select()",
      "Application.Selection",
      "Selection.LanguageID = 1049",
      "Application.ActiveDocument",
      "ActiveDocument.SaveAs(FileName=\"C:\\the game\\KT\\Efiles\\FrontFrench.bin.doc\", FileFormat=0)",
      "Application.ActiveDocument",
      "ActiveDocument.Tables",
      "Tables.Item[1]",
      "Item.Cell[17, 1]",
      "Cell.Select()",
      "Application.Selection",
      "Selection.Collapse(Direction=1)",
      "Application.Visible = true",
      "Application.WindowState = 1",
      "Application.Quit(SaveChanges=true)",
  };
  EXPECT_EQ(automation_.calls, expected);
  // Every object Word handed out is released with the application.
  EXPECT_EQ(automation_.live, 0);
}

TEST_F(WordThroughCom, TheSaveStepsCallsReachWordWithItsArgumentNames) {
  VARIANT row;
  row.vt = VT_I4;
  row.lVal = 42;
  automation_.answers["Selection.Information"] = row;
  auto word = Word();
  EXPECT_EQ(word->Selection().Information(wd::EndOfRangeRowNumber), 42);
  word->Documents().Open("C:\\g\\KT\\Efiles\\GameGerman.bin.doc");
  word->ActiveDocument().Tables().Item(1).ConvertToText(std::string(1, '\0'));
  word->Selection().EndKey(wd::Story);
  word->Selection().TypeBackspace();
  word->ActiveDocument().SaveAs("C:\\g\\KT\\GameGerman.bin.txt", wd::FormatEncodedText, wd::EncodingUTF8,
                                false);
  word->Quit(false);
  const std::vector<std::string> expected = {
      "Application.DisplayAlerts = 0",
      "Application.Selection",
      "Selection.Information[14]",
      "Application.Documents",
      "Documents.Open(FileName=\"C:\\g\\KT\\Efiles\\GameGerman.bin.doc\")",
      "Application.ActiveDocument",
      "ActiveDocument.Tables",
      "Tables.Item[1]",
      "Item.ConvertToText(Separator=\"\\0\")",
      "Application.Selection",
      "Selection.EndKey(Unit=6)",
      "Application.Selection",
      "Selection.TypeBackspace()",
      "Application.ActiveDocument",
      "ActiveDocument.SaveAs(FileName=\"C:\\g\\KT\\GameGerman.bin.txt\", FileFormat=7, Encoding=65001, "
      "AllowSubstitutions=false)",
      "Application.Quit(SaveChanges=false)",
  };
  EXPECT_EQ(automation_.calls, expected);
}

TEST_F(WordThroughCom, AnswersAreConvertedAsVbDoes) {
  auto word = Word();
  VARIANT answer;
  answer.vt = VT_BSTR;
  answer.bstrVal = ::SysAllocString(L"7");
  automation_.answers["Selection.Information"] = answer;
  EXPECT_EQ(word->Selection().Information(wd::EndOfRangeRowNumber), 7);

  ::VariantClear(&automation_.answers["Selection.Information"]);
  automation_.answers["Selection.Information"].vt = VT_BSTR;
  automation_.answers["Selection.Information"].bstrVal = ::SysAllocString(L"no row");
  EXPECT_EQ(ErrorOf([&] { word->Selection().Information(wd::EndOfRangeRowNumber); }).Number(), 13);

  // An object member that gives no object.
  automation_.answers["Application.ActiveDocument"].vt = VT_EMPTY;
  const Error none = ErrorOf([&] { word->ActiveDocument(); });
  EXPECT_EQ(none.Number(), 91);
  EXPECT_EQ(none.Source(), "Glossmith");
}

TEST_F(WordThroughCom, WordsOwnErrorsKeepItsNumberSourceAndHelp) {
  auto word = Word();
  // Word raises its errors as FACILITY_CONTROL HRESULTs: 0x800A1436 is 5174.
  automation_.failures["Documents.Open"] = {.scode = static_cast<HRESULT>(0x800A1436),
                                            .source = L"Microsoft Word",
                                            .description = L"This file could not be found.",
                                            .helpFile = L"C:\\Office\\wdmain11.chm",
                                            .helpContext = 25174};
  const Error notFound = ErrorOf([&] { word->Documents().Open("C:\\nowhere.txt"); });
  EXPECT_EQ(notFound.Number(), wderr::FileNotFound);
  EXPECT_EQ(notFound.Source(), "Microsoft Word");
  EXPECT_EQ(notFound.Description(), "This file could not be found.");
  EXPECT_EQ(notFound.HelpFile(), "C:\\Office\\wdmain11.chm");
  EXPECT_EQ(notFound.HelpContext(), 25174);

  // A wCode counts before the scode; a deferred exception is filled in first.
  automation_.failures["Selection.Collapse"] = {.wCode = 4120, .scode = E_FAIL, .deferred = true};
  const Error goTo = ErrorOf([&] { word->Selection().Collapse(wd::CollapseStart); });
  EXPECT_EQ(goTo.Number(), 4120);
  EXPECT_EQ(goTo.Source(), "Microsoft Word");
  EXPECT_EQ(goTo.Description(), "Command failed");

  // Without a description the HRESULT is told.
  automation_.failures["ActiveDocument.SaveAs"] = {.scode = E_ACCESSDENIED};
  const Error denied = ErrorOf([&] { word->ActiveDocument().SaveAs("C:\\x.doc", wd::FormatDocument); });
  EXPECT_EQ(denied.Number(), static_cast<int32_t>(E_ACCESSDENIED));
  EXPECT_NE(denied.Description().find("0x80070005"), std::string::npos) << denied.Description();
  EXPECT_EQ(denied.Source(), "Glossmith");
}

TEST_F(WordThroughCom, FailuresOfTheCallItselfGetVbsNumbers) {
  auto word = Word();
  const auto numberWhenInvokeGives = [&](HRESULT hr) {
    automation_.failures["Application.Visible"] = {.hr = hr};
    const Error e = ErrorOf([&] { word->SetVisible(true); });
    EXPECT_EQ(e.Source(), "Glossmith");
    EXPECT_NE(e.Description().find("Visible"), std::string::npos) << e.Description();
    return e.Number();
  };
  EXPECT_EQ(numberWhenInvokeGives(DISP_E_MEMBERNOTFOUND), 438);
  EXPECT_EQ(numberWhenInvokeGives(DISP_E_TYPEMISMATCH), 13);
  EXPECT_EQ(numberWhenInvokeGives(DISP_E_BADPARAMCOUNT), 450);
  // Word is gone: closed by the user, crashed.
  EXPECT_EQ(numberWhenInvokeGives(RPC_E_DISCONNECTED), wderr::ServerUnavailable);
  EXPECT_EQ(numberWhenInvokeGives(HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE)), wderr::ServerUnavailable);
  // Anything else is the HRESULT, as VB's "Automation error" shows it.
  EXPECT_EQ(numberWhenInvokeGives(E_FAIL), static_cast<int32_t>(E_FAIL));
  EXPECT_NE(ErrorOf([&] { word->SetVisible(true); }).Description().find("0x80004005"), std::string::npos);

  // Names that the object does not know: the member, or an argument of it.
  EXPECT_EQ(
      ErrorOf([&] { com::Dispatch(new FakeObject("Application", automation_)).Call("Bogus"); }).Number(),
      438);
  EXPECT_EQ(
      ErrorOf([&] {
        com::Dispatch(new FakeObject("Application", automation_)).Call("Quit", {{"Bogus", com::Variant(1)}});
      }).Number(),
      448);
}

// The tests' own Word (word_double.exe) as the local server of a class of
// its own, registered for as long as the object lives; its process is ended
// with it at the latest.
class WordDouble {
 public:
  explicit WordDouble(bool hangOnCreate = false) : folder_("gs-word-double") {
    ::CoCreateGuid(&class_);
    wchar_t guid[40] = {};
    ::StringFromGUID2(class_, guid, 40);
    key_ = L"Software\\Classes\\CLSID\\" + std::wstring(guid);
    const std::string folder = folder_.Path().substr(0, folder_.Path().size() - 1);
    const std::wstring command = L"\"" + Wide(ExecutableDir() + GS_WORD_DOUBLE) + L"\" \"" + Wide(folder) +
                                 L"\" " + guid + (hangOnCreate ? L" hang-on-create" : L"");
    // The machine's classes where the test may write them (always under
    // Wine), else the user's.
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
      HKEY server = nullptr;
      if (::RegCreateKeyExW(root, (key_ + L"\\LocalServer32").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &server, nullptr) != ERROR_SUCCESS) {
        continue;
      }
      const auto size = static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t));
      const bool set =
          ::RegSetValueExW(server, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                           size) == ERROR_SUCCESS;
      ::RegCloseKey(server);
      if (set) {
        root_ = root;
        break;
      }
    }
    if (root_ == nullptr) ADD_FAILURE() << "the Word double could not be registered";
  }
  ~WordDouble() {
    if (const HANDLE process = Process()) {
      ::TerminateProcess(process, 1);
      ::WaitForSingleObject(process, 5000);
      ::CloseHandle(process);
    }
    if (root_ != nullptr) ::RegDeleteTreeW(root_, key_.c_str());
  }

  const CLSID& Class() const { return class_; }
  // Whether the server's process has ended within ms.
  bool Ended(DWORD ms) {
    const HANDLE process = Process();
    if (process == nullptr) return true;
    const bool ended = ::WaitForSingleObject(process, ms) == WAIT_OBJECT_0;
    ::CloseHandle(process);
    return ended;
  }

 private:
  static std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }
  HANDLE Process() {
    const std::string pid = test::ReadAll(folder_ / "word_double.pid");
    if (pid.empty()) return nullptr;
    return ::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, static_cast<DWORD>(std::stoul(pid)));
  }

  test::ScratchDir folder_;
  CLSID class_{};
  std::wstring key_;
  HKEY root_ = nullptr;
};

WordAppOptions Limits(double seconds) {
  WordAppOptions options;
  options.startSeconds = 60;
  options.callSeconds = seconds;
  options.longCallSeconds = seconds;
  return options;
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(WordInItsOwnProcess, ACallThatNeverReturnsEndsTheWordNobodySees) {
  WordDouble server;
  auto word = CreateWordApp(server.Class(), Limits(2));
  const auto start = std::chrono::steady_clock::now();
  const Error e = ErrorOf([&] { word->Selection(); });
  EXPECT_LT(SecondsSince(start), 10);
  EXPECT_EQ(e.Number(), wderr::CallTimedOut);
  EXPECT_EQ(e.Source(), "Glossmith");
  EXPECT_EQ(e.Description(), "Microsoft Word did not answer Selection within 2 seconds; it was ended");
  EXPECT_TRUE(server.Ended(10000));
  // The Word is gone: what follows fails, and letting go of it does not wait.
  const auto later = std::chrono::steady_clock::now();
  EXPECT_NE(ErrorOf([&] { word->SetVisible(true); }).Number(), 0);
  word.reset();
  EXPECT_LT(SecondsSince(later), 5);
}

TEST(WordInItsOwnProcess, AShownWordThatStopsAnsweringIsLeftRunning) {
  WordDouble server;
  auto word = CreateWordApp(server.Class(), Limits(2));
  word->SetVisible(true);
  const auto start = std::chrono::steady_clock::now();
  const Error e = ErrorOf([&] { word->Selection(); });
  EXPECT_EQ(e.Number(), wderr::CallTimedOut);
  EXPECT_EQ(
      e.Description(),
      "Microsoft Word did not answer Selection within 2 seconds; it was left running, since it is shown "
      "to the user");
  // The next call is not made while the first one hangs.
  EXPECT_NE(ErrorOf([&] { word->Quit(true); }).Description().find("not answered an earlier call"),
            std::string::npos);
  word.reset();
  EXPECT_LT(SecondsSince(start), 10);
  EXPECT_FALSE(server.Ended(500));
}

TEST(WordInItsOwnProcess, AWordThatNeverStartsIs429WithinItsTime) {
  WordDouble server(/*hangOnCreate*/ true);
  WordAppOptions options;
  options.startSeconds = 2;
  const auto start = std::chrono::steady_clock::now();
  const Error e = ErrorOf([&] { CreateWordApp(server.Class(), options); });
  EXPECT_LT(SecondsSince(start), 10);
  EXPECT_EQ(e.Number(), rt::CantCreateObject);
  EXPECT_NE(e.Description().find("did not start within 2 seconds; it was ended"), std::string::npos)
      << e.Description();
  EXPECT_TRUE(server.Ended(10000));
}

TEST(WordInItsOwnProcess, QuitReturnsOnceWordHasLetGoOfItsDocument) {
  // Found by its process, and (made by the test, its process unknown) by its file.
  for (const bool processKnown : {true, false}) {
    WordDouble server;
    test::ScratchDir folder("gs-word-quit");
    const std::string document = folder / "kept.doc";
    test::WriteText(document, "the document");
    auto word = processKnown
                    ? CreateWordApp(server.Class(), Limits(30))
                    : WordAppOver(
                          [&server] {
                            IDispatch* application = nullptr;
                            ::CoCreateInstance(server.Class(), nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                               reinterpret_cast<void**>(&application));
                            return application;
                          },
                          Limits(30));
    word->Documents().Open(document);
    EXPECT_FALSE(::DeleteFileA(document.c_str())) << "the Word double does not hold its document";
    word->Quit(false);
    EXPECT_TRUE(::DeleteFileA(document.c_str())) << processKnown << ": " << ::GetLastError();
  }
}

TEST(WordAutomation, BusyCallsAreRetriedForAMinuteAndRejectedOnesNot) {
  EXPECT_EQ(com::RetryRejectedCallAfter(0, SERVERCALL_RETRYLATER), com::kRetryBusyEveryMs);
  EXPECT_EQ(com::RetryRejectedCallAfter(59999, SERVERCALL_RETRYLATER), com::kRetryBusyEveryMs);
  EXPECT_EQ(com::RetryRejectedCallAfter(60000, SERVERCALL_RETRYLATER), static_cast<DWORD>(-1));
  EXPECT_EQ(com::RetryRejectedCallAfter(0, SERVERCALL_REJECTED), static_cast<DWORD>(-1));
}

// Word must not be installed for these (it is not under Wine); where it is,
// they would start it.
bool WordIsInstalled() {
  CLSID clsid;
  return SUCCEEDED(::CLSIDFromProgID(L"Word.Application", &clsid));
}

TEST(WordAutomation, AWordThatCannotBeCreatedIs429WithTheHresult) {
  if (WordIsInstalled()) GTEST_SKIP() << "Word is installed here";
  // Twice: the apartment of the first attempt is gone before the second.
  for (int attempt = 0; attempt < 2; ++attempt) {
    try {
      WordApps()();
      FAIL() << "Word was created";
    } catch (const Error& e) {
      EXPECT_EQ(e.Number(), rt::CantCreateObject);
      EXPECT_EQ(e.Source(), "Glossmith");
      EXPECT_TRUE(e.Description().starts_with("ActiveX component can't create object: Microsoft Word"))
          << e.Description();
      std::smatch hresult;
      ASSERT_TRUE(std::regex_search(e.Description(), hresult, std::regex("0x([0-9A-F]{8})")))
          << e.Description();
      EXPECT_TRUE(FAILED(static_cast<HRESULT>(std::stoul(hresult[1], nullptr, 16))));
    }
  }
}

TEST(WordAutomation, TheEditStepEndsInTheReportWhenWordCannotBeCreated) {
  if (WordIsInstalled()) GTEST_SKIP() << "Word is installed here";
  test::SampleInstallation game("gs-word-com");
  test::TestWindow window;
  KTmain m;  // with the real Word
  SetProgramFolder(m, game.Game());
  m.DocumentPath = DocumentPathOf(m, "FrontFrench.bin");
  Extract(m, window);
  try {
    EditInWord(m, window);
    FAIL() << "Word was created";
  } catch (const Error& e) {
    EXPECT_TRUE(FileExists(m.TextFilePath));
    ReportError(m, window, e);
  }
  ASSERT_EQ(window.shown.size(), 1u);
  EXPECT_TRUE(
      window.shown[0].starts_with("Error #  429 was generated by  Glossmith\r"
                                  "ActiveX component can't create object: Microsoft Word"))
      << window.shown[0];
  EXPECT_TRUE(std::regex_search(window.shown[0], std::regex("0x[0-9A-F]{8}"))) << window.shown[0];
  EXPECT_EQ(window.unloads, 1);
  EXPECT_FALSE(FileExists(m.WorkTablePath));
  EXPECT_FALSE(FileExists(m.TemplateCopyPath));
  EXPECT_FALSE(FileExists(m.TextFilePath));
}

}  // namespace
}  // namespace gs
