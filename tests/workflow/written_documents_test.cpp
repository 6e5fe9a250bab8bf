#include "workflow/writer/written_documents.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace gs::writer {
namespace {

namespace fs = std::filesystem;

TEST(WrittenDocumentsTest, GivesTheTextBackOnlyForTheSameBytes) {
  const fs::path dir = fs::temp_directory_path() / ("gs-written-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string path = (dir / "t.doc").string();
  std::ofstream(path, std::ios::binary) << "the bytes written";
  TextDocument text({Table{{{"Привет", "Hello"}}}});
  text.SetLandscape(true);
  text.GoToLine(1, 1);

  WrittenDocuments written;
  EXPECT_FALSE(written.Recall(path));
  written.Remember(path, text);
  auto recalled = written.Recall(path);
  ASSERT_TRUE(recalled);
  EXPECT_EQ(recalled->Blocks(), text.Blocks());
  EXPECT_TRUE(recalled->Landscape());
  EXPECT_FALSE(recalled->Modified());
  EXPECT_FALSE(written.Recall((dir / "other.doc").string()));

  // Same size, other content: the file is read by the office again.
  std::ofstream(path, std::ios::binary) << "the bytes WRITTEN";
  EXPECT_FALSE(written.Recall(path));
  std::ofstream(path, std::ios::binary) << "the bytes written";
  EXPECT_TRUE(written.Recall(path));
  written.Forget();
  EXPECT_FALSE(written.Recall(path));
  fs::remove(path);
  written.Remember(path, text);  // a file that is not there is not remembered
  std::ofstream(path, std::ios::binary) << "";
  EXPECT_FALSE(written.Recall(path));
  fs::remove_all(dir);
}

}  // namespace
}  // namespace gs::writer
