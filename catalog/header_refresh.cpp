#include "catalog/header_refresh.h"

#include "catalog/archive_tool.h"
#include "common/error.h"
#include "common/fs.h"

namespace gs {

namespace {

constexpr uint64_t kLengthOffset = 14;

[[noreturn]] void RaiseBadHeaderLength(const std::string& archivePath, const std::string& fault) {
  Raise(rt::UnknownDataFormat, "The archive \"" + archivePath + "\" " + fault + ".");
}

}  // namespace

Bytes ReadArchiveHeader(const std::string& archivePath) {
  const File archive(archivePath, File::Mode::Read);
  uint8_t length[2];
  if (archive.ReadAt(kLengthOffset, length, sizeof length) != sizeof length) {
    RaiseBadHeaderLength(archivePath, "is too short to give its header length");
  }
  // The length is a signed 16-bit number: a high byte of 0x80 or more overflows it.
  if (length[0] >= 0x80) RaiseRuntime(rt::Overflow, archivePath);
  const size_t n = size_t{length[0]} * 256 + length[1];
  if (n == 0) RaiseBadHeaderLength(archivePath, "gives a header length of 0");
  Bytes header(n);
  if (archive.ReadAt(0, header.data(), n) != n) {
    RaiseBadHeaderLength(archivePath, "is shorter than its header length of " + std::to_string(n) + " bytes");
  }
  return header;
}

void RefreshHeaderFile(const CatalogPaths& paths, bool makeBackup) {
  const Bytes header = ReadArchiveHeader(paths.InstallDir + GameArchiveOf(FileKind::Front));
  const std::string headerPath = HeaderFilePath(paths.InstallDir);
  if (makeBackup && FileExists(headerPath)) {
    const std::string backup = headerPath + ".bak";
    CopyFile(headerPath, backup, "The backup \"" + backup + "\" of the header file could not be written");
  }
  WriteWholeFile(headerPath, header);
  const std::string preload = PreloadArchivePath(paths.InstallDir);
  InsertEntry(paths, preload, std::string(kHeaderEntryName), headerPath);
  AfterInsert(paths, preload);
}

}  // namespace gs
