#pragma once
// The panel's event log: a read-only watch of the firmware state, the board
// ports and the hardware window's inputs, sampled after each tick or step.
// Each change becomes one event with its panel time and wall-clock time, in
// the categories panels log (fire, fault, disablement, test, operator action)
// and three of the simulator's own (outputs, configuration, hardware window).

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

class Machine;

enum class EventCategory { Fire, Fault, Disablement, Test, Output, Operator, Configuration, Hardware };

struct PanelEvent {
  int64_t panelMs;
  int64_t wallMs;  // milliseconds since the Unix epoch
  EventCategory category;
  std::string text;
};

const char* CategoryName(EventCategory category);

// Panel time as seconds with milliseconds: "61.250".
std::string PanelSeconds(int64_t ms);

// Every front end samples the log this often in panel time, as often as the
// firmware reads its keys, so that no press falls between two samples.
constexpr int64_t eventSampleMs = 20;
inline bool EventSampleDue(int64_t panelMs) { return panelMs % eventSampleMs == 0; }

class EventLog {
 public:
  // Watches this machine from its present state: what is already so at the
  // start is no event. The machine must outlive the log.
  EventLog(Machine& machine, std::function<void(const PanelEvent&)> sink);
  ~EventLog();
  EventLog(const EventLog&) = delete;
  EventLog& operator=(const EventLog&) = delete;

  // What a sample looks at: the panel only, or also the hardware window's
  // inputs, which change only when a person (or a script) sets them.
  enum class Scope { Panel, PanelAndInputs };

  // Compares the panel with the last sample and reports what changed. In
  // real time call it from one thread at a time (BoardSideEventLog does).
  void Sample(int64_t panelMs, Scope scope = Scope::PanelAndInputs);
  // After a step: a sample when one falls due at this panel time.
  void SampleIfDue(int64_t panelMs) {
    if (EventSampleDue(panelMs)) Sample(panelMs);
  }

 private:
  struct Watches;
  void Emit(int64_t panelMs, EventCategory category, std::string text);
  void SampleKeys(int64_t panelMs, bool presses);

  Machine& machine_;
  std::function<void(const PanelEvent&)> sink_;
  std::unique_ptr<Watches> watches_;
};

// The log in real time, sampled on the board's side as often as the firmware
// reads its keys and by the window thread after a person's input; the
// events wait for the window thread, which is woken only when there are some.
class BoardSideEventLog {
 public:
  // wake runs on the board's side when events start to wait; it must see to
  // a Deliver on the window thread. sink gets the events there.
  BoardSideEventLog(Machine& machine, std::function<void(const PanelEvent&)> sink, std::function<void()> wake);

  // The board's side, after each tick: a sample when one falls due.
  void AfterTick(int64_t panelMs);
  // Window thread: a sample now, between firmware passes, its events
  // delivered with those waiting.
  void SampleNow();
  // Window thread: the waiting events to the sink, oldest first.
  void Deliver();

 private:
  void Sample(int64_t panelMs);

  Machine& machine_;
  std::function<void(const PanelEvent&)> sink_;
  std::function<void()> wake_;
  std::mutex mutex_;  // the log and what waits
  std::vector<PanelEvent> waiting_;
  std::unique_ptr<EventLog> log_;  // made between passes, as it reads the panel
};

// The log as CSV: a header row, then one row per event with the script or
// exercise it came from (empty for a session of its own).
void WriteEventCsvHeader(std::ostream& out);
void WriteEventCsvRow(std::ostream& out, const PanelEvent& event, const std::string& source = {});
