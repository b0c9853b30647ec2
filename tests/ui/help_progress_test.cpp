#include <QCoreApplication>
#include <QPushButton>
#include <QTest>
#include <stdexcept>

#include "base/platform_error.h"
#include "tests/support/image_writers.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/window_fixture.h"
#include "ui/error_display.h"

namespace karovel::testing {
namespace {

using HelpAboutTest = WindowTest;

TEST_F(HelpAboutTest, HelpTextByteForByte) {
  form->Help1->trigger();
  ASSERT_EQ(messages.messages.size(), 1u);
  EXPECT_EQ(messages.messages[0].caption, "Help");
  const std::string& text = messages.messages[0].text;
  const std::string expected =
      "For more help, read the user guide that comes with the program: docs/USER-GUIDE.md\r\n\r\n\r\n"
      "Definitions:\r\nImage: uncalibrated bitmap image (jpeg, gif, bmp)\r\n"
      "Map: The Image(s) and calibration info\r\n"
      "     The map contains calib. data and link to the image(s)\r\n\r\n"
      "Usage:\r\na) Import image(s)\r\nb) Create calibration points (2-5) for each image\r\n"
      "use more points and larger distance between points for accuracy\r\nc) Click \"calibrate\"\r\n"
      "When map is calibrated the \"Y\" appears in the grid\r\n"
      "The calibrated map can be saved/loaded via \"File-Map\" menu\r\n"
      "When all images are calibrated, click \"Create RMP\" menu\r\n\r\n"
      "Misc.:\r\nTo change name in the grid (map) dbl click the cell in the grid \r\n"
      "To move image use scrollbars or hold left button and move the mouse\r\n"
      "To insert calibration point dbl click on the image\r\n"
      "To remove calibration point uncheck checkbox\r\n"
      "To see how all maps are located relative to each other click \"Overview Maps\"\r\n";
  EXPECT_EQ(text, expected);
}

TEST_F(HelpAboutTest, AboutTextByteForByte) {
  form->About1->trigger();
  ASSERT_EQ(messages.messages.size(), 1u);
  EXPECT_EQ(messages.messages[0].caption, "About");
  EXPECT_EQ(messages.messages[0].text,
            "Karovel \r\nversion 1.5\r\n\r\nMade by the Karovel developers; the user guide is "
            "docs/USER-GUIDE.md\r\n\r\n\r\n");
}

TEST_F(HelpAboutTest, BothChangeNothing) {
  form->Help1->trigger();
  form->About1->trigger();
  EXPECT_EQ(form->catalogue.mapCount, 0);
  EXPECT_EQ(form->StringGrid1->Row(), 1);
  EXPECT_EQ(messages.messages.size(), 2u);
}

class ProgressTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Show();
    // Record what the bar shows at each report, after the window's own handling.
    auto show = form->progress.show;
    form->progress.show = [this, show](int32_t percent, bool visible) {
      show(percent, visible);
      seen.push_back({form->SCProgress1->value(), form->SCProgress1->isVisible()});
    };
  }
  std::vector<std::pair<int, bool>> seen;
};

TEST_F(ProgressTest, SimulatedLoadShowsFiveThenPercentagesThenHides) {
  form->ImageLoadProgress(LoadStage::Starting, 0);
  form->ImageLoadProgress(LoadStage::Running, 30);
  form->ImageLoadProgress(LoadStage::Running, 80);
  form->ImageLoadProgress(LoadStage::Ending, 100);
  using V = std::vector<std::pair<int, bool>>;
  EXPECT_EQ(seen, (V{{5, true}, {30, true}, {80, true}, {5, false}}));
  EXPECT_EQ(form->progress.progressPercent, 5);
  EXPECT_FALSE(form->progress.progressVisible);
  EXPECT_TRUE(form->SCStatusBar2->isVisible());
}

TEST_F(ProgressTest, RealLoadGoesThroughTheLoaderCallback) {
  TempDir dir;
  const std::string path = dir.File("big.ppm");
  std::string ppm = "P6\n300 200\n255\n";
  ppm.append(300 * 200 * 3, '\x40');
  WriteTextFile(path, ppm);
  ASSERT_TRUE(image::LoadWorkingImage(form->imageHost, path));
  ASSERT_GE(seen.size(), 2u);
  EXPECT_EQ(seen.front(), std::make_pair(5, true));
  EXPECT_EQ(seen.back(), std::make_pair(5, false));
  EXPECT_FALSE(form->SCProgress1->isVisible());
}

TEST_F(ProgressTest, UpdateProgressPutsTheValuesOnTheBar) {
  form->progress.progressPercent = 42;
  form->progress.progressVisible = true;
  form->UpdateProgress();
  EXPECT_EQ(form->SCProgress1->value(), 42);
  EXPECT_TRUE(form->SCProgress1->isVisible());
  EXPECT_EQ(seen.size(), 1u);
}

using ResizeTest = WindowTest;

TEST_F(ResizeTest, BelowMinimumHeightIsRefusedWidthIncluded) {
  Show();
  form->resize(1000, 700);
  ProcessEvents();
  ASSERT_EQ(form->size(), QSize(1000, 700));
  form->resize(700, 500);
  ProcessEvents();
  EXPECT_EQ(form->size(), QSize(1000, 700));
  const int frame = form->frameGeometry().height() - form->height();
  form->resize(300, app::MinimumOuterHeight - frame);
  ProcessEvents();
  EXPECT_EQ(form->size(), QSize(300, app::MinimumOuterHeight - frame));
  EXPECT_TRUE(form->FormCanResize(10, 620));
  EXPECT_FALSE(form->FormCanResize(5000, 619));
}

TEST_F(ResizeTest, LayoutFollowsTheNewSize) {
  Show();
  form->resize(1000, 700);
  ProcessEvents();
  const QSize client = form->clientArea->size();
  EXPECT_EQ(form->Panel1->geometry(), QRect(client.width() - 201, 0, 201, client.height() - 20));
  EXPECT_EQ(form->Image1->size(), QSize(client.width() - 201 - 22, client.height() - 24));
  EXPECT_EQ(form->SCTabControl1->y() + 287 + 20, form->Panel1->height());
}

// The general error display: whatever a handler throws is shown, and the program goes on.
TEST_F(WindowTest, ExceptionFromAHandlerReachesTheErrorDisplay) {
  auto* button = new QPushButton(form.get());
  QObject::connect(button, &QPushButton::clicked, [] { throw PlatformError("Cannot open file x.gmap"); });
  Show();
  button->show();
  QTest::mouseClick(button, Qt::LeftButton);
  ASSERT_EQ(ApplicationErrors().messages.size(), 1u);
  EXPECT_EQ(ApplicationErrors().messages[0].text, "Cannot open file x.gmap");
  EXPECT_EQ(ApplicationErrors().messages[0].caption, ui::ErrorCaption);
  // Still running: the next command works.
  form->Help1->trigger();
  EXPECT_EQ(messages.messages.size(), 1u);
}

TEST(ErrorDisplayTest, OutOfMemoryAndEmptyTextsReadWell) {
  EXPECT_EQ(ui::ErrorDisplayText(std::bad_alloc()), "Out of memory");
  EXPECT_EQ(ui::ErrorDisplayText(std::runtime_error("")), "An unexpected error occurred");
  EXPECT_EQ(ui::ErrorDisplayText(std::runtime_error("Stream write error")), "Stream write error");
}

}  // namespace
}  // namespace karovel::testing
