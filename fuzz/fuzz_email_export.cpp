// The e-mail data export on two arbitrary files; whatever it writes must
// import again, when it is UTF-8 text as a word processor saves it, into a
// file that reads back with the same records.
#include "formats/email_data.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace gs;
  if (size < 2) return 0;
  const char* name = "emaildataFrench.dta";
  const auto files = fuzz::TwoFiles(std::span(data, size));
  const std::span<const uint8_t> work = files.first, english = files.second;
  const FieldCodec codec(name, fuzz::Kt());
  fuzz::Tolerating([&] {
    const EmailData englishData = ReadEmailData(english, name, codec);
    EmailData workData = ReadEmailData(work, name, codec);
    CheckEmailTwins(workData, englishData, name);
    TextSink sink;
    EmailText(workData, englishData, codec, sink);
    const Bytes& text = sink.Buffer();
    // A word processor saves UTF-8 only, and the import refuses anything else.
    if (!fuzz::IsUtf8(text)) return;
    fuzz::Succeeding(
        [&] {
          const Bytes file = EmailDataFromText(workData.Records, fuzz::WithByteOrderMark(text), "t", codec);
          const EmailData again = ReadEmailData(file, name, codec);
          fuzz::Expect(again.Records.size() == workData.Records.size(), "the record count");
          for (size_t r = 0; r < again.Records.size(); ++r) {
            fuzz::Expect(again.Records[r].Values == workData.Records[r].Values, "the Values");
            fuzz::Expect(again.Records[r].Tag == workData.Records[r].Tag, "the Tag");
          }
        },
        "an exported text imports");
  });
  return 0;
}
