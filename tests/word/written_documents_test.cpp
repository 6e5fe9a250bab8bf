#include "word/writer/written_documents.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/test_folder.h"

namespace gs::writer {
namespace {

class WrittenDocumentsTest : public gs::testing::FolderTest {};

TEST_F(WrittenDocumentsTest, GivesTheTextBackOnlyForTheSameBytes) {
  const std::string path = Path("t.doc");
  Write(path, "the bytes written");
  TextDocument text({Table{{{"Привет", "Hello"}}}});
  text.SetLandscape(true);

  WrittenDocuments written;
  EXPECT_FALSE(written.Recall(path));
  written.Remember(path, text);
  auto recalled = written.Recall(path);
  ASSERT_TRUE(recalled);
  EXPECT_EQ(recalled->Blocks(), text.Blocks());
  EXPECT_TRUE(recalled->Landscape());
  EXPECT_FALSE(recalled->Modified());
  EXPECT_FALSE(written.Recall(Path("other.doc")));

  // Same size, other content: the file is read by the office again.
  Write(path, "the bytes WRITTEN");
  EXPECT_FALSE(written.Recall(path));
  Write(path, "the bytes written");
  EXPECT_TRUE(written.Recall(path));
  written.Forget();
  EXPECT_FALSE(written.Recall(path));
  std::filesystem::remove(path);
  written.Remember(path, text);  // a file that is not there is not remembered
  Write(path, "");
  EXPECT_FALSE(written.Recall(path));
}

}  // namespace
}  // namespace gs::writer
