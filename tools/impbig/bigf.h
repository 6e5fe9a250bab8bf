// The game's BIGF archives (".viv" files): reading, creating, and changing
// them so that a kill at any moment leaves every entry whole.
//
// Layout, offsets from the start of the file:
//    0  magic "BIGF" or "BIG4"
//    4  total size of the archive, little-endian 32-bit
//    8  number of entries, big-endian 32-bit
//   12  header length, big-endian 32-bit: the header, the index and whatever
//       follows the index inside that length (an 8-byte footer, say), which
//       is kept as found
//   16  the index: per entry a big-endian 32-bit offset, a big-endian 32-bit
//       size and the entry's name closed by a zero byte
// then the entries' data, wherever their offsets point.
//
// Readable means: the index lies inside the header length, the header length
// inside the file, and every entry's data inside the file. The total-size
// field is not needed for reading: a replacement updates it right after the
// entry's index record, so a kill between the two can leave it stale.
// Finished means, in addition: the total size equals the file's length, no
// bytes follow the last entry's data, and the space no entry uses is small
// enough not to be worth a rewrite (Finish decides; see WorthCompacting).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/file.h"

namespace gs::bigf {

inline constexpr size_t kHeaderSize = 16;
// Offsets and sizes are 32-bit: no archive can grow past this.
inline constexpr uint64_t kMaxArchiveSize = 0xFFFFFFFFu;

struct Entry {
  std::string Name;
  uint32_t Offset = 0;
  uint32_t Size = 0;
  uint32_t RecordOffset = 0;  // where the entry's index record lies in the file
};

struct Index {
  std::string Magic;  // "BIGF" or "BIG4"
  uint32_t TotalSize = 0;
  uint32_t HeaderLength = 0;
  std::vector<Entry> Entries;
  Bytes Trailer;  // the bytes between the index and the header length

  // The first entry of that name, ASCII letter case ignored; nullptr if none.
  const Entry* Find(std::string_view name) const;
};

// True when the names are equal apart from ASCII letter case.
bool SameName(std::string_view a, std::string_view b);

// Parses header and index from the first bytes of an archive that is
// fileSize bytes long. Raises error 7777 naming archivePath for anything that
// does not follow the layout.
Index ParseIndex(std::span<const uint8_t> head, uint64_t fileSize, std::string_view archivePath);

// An archive opened for reading; only the header and the index are read.
class Reader {
 public:
  explicit Reader(const std::string& path);

  const Index& GetIndex() const noexcept { return index_; }
  const File& GetFile() const noexcept { return file_; }
  // The entry of that name; raises error 53 naming the archive if none.
  const Entry& Get(std::string_view name) const;
  Bytes Read(const Entry& entry) const;

 private:
  File file_;
  Index index_;
};

// An entry of a new archive. The bytes must outlive the call.
struct NewEntry {
  std::string Name;
  std::span<const uint8_t> Data;
};

// Writes a new archive holding the entries in the given order (replacing
// any file at path, atomically), with the trailer between index and data.
// Names must be non-empty, without zero bytes, and distinct apart from
// letter case.
void Create(const std::string& path, std::span<const NewEntry> entries, std::string_view magic = "BIGF",
            std::span<const uint8_t> trailer = {});

// Copies one entry into a new file at destinationPath, reading only that
// entry. The destination is written under a temporary name and renamed into
// place, so it is never seen half written.
void Extract(const std::string& archivePath, std::string_view entryName, const std::string& destinationPath);

enum class InsertOutcome {
  ReplacedInPlace,  // the data appended, the entry's index record updated
  Rewritten,        // a new entry, or no safe in-place update: a new archive renamed into place
};

// Puts the file at sourcePath into the archive under entryName, replacing
// the entry of that name (its stored spelling is kept) or adding one.
InsertOutcome Insert(const std::string& archivePath, std::string_view entryName,
                     const std::string& sourcePath);

enum class FinishOutcome {
  Unchanged,
  Updated,    // trailing dead bytes cut off and/or the total size set
  Compacted,  // rewritten without dead space
};

// Brings the archive to its finished state (see above).
FinishOutcome Finish(const std::string& archivePath);

// Whether removing `dead` unused bytes from an archive whose entries need
// `live` bytes is worth rewriting it: always for small archives, otherwise
// once a quarter of the live size is dead, so that rewrites cost at most a
// few times the data appended meanwhile.
bool WorthCompacting(uint64_t dead, uint64_t live);

}  // namespace gs::bigf
