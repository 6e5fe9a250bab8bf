// A complete sample installation of the game, to try Kt06 and glossmith on
// without the game: the archives with the sample tables of every type and
// language, the header file and its copy in the preload archive, and the
// program's folder "KT" with the archive tool, the template archive and the
// folder "Efiles". The same sizes and seed give the same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tools/sample/sample_tables.h"

namespace gs {

// The file at the top of every sample game. A folder holding it may be
// written over by another sample game.
inline constexpr std::string_view kSampleGameMark = "glossmith-sample-game.txt";

struct SampleGameOptions {
  SampleSizes Sizes;
  // The archive tool copied into the program's folder; empty for the
  // ImpBig.exe beside the running program.
  std::string ToolSource;
  // Write into a folder that holds other things, as long as none of them is
  // a file of the game.
  bool Force = false;
};

struct SampleGameFile {
  std::string Name;  // below the installation folder, in the platform's form
  std::string What;  // one line saying what it holds
};

// Writes a sample game into folder (created when missing) and returns what
// it wrote, in the order of a listing. Refuses (error 58, nothing written)
// a folder that holds a file of the game and no sample game, and without
// Force any other non-empty folder that is not a sample game. Raises error
// 53 when the tool to copy is missing. Every file is replaced whole; files
// of an earlier sample game that this one does not write stay.
//
// The tables of one archive are in memory together while it is written.
std::vector<SampleGameFile> WriteSampleGame(const std::string& folder, const SampleGameOptions& options);

}  // namespace gs
