// A word processor for the tests of the editing steps: it records every
// member call in order, answers and fails as a test scripts it, and has the
// file effects the steps rely on, without any office:
//
//   - Documents.Open of a text file (Format 4 or 5) reads it as UTF-8 with its
//     NUL separators; of a file that its SaveAs wrote, reads that back;
//   - the Selection and Table members work on that text as Word does
//     (one table row per line, ConvertToText one line per row, ...);
//   - Document.SaveAs with format 0 writes a stand-in document (not a real
//     .doc) that it can open again; with format 7 the UTF-8 text file with
//     its byte-order mark;
//   - Quit(true) saves modified documents where they were last saved.
//
//   gs::testing::WordScript word;
//   word.SetInformation(wd::EndOfRangeRowNumber, 17);
//   word.Fail("Quit", gs::testing::UserClosedWord());
//   RunTheStep(word.Factory());
//   EXPECT_EQ(word.CallTexts()[0], "create");
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/error.h"
#include "word/word_app.h"

namespace gs::testing {

// One member call: which application (1 for the first created), the member
// as the steps name it, and its arguments as text (strings quoted, NUL as
// \0); omitted arguments are left out. The members that only lead to others
// (Documents, ActiveDocument, Selection) are not recorded, but may be failed.
struct WordCall {
  int app = 0;
  std::string member;
  std::vector<std::string> arguments;
  // "Documents.Open(\"t.txt\", 5, 65001)"; property sets read "Visible = true".
  std::string Text() const;
};

// The error Word gives for calls on a Word the user has closed.
Error UserClosedWord();

class WordScript {
 public:
  WordScript();
  ~WordScript();
  WordScript(const WordScript&) = delete;
  WordScript& operator=(const WordScript&) = delete;

  // What the steps hold: every call starts a new recording application
  // (recorded as "create"). The script must outlive the applications.
  WordAppFactory Factory();

  const std::vector<WordCall>& Calls() const noexcept { return calls_; }
  // The calls as text, each prefixed with "<app>: " once a second
  // application was created.
  std::vector<std::string> CallTexts() const;

  // Information(type) answers value instead of looking at the document.
  void SetInformation(int32_t type, int32_t value);
  // The occurrence-th call of member (counted over all applications from
  // now; 0 for every one) raises error instead of doing anything. "create"
  // fails the factory.
  void Fail(const std::string& member, const Error& error, int occurrence = 1);
  // From now on every call to the given application (1 for the first) fails
  // as on a Word the user has closed.
  void CloseByUser(int app);

  // The state of an application the steps left behind.
  int Created() const noexcept { return created_; }
  bool Visible(int app) const;
  std::optional<int32_t> WindowState(int app) const;
  bool Quit(int app) const;

 private:
  class App;
  friend class App;
  struct Failure {
    std::string member;
    Error error;
    int occurrence;
  };
  struct AppState {
    bool visible = false;
    std::optional<int32_t> windowState;
    bool quit = false;
    bool closedByUser = false;
  };

  // Records a call, then raises what the script or the application's state says.
  void Record(int app, std::string member, std::vector<std::string> arguments);
  // The same for the members that only lead to others (Documents,
  // ActiveDocument, Selection), which are not recorded.
  void Check(int app, const std::string& member);

  std::vector<WordCall> calls_;
  std::map<int32_t, int32_t> information_;
  std::vector<Failure> failures_;
  std::map<std::string, int> seen_;
  std::vector<AppState> apps_;
  int created_ = 0;
};

// Argument text as the records show it.
std::string ArgumentText(const std::string& text);

// The user's edit of a document the recording word processor keeps: one
// cell of its table (row and column from 0) set to text, or the row removed
// when text is null.
void EditKeptDocument(const std::string& path, size_t row, size_t column, const char* text);

}  // namespace gs::testing
