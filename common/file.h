// Files as scoped handles. A handle closes when it goes out of scope, so an
// error unwinding through a conversion leaves no file open behind it.
// Files are read whole or in large blocks; files a user cares about are
// replaced through AtomicFile, so a failure or a kill leaves the old content
// or the new content whole, never a mix.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace gs {

using Bytes = std::vector<uint8_t>;

// An allocator whose new elements are left uninitialised when a vector grows
// by resize: for large buffers that are filled right after they grow, where
// zeroing them first would only cost time.
template <typename T>
struct UninitializedAllocator : std::allocator<T> {
  template <typename U>
  struct rebind {
    using other = UninitializedAllocator<U>;
  };
  UninitializedAllocator() = default;
  template <typename U>
  UninitializedAllocator(const UninitializedAllocator<U>&) noexcept {}
  template <typename U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

// Bytes read from a file, or about to be.
using FileBytes = std::vector<uint8_t, UninitializedAllocator<uint8_t>>;

// What a replaced file must survive.
enum class Durability {
  // The user's lasting data (game archives, settings, backups, the kept
  // document): flushed to the disk before it takes the old file's place, and
  // the move flushed too, so that a power failure leaves the old content or
  // the new.
  Lasting,
  // A work file of one editing cycle (the text file exchanged with the word
  // processor, the work table), deleted at the cycle's end: moved into place
  // without flushing. A failure or a kill still leaves the old content or
  // the new; after a power failure the cycle is done again.
  Work,
};

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

 private:
  friend File AdoptNative(intptr_t handle, std::string path);
  static File Adopt(intptr_t handle, std::string path);

  intptr_t handle_ = -1;
  std::string path_;
};

// Reads a whole file into memory.
Bytes ReadWholeFile(const std::string& path);
// Reads a whole file into out after room bytes left uninitialised for the
// caller (less of the file when it shrank meanwhile).
void ReadWholeFile(const std::string& path, FileBytes& out, size_t room = 0);

// A new version of a file, written beside it under a temporary name and moved
// over it by Commit(). Dropped without Commit(), it removes the temporary file
// and leaves the old file as it was. A failure or a kill of the process at
// any moment leaves the old content or the new content whole, whatever the
// durability. A symbolic link at path stays: the new version replaces the
// file it leads to. Temporary names are short, whatever the file's name, and
// begin with a dot: ".NAME.HASH~XXXXXX", NAME cut to 16 bytes.
class AtomicFile {
 public:
  explicit AtomicFile(std::string path, Durability durability = Durability::Lasting);
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  void Append(const void* data, size_t n);
  void Append(std::span<const uint8_t> data) { Append(data.data(), data.size()); }
  // Overwrites bytes already written (a size field filled in last, say).
  void WriteAt(uint64_t offset, const void* data, size_t n);
  uint64_t Size() const noexcept { return size_; }
  // Puts the new content in place of the old file; for lasting data, makes
  // it durable first.
  void Commit();

 private:
  void Flush();

  std::string path_;
  std::string tempPath_;
  Durability durability_;
  File file_;
  std::vector<uint8_t> buffer_;
  uint64_t flushed_ = 0;
  uint64_t size_ = 0;
  bool committed_ = false;
};

// Removes the temporary files that writers of path, killed amid a write,
// left behind. Only a writer holding the writers' lock of path may call it:
// the temporary file of a writer still at work would go too.
void RemoveLeftoverTemporaries(const std::string& path);

// A new version of path written by someone who can only be given a file name
// (a library that opens and writes the file itself): write gets a temporary
// name beside path, named as AtomicFile names its own, writes the whole new
// content there, and the file is then moved over path as AtomicFile commits
// (a symbolic link at path stays). When write raises, the temporary file
// goes and path stays as it was.
void WriteFileByName(const std::string& path,
                     const std::function<void(const std::string& temporaryPath)>& write,
                     Durability durability = Durability::Lasting);

// Writes data as the whole new content of path, atomically.
void WriteWholeFile(const std::string& path, std::span<const uint8_t> data,
                    Durability durability = Durability::Lasting);

}  // namespace gs
