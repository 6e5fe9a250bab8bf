// libglossmith_writer's one entry point (word_app_posix.cpp loads it).
#include "word/writer/uno/writer_app.h"

// Gives the word processor: each call of the factory starts an office and
// its application; the applications of one factory share the memory of the
// documents they wrote.
extern "C" __attribute__((visibility("default"))) void glossmith_writer_apps(
    const gs::WordAppOptions* options, gs::WordAppFactory* apps) {
  *apps = [options = *options, written = std::make_shared<gs::writer::WrittenDocuments>()] {
    return gs::writer::MakeWriterApp(std::make_unique<gs::writer::OfficeConnection>(options), written);
  };
}
