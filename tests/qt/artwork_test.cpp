// The artwork behind the windows: image list strips cut into frames,
// placeholders for what is missing, and JPEG pictures decoded with libjpeg.

#include "qt/artwork.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QPainter>
#include <string>
#include <vector>

#include "machine/machine.h"
#include "qt/painter.h"
#include "tests/qt/qt_test_support.h"
#include "windows/framework/form.h"
#include "windows/imageselector.h"
#include "windows/maindisplay.h"

namespace {

const QColor placeholderMagenta(255, 0, 255);

TEST(Artwork, ListWithoutArtworkHoldsDistinctPlaceholdersOfItsSize) {
  Artwork artwork;
  const TImageList list("NoSuchArtwork", 18, 22, 11);
  for (int index = 0; index < list.Count(); ++index) {
    EXPECT_EQ(artwork.Frame(list, index).size(), QSize(18, 22)) << index;
    EXPECT_EQ(artwork.Frame(list, index).pixelColor(1, 1), placeholderMagenta) << index;
  }
  EXPECT_NE(artwork.Frame(list, 0), artwork.Frame(list, 1));  // each shows its index
  EXPECT_TRUE(artwork.Frame(list, 11).isNull());
  EXPECT_TRUE(artwork.Frame(list, -1).isNull());
}

struct StripCase {
  int width, height;  // of the strip, for a list of four 10 x 12 frames
  int framesHeld;
};

void PrintTo(const StripCase& c, std::ostream* out) { *out << c.width << "x" << c.height; }

class StripTest : public ::testing::TestWithParam<StripCase> {};

// Frame i of the strip is filled with colour i; what the strip does not
// wholly hold is a placeholder.
TEST_P(StripTest, StripIsCutIntoFramesInIndexOrder) {
  const QColor colours[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::cyan};
  QImage strip(GetParam().width, GetParam().height, QImage::Format_RGB32);
  for (int frame = 0; frame < 5; ++frame) QPainter(&strip).fillRect(frame * 10, 0, 10, 12, colours[frame]);
  // A name of its own, as the cases may run side by side.
  const std::string name = "TestStrip" + std::to_string(GetParam().width) + "x" + std::to_string(GetParam().height);
  Artwork artwork;
  const TImageList list(name, 10, 12, 4);
  {
    const PlantedAsset planted(QString::fromStdString(list.File()), strip);
    ASSERT_TRUE(planted.Saved());
    artwork.Frame(list, 0);
  }
  ASSERT_TRUE(AssetPath(QString::fromStdString(list.File())).isEmpty());
  // Loaded once and kept: the frames outlive the file.
  for (int frame = 0; frame < list.Count(); ++frame) {
    const QImage& image = artwork.Frame(list, frame);
    ASSERT_EQ(image.size(), QSize(10, 12)) << frame;
    if (frame < GetParam().framesHeld) {
      EXPECT_EQ(image.pixelColor(0, 0), colours[frame]) << frame;
      EXPECT_EQ(image.pixelColor(9, 11), colours[frame]) << frame;
    } else {
      EXPECT_EQ(image.pixelColor(1, 1), placeholderMagenta) << frame;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Strips, StripTest,
                         ::testing::Values(StripCase{40, 12, 4}, StripCase{50, 14, 4}, StripCase{30, 12, 3},
                                           StripCase{39, 12, 3}, StripCase{40, 11, 0}));

struct JpegCase {
  const char* name;
  QImage::Format format;
  QColor colour;
};

void PrintTo(const JpegCase& c, std::ostream* out) { *out << c.name; }

class JpegTest : public ::testing::TestWithParam<JpegCase> {};

TEST_P(JpegTest, JpegIsDecodedToRgb) {
  QImage source(40, 20, GetParam().format);
  source.fill(GetParam().colour);
  ASSERT_TRUE(source.save("picture.jpg", "JPG", 95));
  const QImage decoded = DecodeJpegFile("picture.jpg");
  ASSERT_EQ(decoded.size(), QSize(40, 20));
  for (const QPoint at : {QPoint(0, 0), QPoint(20, 10), QPoint(39, 19)}) {
    const QColor pixel = decoded.pixelColor(at);
    EXPECT_NEAR(pixel.red(), GetParam().colour.red(), 6);
    EXPECT_NEAR(pixel.green(), GetParam().colour.green(), 6);
    EXPECT_NEAR(pixel.blue(), GetParam().colour.blue(), 6);
  }
}

INSTANTIATE_TEST_SUITE_P(Colours, JpegTest,
                         ::testing::Values(JpegCase{"colour", QImage::Format_RGB32, QColor(200, 30, 30)},
                                           JpegCase{"grey", QImage::Format_Grayscale8, QColor(90, 90, 90)}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Jpeg, BrokenOrMissingJpegGivesANullImage) {
  QFile file("broken.jpg");
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("\xFF\xD8\xFF\xE0 not really a jpeg");
  file.close();
  QImage png(8, 8, QImage::Format_RGB32);
  png.fill(Qt::red);
  ASSERT_TRUE(png.save("png.jpg", "PNG"));
  EXPECT_TRUE(DecodeJpegFile("broken.jpg").isNull());
  EXPECT_TRUE(DecodeJpegFile("png.jpg").isNull());
  EXPECT_TRUE(DecodeJpegFile("missing.jpg").isNull());
  EXPECT_TRUE(DecodeJpegFile(QString()).isNull());
}

TEST(Pictures, PictureWithoutArtworkIsAPlaceholderOfTheControlsSize) {
  TForm form("frmTest", "", 100, 300);
  auto* image = Place<TImage>(&form, "NoSuchPicture", 3, 4, 67, 256);
  Artwork artwork;
  const QImage& placeholder = artwork.Picture(image->PictureFile(), image->Width(), image->Height());
  EXPECT_EQ(placeholder.size(), QSize(67, 256));
  const QImage shown = RenderForm(form, artwork);
  EXPECT_EQ(shown.copy(3, 4, 67, 256), placeholder.convertToFormat(QImage::Format_RGB32));
  EXPECT_EQ(PixelsOtherThan(shown, {3, 4, 67, 256}, placeholder.pixelColor(0, 0)), 0);
}

TEST(Pictures, PictureIsDrawnUnscaledFromTheTopLeftAndKept) {
  TForm form("frmTest", "", 100, 100);
  form.SetWindowColor(Color::Rgb(0, 255, 0));
  auto* image = Place<TImage>(&form, "TestPicture", 10, 20, 40, 30);
  QImage source(20, 10, QImage::Format_RGB32);
  source.fill(QColor(30, 30, 200));
  Artwork artwork;
  {
    const PlantedAsset planted("TestPicture.jpg", source, "JPG");
    ASSERT_TRUE(planted.Saved());
    EXPECT_EQ(artwork.Picture(image->PictureFile(), image->Width(), image->Height()).size(), QSize(20, 10));
  }
  const QImage shown = RenderForm(form, artwork);
  EXPECT_NEAR(shown.pixelColor(10 + 19, 20 + 9).blue(), 200, 6);
  EXPECT_EQ(shown.pixelColor(10 + 20, 20), QColor(0, 255, 0));
  EXPECT_EQ(shown.pixelColor(10, 20 + 10), QColor(0, 255, 0));
}

// The artwork the real windows name: every picture decodes at its control's
// size and every image list's strip holds exactly its frames.
TEST(WindowArtwork, EveryPictureAndStripOfBothWindowsFitsItsControl) {
  Machine machine(BoardPacing::Stepped);
  int pictures = 0, lists = 0;
  for (TForm* form : {static_cast<TForm*>(&machine.front()), static_cast<TForm*>(&machine.hardware())}) {
    std::vector<const TControl*> owners{form};
    for (const TControl* control : form->Controls()) owners.push_back(control);
    for (const TControl* owner : owners) {
      if (const auto* image = dynamic_cast<const TImage*>(owner)) {
        SCOPED_TRACE(image->PictureFile());
        const QImage picture = DecodeJpegFile(AssetPath(QString::fromStdString(image->PictureFile())));
        EXPECT_EQ(picture.size(), QSize(image->Width(), image->Height()));
        ++pictures;
      }
      for (const auto& list : owner->ImageLists()) {
        SCOPED_TRACE(list->File());
        const QImage strip(AssetPath(QString::fromStdString(list->File())));
        EXPECT_EQ(strip.size(), QSize(list->Width() * list->Count(), list->Height()));
        ++lists;
      }
    }
  }
  EXPECT_GT(pictures, 0);
  EXPECT_GT(lists, 0);
}

}  // namespace
