#include "word/writer/written_documents.h"

#include <functional>
#include <string_view>

#include "common/error.h"
#include "common/file.h"

namespace gs::writer {

std::optional<WrittenDocuments::Fingerprint> WrittenDocuments::FingerprintOf(const std::string& path) {
  try {
    const Bytes bytes = ReadWholeFile(path);
    const std::string_view content(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return Fingerprint{bytes.size(), std::hash<std::string_view>{}(content)};
  } catch (const Error&) {
    return std::nullopt;
  }
}

void WrittenDocuments::Remember(const std::string& path, const TextDocument& text) {
  const auto fingerprint = FingerprintOf(path);
  std::lock_guard lock(mutex_);
  blocks_.reset();
  if (!fingerprint) return;
  path_ = path;
  fingerprint_ = *fingerprint;
  blocks_ = text.Blocks();
  landscape_ = text.Landscape();
}

std::optional<TextDocument> WrittenDocuments::Recall(const std::string& path) {
  std::lock_guard lock(mutex_);
  if (!blocks_ || path != path_ || FingerprintOf(path) != fingerprint_) return std::nullopt;
  TextDocument text(*blocks_);
  text.SetLandscape(landscape_);
  text.SetModified(false);
  return text;
}

void WrittenDocuments::Forget() {
  std::lock_guard lock(mutex_);
  blocks_.reset();
}

}  // namespace gs::writer
