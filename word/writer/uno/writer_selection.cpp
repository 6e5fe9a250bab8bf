#include "word/writer/uno/writer_selection.h"

#include <com/sun/star/beans/XPropertySet.hpp>

#include "word/word_app.h"
#include "word/writer/exported_text.h"
#include "word/writer/flat_odt.h"
#include "word/writer/word_error.h"

namespace gs::writer {

void WriterSelection::WholeStory() {
  if (TextDocument* text = content_.Text()) return text->WholeStory();
  content_.Office().Call("Selection.WholeStory", CallLength::Short, [&] {
    content_.ResetCursor();
    const auto cursor = content_.Cursor();
    cursor->gotoStart(false);
    cursor->gotoEnd(true);
  });
}

void WriterSelection::ConvertToTable(const std::string& separator) {
  TextDocument* text = content_.Text();
  if (text == nullptr) {
    RaiseWordError(wderr::NotAvailable, "ConvertToTable works on documents opened as text");
  }
  text->ConvertToTable(separator);
}

void WriterSelection::Collapse(int32_t direction) {
  if (direction != wd::CollapseStart) {
    RaiseWordError(wderr::ValueOutOfRange, "Collapse direction " + std::to_string(direction));
  }
  if (TextDocument* text = content_.Text()) return text->CollapseToStart();
  content_.Office().Call("Selection.Collapse", CallLength::Short,
                         [&] { content_.Cursor()->collapseToStart(); });
}

int32_t WriterSelection::Information(int32_t type) {
  if (type != wd::EndOfRangeRowNumber) {
    RaiseWordError(wderr::ValueOutOfRange, "Information type " + std::to_string(type));
  }
  if (const TextDocument* text = content_.Text()) return text->EndRowNumber();
  return content_.Office().Call("Selection.Information", CallLength::Short, [&] {
    const auto end = content_.Cursor()->getEnd();
    const Reference<css::beans::XPropertySet> at(end->getText()->createTextCursorByRange(end),
                                                 UNO_QUERY_THROW);
    const Reference<css::beans::XPropertySet> cell(at->getPropertyValue("Cell"), UNO_QUERY);
    OUString name;
    if (cell.is()) cell->getPropertyValue("CellName") >>= name;
    const size_t row = CellRow(ToUtf8(name));
    return row > 0 ? static_cast<int32_t>(row) : -1;
  });
}

void WriterSelection::EndKey(int32_t unit) {
  if (unit != wd::Story) RaiseWordError(wderr::ValueOutOfRange, "EndKey unit " + std::to_string(unit));
  if (TextDocument* text = content_.Text()) return text->EndOfStory();
  content_.Office().Call("Selection.EndKey", CallLength::Short, [&] {
    content_.ResetCursor();
    content_.Cursor()->gotoEnd(false);
  });
}

void WriterSelection::TypeBackspace() {
  if (TextDocument* text = content_.Text()) return text->Backspace();
  content_.Office().Call("Selection.TypeBackspace", CallLength::Short, [&] {
    const auto cursor = content_.Cursor();
    if (cursor->isCollapsed() && !cursor->goLeft(1, true)) return;
    cursor->setString(OUString());
  });
}

void WriterSelection::SetLanguageID(int32_t language) {
  if (!OdfLanguageOf(language))
    RaiseWordError(wderr::ValueOutOfRange, "LanguageID " + std::to_string(language));
  TextDocument* text = content_.Text();
  if (text == nullptr)
    RaiseWordError(wderr::NotAvailable, "LanguageID is set on a table column just converted");
  text->MarkLanguage(language);
}

}  // namespace gs::writer
