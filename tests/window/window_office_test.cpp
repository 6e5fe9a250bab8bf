// The window as a user drives it, with the real LibreOffice Writer: the three
// buttons in turn on a sample game, the test typing into the document between
// "Edit in MS Word" and "Save changes" through the office's own connection.
#include <gtest/gtest.h>

#include "catalog/header_refresh.h"
#include "common/fs.h"
#include "tests/support/virtual_display.h"
#include "tests/window/window_test_support.h"
#include "tests/word/probe/writer_probe.h"
#include "tests/workflow/archive_text.h"

namespace gs {
namespace {

using test::ReadBytes;

TEST(WindowOfficeTest, TheThreeButtonsCarryAnEditIntoTheGame) {
  testing::VirtualDisplay display;
  if (!display.Ready()) GTEST_SKIP() << "no Xvfb";
  test::SampleInstallation game("gs-window-office", 120, 20);
  test::StoreSettings(game.Game(), 0, 1, 1);
  const auto archiveBefore = ReadBytes(game / "fe\\local.viv");

  WordAppOptions options;
  options.profileRoot = GLOSSMITH_TEST_PROFILES;
  options.longCallSeconds = 300;
  test::FormOnView f(testing::ProbedWriter().Apps(options));
  ASSERT_TRUE(f->Form_Load());
  f.View().Show();

  f.User().Click("Command1");
  ASSERT_TRUE(f->shown.empty()) << f->shown[0];
  EXPECT_TRUE(FileExists(f->State().WorkTablePath));

  f.User().Click("Command2");
  ASSERT_TRUE(f->shown.empty()) << f->shown[0];
  auto expected = test::Lines(ReadBytes(f->State().TextFilePath));
  ASSERT_GT(expected.size(), 3u);
  ASSERT_NE(f->State().WordApp, nullptr);
  testing::WriterProbe* probe = testing::ProbeOf(*f->State().WordApp);
  ASSERT_NE(probe, nullptr);
  EXPECT_TRUE(probe->WindowVisible());
  EXPECT_EQ(probe->TableRows(1), static_cast<int32_t>(expected.size()));
  probe->SetCellText(1, "A3", "Сохранить изменения");

  f.User().Click("Command3");
  ASSERT_TRUE(f->shown.empty()) << f->shown[0];
  EXPECT_EQ(f->unloads, 0);
  EXPECT_TRUE(f.View().Command1().Enabled());
  EXPECT_TRUE(f.View().Check1().Enabled());
  EXPECT_EQ(f.View().Check1().Value(), 1);
  EXPECT_TRUE(FileExists(game / "KT\\Efiles\\FrontFrench.bin.doc"));
  EXPECT_EQ(ReadBytes(game / "fe\\local.viv.bak"), archiveBefore);
  // The checks ran over the text as the word processor saved it.
  ASSERT_GE(f->State().QualityLines.size(), 2u);
  EXPECT_TRUE(f->State().QualityLines[1].starts_with("Checks: ")) << f->State().QualityLines[1];

  // The game now holds the edit and nothing else changed; its header file
  // and the header copy in the preload archive follow the new archive.
  expected[2].replace(0, expected[2].find('\0'), "Сохранить изменения");
  EXPECT_EQ(test::ArchiveText(f->State(), "FrontFrench.bin"), expected);
  const Bytes header = ReadArchiveHeader(game / "fe\\local.viv");
  const std::vector<uint8_t> headerBytes(header.begin(), header.end());
  EXPECT_EQ(ReadBytes(game / "fe\\local.bh"), headerBytes);
  EXPECT_EQ(test::Entry(game / "preload\\fmisc.viv", "local.bh"), headerBytes);

  EXPECT_TRUE(f.User().CloseByUser());
  EXPECT_FALSE(f.User().Shown());
}

}  // namespace
}  // namespace gs
