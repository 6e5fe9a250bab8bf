// Reading an archive: its header, its index and its conventions.
#include "archive/bigf_index.h"

#include <algorithm>
#include <cstring>

#include "archive/bigf.h"
#include "common/error.h"
#include "common/text.h"

namespace gs::bigf {

namespace {

// The index is read in blocks from this size on, doubling, so that memory
// follows the index found and not a header length or count that claims more.
constexpr size_t kFirstIndexBlock = 64 << 10;
// More bytes than this between index and data are not a packer's marker or
// padding but space no entry uses; they are not kept.
constexpr size_t kMaxGap = 64 << 10;
// Alignments of data that archives keep: CD sectors and words.
constexpr uint32_t kSectorAlignment = 2048;
constexpr uint32_t kWordAlignment = 4;

uint32_t GetBE32(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | uint32_t{p[3]};
}

uint32_t GetLE32(const uint8_t* p) {
  return uint32_t{p[3]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | uint32_t{p[0]};
}

// Parses the fixed header and the index from head, the first bytes of an
// archive of fileSize bytes. Returns false when the index goes on past head
// but may still lie inside the file: the caller reads more and asks again.
bool ParseHead(std::span<const uint8_t> head, uint64_t fileSize, std::string_view archivePath, Index& index) {
  if (fileSize < kHeaderSize || head.size() < kHeaderSize) {
    RaiseDamaged(archivePath, "it is shorter than the 16-byte header");
  }
  index = Index{};
  index.Kept.Magic.assign(reinterpret_cast<const char*>(head.data()), 4);
  if (index.Kept.Magic != "BIGF" && index.Kept.Magic != "BIG4") {
    RaiseDamaged(archivePath, "it does not begin with BIGF or BIG4");
  }
  const uint32_t count = GetBE32(&head[8]);
  index.HeaderLength = GetBE32(&head[12]);
  const std::string length = std::to_string(index.HeaderLength);
  if (index.HeaderLength < kHeaderSize) {
    RaiseDamaged(archivePath, "its header length " + length + " is shorter than the header itself");
  }
  if (index.HeaderLength > fileSize) {
    RaiseDamaged(archivePath, "its header length " + length + " runs past the end of the file");
  }
  const size_t end = index.HeaderLength;
  if (count > (end - kHeaderSize) / kMinRecordSize) {
    RaiseDamaged(archivePath,
                 "its " + std::to_string(count) + " entries cannot fit in a header of " + length + " bytes");
  }
  const size_t have = std::min(end, head.size());
  // A damaged count can still be large; memory follows the records found.
  index.Entries.reserve(std::min<uint32_t>(count, 1u << 16));
  size_t pos = kHeaderSize;
  for (uint32_t i = 0; i < count; ++i) {
    if (end - pos < kMinRecordSize) RaiseDamaged(archivePath, "the index runs past the header length");
    if (have - pos < kMinRecordSize) return false;
    Entry e;
    e.RecordOffset = static_cast<uint32_t>(pos);
    e.Offset = GetBE32(&head[pos]);
    e.Size = GetBE32(&head[pos + 4]);
    const uint8_t* name = &head[pos + kRecordFixedSize];
    const auto* zero = static_cast<const uint8_t*>(std::memchr(name, 0, have - pos - kRecordFixedSize));
    if (zero == nullptr) {
      if (have < end) return false;
      RaiseDamaged(archivePath, "the name of entry " + std::to_string(i + 1) + " has no closing zero byte");
    }
    e.Name.assign(reinterpret_cast<const char*>(name), static_cast<size_t>(zero - name));
    if (uint64_t{e.Offset} + e.Size > fileSize) {
      RaiseDamaged(archivePath, "the data of entry " + std::to_string(i + 1) + " " + Quoted(e.Name) + " (" +
                                    std::to_string(e.Size) + " bytes at offset " + std::to_string(e.Offset) +
                                    ") runs past the end of the file");
    }
    pos = static_cast<size_t>(zero - head.data()) + 1;
    index.Entries.push_back(std::move(e));
  }
  index.IndexEnd = static_cast<uint32_t>(pos);
  return true;
}

// The boundary that the data of every entry holding any starts on: CD
// sectors, words, or none; new data goes there too.
uint32_t DataAlignment(const std::vector<Entry>& entries) {
  const auto on = [&entries](uint32_t alignment) {
    return std::all_of(entries.begin(), entries.end(),
                       [alignment](const Entry& e) { return e.Size == 0 || e.Offset % alignment == 0; });
  };
  if (std::none_of(entries.begin(), entries.end(), [](const Entry& e) { return e.Size > 0; })) return 1;
  return on(kSectorAlignment) ? kSectorAlignment : on(kWordAlignment) ? kWordAlignment : 1;
}

// Where the first data lies: the lowest offset of an entry holding data, or
// the end of the file (where empty entries point) when none holds any.
uint64_t DataStartOf(const Index& index, uint64_t fileSize) {
  uint64_t start = std::min(fileSize, kMaxArchiveSize);
  for (const Entry& e : index.Entries) {
    if (e.Size > 0) start = std::min<uint64_t>(start, e.Offset);
  }
  return std::max<uint64_t>(start, index.IndexEnd);
}

// The bytes between index and data that are kept: none when there are more
// than a marker or padding could take.
uint64_t KeptGapLength(const Index& index) {
  const uint64_t gap = index.DataStart - index.IndexEnd;
  return gap <= kMaxGap ? gap : 0;
}

// Reads the archive's conventions off its header, its index and the bytes
// between index and data (see KeptGapLength).
void TakeConventions(Index& index, std::span<const uint8_t> header, std::span<const uint8_t> gap,
                     uint64_t fileSize) {
  Conventions& kept = index.Kept;
  kept.Alignment = DataAlignment(index.Entries);

  // The order in which the field reads as the file's size. A field left
  // stale by a killed run of ours reads, in its own order, as an end the
  // archive had: where its live data ends, or where the data of the entry
  // placed last begins (appended and indexed before the field was written).
  // Only when neither order reads so is the nearer one taken.
  const uint32_t big = GetBE32(&header[4]);
  const uint32_t little = GetLE32(&header[4]);
  uint64_t liveEnd = index.IndexEnd;
  uint64_t lastStart = 0;
  for (const Entry& e : index.Entries) {
    liveEnd = std::max(liveEnd, uint64_t{e.Offset} + e.Size);
    if (e.Size > 0) lastStart = std::max<uint64_t>(lastStart, e.Offset);
  }
  const auto isEnd = [&](uint64_t v) {
    return v == fileSize || v == liveEnd || (v <= lastStart && lastStart - v < kept.Alignment);
  };
  const auto distance = [fileSize](uint32_t v) { return v > fileSize ? v - fileSize : fileSize - v; };
  if (little == 0) {
    kept.TotalSize = SizeOrder::Zero;
  } else if (big != little && isEnd(big)) {
    kept.TotalSize = SizeOrder::BigEndian;
  } else if (isEnd(little)) {
    kept.TotalSize = SizeOrder::LittleEndian;
  } else {
    kept.TotalSize =
        big != little && distance(big) < distance(little) ? SizeOrder::BigEndian : SizeOrder::LittleEndian;
  }
  index.TotalSize = kept.TotalSize == SizeOrder::BigEndian ? big : little;

  // In an aligned archive, NUL bytes that open the gap may be padding up to
  // the first data: as many as alignment would lay anew are left out.
  size_t padding = 0;
  if (kept.Alignment > 1) {
    const size_t zeros = static_cast<size_t>(
        std::find_if(gap.begin(), gap.end(), [](uint8_t b) { return b != 0; }) - gap.begin());
    for (size_t k = std::min<size_t>(zeros, kept.Alignment - 1); k > 0; --k) {
      if (AlignUp(index.IndexEnd + gap.size() - k, kept.Alignment) == index.DataStart) {
        padding = k;
        break;
      }
    }
  }
  kept.Gap.assign(gap.begin() + static_cast<std::ptrdiff_t>(padding), gap.end());

  using Base = HeaderLengthRule::Base;
  const int64_t length = index.HeaderLength;
  const int64_t dataStart = index.DataStart;
  if (dataStart > index.IndexEnd && (length == dataStart || length + 1 == dataStart)) {
    kept.HeaderLength = {Base::DataStart, length - dataStart};
  } else if (dataStart == index.IndexEnd && length == dataStart && kept.Alignment > 1) {
    // An aligned archive whose index happened to end on a boundary: the
    // header length of such archives is the first data offset.
    kept.HeaderLength = {Base::DataStart, 0};
  } else {
    kept.HeaderLength = {Base::IndexEnd, length - index.IndexEnd};
  }
}

}  // namespace

Index ReadIndex(const File& archive, std::string_view archivePath) {
  const uint64_t fileSize = archive.Size();
  Bytes head(static_cast<size_t>(std::min<uint64_t>(fileSize, kFirstIndexBlock)));
  head.resize(archive.ReadAt(0, head.data(), head.size()));
  Index index;
  while (!ParseHead(head, fileSize, archivePath, index)) {
    // The header length is inside the file, or ParseHead would have refused it.
    const size_t more = std::min<size_t>(index.HeaderLength, head.size() * 2);
    const size_t had = head.size();
    head.resize(more);
    archive.ReadExactAt(had, head.data() + had, more - had);
  }
  index.DataStart = static_cast<uint32_t>(DataStartOf(index, fileSize));
  Bytes gap(static_cast<size_t>(KeptGapLength(index)));
  archive.ReadExactAt(index.IndexEnd, gap.data(), gap.size());
  TakeConventions(index, head, gap, fileSize);
  return index;
}

void RaiseDamaged(std::string_view archivePath, const std::string& fault) {
  Raise(rt::UnknownDataFormat,
        "The archive " + Quoted(archivePath) + " is damaged or not a BIGF archive: " + fault + ".");
}

const Entry* Index::Find(std::string_view name) const {
  for (const Entry& e : Entries) {
    if (SameIgnoringAsciiCase(e.Name, name)) return &e;
  }
  return nullptr;
}

Index ParseIndex(std::span<const uint8_t> archive, std::string_view archivePath) {
  Index index;
  if (!ParseHead(archive, archive.size(), archivePath, index)) {
    RaiseDamaged(archivePath, "the index runs past the end of the file");
  }
  index.DataStart = static_cast<uint32_t>(DataStartOf(index, archive.size()));
  TakeConventions(index, archive, archive.subspan(index.IndexEnd, KeptGapLength(index)), archive.size());
  return index;
}

Reader::Reader(const std::string& path) : file_(path, File::Mode::Read), index_(ReadIndex(file_, path)) {}

const Entry& Reader::Get(std::string_view name) const {
  if (const Entry* e = index_.Find(name)) return *e;
  Raise(rt::FileNotFound, "The archive " + Quoted(file_.Path()) + " holds no entry " + Quoted(name) + ".");
}

Bytes Reader::Read(const Entry& entry) const {
  Bytes data(entry.Size);
  file_.ReadExactAt(entry.Offset, data.data(), data.size());
  return data;
}

}  // namespace gs::bigf
