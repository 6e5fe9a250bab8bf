#include "tools/install/program_folder.h"

#include <filesystem>

#include "archive/bigf.h"
#include "catalog/catalog.h"
#include "common/error.h"
#include "common/fs.h"
#include "common/text.h"

namespace gs {

namespace {

namespace fs = std::filesystem;

constexpr fs::perms kExecutable = fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;

constexpr FileKind kTemplateKinds[] = {FileKind::Front, FileKind::Game, FileKind::Email};

// An existing template archive must hold the three templates, or every
// extract of one kind would fail later.
void CheckTemplateArchive(const std::string& path) {
  const bigf::Reader reader(path);
  for (const FileKind kind : kTemplateKinds) {
    if (reader.GetIndex().Find(TemplateNameOf(kind)) == nullptr) {
      Raise(rt::FileNotFound, "The template archive " + Quoted(path) + " holds no entry " +
                                  Quoted(TemplateNameOf(kind)) +
                                  ". It is kept as it is; move it away to have one built from the game's "
                                  "English tables.");
    }
  }
}

void WriteTemplateArchive(const std::string& path, const EnglishTables& tables) {
  // In name order, letter case aside, as the game's archives are.
  const bigf::NewEntry entries[] = {{TemplateNameOf(FileKind::Email), tables.Email},
                                    {TemplateNameOf(FileKind::Front), tables.Front},
                                    {TemplateNameOf(FileKind::Game), tables.Game}};
  bigf::Create(path, entries);
}

// Adds the execute bits; true when they were missing.
bool MakeExecutable(const std::string& path) {
  std::error_code ec;
  const fs::perms before = fs::status(path, ec).permissions();
  if (ec) RaiseFileError(ec.value(), path);
  if ((before & kExecutable) == kExecutable) return false;
  fs::permissions(path, kExecutable, fs::perm_options::add, ec);
  if (ec) RaiseFileError(ec.value(), path);
  return fs::status(path, ec).permissions() != before;
}

bool SameContent(const std::string& a, const std::string& b) {
  return SameFile(a, b) || ReadWholeFile(a) == ReadWholeFile(b);
}

// Returns true when the folder was created.
bool CreateFolder(const std::string& path) {
  std::error_code ec;
  if (fs::is_directory(path, ec)) return false;
  fs::create_directories(path, ec);
  if (ec) RaiseFileError(ec.value(), path);
  return true;
}

}  // namespace

std::string ToolSourceOf(const std::string& source) {
  const std::string tool = source.empty() ? ExecutableDir() + std::string(kToolName) : source;
  if (!FileExists(tool)) {
    Raise(rt::FileNotFound, "The archive tool " + Quoted(tool) +
                                " is missing: the program's folder gets a copy of the one built beside "
                                "glossmith.");
  }
  return tool;
}

void WriteProgramFolder(const std::string& installDir, const std::string& toolSource,
                        const std::function<EnglishTables()>& english, ExistingFiles existing,
                        const InstallReport& report) {
  using Outcome = InstallNote::Outcome;
  const std::string folder = NativePath("KT\\");
  const std::string tool = folder + std::string(kToolName);
  const std::string templateArchive = TemplateArchivePath(folder);
  const std::string documents = folder + NativePath("Efiles\\");
  const auto at = [&](const std::string& name) { return installDir + name; };
  const bool keep = existing == ExistingFiles::Keep;

  ToolSourceOf(toolSource);
  const bool keepTool = keep && FileExists(at(tool));
  const bool keepTemplate = keep && FileExists(at(templateArchive));
  if (keepTemplate) CheckTemplateArchive(at(templateArchive));
  const EnglishTables tables = keepTemplate ? EnglishTables{} : english();

  const bool newFolder = CreateFolder(at(folder));
  report({newFolder ? Outcome::Written : Outcome::Kept, folder, "the program's folder"});

  if (!keepTool) {
    CopyFile(toolSource, at(tool),
             "The archive tool " + Quoted(toolSource) + " could not be copied to " + Quoted(at(tool)));
    MakeExecutable(at(tool));
    report({Outcome::Written, tool, "the archive tool, a copy of " + toolSource});
  } else if (!SameContent(at(tool), toolSource)) {
    report({Outcome::Warning, tool,
            "the archive tool already there differs from " + toolSource +
                " and is kept; delete it and install again to use that one"});
  } else if (MakeExecutable(at(tool))) {
    report({Outcome::Written, tool, "the archive tool, already there, made executable"});
  } else {
    report({Outcome::Kept, tool, "the archive tool, the same as " + toolSource});
  }

  if (keepTemplate) {
    report({Outcome::Kept, templateArchive, "the English templates, as they were"});
  } else {
    WriteTemplateArchive(at(templateArchive), tables);
    report({Outcome::Written, templateArchive,
            "the English templates, from " + tables.Origin + " (" +
                std::to_string(File(at(templateArchive), File::Mode::Read).Size()) + " bytes)"});
  }

  const bool newDocuments = CreateFolder(at(documents));
  report(
      {newDocuments ? Outcome::Written : Outcome::Kept, documents, "the folder of the kept Word documents"});
}

}  // namespace gs
