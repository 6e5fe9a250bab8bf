// PO files, read and written by GNU gettext's own library, libgettextpo.
// This adapter is the only part of the program that sees gettext-po.h; the
// rest works with the plain records below. The escapes inside msgid and
// msgstr, line wrapping and the file's syntax are the library's business.
//
// libgettextpo keeps global state while it reads or writes: the functions
// here must not run on two threads at once.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace gs {

struct PoMessage {
  std::string Context;  // msgctxt; empty when the message has none
  std::string Id;       // msgid
  std::string Str;      // msgstr; empty when untranslated
  bool Fuzzy = false;
  bool Plural = false;    // read: the message has a msgid_plural (never written)
  std::string Reference;  // written as the comment "#: Reference:ReferenceLine" unless empty
  size_t ReferenceLine = 0;
};

struct PoCatalog {
  // The header entry's msgstr: "Field: value\n" lines.
  std::string Header;
  // The messages in file order, without the header entry; obsolete ones
  // ("#~") are left out when read.
  std::vector<PoMessage> Messages;
};

// Writes the catalog as a PO file that replaces path whole: written beside
// it, flushed to the disk and moved into place, so that a failure leaves the
// old file. Every text must be UTF-8 and the header must say so. Raises the
// runtime file error when the file cannot be written, and error 7777 naming
// path for what libgettextpo refuses.
void WritePoFile(const std::string& path, const PoCatalog& catalog);

// Reads a PO file. Raises the runtime file error when it cannot be opened,
// and error 7777 naming path, the line and libgettextpo's message for the
// first error the library finds (a syntax error, a duplicate message, a
// domain directive).
PoCatalog ReadPoFile(const std::string& path);

// The value of a header field, empty when the field is absent.
std::string PoHeaderField(const std::string& header, const char* field);

}  // namespace gs
