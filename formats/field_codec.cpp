#include "formats/field_codec.h"

#include <cstring>
#include <limits>

#include "common/error.h"

namespace gs {

namespace {

using LibraryOperation = void (KtLibrary::*)(uint8_t*, uint32_t);

// A library operation over the whole of bytes in one call. The library takes
// 32-bit lengths; fields and string areas of the game's files stay within
// the 32-bit signed range of their offsets.
void CallLibrary(KtLibrary& kt, LibraryOperation operation, std::span<uint8_t> bytes) {
  if (bytes.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) RaiseRuntime(rt::Overflow);
  (kt.*operation)(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

// Stored "Game" pair to edit-form pair; other values stay.
uint32_t GamePairToEdit(uint32_t w) {
  if (w == 0xC6A8) return 0xD081;                     // Ё
  if (w == 0xC6B8) return 0xD191;                     // ё
  if (w >= 0xC780 && w <= 0xC7AF) return w + 0x0910;  // А to п
  if (w >= 0xC7B0 && w <= 0xC7BF) return w + 0x09D0;  // р to я
  return w;
}

// Edit-form pair to stored "Game" pair; other values stay.
uint32_t EditPairToGame(uint32_t w) {
  if (w == 0xD081) return 0xC6A8;
  if (w == 0xD191) return 0xC6B8;
  if (w >= 0xD090 && w <= 0xD0BF) return w - 0x0910;
  if (w >= 0xD180 && w <= 0xD18F) return w - 0x09D0;
  return w;
}

// Runs a library operation on each zero-terminated string of a buffer on its
// own. The library takes a lead byte directly before a zero as a pair and
// would overwrite the zero, merging two strings; split at the zeros, every
// zero stays where it is.
void EachString(std::span<uint8_t> bytes, KtLibrary& kt, LibraryOperation operation) {
  uint8_t* p = bytes.data();
  uint8_t* const end = p + bytes.size();
  while (p < end) {
    auto* zero = static_cast<uint8_t*>(std::memchr(p, 0, static_cast<size_t>(end - p)));
    uint8_t* const stop = zero != nullptr ? zero : end;
    if (stop > p) CallLibrary(kt, operation, {p, stop});
    p = stop + 1;
  }
}

// The mapping a table's letters ask for: game for the French slot's "Game"
// table, library for its other tables, none for every other table.
template <typename Library>
void MapLetters(StoredLetters letters, std::span<uint8_t> bytes, void (*game)(std::span<uint8_t>),
                Library library) {
  if (letters == StoredLetters::GameCyrillic) {
    game(bytes);
  } else if (letters == StoredLetters::Cyrillic) {
    library(bytes);
  }
}

void PutPair(uint8_t* p, uint32_t w) {
  p[0] = static_cast<uint8_t>(w >> 8);
  p[1] = static_cast<uint8_t>(w);
}

}  // namespace

void GameDecode(std::span<uint8_t> bytes) {
  const size_t n = bytes.size();
  uint8_t* p = bytes.data();
  size_t i = 0;
  while (i < n) {
    if ((p[i] == 0xC6 || p[i] == 0xC7) && i + 1 < n) {
      // The second byte of a pair never starts a pair, changed or not.
      PutPair(p + i, GamePairToEdit(static_cast<uint32_t>(p[i]) << 8 | p[i + 1]));
      i += 2;
    } else {
      ++i;
    }
  }
}

void GameEncode(std::span<uint8_t> bytes) {
  const size_t n = bytes.size();
  uint8_t* p = bytes.data();
  for (size_t j = 0; j + 1 < n; ++j) {
    if (p[j] == 0xD0 || p[j] == 0xD1)
      PutPair(p + j, EditPairToGame(static_cast<uint32_t>(p[j]) << 8 | p[j + 1]));
  }
}

FieldCodec::FieldCodec(std::string_view currentFileName, KtLibrary& kt)
    : letters_(StoredLettersOf(currentFileName)), kt_(kt) {}

void FieldCodec::Decode(std::span<uint8_t> bytes) const {
  MapLetters(letters_, bytes, GameDecode, [&](auto b) { EachString(b, kt_, &KtLibrary::DeCoder); });
}

void FieldCodec::Encode(std::span<uint8_t> bytes) const {
  MapLetters(letters_, bytes, GameEncode, [&](auto b) { EachString(b, kt_, &KtLibrary::ReCoder); });
}

void FieldCodec::DecodeJoined(std::span<uint8_t> bytes) const {
  MapLetters(letters_, bytes, GameDecode, [&](auto b) { CallLibrary(kt_, &KtLibrary::DeCoder, b); });
}

void FieldCodec::EncodeJoined(std::span<uint8_t> bytes) const {
  MapLetters(letters_, bytes, GameEncode, [&](auto b) { CallLibrary(kt_, &KtLibrary::ReCoder, b); });
}

std::span<const uint8_t> FieldCodec::StoredString(std::span<const uint8_t> file, int64_t offset) {
  if (offset < 0 || static_cast<uint64_t>(offset) >= file.size()) return {};
  const uint8_t* begin = file.data() + offset;
  const size_t left = file.size() - static_cast<size_t>(offset);
  const auto* zero = static_cast<const uint8_t*>(std::memchr(begin, 0, left));
  return {begin, zero != nullptr ? static_cast<size_t>(zero - begin) : left};
}

size_t FieldCodec::ReadField(std::span<const uint8_t> file, int64_t offset, Bytes& out) const {
  const std::span<const uint8_t> stored = StoredString(file, offset);
  if (stored.empty()) {  // neither mapping runs on an empty string
    return offset < 0 || static_cast<uint64_t>(offset) >= file.size() ? file.size()
                                                                      : static_cast<size_t>(offset) + 1;
  }
  const size_t end = static_cast<size_t>(stored.data() + stored.size() - file.data());
  const size_t start = out.size();
  out.insert(out.end(), stored.begin(), stored.end());
  // One string without a zero byte: the mapping may take it whole.
  const std::span<uint8_t> field(out.data() + start, stored.size());
  DecodeJoined(field);
  MaskControlBytes(field);
  return end < file.size() ? end + 1 : end;
}

Bytes FieldCodec::ReadField(std::span<const uint8_t> file, int64_t offset) const {
  Bytes out;
  ReadField(file, offset, out);
  return out;
}

void FieldCodec::EncodeField(std::span<uint8_t> bytes) const {
  MaskControlBytes(bytes);
  Encode(bytes);
}

void JoinedFields::Encode(const FieldCodec& codec, std::span<uint8_t> bytes) const {
  MaskControlBytes(bytes);
  if (!text_) return;  // empty fields need no mapping
  size_t start = 0;
  for (const size_t stop : stops_) {
    codec.EncodeJoined(bytes.subspan(start, stop - start));
    start = stop;
  }
  codec.EncodeJoined(bytes.subspan(start));
}

}  // namespace gs
