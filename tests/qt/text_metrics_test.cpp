// The runner sizes captions from the table built with it instead of asking
// Qt; the table must give exactly what Qt gives, or a label's width, the
// windows' layout and their pictures would change.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "app/table_host.h"
#include "machine/machine.h"
#include "qt/qt_host.h"
#include "windows/framework/controls.h"
#include "windows/framework/form.h"
#include "windows/hardwarecontrol.h"
#include "windows/maindisplay.h"

namespace {

std::vector<std::string> Captions(const TForm& form) {
  std::vector<std::string> captions;
  for (const TControl* control : form.Controls()) {
    if (const auto* label = dynamic_cast<const TLabel*>(control)) captions.push_back(label->Caption());
  }
  return captions;
}

TEST(TextMetrics, TheBuiltTableMeasuresAsQtDoes) {
  ASSERT_GT(builtTextMetrics.count, 0u);
  const QtHost qt;
  bool askedQt = false;
  TableHost table(builtTextMetrics, [&]() -> const WindowHost& {
    askedQt = true;
    return qt;
  });
  // The runner's windows are sized without Qt.
  Machine machine(BoardPacing::Stepped, &table);
  machine.Advance(1000);
  EXPECT_FALSE(askedQt);
  std::vector<std::string> captions = Captions(machine.front());
  for (const std::string& caption : Captions(machine.hardware())) captions.push_back(caption);
  std::mt19937 random(518);
  for (int i = 0; i < 300; ++i) {
    std::string text(1 + random() % 24, ' ');
    for (char& c : text) c = char(firstTabled + random() % tabledCount);
    captions.push_back(text);
  }
  for (size_t f = 0; f < builtTextMetrics.count; ++f) {
    const TextMetrics& metrics = builtTextMetrics.fonts[f];
    const Font font = MakeFont(metrics.family, metrics.pixelSize, metrics.bold);
    SCOPED_TRACE(metrics.family + std::string(" ") + std::to_string(metrics.pixelSize));
    EXPECT_EQ(table.TextHeight(font), qt.TextHeight(font));
    for (const std::string& caption : captions) EXPECT_EQ(table.TextWidth(font, caption), qt.TextWidth(font, caption)) << caption;
  }
  const ScreenRect tabled = table.Screen(), screen = qt.Screen();
  EXPECT_EQ(std::tie(tabled.left, tabled.top, tabled.width, tabled.height),
            std::tie(screen.left, screen.top, screen.width, screen.height));
  // What the table lacks, Qt measures.
  askedQt = false;
  EXPECT_EQ(table.TextWidth(MakeFont("Arial", 31), "Fire"), qt.TextWidth(MakeFont("Arial", 31), "Fire"));
  EXPECT_TRUE(askedQt);
}

}  // namespace
