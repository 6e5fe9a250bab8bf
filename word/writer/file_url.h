// file:// URLs of local paths, as the office takes and gives them.
#pragma once

#include <string>
#include <string_view>

namespace gs::writer {

// The file URL of an absolute path, every byte outside the unreserved
// characters and '/' percent-encoded.
std::string FileUrl(std::string_view path);

// The path of a file URL ("" when url is not a local file URL).
std::string PathOfFileUrl(std::string_view url);

// An absolute form of path (relative paths are taken from the current folder).
std::string AbsolutePath(const std::string& path);

}  // namespace gs::writer
