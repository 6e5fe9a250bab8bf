#include "word/writer/uno/writer_page_setup.h"

#include "word/writer/uno/office_document.h"
#include "word/writer/word_error.h"

namespace gs::writer {

void WriterPageSetup::SetOrientation(int32_t orientation) {
  if (orientation != wd::OrientLandscape) {
    RaiseWordError(wderr::ValueOutOfRange, "orientation " + std::to_string(orientation));
  }
  // A copy of a document file keeps its page formats in the office.
  if (content_.Text() != nullptr && content_.Filter() != kTextFormat) content_.HandToOffice();
  if (TextDocument* text = content_.Text()) return text->SetLandscape(true);
  content_.Office().Call("PageSetup.Orientation", CallLength::Short,
                         [&] { SetLandscape(PageStyleOf(content_.Model()), true); });
}

}  // namespace gs::writer
