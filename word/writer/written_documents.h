// Documents this program has just written, remembered with their text. In
// the save-back step the kept document is written by one word processor and
// opened again by the next one; when the file still holds exactly the bytes
// that were written (same size, same content hash), its text is taken from
// here instead of having the office load the whole file and hand its text
// back (the two slowest things the office does with a big table). The
// applications of one word processor share one (word_app.h, WordApps).
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "word/writer/text_document.h"

namespace gs::writer {

class WrittenDocuments {
 public:
  // Remembers the text of the file just written at path (only the last one).
  void Remember(const std::string& path, const TextDocument& text);
  // The text of the file at path when it still holds what was written;
  // unmodified, its selection at the start.
  std::optional<TextDocument> Recall(const std::string& path);
  void Forget();

 private:
  struct Fingerprint {
    uint64_t size = 0;
    uint64_t hash = 0;
    bool operator==(const Fingerprint&) const = default;
  };
  // Empty when the file cannot be read: then it is not remembered, and the
  // office reads it as any other.
  static std::optional<Fingerprint> FingerprintOf(const std::string& path);

  std::mutex mutex_;
  std::string path_;
  Fingerprint fingerprint_;
  std::optional<std::vector<Block>> blocks_;
  bool landscape_ = false;
};

}  // namespace gs::writer
