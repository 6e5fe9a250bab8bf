#include "po/po_file.h"

#include <gettext-po.h>

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "common/error.h"
#include "common/file.h"
#include "common/text.h"
#include "common/utf8.h"
#include "formats/format_errors.h"

namespace gs {

namespace {

// The first problem libgettextpo reports during one read or write. Its
// handlers get no pointer of ours, so the running call keeps it here.
struct Problem {
  bool found = false;
  size_t line = 0;  // 0 when the problem has no line
  std::string text;
  bool writing = false;
};
Problem* g_problem = nullptr;

// A fatal problem while writing: the handler must not return, since the
// library would go on writing to a file it could not open.
struct FatalWrite {};

void Note(int severity, const char* filename, size_t line, const char* text) {
  if (severity == PO_SEVERITY_WARNING || g_problem == nullptr) return;
  if (!g_problem->found) {
    g_problem->found = true;
    g_problem->line = filename != nullptr && line != static_cast<size_t>(-1) ? line : 0;
    g_problem->text = text != nullptr ? text : "";
    while (!g_problem->text.empty() && (g_problem->text.back() == '\n' || g_problem->text.back() == ' ')) {
      g_problem->text.pop_back();
    }
  }
  // While reading, the fatal report comes last ("found N fatal errors"), and
  // returning from it ends the read normally.
  if (severity == PO_SEVERITY_FATAL_ERROR && g_problem->writing) throw FatalWrite{};
}

void XError(int severity, po_message_t, const char* filename, size_t line, size_t, int, const char* text) {
  Note(severity, filename, line, text);
}

void XError2(int severity, po_message_t, const char* filename, size_t line, size_t, int, const char* text,
             po_message_t, const char*, size_t, size_t, int, const char* text2) {
  Note(severity, filename, line, (std::string(text) + " " + text2).c_str());
}

const po_xerror_handler kHandler = {XError, XError2};

// Collects the problems of one call of the library.
class ProblemScope {
 public:
  explicit ProblemScope(bool writing) {
    problem_.writing = writing;
    g_problem = &problem_;
  }
  ~ProblemScope() { g_problem = nullptr; }
  ProblemScope(const ProblemScope&) = delete;
  ProblemScope& operator=(const ProblemScope&) = delete;

  // Error 7777 naming path, with the line and the library's message.
  void RaiseIfFound(const std::string& path) const {
    if (!problem_.found) return;
    RaiseUnknownFormat(
        path, (problem_.line > 0 ? "line " + std::to_string(problem_.line) + ": " : "") + problem_.text);
  }

 private:
  Problem problem_;
};

// GNU gettext's switch for PO files of the old format (OLD_PO_FILE_INPUT,
// OLD_PO_FILE_OUTPUT) makes the library take the text byte by byte instead
// of asking iconv about every non-ASCII character, which is most of its
// time. For UTF-8 the bytes read and written are the same either way: no
// byte of a multibyte character is ASCII, so none can pass for a quote or a
// backslash. What the library then leaves unchecked, well-formed UTF-8, is
// checked here on every text.
class ByteWiseText {
 public:
  explicit ByteWiseText(const char* variable) : variable_(variable) {
    if (const char* old = std::getenv(variable)) saved_ = old, had_ = true;
    ::setenv(variable, "1", 1);
  }
  ~ByteWiseText() {
    if (had_) {
      ::setenv(variable_, saved_.c_str(), 1);
    } else {
      ::unsetenv(variable_);
    }
  }
  ByteWiseText(const ByteWiseText&) = delete;
  ByteWiseText& operator=(const ByteWiseText&) = delete;

 private:
  const char* variable_;
  std::string saved_;
  bool had_ = false;
};

struct FileFree {
  void operator()(po_file_t file) const { po_file_free(file); }
};
using PoFilePtr = std::unique_ptr<struct po_file, FileFree>;

struct IteratorFree {
  void operator()(po_message_iterator_t it) const { po_message_iterator_free(it); }
};
using PoIteratorPtr = std::unique_ptr<struct po_message_iterator, IteratorFree>;

std::string_view Describe(const PoMessage& m) {
  return m.Context.empty() ? std::string_view(m.Id) : std::string_view(m.Context);
}

// Error 7777 naming path unless every text of the message is UTF-8.
void CheckUtf8(const std::string& path, const PoMessage& m) {
  constexpr auto npos = std::string_view::npos;
  if (FindInvalidUtf8(m.Context) == npos && FindInvalidUtf8(m.Id) == npos && FindInvalidUtf8(m.Str) == npos)
    return;
  RaiseUnknownFormat(path, "the message \"" + std::string(Describe(m)) + "\" holds bytes that are not UTF-8");
}

// Error 7777 naming path unless the header declares the charset UTF-8.
void CheckCharset(const std::string& path, const std::string& header) {
  const std::string type = PoHeaderField(header, "Content-Type");
  const size_t at = type.find("charset=");
  std::string charset = at == std::string::npos ? std::string() : type.substr(at + 8);
  charset = charset.substr(0, charset.find_first_of("; \t"));
  for (char& c : charset) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (charset == "UTF-8") return;
  RaiseUnknownFormat(path, charset.empty() ? std::string("its header names no charset; UTF-8 is needed")
                                           : "its charset is " + charset + "; UTF-8 is needed");
}

}  // namespace

void WritePoFile(const std::string& path, const PoCatalog& catalog) {
  CheckCharset(path, catalog.Header);
  PoFilePtr file(po_file_create());
  {
    PoIteratorPtr it(po_message_iterator(file.get(), nullptr));
    po_message_t header = po_message_create();
    po_message_set_msgid(header, "");
    po_message_set_msgstr(header, catalog.Header.c_str());
    po_message_insert(it.get(), header);
    for (const PoMessage& m : catalog.Messages) {
      CheckUtf8(path, m);
      po_message_t message = po_message_create();
      if (!m.Context.empty()) po_message_set_msgctxt(message, m.Context.c_str());
      po_message_set_msgid(message, m.Id.c_str());
      po_message_set_msgstr(message, m.Str.c_str());
      if (m.Fuzzy) po_message_set_fuzzy(message, 1);
      if (!m.Reference.empty()) po_message_add_filepos(message, m.Reference.c_str(), m.ReferenceLine);
      po_message_insert(it.get(), message);
    }
  }
  // libgettextpo writes the file itself, by name.
  WriteFileByName(path, [&](const std::string& temp) {
    ProblemScope problems(/*writing*/ true);
    {
      const ByteWiseText byteWise("OLD_PO_FILE_OUTPUT");
      try {
        po_file_write(file.get(), temp.c_str(), &kHandler);
      } catch (const FatalWrite&) {
      }
    }
    problems.RaiseIfFound(path);
  });
}

PoCatalog ReadPoFile(const std::string& path) {
  PoFilePtr file;
  {
    ProblemScope problems(/*writing*/ false);
    const ByteWiseText byteWise("OLD_PO_FILE_INPUT");
    errno = 0;
    file.reset(po_file_read(path.c_str(), &kHandler));
    if (file == nullptr) RaiseFileError(errno != 0 ? errno : ENOENT, path);
    problems.RaiseIfFound(path);
  }
  PoCatalog catalog;
  bool hasHeader = false;
  for (const char* const* domain = po_file_domains(file.get()); *domain != nullptr; ++domain) {
    PoIteratorPtr it(po_message_iterator(file.get(), *domain));
    while (po_message_t message = po_next_message(it.get())) {
      if (po_message_is_obsolete(message)) continue;
      if (std::string_view(*domain) != "messages") {
        RaiseUnknownFormat(path, "it holds messages of the domain " + Quoted(*domain));
      }
      const char* context = po_message_msgctxt(message);
      const char* id = po_message_msgid(message);
      if (context == nullptr && *id == '\0') {
        catalog.Header = po_message_msgstr(message);
        hasHeader = true;
        continue;
      }
      PoMessage& m = catalog.Messages.emplace_back();
      if (context != nullptr) m.Context = context;
      m.Id = id;
      m.Str = po_message_msgstr(message);
      m.Fuzzy = po_message_is_fuzzy(message) != 0;
      m.Plural = po_message_msgid_plural(message) != nullptr;
      CheckUtf8(path, m);
    }
  }
  if (!hasHeader) RaiseUnknownFormat(path, "it has no header entry naming its charset; UTF-8 is needed");
  CheckCharset(path, catalog.Header);
  return catalog;
}

std::string PoHeaderField(const std::string& header, const char* field) {
  char* value = po_header_field(header.c_str(), field);
  if (value == nullptr) return {};
  std::string result(value);
  std::free(value);
  return result;
}

}  // namespace gs
