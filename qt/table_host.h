#pragma once
// Captions measured from a table of Qt's own advances, and the screen the
// table was made on, so that a run which draws nothing never starts Qt; a
// font or a character the table lacks is measured by Qt, as before.

#include <functional>
#include <utility>

#include "qt/qt_host.h"
#include "qt/text_metrics.h"

class TableHost : public QtHost {
 public:
  // beforeQt runs before anything is asked of Qt, so that Qt may start late.
  TableHost(TextMetricsTable table, std::function<void()> beforeQt) : table_(table), beforeQt_(std::move(beforeQt)) {}

  int TextWidth(const Font& font, const std::string& text) const override;
  int TextHeight(const Font& font) const override;
  ScreenRect Screen() const override;

 private:
  const TextMetrics* Find(const Font& font) const;

  TextMetricsTable table_;
  std::function<void()> beforeQt_;
};
