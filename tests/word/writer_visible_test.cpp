// WordApp's window against the real LibreOffice Writer, on a virtual display
// (Xvfb with a window manager) that the tests start themselves.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <thread>

#include "common/error.h"
#include "tests/support/virtual_display.h"
#include "tests/word/writer_test_support.h"

namespace gs::testing {
namespace {

const std::string kNul(1, '\0');

// The geometry of the top-level windows titled "... LibreOffice Writer".
std::vector<std::pair<int, int>> WriterWindowSizes() {
  std::vector<std::pair<int, int>> sizes;
  FILE* out = ::popen("xwininfo -root -tree 2>/dev/null", "r");
  if (out == nullptr) return sizes;
  std::array<char, 1024> line{};
  while (std::fgets(line.data(), static_cast<int>(line.size()), out) != nullptr) {
    const std::string text = line.data();
    if (text.find("LibreOffice Writer\"") == std::string::npos) continue;
    int width = 0;
    int height = 0;
    // ... "t.doc - LibreOffice Writer": ("libreoffice" "libreoffice-writer")  1600x981+0+19  +0+19
    const size_t at = text.rfind(')');
    if (at != std::string::npos && std::sscanf(text.c_str() + at + 1, " %dx%d", &width, &height) == 2) {
      sizes.emplace_back(width, height);
    }
  }
  ::pclose(out);
  return sizes;
}

class WriterVisibleTest : public WriterTest {
 protected:
  static void SetUpTestSuite() { display_ = new VirtualDisplay; }
  static void TearDownTestSuite() {
    delete display_;
    display_ = nullptr;
  }
  void SetUp() override {
    WriterTest::SetUp();
    if (!display_->Ready()) GTEST_SKIP() << "no Xvfb";
  }
  // A shown office outlives its WordApp by design; a failed test must not
  // leave one behind.
  void TearDown() override {
    if (ProcessAlive(office_)) ::kill(office_, SIGKILL);
    WriterTest::TearDown();
  }
  static WordAppOptions Visible() {
    auto options = Options();
    options.useDisplay = true;
    return options;
  }
  // A document of 40 rows, shown at one of them; with wrap, each row's
  // text takes several lines of the page.
  std::unique_ptr<WordApp> BuildShown(int32_t row, bool wrap = false) {
    std::string text;
    for (int r = 1; r <= 40; ++r) {
      std::string words;
      for (int w = 0; wrap && w < 40; ++w) words += " слово";
      text += "Строка " + std::to_string(r) + words + kNul + "Line" + (wrap ? " of many words" : "") + "\r\n";
    }
    Write(Path("t.txt"), text);
    auto app = Start(Visible());
    BuildDocument(*app, Path("t.txt"), Path("t.doc"));
    GoToRow(*app, row);
    app->SetVisible(true);
    app->SetWindowState(wd::WindowStateMaximize);
    office_ = Probe(*app).OfficePid();
    return app;
  }

  static VirtualDisplay* display_;
  int office_ = 0;
};

VirtualDisplay* WriterVisibleTest::display_ = nullptr;

TEST_F(WriterVisibleTest, ShowsTheDocumentMaximizedAtTheRememberedLine) {
  auto app = BuildShown(27);
  auto& probe = Probe(*app);
  EXPECT_FALSE(probe.Headless());
  EXPECT_TRUE(probe.WindowVisible());
  EXPECT_TRUE(Eventually([&] { return probe.WindowMaximized(); }));
  EXPECT_EQ(app->Selection().Information(wd::EndOfRangeRowNumber), 27);
  EXPECT_TRUE(Eventually([] {
    const auto sizes = WriterWindowSizes();
    return sizes.size() == 1 && sizes[0].first >= 1500;
  }));
  const auto sizes = WriterWindowSizes();
  ASSERT_EQ(sizes.size(), 1u);
  EXPECT_GE(sizes[0].first, 1500);
  EXPECT_GE(sizes[0].second, 900);
  app->Quit(true);
}

TEST_F(WriterVisibleTest, QuitWithSaveChangesStoresTheShownDocumentWithoutADialog) {
  auto app = BuildShown(3);
  Probe(*app).SetCellText(1, "A3", "Правка пользователя");
  GoToRow(*app, 5);
  const int32_t line = app->Selection().Information(wd::EndOfRangeRowNumber);
  const int pid = Probe(*app).OfficePid();
  app->Quit(true);
  EXPECT_EQ(line, 5);
  EXPECT_FALSE(ProcessAlive(pid));
  std::filesystem::copy_file(Path("t.doc"), Path("copy.doc"));
  TakeBack(Path("copy.doc"), Path("back.txt"));
  const std::string back = Read(Path("back.txt"));
  EXPECT_NE(back.find("Правка пользователя" + kNul + "Line\r\n"), std::string::npos);
  EXPECT_EQ(back.find("Строка 3" + kNul), std::string::npos);
}

TEST_F(WriterVisibleTest, ReopensTheKeptDocumentAtTheRememberedLine) {
  auto app = BuildShown(3);
  app->Quit(true);
  // The next cycle of the same table: the kept document, shown at line 33.
  auto again = Start(Visible());
  again->Documents().Open(Path("t.doc"));
  GoToRow(*again, 33);
  again->SetVisible(true);
  again->SetWindowState(wd::WindowStateMaximize);
  office_ = Probe(*again).OfficePid();
  EXPECT_TRUE(Probe(*again).WindowVisible());
  EXPECT_EQ(again->Selection().Information(wd::EndOfRangeRowNumber), 33);
  EXPECT_EQ(Probe(*again).CellText(1, "A33"), "Строка 33");
  EXPECT_TRUE(Probe(*again).Page().landscape);
  again->Quit(true);
}

TEST_F(WriterVisibleTest, RowsThatWrapStillLandAtTheRememberedRow) {
  // Shown while still this program's text, then moved in the office's own
  // window, whose layout wraps every row to several lines.
  auto app = BuildShown(9, /*wrap*/ true);
  EXPECT_EQ(app->Selection().Information(wd::EndOfRangeRowNumber), 9);
  for (const int32_t row : {31, 2, 40}) {
    GoToRow(*app, row);
    EXPECT_EQ(app->Selection().Information(wd::EndOfRangeRowNumber), row);
  }
  app->Quit(true);
}

TEST_F(WriterVisibleTest, AWindowTheUserClosedMakesTheCallsFail) {
  auto app = BuildShown(1);
  Probe(*app).CloseWindow();
  try {
    app->Selection().Information(wd::EndOfRangeRowNumber);
    FAIL() << "a closed document answered";
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), wderr::NoDocumentOpen);
  }
  // Quit still ends the office, which shows its Start Center now.
  const int pid = Probe(*app).OfficePid();
  app->Quit(true);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(ProcessAlive(pid));
}

TEST_F(WriterVisibleTest, AShownOfficeOutlivesTheProgramThatStartedIt) {
  auto app = BuildShown(1);
  const int pid = Probe(*app).OfficePid();
  ASSERT_TRUE(Eventually([] { return WriterWindowSizes().size() == 1; }));
  app.reset();
  std::this_thread::sleep_for(std::chrono::seconds(1));
  EXPECT_TRUE(ProcessAlive(pid)) << "the user's word processor went away with the program";
  EXPECT_EQ(WriterWindowSizes().size(), 1u) << "the user's document was closed";
  ::kill(pid, SIGKILL);
}

}  // namespace
}  // namespace gs::testing
