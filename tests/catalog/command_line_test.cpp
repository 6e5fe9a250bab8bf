#include "catalog/command_line.h"

#include <gtest/gtest.h>

namespace gs {
namespace {

using Args = std::vector<std::string>;

TEST(CommandLine, SplitsByTheWindowsRules) {
  EXPECT_EQ(SplitCommandLine(R"(p "abc" d e)"), (Args{"p", "abc", "d", "e"}));
  EXPECT_EQ(SplitCommandLine(R"(p a\\b d"e f"g h)"), (Args{"p", R"(a\\b)", "de fg", "h"}));
  EXPECT_EQ(SplitCommandLine(R"(p a\\\"b c d)"), (Args{"p", R"(a\"b)", "c", "d"}));
  EXPECT_EQ(SplitCommandLine(R"(p a\\\\"b c" d e)"), (Args{"p", R"(a\\b c)", "d", "e"}));
  // Two quotes inside quotes give one and end the quoted part.
  EXPECT_EQ(SplitCommandLine(R"(p a"b"" c d)"), (Args{"p", R"(ab")", "c", "d"}));
  EXPECT_EQ(SplitCommandLine(R"(p """a b""")"), (Args{"p", R"("a)", R"(b")"}));
  EXPECT_EQ(SplitCommandLine("p \"\" \t x  "), (Args{"p", "", "x"}));
  EXPECT_EQ(SplitCommandLine(R"(p "unclosed \" x)"), (Args{"p", R"(unclosed " x)"}));
  EXPECT_EQ(SplitCommandLine(""), (Args{""}));
}

TEST(CommandLine, TheProgramPartTakesNoEscapes) {
  EXPECT_EQ(SplitCommandLine(R"(C:\Game\KT\ImpBig.exe /r C:\Game\fe\local.viv)"),
            (Args{R"(C:\Game\KT\ImpBig.exe)", "/r", R"(C:\Game\fe\local.viv)"}));
  EXPECT_EQ(SplitCommandLine(R"("C:\Program Files\KT\"ImpBig.exe /r)"),
            (Args{R"(C:\Program Files\KT\)", "ImpBig.exe", "/r"}));
  EXPECT_EQ(SplitCommandLine(R"(C:\Program Files\KT\ImpBig.exe)"),
            (Args{R"(C:\Program)", R"(Files\KT\ImpBig.exe)"}));
}

TEST(CommandLine, ArgumentsWithoutBlanksGoInAsTheyAre) {
  EXPECT_EQ(CommandLineArgument(R"(C:\Game\fe\local.viv)"), R"(C:\Game\fe\local.viv)");
  EXPECT_EQ(CommandLineArgument("/tmp/x/FrontFrench.bin"), "/tmp/x/FrontFrench.bin");
  EXPECT_EQ(CommandLineArgument(R"(C:\Program Files\Game\fe\local.viv)"),
            R"("C:\Program Files\Game\fe\local.viv")");
}

TEST(CommandLine, EveryArgumentSurvivesTheRoundTrip) {
  const Args tricky = {"",          "a b",    R"(a\)",       R"(a b\)", R"(a"b)", R"(\")",
                       "tab\there", R"(x\\)", R"("quoted")", R"(\\"\)", "  ",     R"(C:\Program Files\)"};
  for (const std::string& arg : tricky) {
    const std::string line = R"("C:\Program Files\ImpBig.exe" )" + CommandLineArgument(arg) + " next";
    EXPECT_EQ(SplitCommandLine(line), (Args{R"(C:\Program Files\ImpBig.exe)", arg, "next"})) << line;
  }
}

}  // namespace
}  // namespace gs
