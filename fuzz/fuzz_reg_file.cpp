// The hive's text format: any input is read or refused with an error; what
// is read and then written reads back the same, also after a change.
#include <cstdint>
#include <string>
#include <string_view>

#include "common/error.h"
#include "registry/reg_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  gs::RegFile file;
  try {
    file = gs::RegFile::Parse(text, "fuzz.reg");
  } catch (const gs::Error&) {
    return 0;
  }
  const std::string written = file.Serialize();
  if (gs::RegFile::Parse(written, "fuzz.reg").Serialize() != written) __builtin_trap();

  // A change keeps the rest readable and is read back as set.
  const gs::RegValue value{gs::REG_BINARY, gs::Bytes(data, data + (size < 64 ? size : 64))};
  file.CreateKey("Software\\Fuzz\\Key");
  file.SetValue("software\\fuzz\\key", "Value", value);
  file.SetValue("", "Root", gs::RegValue{gs::REG_SZ, gs::Bytes(data, data + (size < 8 ? size : 8))});
  const gs::RegFile changed = gs::RegFile::Parse(file.Serialize(), "fuzz.reg");
  const gs::RegValue* back = changed.FindValue("SOFTWARE\\FUZZ\\KEY", "value");
  if (back == nullptr || !(*back == value)) __builtin_trap();
  return 0;
}
