#include "common/file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "common/error.h"
#include "common/file_native.h"
#include "common/fs.h"
#include "common/memory.h"

namespace gs {

namespace {
constexpr size_t kBlock = 1 << 20;
}

void File::ReadExactAt(uint64_t offset, void* data, size_t n) const {
  if (ReadAt(offset, data, n) != n) RaiseRuntime(rt::InputPastEndOfFile, path_);
}

namespace {

template <typename Buffer>
void ReadWholeFileAfter(const std::string& path, Buffer& out, size_t room) {
  File f(path, File::Mode::Read);
  const auto size = static_cast<size_t>(f.Size());
  out.clear();
  ReserveLarge(out, room + size);
  out.resize(room + size);
  const size_t got = f.ReadAt(0, out.data() + room, size);
  out.resize(room + got);  // a file that shrank meanwhile: keep what is there
}

}  // namespace

Bytes ReadWholeFile(const std::string& path) {
  Bytes data;
  ReadWholeFileAfter(path, data, 0);
  return data;
}

void ReadWholeFile(const std::string& path, FileBytes& out, size_t room) {
  ReadWholeFileAfter(path, out, room);
}

std::string TemporaryPrefixOf(const std::string& path) {
  const std::string folder = DirectoryOf(path);
  const std::string_view name = std::string_view(path).substr(folder.size());
  uint32_t hash = 2166136261u;  // FNV-1a
  for (const char c : name) hash = (hash ^ static_cast<uint8_t>(c)) * 16777619u;
  char tag[16];
  std::snprintf(tag, sizeof tag, ".%08x~", static_cast<unsigned>(hash));
  return folder + "." + std::string(name.substr(0, 16)) + tag;
}

void RemoveLeftoverTemporaries(const std::string& path) {
  RemoveFilesStartingWith(TemporaryPrefixOf(WriteTargetOf(path)));
}

AtomicFile::AtomicFile(std::string path, Durability durability)
    : path_(WriteTargetOf(path)), durability_(durability) {
  file_ = CreateTempBeside(path_, tempPath_);
  buffer_.reserve(kBlock);
}

AtomicFile::~AtomicFile() {
  if (!committed_) {
    file_ = File();
    RemoveQuietly(tempPath_);
  }
}

void AtomicFile::Flush() {
  if (buffer_.empty()) return;
  file_.WriteAt(flushed_, buffer_.data(), buffer_.size());
  flushed_ += buffer_.size();
  buffer_.clear();
}

void AtomicFile::Append(const void* data, size_t n) {
  const auto* p = static_cast<const uint8_t*>(data);
  if (buffer_.size() + n > kBlock) Flush();
  if (n >= kBlock) {
    file_.WriteAt(flushed_, p, n);
    flushed_ += n;
  } else {
    buffer_.insert(buffer_.end(), p, p + n);
  }
  size_ += n;
}

void AtomicFile::WriteAt(uint64_t offset, const void* data, size_t n) {
  if (offset + n > size_) RaiseRuntime(rt::BadFileMode, tempPath_);
  const auto* p = static_cast<const uint8_t*>(data);
  // The part already on disk is written there, the rest patched in the buffer.
  if (offset < flushed_) {
    const size_t onDisk = static_cast<size_t>(std::min<uint64_t>(n, flushed_ - offset));
    file_.WriteAt(offset, p, onDisk);
    p += onDisk;
    offset += onDisk;
    n -= onDisk;
  }
  if (n > 0) std::memcpy(buffer_.data() + (offset - flushed_), p, n);
}

void AtomicFile::Commit() {
  Flush();
  if (durability_ == Durability::Lasting) file_.Sync();
  file_.Close();
  ReplaceFile(tempPath_, path_, durability_);
  committed_ = true;
}

void WriteFileByName(const std::string& path, const std::function<void(const std::string&)>& write,
                     Durability durability) {
  const std::string target = WriteTargetOf(path);
  std::string temp;
  CreateTempBeside(target, temp).Close();
  try {
    write(temp);
    if (durability == Durability::Lasting) File(temp, File::Mode::ReadWrite).Sync();
    ReplaceFile(temp, target, durability);
  } catch (...) {
    RemoveQuietly(temp);
    throw;
  }
}

void CopyFile(const std::string& source, const std::string& destination, std::string_view what) {
  try {
    CopyFileOver(source, destination);
  } catch (const Error& e) {
    if (what.empty()) throw;
    Raise(e.Number(), std::string(what) + ": " + e.Description());
  }
}

void WriteWholeFile(const std::string& path, std::span<const uint8_t> data, Durability durability) {
  AtomicFile out(path, durability);
  out.Append(data);
  out.Commit();
}

}  // namespace gs
