// Where an export's lines go. Lines are appended to Buffer() and closed by
// EndLine(); a sink may take the buffered bytes away after any line end. The
// plain TextSink keeps the whole text in memory.
#pragma once

#include <string>

#include "common/file.h"

namespace gs {

class TextSink {
 public:
  virtual ~TextSink() = default;

  Bytes& Buffer() noexcept { return buffer_; }

  // Ends the current line with 0x0D 0x0A.
  void EndLine() {
    buffer_.push_back(0x0D);
    buffer_.push_back(0x0A);
    if (buffer_.size() >= kBlock) Flush();
  }

 protected:
  static constexpr size_t kBlock = 1 << 20;
  virtual void Flush() {}
  Bytes buffer_;
};

// A text file written in large blocks beside the old one and put in its
// place by Commit(). Dropped without Commit(), it leaves the old file whole.
class TextFileSink : public TextSink {
 public:
  explicit TextFileSink(const std::string& path);
  void Commit();

 private:
  void Flush() override;
  AtomicFile file_;
};

}  // namespace gs
