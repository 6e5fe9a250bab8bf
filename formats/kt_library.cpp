#include "formats/kt_library.h"

#include "common/error.h"
#include "common/fs.h"

namespace gs {

namespace {
constexpr char kLibraryName[] = "kt";
}

KtLibrary::KtLibrary() {
  const std::string file = DynamicLibrary::FileName(kLibraryName);
  const std::string beside = ExecutableDir();
  if (!beside.empty()) candidates_.push_back(beside + file);
  candidates_.push_back(file);  // the system's own search
}

KtLibrary::KtLibrary(std::vector<std::string> candidates) : candidates_(std::move(candidates)) {}

KtLibrary& KtLibrary::Shared() {
  static KtLibrary shared;
  return shared;
}

KtConvertFn KtLibrary::Bind(const char* exportName, KtConvertFn& slot) {
  if (slot != nullptr) return slot;
  if (!library_.IsLoaded()) {
    for (const auto& candidate : candidates_) {
      if (library_.Load(candidate)) break;
    }
    if (!library_.IsLoaded()) RaiseRuntime(rt::FileNotFound, kLibraryName);
  }
  void* symbol = library_.Symbol(exportName);
  if (symbol == nullptr) {
    Raise(rt::DllEntryPointNotFound,
          std::string("Can't find DLL entry point ") + exportName + " in " + kLibraryName);
  }
  slot = reinterpret_cast<KtConvertFn>(symbol);
  return slot;
}

void KtLibrary::DeCoder(uint8_t* buffer, uint32_t length) {
  Bind("DeCoder", deCoder_)(buffer, length);
}

void KtLibrary::ReCoder(uint8_t* buffer, uint32_t length) {
  Bind("ReCoder", reCoder_)(buffer, length);
}

}  // namespace gs
