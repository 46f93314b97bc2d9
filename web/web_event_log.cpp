#include "web/web_event_log.h"

#include <sstream>

#include "web/draw_list.h"

void WebEventLog::Attach(Machine& machine) {
  log_ = std::make_unique<EventLog>(machine, [this](const PanelEvent& event) { events_.push_back(event); });
}

void WebEventLog::SampleIfDue(int64_t panelMs) {
  if (log_) log_->SampleIfDue(panelMs);
}

std::string WebEventLog::Json(size_t first) const {
  std::string json = "[";
  for (size_t i = first; i < events_.size(); ++i) {
    const PanelEvent& event = events_[i];
    if (json.size() > 1) json += ',';
    json += "{\"t\":" + JsonString(PanelSeconds(event.panelMs)) + ",\"wall\":" + std::to_string(event.wallMs) +
            ",\"category\":" + JsonString(CategoryName(event.category)) + ",\"text\":" + JsonString(event.text) + "}";
  }
  return json + "]";
}

std::string WebEventLog::Csv(const std::string& category) const {
  std::ostringstream out;
  WriteEventCsvHeader(out);
  for (const PanelEvent& event : events_) {
    if (category.empty() || category == CategoryName(event.category)) WriteEventCsvRow(out, event);
  }
  return out.str();
}
