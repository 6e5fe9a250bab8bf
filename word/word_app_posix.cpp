// POSIX: the word processor is LibreOffice Writer, driven by a plugin that
// is loaded at run time so that the program runs without LibreOffice.
#include "common/dynamic_library.h"
#include "common/error.h"
#include "common/fs.h"
#include "word/word_app.h"

namespace gs {

namespace {

// The plugin's entry point (writer/uno/plugin.cpp).
using AppsFunction = void (*)(const WordAppOptions*, WordAppFactory*);

// The Writer plugin, loaded once and kept for the rest of the run: the
// objects and errors it makes live on its code.
struct WriterPlugin {
  DynamicLibrary library;
  AppsFunction apps = nullptr;
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
  plugin->apps = reinterpret_cast<AppsFunction>(plugin->library.Symbol("glossmith_writer_apps"));
  if (plugin->apps == nullptr) plugin->problem = name + " has no entry point glossmith_writer_apps";
  return plugin;
}

WriterPlugin& Plugin() {
  static WriterPlugin* plugin = LoadWriterPlugin();
  return *plugin;
}

}  // namespace

WordAppFactory WordApps(const WordAppOptions& options) {
  // The plugin is loaded at the first start, so that a program without
  // LibreOffice runs until it needs the word processor; copies of the
  // factory share its applications' memory.
  auto apps = std::make_shared<WordAppFactory>();
  return [options, apps]() -> std::unique_ptr<WordApp> {
    if (!*apps) {
      WriterPlugin& plugin = Plugin();
      if (plugin.apps == nullptr) {
        RaiseRuntime(rt::CantCreateObject,
                     "LibreOffice Writer (soffice.bin) could not be started: " + plugin.problem);
      }
      plugin.apps(&options, apps.get());
    }
    return (*apps)();
  };
}

}  // namespace gs
