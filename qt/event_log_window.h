#pragma once
// The event log as a window of its own, opened from the hardware window:
// newest last, filtered by category, exported as CSV. Shown the first time,
// it goes where it covers least of the hardware window, then of the front
// panel, made smaller if the screen is.

#include <QWidget>
#include <vector>

#include "machine/event_log.h"

class QComboBox;
class QTableWidget;

class EventLogWindow : public QWidget {
 public:
  EventLogWindow();

  void Add(const PanelEvent& event);
  // The rows the filter shows, as the CSV the command line writes; false if it cannot be written.
  bool Export(const std::string& path) const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Place();
  void Filter();
  bool Shown(const PanelEvent& event) const;

  std::vector<PanelEvent> events_;
  QComboBox* category_;
  QTableWidget* table_;
  bool placed_ = false;
};
