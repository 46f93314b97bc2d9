#pragma once
// The panel's event log as the page shows it: every event since the page
// started, kept across the panel's restarts (a loaded Hardware.dat, an
// exercise), read by the page in pieces and exported as the desktop's CSV.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "machine/event_log.h"

class WebEventLog {
 public:
  // Watches a machine just started; the log it watched before is let go.
  void Attach(Machine& machine);
  void Detach() { log_.reset(); }
  // After a step: a sample when one falls due.
  void SampleIfDue(int64_t panelMs);

  size_t Count() const { return events_.size(); }
  // The events from index first on: [{"t","wall","category","text"}] as JSON.
  std::string Json(size_t first) const;
  // The events of the category (empty: all), as the desktop's Export CSV writes them.
  std::string Csv(const std::string& category) const;

 private:
  std::vector<PanelEvent> events_;
  std::unique_ptr<EventLog> log_;
};
