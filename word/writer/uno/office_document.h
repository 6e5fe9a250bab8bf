// A document as the office holds it: loading one without a view, its body's
// paragraphs and tables, its text read back whole, its page style.
#pragma once

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/text/XTextRange.hpp>
#include <com/sun/star/text/XTextTable.hpp>
#include <string>
#include <vector>

#include "word/writer/text_document.h"
#include "word/writer/uno/office_connection.h"

namespace gs::writer {

// How a document is saved: kTextFormat for our own text form, else the
// office filter.
inline constexpr const char* kTextFormat = "";
inline constexpr const char* kWord97Filter = "MS Word 97";

// A document loaded into the office from path with an office filter,
// without a view (and so without a layout).
Reference<css::text::XTextDocument> LoadDocument(OfficeConnection& office, const std::string& path,
                                                 const std::string& filter);
// The office filter that opens a file; kTextFormat for text files, which
// this program reads itself.
std::string DetectFilter(OfficeConnection& office, const std::string& path);
// The same for a Flat ODT held in memory.
Reference<css::text::XTextDocument> LoadFlatOdt(OfficeConnection& office, const std::string& fodt);

// One top-level element of a document's body: a paragraph or a table.
struct BodyPart {
  Reference<css::text::XTextRange> paragraph;
  Reference<css::text::XTextTable> table;
};
std::vector<BodyPart> BodyPartsOf(const Reference<css::text::XTextDocument>& model);

// The text of a table's cell by its name ("B12"); raises wderr::NoSuchMember
// when the table has no such cell.
Reference<css::text::XText> CellTextOf(const Reference<css::text::XTextTable>& table,
                                       const std::string& name);

// The whole body as this program's blocks (inside an office call).
std::vector<Block> ReadBody(OfficeConnection& office, const Reference<css::text::XTextDocument>& model);

// The page style of the first paragraph or table (inside an office call).
Reference<css::beans::XPropertySet> PageStyleOf(const Reference<css::text::XTextDocument>& model);
bool IsLandscape(const Reference<css::beans::XPropertySet>& pageStyle);
// Turns the page: the landscape flag and the sheet with it.
void SetLandscape(const Reference<css::beans::XPropertySet>& pageStyle, bool landscape);

}  // namespace gs::writer
