// The string field codec: turns a string as the game's file holds it (stored
// form) into the UTF-8 text the user edits (edit form), and back. Only the
// tables of the French slot, which hold Russian, store their letters in a
// form of their own (see StoredLettersOf): "Game" tables have their own
// byte-pair mapping, the others go through the transcoding library kt. Every
// other table keeps its bytes as they are. Every conversion keeps the
// buffer's length, so offsets computed before and after a conversion agree.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "catalog/catalog.h"
#include "common/file.h"
#include "formats/kt_library.h"

namespace gs {

// Bytes 0x01 to 0x1F become "@"; 0x00 and every byte from 0x20 up stay.
void MaskControlBytes(std::span<uint8_t> bytes);

// The "Game" mapping, stored form to edit form, in place: the pairs C6 A8,
// C6 B8 and C7 80 to C7 BF become the Cyrillic letters Ё, ё and А to я.
// A lead byte C6 or C7 in the last position has no pair and stays.
void GameDecode(std::span<uint8_t> bytes);
// The "Game" mapping, edit form to stored form, in place.
void GameEncode(std::span<uint8_t> bytes);

class FieldCodec {
 public:
  // The codec of the table named by the current file name; the library is
  // used (and loaded) only when a field of the French slot's "Front" table
  // or e-mail data needs it.
  FieldCodec(std::string_view currentFileName, KtLibrary& kt);

  // The table's byte-pair mapping over a whole buffer, without masking:
  // GameDecode or DeCoder, GameEncode or ReCoder, or none. Zero bytes always
  // stay: the library runs on each zero-terminated string on its own.
  void Decode(std::span<uint8_t> bytes) const;
  void Encode(std::span<uint8_t> bytes) const;

  // The mapping over fields joined in one buffer, in one pass. The bytes
  // between the fields (separators, line ends) must be below 0xC0 and no
  // field that something follows in the buffer may end in a byte for which
  // EndsPairFree is false: then no pair reaches across a field's end, and
  // one pass gives what the mapping of each field on its own gives.
  void DecodeJoined(std::span<uint8_t> bytes) const;
  void EncodeJoined(std::span<uint8_t> bytes) const;
  // True when a field ending in lastByte may be joined to what follows it:
  // pairs of either mapping start only at bytes from 0xC0 up.
  static bool EndsPairFree(uint8_t lastByte) noexcept { return lastByte < 0xC0; }

  // Starts loading the string at offset of file into the cache, to be read
  // a little later. Strings that entries share lie anywhere in a file, and
  // reading them one after another would wait for memory at each.
  static void Prefetch(std::span<const uint8_t> file, int64_t offset) noexcept {
    if (offset >= 0 && static_cast<uint64_t>(offset) < file.size()) __builtin_prefetch(file.data() + offset);
  }

  // The zero-terminated string at offset of file, without its terminator.
  // The end of the file also ends a string; an offset outside the file
  // reads as an empty string.
  static std::span<const uint8_t> StoredString(std::span<const uint8_t> file, int64_t offset);

  // Appends the edit form of the zero-terminated string at offset of file to
  // out and returns the position directly after its terminator. The end of
  // the file also ends a string; an offset outside the file reads as an
  // empty string (and returns the file's size).
  size_t ReadField(std::span<const uint8_t> file, int64_t offset, Bytes& out) const;
  Bytes ReadField(std::span<const uint8_t> file, int64_t offset) const;

  // Edit form back to stored form, in place and of the same length:
  // MaskControlBytes, then the type's mapping. Works on one string or on a
  // run of zero-terminated strings; zero bytes stay where they are.
  void EncodeField(std::span<uint8_t> bytes) const;

 private:
  StoredLetters letters_;
  KtLibrary& kt_;
};

// The fields of a buffer being filled for EncodeField, noted as they are
// added, so that Encode can map the buffer in one pass: it stops only after
// a field that ends in a possible pair start, and it calls the library only
// when some field holds a byte.
class JoinedFields {
 public:
  // A field that ends at end of the buffer (the position of its terminator,
  // or the buffer's end).
  void Add(std::span<const uint8_t> field, size_t end) {
    if (field.empty()) return;
    text_ = true;
    if (!FieldCodec::EndsPairFree(field.back())) stops_.push_back(end);
  }

  // EncodeField over the buffer, whose fields were added.
  void Encode(const FieldCodec& codec, std::span<uint8_t> bytes) const;

 private:
  bool text_ = false;
  std::vector<size_t> stops_;
};

}  // namespace gs
