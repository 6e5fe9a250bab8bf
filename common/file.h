// Files as scoped handles. A handle closes when it goes out of scope, so an
// error unwinding through a conversion leaves no file open behind it.
// Files are read whole or in large blocks; files a user cares about are
// replaced through AtomicFile, so a failure or a kill leaves the old content
// or the new content whole, never a mix.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace gs {

using Bytes = std::vector<uint8_t>;

class File {
 public:
  enum class Mode { Read, ReadWrite };

  File() = default;
  // Opens an existing file; raises the runtime file error on failure.
  File(const std::string& path, Mode mode);
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  bool IsOpen() const noexcept;
  const std::string& Path() const noexcept { return path_; }
  uint64_t Size() const;

  // Reads up to n bytes at offset; returns how many were read (less only at
  // the end of the file).
  size_t ReadAt(uint64_t offset, void* data, size_t n) const;
  // Reads exactly n bytes at offset; raises error 62 when the file ends first.
  void ReadExactAt(uint64_t offset, void* data, size_t n) const;
  void WriteAt(uint64_t offset, const void* data, size_t n);
  void Truncate(uint64_t size);
  // Flushes the file's data to the disk.
  void Sync();
  void Close();

  // Number of File handles open in this process; the error report's promise
  // that no file stays open is checked through it.
  static int OpenCount() noexcept;

 private:
  friend File AdoptNative(intptr_t handle, std::string path);
  static File Adopt(intptr_t handle, std::string path);

  intptr_t handle_ = -1;
  std::string path_;
};

// Reads a whole file into memory.
Bytes ReadWholeFile(const std::string& path);

// A new version of a file, written beside it under a temporary name and moved
// over it by Commit(). Dropped without Commit(), it removes the temporary file
// and leaves the old file as it was.
class AtomicFile {
 public:
  explicit AtomicFile(std::string path);
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  void Append(const void* data, size_t n);
  void Append(std::span<const uint8_t> data) { Append(data.data(), data.size()); }
  // Overwrites bytes already written (a size field filled in last, say).
  void WriteAt(uint64_t offset, const void* data, size_t n);
  uint64_t Size() const noexcept { return size_; }
  // Makes the new content durable and puts it in place of the old file.
  void Commit();

 private:
  void Flush();

  std::string path_;
  std::string tempPath_;
  File file_;
  std::vector<uint8_t> buffer_;
  uint64_t flushed_ = 0;
  uint64_t size_ = 0;
  bool committed_ = false;
};

// Writes data as the whole new content of path, atomically.
void WriteWholeFile(const std::string& path, std::span<const uint8_t> data);

}  // namespace gs
