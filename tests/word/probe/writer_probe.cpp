// Loads the tests' Writer plugin beside the test program.
#include "tests/word/probe/writer_probe.h"

#include <stdexcept>

#include "common/dynamic_library.h"
#include "common/fs.h"

namespace gs::testing {

namespace {

struct ProbePlugin {
  DynamicLibrary library;
  void (*apps)(const WordAppOptions*, std::shared_ptr<void>*, WordAppFactory*) = nullptr;
  WriterProbe* (*probe)(WordApp*) = nullptr;
};

ProbePlugin& Plugin() {
  static ProbePlugin* plugin = [] {
    auto* p = new ProbePlugin;
    if (!p->library.Load(ExecutableDir() + DynamicLibrary::FileName("glossmith_writer_probe"))) {
      throw std::runtime_error("the tests' Writer plugin does not load: " + p->library.LastError());
    }
    p->apps = reinterpret_cast<decltype(p->apps)>(p->library.Symbol("glossmith_probed_writer_apps"));
    p->probe = reinterpret_cast<decltype(p->probe)>(p->library.Symbol("glossmith_writer_probe"));
    if (p->apps == nullptr || p->probe == nullptr) {
      throw std::runtime_error("the tests' Writer plugin lacks its entry points");
    }
    return p;
  }();
  return *plugin;
}

}  // namespace

ProbedWriter::ProbedWriter() = default;

WordAppFactory ProbedWriter::Apps(const WordAppOptions& options) {
  WordAppFactory apps;
  Plugin().apps(&options, &written_, &apps);
  return apps;
}

WriterProbe* ProbeOf(WordApp& app) {
  return Plugin().probe(&app);
}

}  // namespace gs::testing
