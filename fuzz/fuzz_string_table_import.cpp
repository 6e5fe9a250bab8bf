// The string table import of an arbitrary text under a sample header block.
#include "formats/string_table.h"
#include "fuzz_support.h"
#include "tools/sample/sample_tables.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace gs;
  if (size < 2) return 0;
  const bool game = data[0] & 1;
  const int entries = 1 + data[1] % 16;
  const char* name = game ? "GameFrench.bin" : "FrontFrench.bin";
  const Bytes english = MakeStringTable(game ? FileKind::Game : FileKind::Front, "English", entries, 7);
  const std::span<const uint8_t> headerBlock(english.data(), 16 + 4 * static_cast<size_t>(entries));
  fuzz::Tolerating([&] {
    const Bytes table =
        StringTableFromText(headerBlock, std::span(data + 2, size - 2), "t", FieldCodec(name, fuzz::Kt()));
    const StringTable read(table, name);
    for (int32_t i = 0; i < read.Count(); ++i) {
      const int32_t offset = read.OffsetOf(i);
      fuzz::Expect(
          offset >= static_cast<int32_t>(headerBlock.size()) && static_cast<size_t>(offset) < table.size(),
          "offsets inside the string area");
      fuzz::Expect(i == 0 || table[static_cast<size_t>(offset) - 1] == 0, "strings back to back");
    }
  });
  return 0;
}
