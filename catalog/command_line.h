// Command lines as Windows reads them: one text, split into arguments by
// the rules of CommandLineToArgvW. The tool is started with such a text on
// every platform, so the same line means the same arguments everywhere.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace gs {

// The argument as it goes into a command line: unchanged when it holds no
// blank, tab or double quote (and is not empty), otherwise between double
// quotes, with the backslashes and quotes inside escaped so that splitting
// gives the argument back.
std::string CommandLineArgument(std::string_view argument);

// Splits a command line into its arguments: the first (the program) ends at
// the first blank or, when it begins with a double quote, at the next one;
// the others follow the backslash and double-quote rules.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

}  // namespace gs
