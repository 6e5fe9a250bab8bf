#include "formats/export_lines.h"

namespace gs {

ExportLines::ExportLines(const FieldCodec& codec, TextSink& sink)
    : codec_(codec),
      sink_(sink),
      text_(sink.Buffer()),
      blockStart_(text_.size()),
      pendingStart_(text_.size()) {}

void ExportLines::StoredField(std::span<const uint8_t> file, int64_t offset) {
  const std::span<const uint8_t> stored = FieldCodec::StoredString(file, offset);
  if (stored.empty()) return;  // neither mapping runs on an empty string
  text_.insert(text_.end(), stored.begin(), stored.end());
  pendingText_ = true;
  // A possible pair start at the end must not pair with the byte after it.
  if (!FieldCodec::EndsPairFree(stored.back())) MapPending();
}

void ExportLines::EditField(std::span<const uint8_t> text) {
  MapPending();  // edit form is not mapped again
  text_.insert(text_.end(), text.begin(), text.end());
  pendingStart_ = text_.size();
}

void ExportLines::EndLine() {
  lineEnds_.push_back(text_.size());
  text_.push_back(0x0D);
  text_.push_back(0x0A);
  if (text_.size() - blockStart_ >= kBlock) FinishBlock();
}

void ExportLines::Finish() {
  FinishBlock();
}

void ExportLines::MapPending() {
  if (pendingText_) {
    codec_.DecodeJoined(std::span<uint8_t>(text_).subspan(pendingStart_));
    pendingText_ = false;
  }
  pendingStart_ = text_.size();
}

void ExportLines::FinishBlock() {
  MapPending();
  MaskControlBytes(std::span<uint8_t>(text_).subspan(blockStart_));
  for (const size_t end : lineEnds_) {
    text_[end] = 0x0D;
    text_[end + 1] = 0x0A;
  }
  lineEnds_.clear();
  sink_.LinesDone();
  blockStart_ = pendingStart_ = text_.size();
}

}  // namespace gs
