// Writing an archive anew, and changing one so that a kill at any moment
// leaves every entry whole.
#include "archive/bigf.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <numeric>

#include "archive/bigf_index.h"
#include "archive/refpack.h"
#include "common/error.h"
#include "common/fs.h"
#include "common/text.h"

namespace gs::bigf {

namespace {

constexpr size_t kCopyBlock = 1 << 20;
// A write that stays within one sector cannot be torn, neither by a kill
// (page-cache writes split only at page boundaries) nor by a power loss.
constexpr uint64_t kSectorSize = 512;
// Archives up to this size are kept without dead space at every finish;
// larger ones are compacted once a quarter of them is dead.
constexpr uint64_t kSmallArchive = 1u << 20;

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

[[noreturn]] void RaiseTooLarge(std::string_view archivePath) {
  Raise(rt::Overflow, "The archive " + Quoted(archivePath) +
                          " would grow past 4 GiB, the most its 32-bit offsets can address.");
}

void CheckName(std::string_view name) {
  if (name.empty() || name.find('\0') != std::string_view::npos) {
    Raise(rt::BadFileNameOrNumber, "The entry name " + Quoted(name) + " is empty or holds a zero byte.");
  }
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
  const auto less = [](const Entry& a, const Entry& b) { return LessIgnoringAsciiCase(a.Name, b.Name); };
  if (!std::is_sorted(entries.begin(), entries.end(), less)) return entries.size();
  const auto it =
      std::lower_bound(entries.begin(), entries.end(), name,
                       [](const Entry& e, std::string_view n) { return LessIgnoringAsciiCase(e.Name, n); });
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
  std::sort(names.begin(), names.end(), LessIgnoringAsciiCase);
  const auto twin = std::adjacent_find(names.begin(), names.end(), SameIgnoringAsciiCase);
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
