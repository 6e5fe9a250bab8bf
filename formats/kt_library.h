// The binding of the transcoding library kt: loaded by name at the first call
// of either operation and kept loaded for the rest of the run. Each export is
// bound at its own first call.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/dynamic_library.h"
#include "kt/kt.h"

namespace gs {

class KtLibrary {
 public:
  // Looks for the library beside the running executable first, then where
  // the system looks for libraries.
  KtLibrary();
  // Looks only at the given library files, in order (tests).
  explicit KtLibrary(std::vector<std::string> candidates);

  // Stored form to edit form, in place. Raises error 53 when the library
  // cannot be loaded and error 453 when it lacks the export.
  void DeCoder(uint8_t* buffer, uint32_t length);
  // Edit form to stored form, in place; fails like DeCoder.
  void ReCoder(uint8_t* buffer, uint32_t length);

  // The binding the program shares for its whole run.
  static KtLibrary& Shared();

 private:
  KtConvertFn Bind(const char* exportName, KtConvertFn& slot);

  std::vector<std::string> candidates_;
  DynamicLibrary library_;
  KtConvertFn deCoder_ = nullptr;
  KtConvertFn reCoder_ = nullptr;
};

}  // namespace gs
