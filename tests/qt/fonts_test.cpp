// The faces the layouts' fonts are drawn with, and captions measured as
// they are drawn.

#include "qt/fonts.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <memory>

#include "qt/artwork.h"
#include "qt/painter.h"
#include "qt/qt_host.h"
#include "tests/qt/qt_test_support.h"
#include "windows/framework/form.h"

namespace {

struct FaceCase {
  Font font;
  const char* face;
};

void PrintTo(const FaceCase& c, std::ostream* out) { *out << c.font.family << " " << c.font.pixelSize; }

class FontFaceTest : public ::testing::TestWithParam<FaceCase> {};

// Liberation has Arial's metrics, so captions fit the laid-out widths.
TEST_P(FontFaceTest, LayoutFontMapsOntoAnArialCompatibleFace) {
  const Font& font = GetParam().font;
  const QFont made = QtFont(font);
  EXPECT_EQ(QFontInfo(made).family(), GetParam().face);
  EXPECT_EQ(made.pixelSize(), font.pixelSize);
  EXPECT_EQ(made.bold(), font.bold);
}

INSTANTIATE_TEST_SUITE_P(Layouts, FontFaceTest,
                         ::testing::Values(FaceCase{MakeFont("MS Sans Serif", 11), "Liberation Sans"},
                                           FaceCase{MakeFont("Arial", 9), "Liberation Sans"},
                                           FaceCase{MakeFont("Arial", 12, true), "Liberation Sans"},
                                           FaceCase{MakeFont("Terminal", 8), "Liberation Mono"},
                                           FaceCase{MakeFont("Terminal", 10, true), "Liberation Mono"}));

struct CaptionCase {
  Font font;
  const char* caption;
};

void PrintTo(const CaptionCase& c, std::ostream* out) { *out << c.font.family << " " << c.caption; }

class AutoSizedCaptionTest : public ::testing::TestWithParam<CaptionCase> {};

// A label sized to its caption by the host's measure shows all of it: more
// room changes nothing, and less room cuts some of it off.
TEST_P(AutoSizedCaptionTest, AutoSizedLabelShowsItsWholeCaption) {
  QtHost host;
  TForm form("frmTest", "", 200, 60, &host);
  form.SetWindowColor(colors::white);
  auto* label = Place<TLabel>(&form, "Label1", 10, 10, 0, 0, GetParam().caption);
  label->SetFont(GetParam().font);
  label->SetAutoSize(true);
  ASSERT_GT(label->Width(), 0);
  Artwork artwork;
  const QImage fitted = RenderForm(form, artwork);
  EXPECT_GT(PixelsOtherThan(fitted, fitted.rect(), Qt::white), 0);
  const int width = label->Width();
  const int height = label->Height();
  label->SetAutoSize(false);
  label->SetBounds(10, 10, width + 40, height + 20);
  EXPECT_EQ(RenderForm(form, artwork), fitted);
  label->SetBounds(10, 10, width / 2, height);
  EXPECT_NE(RenderForm(form, artwork), fitted);
}

INSTANTIATE_TEST_SUITE_P(Layouts, AutoSizedCaptionTest,
                         ::testing::Values(CaptionCase{MakeFont("Terminal", 8), "4K27"},
                                           CaptionCase{MakeFont("Terminal", 8), "27.8V"},
                                           CaptionCase{MakeFont("MS Sans Serif", 11), "Zone Analogue Levels"},
                                           CaptionCase{MakeFont("Arial", 12, true), "WWW mmm"}));

}  // namespace
