#include "archive/bigf.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <numeric>

#include "common/error.h"
#include "common/fs.h"
#include "archive/refpack.h"

namespace gs::bigf {

namespace {

// An index record: offset, size, then at least the zero byte of its name.
constexpr size_t kRecordFixedSize = 8;
constexpr size_t kMinRecordSize = kRecordFixedSize + 1;
constexpr size_t kCopyBlock = 1 << 20;
// The index is read in blocks from this size on, doubling, so that memory
// follows the index found and not a header length or count that claims more.
constexpr size_t kFirstIndexBlock = 64 << 10;
// More bytes than this between index and data are not a packer's marker or
// padding but space no entry uses; they are not kept.
constexpr size_t kMaxGap = 64 << 10;
// A write that stays within one sector cannot be torn, neither by a kill
// (page-cache writes split only at page boundaries) nor by a power loss.
constexpr uint64_t kSectorSize = 512;
// Alignments of data that archives keep: CD sectors and words.
constexpr uint32_t kSectorAlignment = 2048;
constexpr uint32_t kWordAlignment = 4;
// Archives up to this size are kept without dead space at every finish;
// larger ones are compacted once a quarter of them is dead.
constexpr uint64_t kSmallArchive = 1u << 20;

uint32_t GetBE32(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | uint32_t{p[3]};
}

uint32_t GetLE32(const uint8_t* p) {
  return uint32_t{p[3]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | uint32_t{p[0]};
}

void PutBE32(uint8_t* p, uint64_t v) {
  for (int i = 3; i >= 0; --i, v >>= 8) p[i] = static_cast<uint8_t>(v);
}

void PutLE32(uint8_t* p, uint64_t v) {
  for (int i = 0; i < 4; ++i, v >>= 8) p[i] = static_cast<uint8_t>(v);
}

// The total-size field holding `total` in the archive's own order.
void PutTotalSize(uint8_t* p, SizeOrder order, uint64_t total) {
  switch (order) {
    case SizeOrder::BigEndian: PutBE32(p, total); break;
    case SizeOrder::LittleEndian: PutLE32(p, total); break;
    case SizeOrder::Zero: PutLE32(p, 0); break;
  }
}

std::string Quoted(std::string_view s) {
  std::string q;
  q.reserve(s.size() + 2);
  return q.append(1, '"').append(s).append(1, '"');
}

[[noreturn]] void RaiseDamaged(std::string_view archivePath, const std::string& fault) {
  Raise(rt::UnknownDataFormat,
        "The archive " + Quoted(archivePath) + " is damaged or not a BIGF archive: " + fault + ".");
}

[[noreturn]] void RaiseTooLarge(std::string_view archivePath) {
  Raise(rt::Overflow, "The archive " + Quoted(archivePath) +
                          " would grow past 4 GiB, the most its 32-bit offsets can address.");
}

void CheckName(std::string_view name) {
  if (name.empty() || name.find('\0') != std::string_view::npos) {
    Raise(rt::BadFileNameOrNumber, "The entry name " + Quoted(name) + " is empty or holds a zero byte.");
  }
}

unsigned char LowerAscii(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 'A' && u <= 'Z' ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

bool NameLess(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return LowerAscii(x) < LowerAscii(y); });
}

uint64_t AlignUp(uint64_t v, uint32_t alignment) {
  return (v + alignment - 1) / alignment * alignment;
}

// Calls put with consecutive blocks of size bytes of `from`, from offset on.
void CopyBlocks(const File& from, uint64_t offset, uint64_t size,
                const std::function<void(const uint8_t*, size_t)>& put) {
  Bytes block(static_cast<size_t>(std::min<uint64_t>(size, kCopyBlock)));
  while (size > 0) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(size, block.size()));
    from.ReadExactAt(offset, block.data(), n);
    put(block.data(), n);
    offset += n;
    size -= n;
  }
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

  // The order in which the field reads as the file's size; a field left
  // stale by a killed replacement reads nearest to it in its own order.
  const uint32_t big = GetBE32(&header[4]);
  const uint32_t little = GetLE32(&header[4]);
  const auto distance = [fileSize](uint32_t v) { return v > fileSize ? v - fileSize : fileSize - v; };
  if (little == 0) {
    kept.TotalSize = SizeOrder::Zero;
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

// Where one entry's bytes come from when an archive is written: memory, or
// a range of an open file.
struct Planned {
  std::string Name;
  uint64_t Size = 0;
  const File* From = nullptr;
  uint64_t FromOffset = 0;
  std::span<const uint8_t> Data;
  uint64_t DataOrder = 0;  // entries' data follow one another in this order
};

// Where everything of an archive goes when it is written.
struct Placement {
  std::vector<uint64_t> Offsets;  // by index order
  uint64_t IndexEnd = 0;
  uint64_t DataStart = 0;  // padding, then the kept gap, end here
  uint64_t HeaderLength = 0;
  uint64_t End = 0;
};

// Lays the archive out: header, index, padding, the kept gap, then the
// entries' data one after another in their data order, each entry with data
// on the alignment; the header length by the archive's rule.
Placement Place(const Conventions& kept, std::span<const Planned> plan) {
  Placement at;
  at.IndexEnd = kHeaderSize;
  for (const Planned& p : plan) at.IndexEnd += kMinRecordSize + p.Name.size();
  // A header length before the first data offset needs that many bytes there.
  const bool fromData = kept.HeaderLength.From == HeaderLengthRule::Base::DataStart;
  const uint64_t leastGap = fromData && kept.HeaderLength.Delta < 0 ? -kept.HeaderLength.Delta : 0;
  at.DataStart = at.IndexEnd + std::max<uint64_t>(kept.Gap.size(), leastGap);
  const bool anyData = std::any_of(plan.begin(), plan.end(), [](const Planned& p) { return p.Size > 0; });
  if (anyData) at.DataStart = AlignUp(at.DataStart, kept.Alignment);

  std::vector<size_t> order(plan.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&plan](size_t a, size_t b) { return plan[a].DataOrder < plan[b].DataOrder; });
  at.Offsets.resize(plan.size());
  uint64_t pos = at.DataStart;
  for (const size_t i : order) {
    if (plan[i].Size > 0) pos = AlignUp(pos, kept.Alignment);
    at.Offsets[i] = pos;
    pos += plan[i].Size;
  }
  at.End = pos;
  const int64_t base = static_cast<int64_t>(fromData ? at.DataStart : at.IndexEnd);
  at.HeaderLength = static_cast<uint64_t>(std::clamp<int64_t>(
      base + kept.HeaderLength.Delta, static_cast<int64_t>(at.IndexEnd), static_cast<int64_t>(at.End)));
  return at;
}

std::vector<Planned> PlanOf(const Index& index, const File& archive) {
  std::vector<Planned> plan;
  plan.reserve(index.Entries.size() + 1);
  for (const Entry& e : index.Entries) plan.push_back({e.Name, e.Size, &archive, e.Offset, {}, e.Offset});
  return plan;
}

// Writes a whole archive into out: header, index, padding, gap, then the data.
void WriteArchive(AtomicFile& out, std::string_view archivePath, const Conventions& kept,
                  std::span<const Planned> plan) {
  const Placement at = Place(kept, plan);
  if (at.End > kMaxArchiveSize) RaiseTooLarge(archivePath);

  Bytes head(static_cast<size_t>(at.DataStart));
  std::memcpy(head.data(), kept.Magic.data(), 4);
  PutTotalSize(&head[4], kept.TotalSize, at.End);
  PutBE32(&head[8], plan.size());
  PutBE32(&head[12], at.HeaderLength);
  size_t pos = kHeaderSize;
  for (size_t i = 0; i < plan.size(); ++i) {
    PutBE32(&head[pos], at.Offsets[i]);
    PutBE32(&head[pos + 4], plan[i].Size);
    std::memcpy(&head[pos + kRecordFixedSize], plan[i].Name.data(), plan[i].Name.size());
    pos += kMinRecordSize + plan[i].Name.size();  // the zero byte is already there
  }
  std::copy(kept.Gap.begin(), kept.Gap.end(), head.end() - static_cast<std::ptrdiff_t>(kept.Gap.size()));
  out.Append(head);

  std::vector<size_t> order(plan.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::sort(order.begin(), order.end(), [&at](size_t a, size_t b) { return at.Offsets[a] < at.Offsets[b]; });
  const auto append = [&out](const uint8_t* p, size_t n) { out.Append(p, n); };
  for (const size_t i : order) {
    if (out.Size() < at.Offsets[i]) {
      const Bytes padding(static_cast<size_t>(at.Offsets[i] - out.Size()));
      out.Append(padding);
    }
    if (plan[i].From != nullptr) {
      CopyBlocks(*plan[i].From, plan[i].FromOffset, plan[i].Size, append);
    } else {
      out.Append(plan[i].Data);
    }
  }
}

// Where a new entry goes: in name order when the index is sorted by name
// (the game may look names up by halving), otherwise at the end.
size_t InsertPosition(const std::vector<Entry>& entries, std::string_view name) {
  const auto less = [](const Entry& a, const Entry& b) { return NameLess(a.Name, b.Name); };
  if (!std::is_sorted(entries.begin(), entries.end(), less)) return entries.size();
  const auto it = std::lower_bound(entries.begin(), entries.end(), name,
                                   [](const Entry& e, std::string_view n) { return NameLess(e.Name, n); });
  return static_cast<size_t>(it - entries.begin());
}

// The new content of an entry, taken from a whole file.
struct Replacement {
  std::string_view Name;
  const File* Source;
  uint64_t Size;
};

// Writes the archive anew beside itself, without dead space and with the
// replacement applied, and renames it into place.
void Rewrite(File& archive, const Index& index, const std::string& archivePath, const Replacement* r) {
  std::vector<Planned> plan = PlanOf(index, archive);
  if (r != nullptr) {
    const Entry* old = index.Find(r->Name);
    if (old != nullptr) {
      Planned& p = plan[static_cast<size_t>(old - index.Entries.data())];
      p = Planned{p.Name, r->Size, r->Source, 0, {}, p.DataOrder};
    } else {
      plan.insert(plan.begin() + static_cast<std::ptrdiff_t>(InsertPosition(index.Entries, r->Name)),
                  Planned{std::string(r->Name), r->Size, r->Source, 0, {}, kMaxArchiveSize + 1});
    }
  }
  AtomicFile out(archivePath);
  WriteArchive(out, archivePath, index.Kept, plan);
  archive.Close();  // nothing may hold the old file open while it is replaced
  out.Commit();
}

// A record that crosses a sector boundary could be torn; such an entry is
// replaced by a rewrite instead. So is the entry whose data comes first:
// its old data would lie between index and data, where the archive's own
// bytes (and so its conventions) are read from.
bool ReplaceableInPlace(const Index& index, const Entry& e) {
  const bool oneSector =
      e.RecordOffset / kSectorSize == (e.RecordOffset + kRecordFixedSize - 1) / kSectorSize;
  return oneSector && !(e.Size > 0 && e.Offset == index.DataStart);
}

// Appends the new data at `at`, makes it durable, then points the entry's
// index record at it in one write: before that write the entry reads old,
// after it new. The total size follows; readers do not rely on it. An append
// that fails is cut off, so that the archive is left as it was.
void ReplaceInPlace(File& archive, const Index& index, const Entry& old, const File& source, uint64_t at,
                    uint64_t size) {
  const uint64_t before = archive.Size();
  try {
    uint64_t pos = at;
    CopyBlocks(source, 0, size, [&](const uint8_t* p, size_t n) {
      archive.WriteAt(pos, p, n);
      pos += n;
    });
    archive.Sync();
  } catch (...) {
    try {
      archive.Truncate(before);
    } catch (const Error&) {
      // The first failure is the one to report; /r cuts the bytes off later.
    }
    throw;
  }
  uint8_t record[kRecordFixedSize];
  PutBE32(record, at);
  PutBE32(record + 4, size);
  archive.WriteAt(old.RecordOffset, record, sizeof record);
  if (index.Kept.TotalSize != SizeOrder::Zero) {
    uint8_t total[4];
    PutTotalSize(total, index.Kept.TotalSize, at + size);
    archive.WriteAt(4, total, sizeof total);
  }
  archive.Sync();
}

}  // namespace

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

const Entry* Index::Find(std::string_view name) const {
  for (const Entry& e : Entries) {
    if (SameName(e.Name, name)) return &e;
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

void Create(const std::string& path, std::span<const NewEntry> entries, std::string_view magic,
            std::span<const uint8_t> trailer) {
  if (magic != "BIGF" && magic != "BIG4") {
    Raise(rt::InvalidPropertyValue, "An archive begins with BIGF or BIG4, not " + Quoted(magic) + ".");
  }
  std::vector<Planned> plan;
  plan.reserve(entries.size());
  for (const NewEntry& e : entries) {
    CheckName(e.Name);
    plan.push_back({e.Name, e.Data.size(), nullptr, 0, e.Data, plan.size()});
  }
  std::vector<std::string_view> names;
  names.reserve(entries.size());
  for (const NewEntry& e : entries) names.push_back(e.Name);
  std::sort(names.begin(), names.end(), NameLess);
  const auto twin = std::adjacent_find(names.begin(), names.end(), SameName);
  if (twin != names.end()) {
    Raise(rt::FileAlreadyExists, "The archive " + Quoted(path) + " cannot hold two entries named " +
                                     Quoted(*twin) + " (letter case aside).");
  }
  Conventions kept;
  kept.Magic = magic;
  kept.Gap.assign(trailer.begin(), trailer.end());
  AtomicFile out(path);
  WriteArchive(out, path, kept, plan);
  out.Commit();
}

void Extract(const std::string& archivePath, std::string_view entryName, const std::string& destinationPath) {
  const Reader archive(archivePath);
  const Entry& entry = archive.Get(entryName);
  if (SameFile(archivePath, destinationPath)) {
    Raise(rt::PathFileAccessError, "The destination " + Quoted(destinationPath) + " is the archive " +
                                       Quoted(archivePath) + " itself.");
  }
  uint8_t signature[2] = {0, 0};
  archive.GetFile().ReadExactAt(entry.Offset, signature, std::min<size_t>(entry.Size, sizeof signature));
  AtomicFile out(destinationPath);
  if (refpack::IsCompressed({signature, std::min<size_t>(entry.Size, sizeof signature)})) {
    out.Append(refpack::Decompress(
        archive.Read(entry), "The entry " + Quoted(entry.Name) + " of the archive " + Quoted(archivePath)));
  } else {
    CopyBlocks(archive.GetFile(), entry.Offset, entry.Size,
               [&out](const uint8_t* p, size_t n) { out.Append(p, n); });
  }
  out.Commit();
}

InsertOutcome Insert(const std::string& archivePath, std::string_view entryName,
                     const std::string& sourcePath) {
  CheckName(entryName);
  File source(sourcePath, File::Mode::Read);
  const uint64_t size = source.Size();
  if (size > kMaxArchiveSize) RaiseTooLarge(archivePath);
  File archive(archivePath, File::Mode::ReadWrite);
  const Index index = ReadIndex(archive, archivePath);
  const Entry* old = index.Find(entryName);
  if (old != nullptr && ReplaceableInPlace(index, *old)) {
    const uint64_t fileSize = archive.Size();
    const uint64_t at = size == 0 ? fileSize : AlignUp(fileSize, index.Kept.Alignment);
    if (at + size <= kMaxArchiveSize) {
      ReplaceInPlace(archive, index, *old, source, at, size);
      return InsertOutcome::ReplacedInPlace;
    }
  }
  const Replacement r{entryName, &source, size};
  Rewrite(archive, index, archivePath, &r);
  return InsertOutcome::Rewritten;
}

bool WorthCompacting(uint64_t dead, uint64_t live) {
  return dead > 0 && (live <= kSmallArchive || dead > live / 4);
}

FinishOutcome Finish(const std::string& archivePath) {
  File archive(archivePath, File::Mode::ReadWrite);
  const Index index = ReadIndex(archive, archivePath);
  uint64_t liveEnd = std::max<uint64_t>(index.HeaderLength, index.IndexEnd + index.Kept.Gap.size());
  for (const Entry& e : index.Entries) liveEnd = std::max(liveEnd, uint64_t{e.Offset} + e.Size);
  const uint64_t compact = Place(index.Kept, PlanOf(index, archive)).End;
  if (liveEnd > compact && WorthCompacting(liveEnd - compact, compact)) {
    Rewrite(archive, index, archivePath, nullptr);
    return FinishOutcome::Compacted;
  }
  if (liveEnd > kMaxArchiveSize) RaiseTooLarge(archivePath);
  bool changed = false;
  // Bytes after the last entry's data belong to no entry (an append cut
  // short, say); cutting them off is a single step.
  if (archive.Size() > liveEnd) {
    archive.Truncate(liveEnd);
    changed = true;
  }
  if (index.Kept.TotalSize != SizeOrder::Zero && index.TotalSize != liveEnd) {
    uint8_t total[4];
    PutTotalSize(total, index.Kept.TotalSize, liveEnd);
    archive.WriteAt(4, total, sizeof total);
    changed = true;
  }
  if (!changed) return FinishOutcome::Unchanged;
  archive.Sync();
  return FinishOutcome::Updated;
}

}  // namespace gs::bigf
