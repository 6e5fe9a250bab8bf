// POSIX: the word processor is LibreOffice Writer, driven by a plugin that
// is loaded at run time so that the program runs without LibreOffice.
#include "common/dynamic_library.h"
#include "common/error.h"
#include "common/fs.h"
#include "word/word_app.h"
#include "tests/word/probe/writer_probe.h"

namespace gs {

namespace {

using CreateFunction = WordApp* (*)(const WordAppOptions*);
using ProbeFunction = writer::WriterProbe* (*)(WordApp*);

// The Writer plugin, loaded once and kept for the rest of the run: the
// objects and errors it makes live on its code.
struct WriterPlugin {
  DynamicLibrary library;
  CreateFunction create = nullptr;
  ProbeFunction probe = nullptr;
  std::string problem;
};

WriterPlugin* LoadWriterPlugin() {
  auto* plugin = new WriterPlugin;
  const std::string name = DynamicLibrary::FileName("glossmith_writer");
  // Beside the program first, as installed, then wherever the system looks.
  if (!plugin->library.Load(ExecutableDir() + name)) {
    const std::string besideProgram = plugin->library.LastError();
    if (!plugin->library.Load(name)) {
      plugin->problem = besideProgram + "; " + plugin->library.LastError();
      return plugin;
    }
  }
  plugin->create = reinterpret_cast<CreateFunction>(plugin->library.Symbol("glossmith_create_writer_app"));
  plugin->probe = reinterpret_cast<ProbeFunction>(plugin->library.Symbol("glossmith_writer_probe"));
  if (plugin->create == nullptr) plugin->problem = name + " has no entry point glossmith_create_writer_app";
  return plugin;
}

WriterPlugin& Plugin() {
  static WriterPlugin* plugin = LoadWriterPlugin();
  return *plugin;
}

}  // namespace

std::unique_ptr<WordApp> CreateWordApp(const WordAppOptions& options) {
  WriterPlugin& plugin = Plugin();
  if (plugin.create == nullptr) {
    RaiseRuntime(rt::CantCreateObject,
                 "LibreOffice Writer (soffice.bin) could not be started: " + plugin.problem);
  }
  return std::unique_ptr<WordApp>(plugin.create(&options));
}

namespace writer {

WriterProbe* ProbeOf(WordApp& app) {
  WriterPlugin& plugin = Plugin();
  return plugin.probe == nullptr ? nullptr : plugin.probe(&app);
}

}  // namespace writer

}  // namespace gs
