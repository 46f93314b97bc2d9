#pragma once
// Captions measured from a table of Qt's own advances, and the screen the
// table was made on, so that a run which draws nothing never loads Qt; a
// font or a character the table lacks is measured by the fallback, as Qt
// draws it.

#include <functional>
#include <utility>

#include "app/text_metrics.h"
#include "windows/framework/host.h"

class TableHost : public WindowHost {
 public:
  // fallback is asked only for what the table lacks, so that it may load late.
  using Fallback = std::function<const WindowHost&()>;
  TableHost(TextMetricsTable table, Fallback fallback) : table_(table), fallback_(std::move(fallback)) {}

  int TextWidth(const Font& font, const std::string& text) const override;
  int TextHeight(const Font& font) const override;
  ScreenRect Screen() const override;

 private:
  const TextMetrics* Find(const Font& font) const;

  TextMetricsTable table_;
  Fallback fallback_;
};
