// The program's folder "KT" inside a game's folder: the archive tool
// ImpBig.exe, the template archive "template.viv" with the English tables,
// and the folder "Efiles" for the kept Word documents. A generated sample
// game writes it anew each time; an installation into a real game keeps what
// is already there.
#pragma once

#include <functional>
#include <string>

#include "common/file.h"

namespace gs {

// A line of what an installation did to one file, folder or registry value.
struct InstallNote {
  enum class Outcome {
    Written,  // created, copied, built or stored now
    Kept,     // already there, left as it was
    Warning,  // left as it was, but not as Kt06 needs it or not what was asked
  };
  Outcome Result = Outcome::Written;
  std::string Name;  // a path below the game's folder, or a registry value
  std::string What;  // one line
};
using InstallReport = std::function<void(const InstallNote&)>;

// The tables the template archive is built from.
struct EnglishTables {
  Bytes Front;
  Bytes Game;
  Bytes Email;
  std::string Origin;  // where they come from, for the report
};

// What becomes of a file of the program's folder that is already there.
enum class ExistingFiles {
  Replace,  // written anew: a generated game, whose tables change with it
  Keep,     // left as it is: the template archive holds the English tables
            // from before any translation, and the game's own may be
            // translated by now
};

// The archive tool to copy: source, or ImpBig.exe beside the running program
// when source is empty. Raises error 53 when that file is missing.
std::string ToolSourceOf(const std::string& source);

// Makes the program's folder below installDir (which ends with the
// separator) and reports each of its four parts. english is asked for the
// tables only when the template archive is to be written.
//
// With Keep: an archive tool that differs from toolSource stays and is
// reported as a warning; an existing template archive stays, but must hold
// the three English templates (error 53 otherwise). Everything is checked,
// and the tables are gathered, before anything is written; each file is
// written whole under a temporary name and renamed into place.
void WriteProgramFolder(const std::string& installDir, const std::string& toolSource,
                        const std::function<EnglishTables()>& english, ExistingFiles existing,
                        const InstallReport& report);

}  // namespace gs
