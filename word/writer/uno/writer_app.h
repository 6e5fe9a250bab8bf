// WordApp on LibreOffice Writer: the application, its Documents collection
// and its Selection, over one office of its own.
#pragma once

#include <memory>

#include "word/word_app.h"
#include "word/writer/uno/office_connection.h"
#include "word/writer/written_documents.h"

namespace gs::writer {

// The application over a started office. Its documents remember in written
// what they save as document files, and it recalls from there what they
// wrote (written is shared by the applications of one word processor).
std::unique_ptr<WordApp> MakeWriterApp(std::unique_ptr<OfficeConnection> office,
                                       std::shared_ptr<WrittenDocuments> written);

}  // namespace gs::writer
