#include "machine/look_ahead.h"

#include "board/hardware_interface.h"
#include "machine/event_log.h"
#include "machine/machine.h"
#include "machine/save_state.h"
#include "windows/maindisplay.h"

LookAhead::LookAhead(const std::filesystem::path& settingsDirectory) : watch_(std::make_unique<ChangeWatch>()) {
  copy_ = std::make_unique<Machine>(BoardPacing::Stepped, watch_.get(), settingsDirectory);
  copy_->PlayOn(*watch_);
  copy_->front().Show();
  copy_->hardware().Show();
}

LookAhead::~LookAhead() = default;

// Setting the copy to the panel's state costs far more than its steps, so a copy still on the panel's
// course only catches up with it.
std::optional<int> LookAhead::StepsUntilChange(Machine& panel, int maxSteps) {
  if ((!synced_ || copy_->NowMs() > panel.NowMs()) && !SetTo(panel)) return std::nullopt;
  while (copy_->NowMs() < panel.NowMs()) Step();
  const uint32_t nvWrites = NvWrites();
  watch_->changed = false;
  for (int steps = 1; steps <= maxSteps; ++steps) {
    Step();
    if (watch_->changed || NvWrites() != nvWrites) return steps;
  }
  return maxSteps;
}

// Apart from the steps, whose every call a catch around them would make dearer in the browser.
bool LookAhead::SetTo(Machine& panel) {
  try {
    RestoreState(*copy_, CaptureState(panel), "the panel's copy");
  } catch (const StateError&) {
    return false;
  }
  // What is so now is no event: only what the steps change.
  events_ = std::make_unique<EventLog>(*copy_, [this](const PanelEvent&) { watch_->changed = true; });
  synced_ = true;
  return true;
}

// A step as the front end runs it, its event log sampled at the same moments.
void LookAhead::Step() {
  copy_->Step();
  events_->SampleIfDue(copy_->NowMs());
}

uint32_t LookAhead::NvWrites() const { return copy_->board()->nvWrites.load(std::memory_order_relaxed); }
