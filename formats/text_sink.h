// Where an export's text goes. The export appends finished lines to Buffer()
// and then calls LinesDone(), at which a sink may take the buffered bytes
// away. The plain TextSink keeps the whole text in memory.
#pragma once

#include <string>

#include "common/file.h"

namespace gs {

class TextSink {
 public:
  virtual ~TextSink() = default;

  Bytes& Buffer() noexcept { return buffer_; }

  // The buffer ends with whole lines in their final form.
  virtual void LinesDone() {}

 protected:
  Bytes buffer_;
};

// A text file written in large blocks beside the old one and put in its
// place by Commit(). Dropped without Commit(), it leaves the old file whole.
// The text file is a work file of one editing cycle: it is not flushed to
// the disk.
class TextFileSink : public TextSink {
 public:
  explicit TextFileSink(const std::string& path);
  void LinesDone() override;
  void Commit();

 private:
  static constexpr size_t kBlock = 1 << 20;
  void Flush();
  AtomicFile file_;
};

}  // namespace gs
