// The e-mail data import of an arbitrary text into sample records.
#include "formats/email_data.h"
#include "fuzz_support.h"
#include "tools/sample/sample_tables.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace gs;
  if (size < 2) return 0;
  const char* name = "emaildataFrench.dta";
  const FieldCodec codec(name, fuzz::Kt());
  const Bytes sample = MakeEmailData("French(Russian)", data[0] % 8, data[1]);
  EmailData records = ReadEmailData(sample, name, codec);
  fuzz::Tolerating([&] {
    const Bytes file = EmailDataFromText(records.Records, std::span(data + 2, size - 2), "t", codec);
    fuzz::Succeeding(
        [&] {
          const EmailData again = ReadEmailData(file, name, codec);
          fuzz::Expect(again.Records.size() == records.Records.size(), "the record count");
        },
        "an imported file reads back");
  });
  return 0;
}
