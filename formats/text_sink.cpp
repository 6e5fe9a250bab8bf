#include "formats/text_sink.h"

#include "common/memory.h"

namespace gs {

TextFileSink::TextFileSink(const std::string& path) : file_(path, Durability::Work) {
  ReserveLarge(buffer_, 2 * kBlock);
}

void TextFileSink::LinesDone() {
  if (buffer_.size() >= kBlock) Flush();
}

void TextFileSink::Flush() {
  file_.Append(buffer_);
  buffer_.clear();
}

void TextFileSink::Commit() {
  Flush();
  file_.Commit();
}

}  // namespace gs
