#include "tools/impbig/bigf.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "common/error.h"
#include "common/fs.h"

namespace gs::bigf {

namespace {

// An index record: offset, size, then at least the zero byte of its name.
constexpr size_t kRecordFixedSize = 8;
constexpr size_t kMinRecordSize = kRecordFixedSize + 1;
constexpr size_t kCopyBlock = 1 << 20;
// A write that stays within one sector cannot be torn, neither by a kill
// (page-cache writes split only at page boundaries) nor by a power loss.
constexpr uint64_t kSectorSize = 512;
// The largest data alignment that an existing archive is assumed to keep.
constexpr uint32_t kMaxAlignment = 2048;
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

Index ReadIndex(const File& archive, std::string_view archivePath) {
  const uint64_t fileSize = archive.Size();
  uint8_t first[kHeaderSize];
  const size_t got = archive.ReadAt(0, first, sizeof first);
  const uint32_t headerLength = got == kHeaderSize ? GetBE32(first + 12) : 0;
  // Anything ParseIndex will reject from the fixed header alone is left to it.
  if (headerLength <= kHeaderSize || headerLength > fileSize) {
    return ParseIndex({first, got}, fileSize, archivePath);
  }
  Bytes head(headerLength);
  archive.ReadExactAt(0, head.data(), head.size());
  return ParseIndex(head, fileSize, archivePath);
}

// The largest power of two, up to kMaxAlignment, that divides the offset of
// every entry holding data: archives laid out on sector boundaries keep them.
uint32_t DataAlignment(const Index& index) {
  uint32_t alignment = kMaxAlignment;
  bool any = false;
  for (const Entry& e : index.Entries) {
    if (e.Size == 0) continue;
    any = true;
    while (alignment > 1 && e.Offset % alignment != 0) alignment /= 2;
  }
  return any ? alignment : 1;
}

// Where one entry's bytes come from when an archive is written: memory, or
// a range of an open file.
struct Planned {
  std::string Name;
  uint64_t Size = 0;
  const File* From = nullptr;
  uint64_t FromOffset = 0;
  std::span<const uint8_t> Data;
};

// Lays the entries' data out one after another from `start`, each entry with
// data on the alignment; returns the end of the last one.
uint64_t LayOut(uint64_t start, std::span<const Planned> plan, uint32_t alignment,
                std::vector<uint64_t>* offsets) {
  uint64_t pos = start;
  for (const Planned& p : plan) {
    if (p.Size > 0) pos = AlignUp(pos, alignment);
    if (offsets != nullptr) offsets->push_back(pos);
    pos += p.Size;
  }
  return pos;
}

std::vector<Planned> PlanOf(const Index& index, const File& archive) {
  std::vector<Planned> plan;
  plan.reserve(index.Entries.size() + 1);
  for (const Entry& e : index.Entries) plan.push_back({e.Name, e.Size, &archive, e.Offset, {}});
  return plan;
}

// Writes a whole archive into out: header, index, trailer, then the data.
void WriteArchive(AtomicFile& out, std::string_view archivePath, std::string_view magic,
                  std::span<const uint8_t> trailer, std::span<const Planned> plan, uint32_t alignment) {
  uint64_t headerLength = kHeaderSize + trailer.size();
  for (const Planned& p : plan) headerLength += kMinRecordSize + p.Name.size();
  std::vector<uint64_t> offsets;
  offsets.reserve(plan.size());
  const uint64_t end = LayOut(headerLength, plan, alignment, &offsets);
  if (end > kMaxArchiveSize) RaiseTooLarge(archivePath);

  Bytes head(static_cast<size_t>(headerLength));
  std::memcpy(head.data(), magic.data(), 4);
  PutLE32(&head[4], end);
  PutBE32(&head[8], plan.size());
  PutBE32(&head[12], headerLength);
  size_t pos = kHeaderSize;
  for (size_t i = 0; i < plan.size(); ++i) {
    PutBE32(&head[pos], offsets[i]);
    PutBE32(&head[pos + 4], plan[i].Size);
    std::memcpy(&head[pos + kRecordFixedSize], plan[i].Name.data(), plan[i].Name.size());
    pos += kMinRecordSize + plan[i].Name.size();  // the zero byte is already there
  }
  std::copy(trailer.begin(), trailer.end(), head.begin() + static_cast<std::ptrdiff_t>(pos));
  out.Append(head);

  const auto append = [&out](const uint8_t* p, size_t n) { out.Append(p, n); };
  for (size_t i = 0; i < plan.size(); ++i) {
    if (out.Size() < offsets[i]) {
      const Bytes padding(static_cast<size_t>(offsets[i] - out.Size()));
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
    const Planned content{std::string(r->Name), r->Size, r->Source, 0, {}};
    const Entry* old = index.Find(r->Name);
    if (old != nullptr) {
      Planned& p = plan[static_cast<size_t>(old - index.Entries.data())];
      p = Planned{p.Name, content.Size, content.From, 0, {}};
    } else {
      plan.insert(plan.begin() + static_cast<std::ptrdiff_t>(InsertPosition(index.Entries, r->Name)),
                  content);
    }
  }
  AtomicFile out(archivePath);
  WriteArchive(out, archivePath, index.Magic, index.Trailer, plan, DataAlignment(index));
  archive.Close();  // nothing may hold the old file open while it is replaced
  out.Commit();
}

// A record that crosses a sector boundary could be torn; such an entry is
// replaced by a rewrite instead.
bool RecordWritableAtOnce(const Entry& e) {
  return e.RecordOffset / kSectorSize == (e.RecordOffset + kRecordFixedSize - 1) / kSectorSize;
}

// Appends the new data at `at`, makes it durable, then points the entry's
// index record at it in one write: before that write the entry reads old,
// after it new. The total size follows; readers do not rely on it.
void ReplaceInPlace(File& archive, const Entry& old, const File& source, uint64_t at, uint64_t size) {
  uint64_t pos = at;
  CopyBlocks(source, 0, size, [&](const uint8_t* p, size_t n) {
    archive.WriteAt(pos, p, n);
    pos += n;
  });
  archive.Sync();
  uint8_t record[kRecordFixedSize];
  PutBE32(record, at);
  PutBE32(record + 4, size);
  archive.WriteAt(old.RecordOffset, record, sizeof record);
  uint8_t total[4];
  PutLE32(total, at + size);
  archive.WriteAt(4, total, sizeof total);
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

Index ParseIndex(std::span<const uint8_t> head, uint64_t fileSize, std::string_view archivePath) {
  if (head.size() < kHeaderSize || fileSize < kHeaderSize) {
    RaiseDamaged(archivePath, "it is shorter than the 16-byte header");
  }
  Index index;
  index.Magic.assign(reinterpret_cast<const char*>(head.data()), 4);
  if (index.Magic != "BIGF" && index.Magic != "BIG4") {
    RaiseDamaged(archivePath, "it does not begin with BIGF or BIG4");
  }
  index.TotalSize = GetLE32(&head[4]);
  const uint32_t count = GetBE32(&head[8]);
  index.HeaderLength = GetBE32(&head[12]);
  const std::string length = std::to_string(index.HeaderLength);
  if (index.HeaderLength < kHeaderSize) {
    RaiseDamaged(archivePath, "its header length " + length + " is shorter than the header itself");
  }
  if (index.HeaderLength > fileSize || index.HeaderLength > head.size()) {
    RaiseDamaged(archivePath, "its header length " + length + " runs past the end of the file");
  }
  const size_t end = index.HeaderLength;
  if (count > (end - kHeaderSize) / kMinRecordSize) {
    RaiseDamaged(archivePath,
                 "its " + std::to_string(count) + " entries cannot fit in a header of " + length + " bytes");
  }
  // A damaged count can still be large; memory follows the records found.
  index.Entries.reserve(std::min<uint32_t>(count, 1u << 16));
  size_t pos = kHeaderSize;
  for (uint32_t i = 0; i < count; ++i) {
    const std::string which = "entry " + std::to_string(i + 1);
    if (end - pos < kMinRecordSize) RaiseDamaged(archivePath, "the index runs past the header length");
    Entry e;
    e.RecordOffset = static_cast<uint32_t>(pos);
    e.Offset = GetBE32(&head[pos]);
    e.Size = GetBE32(&head[pos + 4]);
    const uint8_t* name = &head[pos + kRecordFixedSize];
    const auto* zero = static_cast<const uint8_t*>(std::memchr(name, 0, end - pos - kRecordFixedSize));
    if (zero == nullptr) RaiseDamaged(archivePath, "the name of " + which + " has no closing zero byte");
    e.Name.assign(reinterpret_cast<const char*>(name), static_cast<size_t>(zero - name));
    if (uint64_t{e.Offset} + e.Size > fileSize) {
      RaiseDamaged(archivePath, "the data of " + which + " " + Quoted(e.Name) + " (" +
                                    std::to_string(e.Size) + " bytes at offset " + std::to_string(e.Offset) +
                                    ") runs past the end of the file");
    }
    pos = static_cast<size_t>(zero - head.data()) + 1;
    index.Entries.push_back(std::move(e));
  }
  index.Trailer.assign(head.begin() + static_cast<std::ptrdiff_t>(pos),
                       head.begin() + static_cast<std::ptrdiff_t>(end));
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
    plan.push_back({e.Name, e.Data.size(), nullptr, 0, e.Data});
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
  AtomicFile out(path);
  WriteArchive(out, path, magic, trailer, plan, 1);
  out.Commit();
}

void Extract(const std::string& archivePath, std::string_view entryName, const std::string& destinationPath) {
  const Reader archive(archivePath);
  const Entry& entry = archive.Get(entryName);
  if (SameFile(archivePath, destinationPath)) {
    Raise(rt::PathFileAccessError, "The destination " + Quoted(destinationPath) + " is the archive " +
                                       Quoted(archivePath) + " itself.");
  }
  AtomicFile out(destinationPath);
  CopyBlocks(archive.GetFile(), entry.Offset, entry.Size,
             [&out](const uint8_t* p, size_t n) { out.Append(p, n); });
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
  if (old != nullptr && RecordWritableAtOnce(*old)) {
    const uint64_t fileSize = archive.Size();
    const uint64_t at = size == 0 ? fileSize : AlignUp(fileSize, DataAlignment(index));
    if (at + size <= kMaxArchiveSize) {
      ReplaceInPlace(archive, *old, source, at, size);
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
  uint64_t liveEnd = index.HeaderLength;
  for (const Entry& e : index.Entries) liveEnd = std::max(liveEnd, uint64_t{e.Offset} + e.Size);
  const std::vector<Planned> plan = PlanOf(index, archive);
  const uint64_t compact = LayOut(index.HeaderLength, plan, DataAlignment(index), nullptr);
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
  if (index.TotalSize != liveEnd) {
    uint8_t total[4];
    PutLE32(total, liveEnd);
    archive.WriteAt(4, total, sizeof total);
    changed = true;
  }
  if (!changed) return FinishOutcome::Unchanged;
  archive.Sync();
  return FinishOutcome::Updated;
}

}  // namespace gs::bigf
