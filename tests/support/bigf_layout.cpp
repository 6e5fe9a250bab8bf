#include "tests/support/bigf_layout.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace gs::test {

namespace {

uint32_t Be(const std::vector<uint8_t>& b, size_t at) {
  if (at + 4 > b.size()) throw std::runtime_error("field past the header at " + std::to_string(at));
  return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

void PutBe(std::vector<uint8_t>& b, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) b.push_back(uint8_t(v >> shift));
}

void ReadAt(std::ifstream& in, uint64_t offset, uint8_t* data, size_t n) {
  in.seekg(static_cast<std::streamoff>(offset));
  if (!in.read(reinterpret_cast<char*>(data), static_cast<std::streamsize>(n))) {
    throw std::runtime_error("cannot read " + std::to_string(n) + " bytes at " + std::to_string(offset));
  }
}

}  // namespace

uint64_t Digest(const uint8_t* data, size_t size) {
  uint64_t h = 14695981039346656037ull;
  size_t i = 0;
  for (; i + 8 <= size; i += 8) {
    uint64_t word;
    std::memcpy(&word, data + i, 8);
    h = (h ^ word) * 1099511628211ull;
  }
  for (; i < size; ++i) h = (h ^ data[i]) * 1099511628211ull;
  return h ^ size;
}

LayoutArchive ReadLayout(const std::string& path, bool withData) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) throw std::runtime_error("cannot open " + path);
  LayoutArchive a;
  a.fileSize = static_cast<uint64_t>(in.tellg());
  if (a.fileSize < 16) throw std::runtime_error("shorter than the header");
  std::vector<uint8_t> head(16);
  ReadAt(in, 0, head.data(), head.size());
  a.magic.assign(head.begin(), head.begin() + 4);
  if (a.magic != "BIGF" && a.magic != "BIG4") throw std::runtime_error("bad magic " + a.magic);
  a.totalSize =
      uint32_t(head[4]) | uint32_t(head[5]) << 8 | uint32_t(head[6]) << 16 | uint32_t(head[7]) << 24;
  a.totalSizeBE = Be(head, 4);
  const uint32_t count = Be(head, 8);
  a.headerLength = Be(head, 12);
  if (a.headerLength < 16 || a.headerLength > a.fileSize) throw std::runtime_error("bad header length");
  head.resize(a.headerLength);
  ReadAt(in, 0, head.data(), head.size());

  size_t pos = 16;
  for (uint32_t i = 0; i < count; ++i) {
    LayoutEntry e;
    e.offset = Be(head, pos);
    e.size = Be(head, pos + 4);
    pos += 8;
    while (pos < a.headerLength && head[pos] != 0) e.name.push_back(char(head[pos++]));
    if (pos >= a.headerLength) throw std::runtime_error("index past the header length");
    ++pos;
    if (uint64_t(e.offset) + e.size > a.fileSize)
      throw std::runtime_error("data of " + e.name + " past the end");
    a.entries.push_back(std::move(e));
  }
  a.trailer.assign(head.begin() + static_cast<std::ptrdiff_t>(pos), head.end());
  a.indexEnd = uint32_t(pos);
  a.firstData = a.fileSize;
  for (const LayoutEntry& e : a.entries) {
    if (e.size > 0) a.firstData = std::min<uint64_t>(a.firstData, e.offset);
  }
  if (a.firstData > a.indexEnd) {
    a.gap.resize(a.firstData - a.indexEnd);
    ReadAt(in, a.indexEnd, a.gap.data(), a.gap.size());
  }

  std::vector<uint8_t> block;
  for (LayoutEntry& e : a.entries) {
    if (withData) {
      e.data.resize(e.size);
      ReadAt(in, e.offset, e.data.data(), e.size);
      e.digest = Digest(e.data);
    } else {
      block.resize(e.size);  // one buffer for all entries
      ReadAt(in, e.offset, block.data(), e.size);
      e.digest = Digest(block.data(), e.size);
    }
  }
  return a;
}

std::vector<uint8_t> BuildLayout(const std::string& magic, const std::vector<LayoutEntry>& entries,
                                 const std::vector<uint8_t>& trailer) {
  size_t headerLength = 16 + trailer.size();
  for (const auto& e : entries) headerLength += 9 + e.name.size();
  std::vector<uint8_t> b(magic.begin(), magic.end());
  size_t total = headerLength;
  for (const auto& e : entries) total += e.data.size();
  for (int shift = 0; shift < 32; shift += 8) b.push_back(uint8_t(total >> shift));
  PutBe(b, uint32_t(entries.size()));
  PutBe(b, uint32_t(headerLength));
  size_t offset = headerLength;
  for (const auto& e : entries) {
    PutBe(b, uint32_t(offset));
    PutBe(b, uint32_t(e.data.size()));
    b.insert(b.end(), e.name.begin(), e.name.end());
    b.push_back(0);
    offset += e.data.size();
  }
  b.insert(b.end(), trailer.begin(), trailer.end());
  for (const auto& e : entries) b.insert(b.end(), e.data.begin(), e.data.end());
  return b;
}

std::vector<uint8_t> BuildLayout(const LayoutShape& shape, const std::vector<LayoutEntry>& entries) {
  size_t indexEnd = 16;
  for (const auto& e : entries) indexEnd += 9 + e.name.size();
  std::vector<uint32_t> offsets;
  size_t end = indexEnd + shape.gap.size();
  size_t firstData = 0;
  for (const auto& e : entries) {
    if (!e.data.empty()) {
      end = (end + shape.alignment - 1) / shape.alignment * shape.alignment;
      if (firstData == 0) firstData = end;
    }
    offsets.push_back(uint32_t(end));
    end += e.data.size();
  }
  const size_t headerLength = shape.headerLength == HeaderLengthAt::IndexEnd    ? indexEnd
                              : shape.headerLength == HeaderLengthAt::FirstData ? firstData
                                                                                : firstData - 1;
  std::vector<uint8_t> b(shape.magic.begin(), shape.magic.end());
  if (shape.totalSize == SizeField::BigEndian) {
    PutBe(b, uint32_t(end));
  } else {
    const uint32_t total = shape.totalSize == SizeField::Zero ? 0 : uint32_t(end);
    for (int shift = 0; shift < 32; shift += 8) b.push_back(uint8_t(total >> shift));
  }
  PutBe(b, uint32_t(entries.size()));
  PutBe(b, uint32_t(headerLength));
  for (size_t i = 0; i < entries.size(); ++i) {
    PutBe(b, offsets[i]);
    PutBe(b, uint32_t(entries[i].data.size()));
    b.insert(b.end(), entries[i].name.begin(), entries[i].name.end());
    b.push_back(0);
  }
  b.insert(b.end(), shape.gap.begin(), shape.gap.end());
  b.resize(end);
  for (size_t i = 0; i < entries.size(); ++i) {
    std::copy(entries[i].data.begin(), entries[i].data.end(), b.begin() + offsets[i]);
  }
  return b;
}

std::map<std::string, std::vector<uint8_t>> EntriesOf(const std::string& archivePath) {
  std::map<std::string, std::vector<uint8_t>> entries;
  for (LayoutEntry& e : ReadLayout(archivePath).entries) entries[e.name] = std::move(e.data);
  return entries;
}

std::vector<uint8_t> Pattern(size_t size, uint32_t seed) {
  std::vector<uint8_t> b(size);
  uint32_t x = seed * 2654435761u + 12345u;
  for (auto& c : b) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    c = uint8_t(x);
  }
  return b;
}

}  // namespace gs::test
