// The game's BIGF archives (".viv" files): reading, creating, and changing
// them so that a kill at any moment leaves every entry whole.
//
// Layout, offsets from the start of the file:
//    0  magic "BIGF" or "BIG4"
//    4  total size of the archive, 32-bit, in either byte order (or 0)
//    8  number of entries, big-endian 32-bit
//   12  header length, big-endian 32-bit (see HeaderLengthRule)
//   16  the index: per entry a big-endian 32-bit offset, a big-endian 32-bit
//       size and the entry's name closed by a zero byte
// then whatever the archive keeps between its index and its data (NUL
// padding, a packer's marker), then the entries' data, wherever their
// offsets point.
//
// Archives made by different tools differ where the layout leaves room; a
// changed archive keeps its own Conventions.
//
// Readable means: the index lies inside the header length, the header length
// inside the file, and every entry's data inside the file. The total-size
// field is not needed for reading: a replacement updates it right after the
// entry's index record, so a kill between the two can leave it stale.
// Finished means, in addition: the total size equals the file's length
// (unless the archive keeps 0 there), no bytes follow the last entry's data,
// and the space no entry uses is small enough not to be worth a rewrite
// (Finish decides; see WorthCompacting).
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

// How the total-size field at offset 4 is stored.
enum class SizeOrder : uint8_t { LittleEndian, BigEndian, Zero };

// What the header-length field at offset 12 counts: the end of the index plus
// Delta, or the first data offset plus Delta. Seen: the end of the index; the
// first data offset; the first data offset minus one.
struct HeaderLengthRule {
  enum class Base : uint8_t { IndexEnd, DataStart };
  Base From = Base::DataStart;
  int64_t Delta = 0;
};

// What an archive's tool chose where the layout leaves room; kept when the
// archive is changed.
struct Conventions {
  std::string Magic = "BIGF";
  SizeOrder TotalSize = SizeOrder::LittleEndian;
  HeaderLengthRule HeaderLength;
  // The bytes between the index and the first data, kept byte for byte; NUL
  // padding of an aligned archive is left out and laid anew.
  Bytes Gap;
  // Every entry's data starts on a multiple of this (a power of two).
  uint32_t Alignment = 1;
};

struct Entry {
  std::string Name;
  uint32_t Offset = 0;
  uint32_t Size = 0;
  uint32_t RecordOffset = 0;  // where the entry's index record lies in the file
};

struct Index {
  Conventions Kept;
  uint32_t TotalSize = 0;  // as read, in the archive's order
  uint32_t HeaderLength = 0;
  uint32_t IndexEnd = 0;   // just past the last name's zero byte
  uint32_t DataStart = 0;  // where the first entry holding data starts
  std::vector<Entry> Entries;

  // The first entry of that name, ASCII letter case aside (the game reads
  // the first of two alike); nullptr if none.
  const Entry* Find(std::string_view name) const;
};

// Parses header and index from a whole archive in memory. Raises error 7777
// naming archivePath for anything that does not follow the layout.
Index ParseIndex(std::span<const uint8_t> archive, std::string_view archivePath);

// An archive opened for reading; only the header and the index are read.
class Reader {
 public:
  explicit Reader(const std::string& path);

  const Index& GetIndex() const noexcept { return index_; }
  const File& GetFile() const noexcept { return file_; }
  // The entry of that name; raises error 53 naming the archive if none.
  const Entry& Get(std::string_view name) const;
  // The entry's bytes as stored.
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
// any file at path, atomically), with the trailer between index and data and
// the header length at the first data offset. Names must be non-empty,
// without zero bytes, and distinct apart from letter case.
void Create(const std::string& path, std::span<const NewEntry> entries, std::string_view magic = "BIGF",
            std::span<const uint8_t> trailer = {});

// Writes one entry as the game reads it into a new file at destinationPath:
// a compressed entry (see refpack.h) decompressed, any other as stored. The
// destination is written under a temporary name and renamed into place, so
// it is never seen half written, and does not appear when the entry fails.
void Extract(const std::string& archivePath, std::string_view entryName, const std::string& destinationPath);

enum class InsertOutcome {
  ReplacedInPlace,  // the data appended, the entry's index record updated
  Rewritten,        // a new entry, or no safe in-place update: a new archive renamed into place
};

// Puts the file at sourcePath, uncompressed, into the archive under
// entryName, replacing the first entry of that name (its stored spelling is
// kept) or adding one. An append that fails is cut off again.
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
