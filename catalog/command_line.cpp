#include "catalog/command_line.h"

namespace gs {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

std::string CommandLineArgument(std::string_view argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string_view::npos) {
    return std::string(argument);
  }
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (const char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes count only before a quote: there they are doubled, and
    // the quote itself gets one more.
    if (c == '"') {
      quoted.append(backslashes * 2 + 1, '\\');
    } else {
      quoted.append(backslashes, '\\');
    }
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, '\\');  // they stand before the closing quote
  quoted += '"';
  return quoted;
}

std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> args;
  size_t i = 0;
  const size_t n = line.size();

  // The program: no escapes; quotes only delimit.
  std::string program;
  if (i < n && line[i] == '"') {
    for (++i; i < n && line[i] != '"'; ++i) program += line[i];
    if (i < n) ++i;
  } else {
    for (; i < n && !IsBlank(line[i]); ++i) program += line[i];
  }
  args.push_back(std::move(program));

  while (true) {
    while (i < n && IsBlank(line[i])) ++i;
    if (i >= n) break;
    std::string arg;
    bool quoted = false;
    size_t backslashes = 0;
    for (; i < n; ++i) {
      const char c = line[i];
      if (c == '\\') {
        ++backslashes;
        continue;
      }
      if (c == '"') {
        arg.append(backslashes / 2, '\\');
        if (backslashes % 2 == 1) {
          arg += '"';
        } else if (quoted && i + 1 < n && line[i + 1] == '"') {
          // "" inside quotes: a literal quote, and the quoted part ends.
          arg += '"';
          ++i;
          quoted = false;
        } else {
          quoted = !quoted;
        }
        backslashes = 0;
        continue;
      }
      arg.append(backslashes, '\\');
      backslashes = 0;
      if (IsBlank(c) && !quoted) break;
      arg += c;
    }
    arg.append(backslashes, '\\');
    args.push_back(std::move(arg));
  }
  return args;
}

}  // namespace gs
