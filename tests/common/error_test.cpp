#include "common/error.h"

#include <gtest/gtest.h>

#include <limits>

namespace gs {
namespace {

TEST(Error, RaisedWithoutSourceCarriesProjectName) {
  try {
    Raise(53, "Missing registry key 'Install Dir'");
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), 53);
    EXPECT_EQ(e.Source(), "Glossmith");
    EXPECT_EQ(e.Description(), "Missing registry key 'Install Dir'");
    EXPECT_EQ(e.HelpFile(), "");
    EXPECT_EQ(e.HelpContext(), 0);
  }
}

TEST(Error, RuntimeErrorsKeepClassicNumbersAndTexts) {
  const std::pair<int32_t, const char*> classic[] = {
      {6, "Overflow"},        {9, "Subscript out of range"}, {52, "Bad file name or number"},
      {53, "File not found"}, {55, "File already open"},     {57, "Device I/O error"},
      {61, "Disk full"},      {70, "Permission denied"},     {75, "Path/File access error"},
      {76, "Path not found"},
  };
  for (const auto& [number, text] : classic) {
    try {
      RaiseRuntime(number);
      FAIL();
    } catch (const Error& e) {
      EXPECT_EQ(e.Number(), number);
      EXPECT_EQ(e.Description(), text);
      EXPECT_EQ(e.Source(), "Glossmith");
    }
  }
}

TEST(Error, RuntimeErrorWithDetailNamesIt) {
  try {
    RaiseRuntime(rt::FileNotFound, "kt");
  } catch (const Error& e) {
    EXPECT_EQ(e.Description(), "File not found: kt");
  }
}

TEST(Error, CheckedArithmeticOverflowsAsTheRuntimeDoes) {
  EXPECT_EQ(CheckedAdd(std::numeric_limits<int32_t>::max() - 1, 1), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(CheckedMul(4, 1000), 4000);
  for (auto f :
       {+[] { CheckedAdd(std::numeric_limits<int32_t>::max(), 1); },
        +[] { CheckedAdd(std::numeric_limits<int32_t>::min(), -1); }, +[] { CheckedMul(4, 0x20000000); },
        +[] { CheckedMul(std::numeric_limits<int64_t>::max(), 2); }}) {
    try {
      f();
      FAIL();
    } catch (const Error& e) {
      EXPECT_EQ(e.Number(), 6);
    }
  }
}

}  // namespace
}  // namespace gs
