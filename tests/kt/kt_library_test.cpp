#include "formats/kt_library.h"

#include <gtest/gtest.h>

#include "common/error.h"
#include "common/fs.h"

namespace gs {
namespace {

TEST(KtLibrary, FindsTheLibraryBesideTheExecutable) {
  KtLibrary kt;
  uint8_t text[] = {0xC3, 0x80, 'a'};
  kt.DeCoder(text, 3);
  EXPECT_EQ(text[0], 0xD0);
  EXPECT_EQ(text[1], 0x90);
  kt.ReCoder(text, 3);
  EXPECT_EQ(text[0], 0xC3);
  EXPECT_EQ(text[1], 0x80);
}

TEST(KtLibrary, MissingLibraryIsFileNotFound) {
  KtLibrary kt({ExecutableDir() + DynamicLibrary::FileName("no-such-kt")});
  uint8_t b[2] = {0xC3, 0x80};
  try {
    kt.DeCoder(b, 2);
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), 53);
    EXPECT_EQ(e.Description(), "File not found: kt");
    EXPECT_EQ(e.Source(), "Glossmith");
  }
  EXPECT_EQ(b[0], 0xC3);
}

TEST(KtLibrary, MissingExportIsEntryPointError) {
  // A library that loads but has neither export.
  KtLibrary kt({ExecutableDir() + DynamicLibrary::FileName("kt_decoy")});
  uint8_t b[1] = {0};
  for (auto [call, name] :
       {std::pair{&KtLibrary::DeCoder, "DeCoder"}, std::pair{&KtLibrary::ReCoder, "ReCoder"}}) {
    try {
      (kt.*call)(b, 1);
      FAIL();
    } catch (const Error& e) {
      EXPECT_EQ(e.Number(), 453);
      EXPECT_EQ(e.Description(), std::string("Can't find DLL entry point ") + name + " in kt");
    }
  }
}

}  // namespace
}  // namespace gs
