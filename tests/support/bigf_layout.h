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
  uint32_t totalSize = 0;
  uint32_t headerLength = 0;
  uint64_t fileSize = 0;
  std::vector<uint8_t> trailer;  // header bytes after the index
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

// Bytes of a given size, different for each seed.
std::vector<uint8_t> Pattern(size_t size, uint32_t seed);

}  // namespace gs::test
