// The string table export on two arbitrary tables; whatever it writes must
// import again, when it is UTF-8 text as a word processor saves it.
#include <algorithm>

#include "formats/string_table.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace gs;
  if (size < 3) return 0;
  const char* name = data[0] & 1 ? "GameFrench.bin" : "FrontFrench.bin";
  const auto files = fuzz::TwoFiles(std::span(data + 1, size - 1));
  const std::span<const uint8_t> work = files.first, english = files.second;
  const FieldCodec codec(name, fuzz::Kt());
  fuzz::Tolerating([&] {
    const StringTable workTable(work, name);
    const StringTable englishTable(english, name);
    TextSink sink;
    StringTableText(workTable, englishTable, codec, sink);
    const Bytes& text = sink.Buffer();
    const auto lines = static_cast<size_t>(englishTable.Count());
    fuzz::Expect(static_cast<size_t>(std::count(text.begin(), text.end(), 0x00)) == lines,
                 "one separator a line");
    fuzz::Expect(static_cast<size_t>(std::count(text.begin(), text.end(), 0x0A)) == lines,
                 "one line per entry");
    // A word processor saves UTF-8 only, and the import refuses anything else.
    if (!fuzz::IsUtf8(text)) return;
    fuzz::Succeeding(
        [&] {
          const Bytes table =
              StringTableFromText(englishTable.HeaderBlock(), fuzz::WithByteOrderMark(text), "t", codec);
          fuzz::Expect(StringTable(table, name).Count() == englishTable.Count(), "the English count");
        },
        "an exported text imports");
  });
  return 0;
}
