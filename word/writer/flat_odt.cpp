#include "word/writer/flat_odt.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "common/utf8.h"
#include "word/word_app.h"
#include "word/writer/word_error.h"

namespace gs::writer {

namespace {

constexpr std::string_view kHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<office:document xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\""
    " xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\""
    " xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\""
    " xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\""
    " xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\""
    " office:version=\"1.3\" office:mimetype=\"application/vnd.oasis.opendocument.text\">";
constexpr std::string_view kBody = "<office:body><office:text>";
constexpr std::string_view kTail = "</office:text></office:body></office:document>\n";

std::string CodePointName(char32_t cp) {
  char name[16];
  std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(cp));
  return name;
}

// Appends one paragraph's content. ODF collapses white space, so every blank
// that does not directly follow a visible character, and every blank at the
// end, is written as <text:s/>.
// where() names the paragraph or cell for an error.
template <class Where>
void AppendText(std::string& out, std::string_view text, const Where& where) {
  bool afterVisible = false;
  size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == ' ') {
      size_t run = 1;
      while (i + run < text.size() && text[i + run] == ' ') ++run;
      const bool atEnd = i + run == text.size();
      size_t coded = run;
      if (afterVisible && !atEnd) {
        out.push_back(' ');
        --coded;
      }
      if (coded == 1) out.append("<text:s/>");
      if (coded > 1) out.append("<text:s text:c=\"").append(std::to_string(coded)).append("\"/>");
      i += run;
      afterVisible = false;
      continue;
    }
    afterVisible = true;
    switch (c) {
      case '\t': out.append("<text:tab/>"), afterVisible = false, ++i; continue;
      case '\n': out.append("<text:line-break/>"), afterVisible = false, ++i; continue;
      case '&': out.append("&amp;"), ++i; continue;
      case '<': out.append("&lt;"), ++i; continue;
      case '>': out.append("&gt;"), ++i; continue;
      default: break;
    }
    const size_t from = i;
    const char32_t cp = DecodeUtf8(text, i);
    if (cp == kInvalidCodePoint) RaiseWordError(wderr::CommandFailed, where() + " is not UTF-8 text");
    if (cp < 0x20 || cp == 0xFFFE || cp == 0xFFFF) {
      RaiseWordError(wderr::CommandFailed, where() + " holds the character " + CodePointName(cp) +
                                               ", which a Writer document cannot keep");
    }
    out.append(text.substr(from, i - from));
  }
}

// The paragraph style of the text of a language: "L1049".
std::string LanguageStyle(int32_t languageId) {
  return "L" + std::to_string(languageId);
}

// Appends one paragraph, of the paragraph style of a language unless it is 0.
template <class Where>
void AppendParagraph(std::string& out, std::string_view text, const Where& where, int32_t languageId = 0) {
  out.append("<text:p");
  if (languageId != 0) out.append(" text:style-name=\"").append(LanguageStyle(languageId)).append("\"");
  if (text.empty()) {
    out.append("/>");
    return;
  }
  out.append(">");
  AppendText(out, text, where);
  out.append("</text:p>");
}

// One paragraph style per language the tables' columns are marked with.
void AppendLanguageStyles(std::string& out, const TextDocument& document) {
  std::set<int32_t> languages;
  for (const auto& block : document.Blocks()) {
    if (const auto* table = std::get_if<Table>(&block))
      languages.insert(table->languages.begin(), table->languages.end());
  }
  languages.erase(0);
  if (languages.empty()) return;
  out.append("<office:automatic-styles>");
  for (const int32_t id : languages) {
    const auto language = OdfLanguageOf(id);
    if (!language) RaiseWordError(wderr::ValueOutOfRange, "language " + std::to_string(id));
    out.append("<style:style style:name=\"")
        .append(LanguageStyle(id))
        .append("\" style:family=\"paragraph\"><style:text-properties fo:language=\"")
        .append(language->language)
        .append("\" fo:country=\"")
        .append(language->country)
        .append("\"/></style:style>");
  }
  out.append("</office:automatic-styles>");
}

}  // namespace

std::optional<OdfLanguage> OdfLanguageOf(int32_t languageId) {
  switch (languageId) {
    case wd::Czech: return OdfLanguage{"cs", "CZ"};
    case wd::German: return OdfLanguage{"de", "DE"};
    case wd::EnglishUS: return OdfLanguage{"en", "US"};
    case wd::Finnish: return OdfLanguage{"fi", "FI"};
    case wd::Russian: return OdfLanguage{"ru", "RU"};
    case wd::Swedish: return OdfLanguage{"sv", "SE"};
    default: return std::nullopt;
  }
}

std::string FlatOdt(const TextDocument& document) {
  std::string out(kHead);
  AppendLanguageStyles(out, document);
  out.append(kBody);
  size_t paragraphNumber = 0;
  size_t tableNumber = 0;
  for (const auto& block : document.Blocks()) {
    if (const auto* text = std::get_if<std::string>(&block)) {
      ++paragraphNumber;
      AppendParagraph(out, *text, [&] { return "paragraph " + std::to_string(paragraphNumber); });
      continue;
    }
    const auto& table = std::get<Table>(block);
    ++tableNumber;
    size_t columns = 1;
    for (const auto& row : table.rows) columns = std::max(columns, row.size());
    out.append("<table:table table:name=\"Table").append(std::to_string(tableNumber)).append("\">");
    out.append("<table:table-column table:number-columns-repeated=\"")
        .append(std::to_string(columns))
        .append("\"/>");
    for (size_t r = 0; r < table.rows.size(); ++r) {
      out.append("<table:table-row>");
      for (size_t c = 0; c < table.rows[r].size(); ++c) {
        // Cells are strings, so that Writer never takes "00123" for a number.
        out.append("<table:table-cell office:value-type=\"string\">");
        AppendParagraph(
            out, table.rows[r][c],
            [&] {
              return "table " + std::to_string(tableNumber) + " row " + std::to_string(r + 1) + " column " +
                     std::to_string(c + 1);
            },
            c < table.languages.size() ? table.languages[c] : 0);
        out.append("</table:table-cell>");
      }
      out.append("</table:table-row>");
    }
    out.append("</table:table>");
  }
  out.append(kTail);
  return out;
}

}  // namespace gs::writer
