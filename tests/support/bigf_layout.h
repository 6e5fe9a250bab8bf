// An archive reader and writer for the tests, written from the published
// BIGF layout alone, so that it checks the archive tool instead of sharing
// its mistakes.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace gs::test {

struct LayoutEntry {
  std::string name;
  std::vector<uint8_t> data;  // left empty when read without data
  uint32_t offset = 0;
  uint32_t size = 0;
  uint64_t digest = 0;  // Digest of the entry's bytes
};

struct LayoutArchive {
  std::string magic;
  uint32_t totalSize = 0;    // the field read little-endian
  uint32_t totalSizeBE = 0;  // and read big-endian
  uint32_t headerLength = 0;
  uint64_t fileSize = 0;
  std::vector<uint8_t> trailer;  // header bytes after the index
  uint32_t indexEnd = 0;
  uint64_t firstData = 0;    // the lowest offset of an entry holding data (else the file's size)
  std::vector<uint8_t> gap;  // the bytes from the index's end to firstData
  std::vector<LayoutEntry> entries;
};

// Reads every entry of the archive at path; throws std::runtime_error when
// the file breaks the layout. Without data, the entries' bytes are only
// digested, block by block.
LayoutArchive ReadLayout(const std::string& path, bool withData = true);

// The entries of the archive at path by name, with their bytes.
std::map<std::string, std::vector<uint8_t>> EntriesOf(const std::string& archivePath);

// A 64-bit digest of bytes (FNV-1a over 8-byte words).
uint64_t Digest(const uint8_t* data, size_t size);
inline uint64_t Digest(const std::vector<uint8_t>& data) {
  return Digest(data.data(), data.size());
}

// The bytes of an archive holding the entries in order, their data packed
// after the header (the entries' offsets are ignored).
std::vector<uint8_t> BuildLayout(const std::string& magic, const std::vector<LayoutEntry>& entries,
                                 const std::vector<uint8_t>& trailer = {});

// What the layout leaves to the tool that makes an archive.
enum class SizeField { LittleEndian, BigEndian, Zero };
enum class HeaderLengthAt { IndexEnd, FirstData, FirstDataMinusOne };
struct LayoutShape {
  std::string magic = "BIGF";
  SizeField totalSize = SizeField::LittleEndian;
  HeaderLengthAt headerLength = HeaderLengthAt::FirstData;
  std::vector<uint8_t> gap;  // right after the index
  uint32_t alignment = 1;    // each entry's data on a multiple of this, NULs before it
};

// The bytes of an archive of that shape holding the entries, their data in
// index order.
std::vector<uint8_t> BuildLayout(const LayoutShape& shape, const std::vector<LayoutEntry>& entries);

// Bytes of a given size, different for each seed.
std::vector<uint8_t> Pattern(size_t size, uint32_t seed);

}  // namespace gs::test
