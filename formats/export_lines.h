// The lines of an export's text, built in a sink's buffer. Stored fields are
// copied as they are, and a block of lines at a time is turned into edit
// form: mapped in as few passes as the fields allow (one, unless a field
// ends in a possible pair start), then masked in one pass, the line ends put
// back after it.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "formats/field_codec.h"
#include "formats/text_sink.h"

namespace gs {

class ExportLines {
 public:
  ExportLines(const FieldCodec& codec, TextSink& sink);

  // The zero-terminated string at offset of file, in stored form; see
  // FieldCodec::StoredString.
  void StoredField(std::span<const uint8_t> file, int64_t offset);
  // Text already in edit form.
  void EditField(std::span<const uint8_t> text);
  // The separator between a line's two texts.
  void Separator() { text_.push_back(0x00); }
  // Ends the line with 0x0D 0x0A; a full block of lines goes to the sink.
  void EndLine();
  // Hands the last lines to the sink.
  void Finish();

 private:
  // Lines of this size are turned into edit form while they are in cache.
  static constexpr size_t kBlock = 256 << 10;

  void MapPending();
  void FinishBlock();

  const FieldCodec& codec_;
  TextSink& sink_;
  Bytes& text_;
  size_t blockStart_;             // the first byte not yet masked
  size_t pendingStart_;           // the first byte not yet mapped
  bool pendingText_ = false;      // a stored field of at least one byte awaits mapping
  std::vector<size_t> lineEnds_;  // where the block's line ends go
};

}  // namespace gs
