#include "word/writer/uno/office_document.h"

#include <algorithm>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/document/XTypeDetection.hpp>
#include <com/sun/star/frame/XLoadable.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/io/SequenceInputStream.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <filesystem>

#include "common/file.h"
#include "word/writer/exported_text.h"
#include "word/writer/file_url.h"
#include "word/writer/word_error.h"

namespace gs::writer {

namespace {

using css::uno::Any;

constexpr std::string_view kCompoundFileMagic = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";

bool StartsWith(const std::string& path, std::string_view magic) {
  try {
    File file(path, File::Mode::Read);
    std::string head(magic.size(), '\0');
    return file.ReadAt(0, head.data(), head.size()) == head.size() && head == magic;
  } catch (const Error&) {
    return false;
  }
}

// How many places of a body read through the text export are compared with
// the document itself.
constexpr size_t kSpotChecks = 24;

std::string TextOf(const Reference<css::text::XTextRange>& range) {
  return ToUtf8(range->getString());
}

}  // namespace

Reference<css::text::XTextDocument> LoadDocument(OfficeConnection& office, const std::string& path,
                                                 const std::string& filter) {
  return office.Call("Documents.Open " + path, CallLength::Long, [&] {
    // A model loaded without a frame has no view and no layout.
    Reference<css::frame::XLoadable> loadable(office.CreateInstance("com.sun.star.text.TextDocument"),
                                              UNO_QUERY_THROW);
    loadable->load(Properties(
        {Property("URL", Any(ToOUString(FileUrl(path)))), Property("FilterName", Any(ToOUString(filter)))}));
    return Reference<css::text::XTextDocument>(loadable, UNO_QUERY_THROW);
  });
}

std::string DetectFilter(OfficeConnection& office, const std::string& path) {
  if (StartsWith(path, kCompoundFileMagic)) return kWord97Filter;
  return office.Call("Documents.Open " + path, CallLength::Short, [&] {
    const Reference<css::document::XTypeDetection> detection(
        office.CreateInstance("com.sun.star.document.TypeDetection"), UNO_QUERY_THROW);
    const OUString type = detection->queryTypeByURL(ToOUString(FileUrl(path)));
    if (type.isEmpty())
      RaiseWordError(wderr::CommandFailed, "Documents.Open: Writer does not know the file " + path);
    if (type == "generic_Text") return std::string(kTextFormat);
    css::uno::Sequence<css::beans::PropertyValue> properties;
    Reference<css::container::XNameAccess>(detection, UNO_QUERY_THROW)->getByName(type) >>= properties;
    for (sal_Int32 i = 0; i < properties.getLength(); ++i) {
      OUString filter;
      if (properties[i].Name == "PreferredFilter" && (properties[i].Value >>= filter) && !filter.isEmpty()) {
        return ToUtf8(filter);
      }
    }
    RaiseWordError(wderr::CommandFailed, "Documents.Open: Writer has no filter for the file " + path);
  });
}

Reference<css::text::XTextDocument> LoadFlatOdt(OfficeConnection& office, const std::string& fodt) {
  return office.Call("hand the document to Writer", CallLength::Long, [&] {
    const css::uno::Sequence<sal_Int8> bytes(reinterpret_cast<const sal_Int8*>(fodt.data()),
                                             static_cast<sal_Int32>(fodt.size()));
    const auto stream = css::io::SequenceInputStream::createStreamFromSequence(office.Context(), bytes);
    Reference<css::frame::XLoadable> loadable(office.CreateInstance("com.sun.star.text.TextDocument"),
                                              UNO_QUERY_THROW);
    loadable->load(
        Properties({Property("URL", Any(OUString("private:stream"))), Property("InputStream", Any(stream)),
                    Property("FilterName", Any(OUString("OpenDocument Text Flat XML")))}));
    return Reference<css::text::XTextDocument>(loadable, UNO_QUERY_THROW);
  });
}

std::vector<BodyPart> BodyPartsOf(const Reference<css::text::XTextDocument>& model) {
  std::vector<BodyPart> parts;
  const auto elements =
      Reference<css::container::XEnumerationAccess>(model->getText(), UNO_QUERY_THROW)->createEnumeration();
  while (elements->hasMoreElements()) {
    const Any element = elements->nextElement();
    BodyPart part;
    if (Reference<css::lang::XServiceInfo>(element, UNO_QUERY_THROW)
            ->supportsService("com.sun.star.text.TextTable")) {
      part.table.set(element, UNO_QUERY_THROW);
    } else {
      part.paragraph.set(element, UNO_QUERY_THROW);
    }
    parts.push_back(std::move(part));
  }
  return parts;
}

Reference<css::text::XText> CellTextOf(const Reference<css::text::XTextTable>& table,
                                       const std::string& name) {
  Reference<css::text::XText> text(table->getCellByName(ToOUString(name)), UNO_QUERY);
  if (!text.is()) RaiseWordError(wderr::NoSuchMember, "cell " + name);
  return text;
}

std::vector<Block> ReadBody(OfficeConnection& office, const Reference<css::text::XTextDocument>& model) {
  return office.Call("read the document", CallLength::Long, [&] {
    const auto parts = BodyPartsOf(model);
    std::vector<BodyElement> shape(parts.size());
    for (size_t k = 0; k < parts.size(); ++k) {
      if (!parts[k].table.is()) continue;
      shape[k].isTable = true;
      const auto names = parts[k].table->getCellNames();
      for (sal_Int32 n = 0; n < names.getLength(); ++n) shape[k].cellNames.push_back(ToUtf8(names[n]));
    }
    // Writer's own text export is fast; the line count says whether its
    // lines are the paragraphs and cells one to one.
    const std::string exported = office.ExchangePath(".txt");
    Reference<css::frame::XStorable>(model, UNO_QUERY_THROW)
        ->storeToURL(ToOUString(FileUrl(exported)),
                     Properties({Property("FilterName", Any(OUString("Text (encoded)"))),
                                 Property("FilterOptions", Any(OUString("UTF8,CRLF,,")))}));
    Bytes bytes;
    std::error_code ignored;
    try {
      bytes = ReadWholeFile(exported);
    } catch (const Error&) {
      std::filesystem::remove(exported, ignored);
      throw;
    }
    std::filesystem::remove(exported, ignored);
    auto mapped = MapExportedLines(
        ExportedLines(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())), shape);

    // Where each text came from: a paragraph, or a table's cell by name.
    struct Place {
      size_t part;
      size_t cell;
    };
    std::vector<Place> places;
    for (size_t k = 0; k < parts.size(); ++k) {
      if (!shape[k].isTable) places.push_back({k, 0});
      for (size_t c = 0; c < shape[k].cellNames.size(); ++c) places.push_back({k, c});
    }
    const auto textAt = [&](const Place& p) {
      return parts[p.part].table.is()
                 ? ToUtf8(CellTextOf(parts[p.part].table, shape[p.part].cellNames[p.cell])->getString())
                 : TextOf(parts[p.part].paragraph);
    };
    if (mapped) {
      std::vector<const std::string*> texts;
      for (const auto& block : *mapped) {
        if (const auto* p = std::get_if<std::string>(&block)) texts.push_back(p);
        if (const auto* t = std::get_if<Table>(&block)) {
          for (const auto& row : t->rows) {
            for (const auto& cell : row) texts.push_back(&cell);
          }
        }
      }
      const auto checks = SpotChecks(places.size(), kSpotChecks);
      if (std::all_of(checks.begin(), checks.end(),
                      [&](size_t i) { return textAt(places[i]) == *texts[i]; })) {
        return std::move(*mapped);
      }
    }
    // Some paragraph or cell took several lines: read every one of them.
    std::vector<Block> blocks;
    for (size_t k = 0; k < parts.size(); ++k) {
      if (!shape[k].isTable) {
        blocks.emplace_back(TextOf(parts[k].paragraph));
        continue;
      }
      Table table;
      size_t currentRow = 0;
      for (size_t c = 0; c < shape[k].cellNames.size(); ++c) {
        const size_t row = CellRow(shape[k].cellNames[c]);
        if (table.rows.empty() || row != currentRow) table.rows.emplace_back();
        currentRow = row;
        table.rows.back().push_back(textAt({k, c}));
      }
      blocks.emplace_back(std::move(table));
    }
    return blocks;
  });
}

Reference<css::beans::XPropertySet> PageStyleOf(const Reference<css::text::XTextDocument>& model) {
  // The page style of the first paragraph or table; a model without a view
  // often names none, and then has only the default one.
  OUString styleName;
  const auto parts = BodyPartsOf(model);
  if (!parts.empty()) {
    css::uno::XInterface* first = parts[0].table.is()
                                      ? static_cast<css::uno::XInterface*>(parts[0].table.get())
                                      : static_cast<css::uno::XInterface*>(parts[0].paragraph.get());
    Reference<css::beans::XPropertySet>(first, UNO_QUERY_THROW)->getPropertyValue("PageDescName") >>=
        styleName;
  }
  if (styleName.isEmpty()) styleName = "Standard";
  const Reference<css::container::XNameAccess> pageStyles(
      Reference<css::style::XStyleFamiliesSupplier>(model, UNO_QUERY_THROW)
          ->getStyleFamilies()
          ->getByName("PageStyles"),
      UNO_QUERY_THROW);
  return Reference<css::beans::XPropertySet>(pageStyles->getByName(styleName), UNO_QUERY_THROW);
}

bool IsLandscape(const Reference<css::beans::XPropertySet>& pageStyle) {
  bool landscape = false;
  pageStyle->getPropertyValue("IsLandscape") >>= landscape;
  return landscape;
}

void SetLandscape(const Reference<css::beans::XPropertySet>& pageStyle, bool landscape) {
  sal_Int32 width = 0;
  sal_Int32 height = 0;
  pageStyle->getPropertyValue("Width") >>= width;
  pageStyle->getPropertyValue("Height") >>= height;
  pageStyle->setPropertyValue("IsLandscape", Any(landscape));
  // The flag alone leaves the page as it was: turn the sheet as well.
  if ((width < height) == landscape) {
    pageStyle->setPropertyValue("Width", Any(height));
    pageStyle->setPropertyValue("Height", Any(width));
  }
}

}  // namespace gs::writer
