#include "tools/sample/sample_game.h"

#include <algorithm>
#include <filesystem>

#include "archive/bigf.h"
#include "catalog/catalog.h"
#include "catalog/header_refresh.h"
#include "common/error.h"
#include "common/fs.h"
#include "common/text.h"
#include "tools/install/program_folder.h"
#include "tools/sample/sample_random.h"

namespace gs {

namespace {

namespace fs = std::filesystem;

// What the sample game's archives carry between their index and their data,
// as the game's archives may: the header file then holds it too.
constexpr uint8_t kTrailer[8] = {'G', 'S', 'S', 'A', 'M', 'P', 'L', 'E'};

// An entry of an archive being built, owning its bytes.
struct Content {
  std::string Name;
  Bytes Data;
};

Bytes TextBytes(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

// Bytes standing in for the game's other files (images, tuning data).
Bytes Filler(size_t size, uint32_t seed, uint64_t salt) {
  sample::Random random(uint64_t{seed} << 32 ^ salt);
  Bytes data(size);
  for (uint8_t& b : data) b = static_cast<uint8_t>(random.Next() >> 56);
  return data;
}

// Writes an archive whose index is in name order, letter case aside, as a
// lookup by halving would want it; returns the line of the report.
std::string WriteArchive(const std::string& path, std::vector<Content> contents, const std::string& holds,
                         std::span<const uint8_t> trailer) {
  std::sort(contents.begin(), contents.end(),
            [](const Content& a, const Content& b) { return LessIgnoringAsciiCase(a.Name, b.Name); });
  std::vector<bigf::NewEntry> entries;
  entries.reserve(contents.size());
  for (const Content& c : contents) entries.push_back({c.Name, c.Data});
  bigf::Create(path, entries, "BIGF", trailer);
  return "archive of " + std::to_string(File(path, File::Mode::Read).Size()) + " bytes, " +
         std::to_string(entries.size()) + " entries: " + holds;
}

std::string WithSeparator(const std::string& folder) {
  if (folder.empty()) return std::string(1, '.') + kPathSeparator;
  return folder.back() == kPathSeparator ? folder : folder + kPathSeparator;
}

void CreateFolder(const std::string& path) {
  std::error_code ec;
  fs::create_directories(path, ec);
  if (ec) RaiseFileError(ec.value(), path);
}

// Refuses a folder that a sample game must not be written into; see
// WriteSampleGame.
void CheckFolder(const std::string& installDir, const std::vector<std::string>& gameFiles, bool force) {
  std::error_code ec;
  const fs::file_status status = fs::status(installDir, ec);
  if (!fs::exists(status)) return;
  if (!fs::is_directory(status)) {
    Raise(rt::PathFileAccessError, Quoted(installDir) + " is not a folder.");
  }
  if (FileExists(installDir + std::string(kSampleGameMark))) return;
  const fs::directory_iterator listing(installDir, ec);
  if (ec) RaiseFileError(ec.value(), installDir);
  if (listing == fs::directory_iterator()) return;
  for (const std::string& name : gameFiles) {
    if (fs::exists(fs::symlink_status(installDir + name, ec))) {
      Raise(rt::FileAlreadyExists, "The folder \"" + installDir + "\" holds " + name +
                                       " and no sample game: a sample game is never written over a game.");
    }
  }
  if (!force) {
    Raise(rt::FileAlreadyExists, "The folder \"" + installDir +
                                     "\" is not empty and holds no sample game; a sample game goes beside "
                                     "other files only when forced (glossmith sample-game --force).");
  }
}

std::string MarkText(const SampleSizes& sizes) {
  return "A sample installation of NHL06, written by glossmith sample-game: string tables of " +
         std::to_string(sizes.Entries) + " entries, e-mail data of " + std::to_string(sizes.Records) +
         " records, seed " + std::to_string(sizes.Seed) +
         ".\r\nIts texts are made up. Another sample game may be written over it.\r\n";
}

}  // namespace

std::vector<SampleGameFile> WriteSampleGame(const std::string& folder, const SampleGameOptions& options) {
  const std::string installDir = WithSeparator(folder);
  const std::string localArchive = GameArchiveOf(FileKind::Front);
  const std::string emailArchive = GameArchiveOf(FileKind::Email);
  const std::string preloadArchive = PreloadArchivePath("");
  const std::string headerFile = HeaderFilePath("");
  const std::string programFolder = NativePath("KT\\");
  const std::string tool = programFolder + std::string(kToolName);
  const std::string templateArchive = TemplateArchivePath(programFolder);

  const std::string toolSource = ToolSourceOf(options.ToolSource);
  CheckFolder(installDir, {localArchive, emailArchive, preloadArchive, headerFile, tool, templateArchive},
              options.Force);

  for (const std::string& sub : {NativePath("fe"), NativePath("db"), NativePath("preload")}) {
    CreateFolder(installDir + sub);
  }
  const SampleSizes& sizes = options.Sizes;
  // The mark comes first, so that a folder left half written can be written again.
  WriteWholeFile(installDir + std::string(kSampleGameMark), TextBytes(MarkText(sizes)));

  std::vector<SampleGameFile> report;
  const auto path = [&](const std::string& name) { return installDir + name; };
  Bytes englishFront;
  Bytes englishGame;
  Bytes englishEmail;

  {
    std::vector<Content> contents;
    std::string langList = "; the languages of the front end and their tables\r\n";
    for (const FileKind kind : {FileKind::Front, FileKind::Game}) {
      for (const std::string_view language : kLanguages) {
        const std::string name = CurrentFileName(kFileTypes[static_cast<size_t>(kind)], language);
        Bytes table = MakeStringTable(kind, language, sizes.Entries, sizes.Seed);
        if (language == "English") (kind == FileKind::Front ? englishFront : englishGame) = table;
        contents.push_back({name, std::move(table)});
        langList += "LANG \"" + std::string(language) + "\" " + name + "\r\n";
      }
    }
    contents.push_back({"langlist.cfg", TextBytes(langList)});
    contents.push_back({"flags.fsh", Filler(6144, sizes.Seed, 1)});
    contents.push_back({"fonts.cfg", TextBytes("FONT 0 \"Arial\" 12\r\nFONT 1 \"Arial\" 16 BOLD\r\n")});
    report.push_back({localArchive, WriteArchive(path(localArchive), std::move(contents),
                                                 "the Front and Game tables of every language", kTrailer)});
  }

  // The header copies must be the whole header: its length has to fit the
  // 15 bits that the header file refresh reads.
  const Bytes header = ReadArchiveHeader(path(localArchive));
  if (bigf::Reader(path(localArchive)).GetIndex().HeaderLength != header.size()) {
    RaiseRuntime(rt::Overflow, path(localArchive));
  }
  WriteWholeFile(path(headerFile), header);
  report.push_back({headerFile, "the header of " + localArchive + ", its first " +
                                    std::to_string(header.size()) + " bytes"});

  {
    std::vector<Content> contents;
    for (const std::string_view language : kLanguages) {
      Bytes data = MakeEmailData(language, sizes.Records, sizes.Seed);
      if (language == "English") englishEmail = data;
      contents.push_back({CurrentFileName("E-Mail", language), std::move(data)});
    }
    contents.push_back({"attrib.dat", Filler(32768, sizes.Seed, 2)});
    contents.push_back({"gameplay.ini", TextBytes("[Gameplay]\r\nPeriodLength=20\r\nPenalties=1\r\n")});
    contents.push_back({"schedule.dat", Filler(12000, sizes.Seed, 3)});
    report.push_back({emailArchive, WriteArchive(path(emailArchive), std::move(contents),
                                                 "the e-mail data of every language", kTrailer)});
  }

  {
    std::vector<Content> contents;
    contents.push_back({std::string(kHeaderEntryName), header});
    contents.push_back({"loading.fsh", Filler(20000, sizes.Seed, 4)});
    contents.push_back({"startup.cfg", TextBytes("PRELOAD local.bh\r\nPRELOAD loading.fsh\r\n")});
    report.push_back({preloadArchive, WriteArchive(path(preloadArchive), std::move(contents),
                                                   std::string(kHeaderEntryName) + " among them", {})});
  }

  WriteProgramFolder(
      installDir, toolSource,
      [&] {
        return EnglishTables{std::move(englishFront), std::move(englishGame), std::move(englishEmail),
                             "the sample's English tables"};
      },
      ExistingFiles::Replace,
      [&](const InstallNote& note) {
        report.push_back({note.Name, note.What});
      });
  report.push_back({std::string(kSampleGameMark), "the mark of a sample game"});
  return report;
}

}  // namespace gs
