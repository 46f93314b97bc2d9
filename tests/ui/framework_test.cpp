#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFontInfo>
#include <QPainter>
#include <QFile>
#include <QFontMetrics>
#include <filesystem>
#include <memory>
#include <vector>

#include "tests/ui/ui_test_support.h"
#include "ui/framework/controls.h"
#include "ui/framework/form.h"
#include "ui/framework/imagelist.h"

namespace {

struct MouseRecord {
  MouseButton button;
  ShiftState shift;
  int x, y;
};

class FrameworkTest : public ::testing::Test {
 protected:
  void SetUp() override { form_ = std::make_unique<TForm>("frmTest", "Test Window", 300, 200); }

  QString TempFile(const char* name) const {
    return QString::fromStdString((std::filesystem::current_path() / name).string());
  }

  std::unique_ptr<TForm> form_;
};

TEST_F(FrameworkTest, FormHasItsCaptionAndFixedClientArea) {
  EXPECT_EQ(form_->Name(), "frmTest");
  EXPECT_EQ(form_->Caption(), "Test Window");
  EXPECT_EQ(form_->ClientWidth(), 300);
  EXPECT_EQ(form_->ClientHeight(), 200);
  EXPECT_EQ(form_->minimumSize(), form_->maximumSize());
  EXPECT_FALSE(form_->windowFlags() & Qt::WindowMaximizeButtonHint);
}

TEST_F(FrameworkTest, AutoSizedFormFollowsItsVisibleControls) {
  auto* group = Place<TGroupBox>(form_.get(), "GroupBox1", 0, 0, 120, 60, QString("Group"));
  auto* extra = Place<TGroupBox>(form_.get(), "GroupBox2", 130, 70, 100, 90, QString("Extra"));
  form_->SetAutoSize(true);
  EXPECT_EQ(form_->ClientWidth(), 230);
  EXPECT_EQ(form_->ClientHeight(), 160);
  extra->SetVisible(false);
  EXPECT_EQ(form_->ClientWidth(), 120);
  EXPECT_EQ(form_->ClientHeight(), 60);
  group->SetBounds(0, 0, 150, 80);
  EXPECT_EQ(form_->ClientWidth(), 150);
  EXPECT_EQ(form_->ClientHeight(), 80);
}

TEST_F(FrameworkTest, ControlsAreFoundByNameAtAnyDepth) {
  auto* group = Place<TGroupBox>(form_.get(), "GroupBox1", 0, 0, 120, 60);
  auto* panel = Place<TPanel>(group, "Panel1", 5, 15, 50, 30);
  auto* label = Place<TLabel>(panel, "Label1", 2, 2, 40, 10, QString("Text"));
  auto* list = new TImageList(form_.get(), "TestList", 10, 10, 2);
  EXPECT_EQ(form_->FindControl("Label1"), label);
  EXPECT_EQ(form_->FindControl("Panel1"), panel);
  EXPECT_EQ(form_->FindControl("Missing"), nullptr);
  EXPECT_EQ(form_->Controls().size(), 3);
  EXPECT_EQ(form_->FindImageList("TestList"), list);
  EXPECT_EQ(label->Left(), 2);
  EXPECT_EQ(label->Top(), 2);
}

TEST_F(FrameworkTest, ControlKeepsTagHintAndVisibility) {
  auto* shape = Place<TShape>(form_.get(), "Shape1", 10, 20, 30, 40);
  shape->SetTag(4700);
  shape->SetHint("Capacitor");
  EXPECT_EQ(shape->Tag(), 4700);
  EXPECT_EQ(shape->Hint(), "Capacitor");
  EXPECT_TRUE(shape->Visible());  // shown with its window, though the window is not up yet
  shape->hide();
  EXPECT_FALSE(shape->Visible());
}

TEST_F(FrameworkTest, MouseEventsCarryButtonShiftAndPositionAndClickFollowsALeftReleaseInside) {
  auto* shape = Place<TShape>(form_.get(), "Shape1", 0, 0, 30, 30);
  std::vector<MouseRecord> downs, ups;
  int clicks = 0;
  shape->OnMouseDown = [&](TControl* sender, MouseButton b, ShiftState s, int x, int y) {
    EXPECT_EQ(sender, shape);
    downs.push_back({b, s, x, y});
  };
  shape->OnMouseUp = [&](TControl*, MouseButton b, ShiftState s, int x, int y) { ups.push_back({b, s, x, y}); };
  shape->OnClick = [&](TControl*) { ++clicks; };

  QMouseEvent press(QEvent::MouseButtonPress, QPointF(3, 4), QPointF(3, 4), Qt::RightButton, Qt::RightButton,
                    Qt::ShiftModifier);
  QCoreApplication::sendEvent(shape, &press);
  ASSERT_EQ(downs.size(), 1u);
  EXPECT_EQ(downs[0].button, MouseButton::Right);
  EXPECT_EQ(downs[0].shift, ssShift | ssRight);
  EXPECT_EQ(downs[0].x, 3);
  EXPECT_EQ(downs[0].y, 4);
  Release(shape, Qt::RightButton);
  EXPECT_EQ(clicks, 0);

  LeftClick(shape);
  EXPECT_EQ(clicks, 1);
  Press(shape, Qt::LeftButton);
  Release(shape, Qt::LeftButton, {40, 5});  // captured, released outside: no click
  EXPECT_EQ(clicks, 1);
  ASSERT_EQ(ups.size(), 3u);
  EXPECT_EQ(ups[2].x, 40);

  Press(shape, Qt::BackButton);  // a side button is none of the three
  Release(shape, Qt::BackButton);
  EXPECT_EQ(downs.size(), 3u);
  EXPECT_EQ(ups.size(), 3u);
}

TEST_F(FrameworkTest, AutoSizedLabelTakesItsCaptionsExtent) {
  auto* label = Place<TLabel>(form_.get(), "ZoneResValue1", 315, 17, 0, 0, QString("0R"));
  label->setFont(MakeFont("Terminal", 8));
  label->SetAutoSize(true);
  const QFontMetrics metrics(label->font());
  EXPECT_EQ(label->Width(), metrics.horizontalAdvance("0R"));
  EXPECT_EQ(label->Height(), metrics.height());
  label->SetCaption("4K27");
  EXPECT_EQ(label->Width(), metrics.horizontalAdvance("4K27"));
  EXPECT_EQ(label->Left(), 315);
}

// The installed faces the windows are drawn with.
TEST(FrameworkFonts, LayoutFontsMapOntoArialCompatibleFaces) {
  EXPECT_EQ(QFontInfo(MakeFont("MS Sans Serif", 11)).family(), "Liberation Sans");
  EXPECT_EQ(QFontInfo(MakeFont("Arial", 9)).family(), "Liberation Sans");
  EXPECT_EQ(QFontInfo(MakeFont("Terminal", 8)).family(), "Liberation Mono");
  EXPECT_EQ(MakeFont("Arial", 12, true).pixelSize(), 12);
  EXPECT_TRUE(MakeFont("Arial", 12, true).bold());
}

TEST_F(FrameworkTest, GrayableCheckBoxStepsUncheckedGrayedCheckedAndReportsEachChange) {
  auto* box = Place<TCheckBox>(form_.get(), "OptionalRelays", 8, 0, 97, 15, QString("Optional Relays"));
  box->SetAllowGrayed(true);
  std::vector<CheckBoxState> seen;
  box->OnClick = [&](TControl*) { seen.push_back(box->State()); };
  for (int i = 0; i < 3; ++i) LeftClick(box);
  EXPECT_EQ(seen, (std::vector<CheckBoxState>{CheckBoxState::Grayed, CheckBoxState::Checked, CheckBoxState::Unchecked}));
  box->SetState(CheckBoxState::Checked);
  box->SetState(CheckBoxState::Checked);  // no change, no event
  EXPECT_EQ(seen.size(), 4u);
}

TEST_F(FrameworkTest, PlainCheckBoxToggles) {
  auto* box = Place<TCheckBox>(form_.get(), "Box", 0, 0, 60, 15);
  LeftClick(box);
  EXPECT_EQ(box->State(), CheckBoxState::Checked);
  LeftClick(box);
  EXPECT_EQ(box->State(), CheckBoxState::Unchecked);
}

TEST_F(FrameworkTest, TimerKeepsIntervalAndTag) {
  auto* timer = new TTimer(form_.get(), "WatchdogTimer", 100);
  EXPECT_EQ(timer->Interval(), 100);
  EXPECT_FALSE(timer->Enabled());
  timer->SetEnabled(true);
  EXPECT_TRUE(timer->Enabled());
  timer->SetTag(3);
  EXPECT_EQ(timer->Tag(), 3);
  timer->SetEnabled(false);
  EXPECT_FALSE(timer->Enabled());
}

TEST_F(FrameworkTest, ImageListWithoutArtworkHoldsPlaceholdersOfItsSize) {
  TImageList list(nullptr, "NoSuchArtwork", 18, 22, 11);
  EXPECT_EQ(list.Count(), 11);
  EXPECT_EQ(list.Image(10).size(), QSize(18, 22));
  EXPECT_NE(list.Image(0), list.Image(1));
  EXPECT_TRUE(list.Image(11).isNull());
  EXPECT_TRUE(list.Image(-1).isNull());
}

// A strip in the assets folder beside the executable, removed afterwards.
TEST_F(FrameworkTest, ImageListCutsItsStripIntoFramesInIndexOrder) {
  const QString folder = QCoreApplication::applicationDirPath() + "/assets";
  ASSERT_TRUE(QDir().mkpath(folder));
  const QString path = folder + "/UiTestStrip.png";
  QImage strip(30, 12, QImage::Format_RGB32);
  const QColor colours[] = {Qt::red, Qt::green, Qt::blue};
  for (int frame = 0; frame < 3; ++frame) QPainter(&strip).fillRect(frame * 10, 0, 10, 12, colours[frame]);
  ASSERT_TRUE(strip.save(path));
  TImageList list(nullptr, "UiTestStrip", 10, 12, 4);
  QFile::remove(path);
  EXPECT_EQ(AssetPath("UiTestStrip.png"), QString());
  for (int frame = 0; frame < 3; ++frame) {
    EXPECT_EQ(list.Image(frame).size(), QSize(10, 12));
    EXPECT_EQ(list.Image(frame).pixelColor(9, 11), colours[frame]) << frame;
  }
  EXPECT_EQ(list.Image(3).pixelColor(5, 1), QColor(255, 0, 255));  // beyond the strip: placeholder
}

TEST_F(FrameworkTest, JpegIsDecodedByLibjpeg) {
  QImage source(40, 20, QImage::Format_RGB32);
  source.fill(QColor(200, 30, 30));
  const QString path = TempFile("picture.jpg");
  ASSERT_TRUE(source.save(path, "JPG", 95));
  const QImage decoded = DecodeJpegFile(path);
  ASSERT_EQ(decoded.size(), QSize(40, 20));
  const QColor pixel = decoded.pixelColor(20, 10);
  EXPECT_NEAR(pixel.red(), 200, 6);
  EXPECT_NEAR(pixel.green(), 30, 6);
  EXPECT_NEAR(pixel.blue(), 30, 6);
}

TEST_F(FrameworkTest, BrokenOrMissingJpegGivesANullImage) {
  const QString path = TempFile("broken.jpg");
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("\xFF\xD8\xFF\xE0 not really a jpeg");
  file.close();
  EXPECT_TRUE(DecodeJpegFile(path).isNull());
  EXPECT_TRUE(DecodeJpegFile(TempFile("missing.jpg")).isNull());
  EXPECT_TRUE(DecodeJpegFile(QString()).isNull());
}

TEST_F(FrameworkTest, PictureWithoutArtworkIsAPlaceholderOfTheControlsSize) {
  auto* image = Place<TImage>(form_.get(), "NoSuchPicture", 0, 0, 67, 256);
  image->LoadPicture();
  EXPECT_EQ(image->Picture().size(), QSize(67, 256));
}

}  // namespace
