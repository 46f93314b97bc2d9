#include "machine/event_log.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <stdexcept>
#include <utility>

#include "board/hardware_interface.h"
#include "board/periodic_update.h"
#include "board/ports.h"
#include "firmware/firmware.h"
#include "machine/machine.h"
#include "machine/plain_words.h"
#include "windows/imageselector.h"
#include "windows/levelmath.h"

namespace {

enum class Source { Byte, Config, Port, Selector, FillTag, FillWidth, AccessLevel, LampTest, AlarmCounter };

// A change from one value to another in words.
using Describe = std::function<std::string(int64_t from, int64_t to)>;

// Whether a flag's change means anything on this panel now: a buzzer muted
// or unmuted with nothing to sound for is no event.
using Relevant = bool (*)(const PanelState& panel);

struct Watch {
  EventCategory category;
  Source source;
  const void* at = nullptr;  // the byte, selector or fill
  int index = 0;             // configuration address or port
  uint8_t mask = 0xFF;
  std::string on{}, off{};  // a flag's texts; an empty one is no event
  Describe describe{};  // set: a change, not a flag
  Relevant relevant = nullptr;
  int64_t last = 0;
  bool unheard = false;  // set while it was not relevant: its clearing is no event either
};

struct Key {
  const char* name;
  BoardBit at;
  bool held = false;
  int level = 1;
  uint64_t eventsAtPress = 0;
};

int AccessLevel(const PanelState& panel) {
  if (panel.panelMode & accessLevel3) return 3;
  return panel.panelMode & accessLevel2 ? 2 : 1;
}

int64_t Read(const Watch& watch, const HardwareState* board, Firmware& firmware) {
  switch (watch.source) {
    case Source::Byte: return *static_cast<const uint8_t*>(watch.at) & watch.mask;
    case Source::Config: return board ? uint8_t(~board->NvByte(watch.index)) & watch.mask : 0;
    case Source::Port: return board ? board->Port(watch.index) & watch.mask : 0;
    case Source::Selector: return static_cast<const TImageSelector*>(watch.at)->ItemIndex();
    case Source::FillTag: return static_cast<const TShape*>(watch.at)->Tag();
    case Source::FillWidth: return static_cast<const TShape*>(watch.at)->Width();
    case Source::AccessLevel: return AccessLevel(firmware.panel);
    // The firmware's test costs a memory read: asked only while the key is
    // down or the lamp test still on, as it cannot start with the key up.
    case Source::LampTest: return board && (watch.last || board->IsSet(lampTestKeyAt)) && firmware.LampTestActive();
    case Source::AlarmCounter: {
      if (!board) return 0;
      const int tensUnits = uint8_t(~board->NvByte(cfgAlarmCountTensUnits));
      return uint8_t(~board->NvByte(cfgAlarmCountHundreds)) * 100 + (tensUnits >> 4) * 10 + (tensUnits & 0x0F);
    }
  }
  return 0;
}

// "Access level 1 to 2": a number that changes, by its name.
Describe Numbers(std::string name) {
  return [name = std::move(name)](int64_t from, int64_t to) {
    return name + ' ' + std::to_string(from) + " to " + std::to_string(to);
  };
}

std::string Hex(int64_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", unsigned(value));
  return text;
}

Watch Flag(EventCategory category, const uint8_t& byte, uint8_t mask, std::string on, std::string off,
           Relevant relevant = nullptr) {
  return {category, Source::Byte, &byte, 0, mask, std::move(on), std::move(off), {}, relevant};
}

Watch PortFlag(EventCategory category, BoardBit bit, std::string on, std::string off) {
  return {category, Source::Port, nullptr, bit.port, bit.mask, std::move(on), std::move(off)};
}

Watch ConfigFlag(EventCategory category, int address, uint8_t mask, std::string on, std::string off) {
  return {category, Source::Config, nullptr, address, mask, std::move(on), std::move(off)};
}

Watch Change(EventCategory category, Source source, const void* at, int index, Describe describe) {
  return {category, source, at, index, 0xFF, {}, {}, std::move(describe)};
}

bool FirePresent(const PanelState& panel) { return (panel.zonesInFire | panel.zonesAlarmDetected) != 0; }
bool FaultPresent(const PanelState& panel) { return (panel.systemFaults | panel.systemFaults2 | panel.zonesFaultDetected) != 0; }
bool DelayInUse(const PanelState& panel) { return (panel.delayState & (delaysOn | delayRunning)) != 0; }

void AddZoneWatches(std::vector<Watch>& watches, const PanelState& panel) {
  for (uint8_t zone = 0; zone < maxZones; ++zone) {
    const std::string name = "Zone " + std::to_string(zone + 1);
    const auto bit = uint8_t(1u << zone);
    watches.push_back(Flag(EventCategory::Fire, panel.zonesInFire, bit, name + " fire", name + " fire cleared"));
    watches.push_back(Flag(EventCategory::Fault, panel.zonesFaultDetected, bit, name + " fault", name + " fault cleared"));
    watches.push_back(ConfigFlag(EventCategory::Disablement, cfgZonesDisabled, bit, name + " disabled", name + " enabled"));
    watches.push_back(ConfigFlag(EventCategory::Test, cfgZonesInTest, bit, name + " in test", name + " test ended"));
  }
}

// The board's system fault latch starts set, as after a power-up, until
// Reset clears it; once it has been clear only a watchdog trip sets it. The
// firmware's copy of it is the fault the panel shows.
Watch LatchWatch(const bool& latchSeenClear, const PanelState& panel) {
  Watch latch = Change(EventCategory::Fault, Source::Byte, &panel.systemFaults2, 0,
                       [&latchSeenClear](int64_t, int64_t to) -> std::string {
                         if (!to) return "System fault latch cleared";
                         return latchSeenClear ? "Watchdog tripped: system fault latched"
                                               : "System fault latched at power-up";
                       });
  latch.mask = watchdogFault;
  return latch;
}

void AddFaultWatches(std::vector<Watch>& watches, const PanelState& panel) {
  struct Named {
    const uint8_t& byte;
    uint8_t mask;
    const char* name;
  };
  const Named faults[] = {
      {panel.systemFaults, mainsFault, "Mains fault"},
      {panel.systemFaults, batteryFault, "Battery or charger fault"},
      {panel.systemFaults, earthFault, "Earth fault"},
      {panel.systemFaults, auxSupplyFault, "Auxiliary supply fault"},
      {panel.systemFaults, sounderLineFault, "Sounder line fault"},
      {panel.systemFaults2, routingLineFault, "Routing line fault"},
      {panel.systemFaults, configCheckFault, "Configuration check fault"},
      {panel.systemFaults, programCheckFault, "Program check fault"},
      {panel.systemFaults, referenceFault, "Reference fault"},
      {panel.systemFaults2, inputFault, "Input fault"},
      {panel.systemFaults2, fwpLinkFault, "Peripheral link fault"},
  };
  for (const Named& fault : faults) {
    watches.push_back(Flag(EventCategory::Fault, fault.byte, fault.mask, fault.name, std::string(fault.name) + " cleared"));
  }
  watches.push_back(PortFlag(EventCategory::Fault, systemFaultLedAt, "System fault", "System fault cleared"));
}

void AddOutputWatches(std::vector<Watch>& watches, const PanelState& panel) {
  constexpr auto out = EventCategory::Output;
  const auto output = [&](BoardBit bit, const char* name) {
    watches.push_back(PortFlag(out, bit, plain::FlagState(name, true), plain::FlagState(name, false)));
  };
  output({portPowerOutputs, pwrSounder1Drive}, "SounderOutput1");
  output({portPowerOutputs, pwrSounder2Drive}, "SounderOutput2");
  output(relay1At, "Relay1Drive");
  output(relay2At, "Relay2Drive");
  output(fireOutputActiveRelayAt, "FireOutputActiveRelay");
  output(transmissionDeviceRelayAt, "TransmissionDeviceRelay");
  watches.push_back(Flag(out, panel.sounderState, soundersSilenced, "Sounders silenced", "Sounders silence ended"));
  watches.push_back(Flag(out, panel.sounderState, soundersResounded, "Sounders resounded", ""));
  // A delay ends when it runs out, is cut short or the fire is reset; a
  // fire without delays ends none.
  watches.push_back(Flag(out, panel.delayState, delayRunning, "Delay started", "Delay ended"));
  watches.push_back(Flag(out, panel.delayState, delayExtended, "Delay accepted: second stage", ""));
  watches.push_back(Flag(out, panel.panelMode2, delayOverrideFire, "Delay overridden", "", DelayInUse));
}

void AddOperatorWatches(std::vector<Watch>& watches, const PanelState& panel) {
  constexpr auto op = EventCategory::Operator;
  watches.push_back(Change(op, Source::AccessLevel, nullptr, 0, Numbers("Access level")));
  watches.push_back(Flag(op, panel.panelMode, engineeringMode, "Engineering mode entered", "Engineering mode left"));
  watches.push_back(Flag(op, panel.panelMode, fireBuzzerMuted, "Buzzer muted (fire)", "Buzzer unmuted (fire)", FirePresent));
  watches.push_back(
      Flag(op, panel.panelMode, faultBuzzerMuted, "Buzzer muted (fault)", "Buzzer unmuted (fault)", FaultPresent));
  watches.push_back(Flag(op, panel.delayState, delaysOn, "Delays on", "Delays off"));
  for (const auto& [byte, name] : {std::pair{&panel.selectedItem, "Selected item"}, std::pair{&panel.menuPage, "Menu page"},
                                   std::pair{&panel.menuItem, "Menu item"}}) {
    watches.push_back(Change(op, Source::Byte, byte, 0, Numbers(name)));
  }
  watches.push_back({op, Source::LampTest, nullptr, 0, 0xFF, "Lamp test", "Lamp test ended"});
}

// The options by name, the alarm counter as the display shows it and the
// output disablements as words; the zones' disablement and test bytes have
// their own events and the checksum follows every change.
void AddConfigurationWatches(std::vector<Watch>& watches) {
  constexpr auto config = EventCategory::Configuration;
  constexpr int optionBytes = cfgDelayOptions + 1;
  for (int address = 0; address < optionBytes; ++address) {
    watches.push_back(Change(config, Source::Config, nullptr, address,
                             [name = plain::NameOf("config " + std::to_string(address))](int64_t from, int64_t to) {
                               return name + ' ' + Hex(from) + " to " + Hex(to);
                             }));
  }
  watches.push_back(Change(config, Source::AlarmCounter, nullptr, cfgAlarmCountTensUnits, Numbers("Alarm counter")));
  constexpr auto off = EventCategory::Disablement;
  watches.push_back(ConfigFlag(off, cfgOutputDisables, soundersDisabled, "Sounders disabled", "Sounders enabled"));
  watches.push_back(
      ConfigFlag(off, cfgOutputDisables, fireRoutingDisabled, "Fire routing disabled", "Fire routing enabled"));
  watches.push_back(
      ConfigFlag(off, cfgOutputDisables, faultRoutingDisabled, "Fault routing disabled", "Fault routing enabled"));
}

// The band of the hardware window's zone row a line resistance lies in: the
// last fill inside a band ends one pixel short of the band's right edge.
std::string ZoneBand(const TfrmHardwareControl& hw, int32_t ohms) {
  const std::pair<const TShape*, const char*> bands[] = {
      {hw.ZoneRangeShort, "short circuit"}, {hw.ZoneRangeFire, "fire"}, {hw.ZoneRangeDouble, "fault"},
      {hw.ZoneRangeNormal, "normal"}};
  for (const auto& [band, name] : bands) {
    if (ohms <= ZoneOhmsForFill(band->Width() - 1 - levelFillInset)) return name;
  }
  return "open circuit";
}

// What a person sets there: the inputs the board reads and the levels.
void AddHardwareWatches(std::vector<Watch>& watches, Machine& machine) {
  const BoardWiring& wiring = machine.wiring();
  const ControlState* inputs[] = {
      wiring.vdsModeSelect,       wiring.fourZonePanel,      wiring.eightZonePanel,       wiring.earthHoldHigh,
      wiring.earthHoldLow,        wiring.digitalInput1,   wiring.digitalInput2,
      wiring.fwpOvercurrent,      wiring.fwp4Switch,         wiring.fwp5Switch,           wiring.fwp6Switch,
      wiring.fwp7Switch,          wiring.fwp8Switch,         wiring.sounder1FaultInput,   wiring.sounder2FaultInput,
      wiring.auxiliarySupplyFault, wiring.psuMainsInput,     wiring.chargerFault,
  };
  constexpr auto hardware = EventCategory::Hardware;
  for (const ControlState* input : inputs) {
    const auto* selector = dynamic_cast<const TImageSelector*>(input);
    if (!selector) continue;
    const std::string name = selector->Name();
    watches.push_back(Change(hardware, Source::Selector, selector, 0, [name](int64_t from, int64_t to) {
      const std::string words = plain::FlagState(name, to != 0);
      if (!words.empty() && (to == 0 || to == 1)) return words;
      return plain::NameOf(name) + ' ' + std::to_string(from) + " to " + std::to_string(to);
    }));
  }
  const TfrmHardwareControl& hw = machine.hardware();
  auto level = [&](const TShape* box, const TShape* fill, Source source, auto text) {
    watches.push_back(Change(hardware, source, fill, 0, [name = plain::NameOf(box->Name()), text](int64_t from, int64_t to) {
      return name + ": " + text(from) + " to " + text(to);
    }));
  };
  for (size_t zone = 0; zone < hw.ZoneAnalogueControl.size(); ++zone) {
    watches.push_back(Change(hardware, Source::FillTag, hw.ZoneAnalogueValue[zone], 0,
                             [&hw, name = plain::NameOf(hw.ZoneAnalogueControl[zone]->Name())](int64_t from, int64_t to) {
                               return name + ": " + plain::Ohms(int32_t(from)) + " to " + plain::Ohms(int32_t(to)) +
                                      " (" + ZoneBand(hw, int32_t(to)) + ")";
                             }));
  }
  const auto volts = [](int64_t mv) { return plain::Volts(int32_t(mv)); };
  const auto width = [](int64_t pixels) { return std::to_string(pixels); };
  level(hw.VbattAnalogueValueBox, hw.VbattAnalogueValue, Source::FillTag, volts);
  level(hw.VchrAnalogueValueBox, hw.VchrAnalogueValue, Source::FillTag, volts);
  level(hw.VssAnalogueValueBox, hw.VssAnalogueValue, Source::FillTag, volts);
  level(hw.Relay1ValueBox, hw.Relay1Value, Source::FillWidth, width);
  level(hw.Relay2ValueBox, hw.Relay2Value, Source::FillWidth, width);
  level(hw.TransmissionDeviceValueBox, hw.TransmissionDeviceValue, Source::FillWidth, width);
}

int64_t WallMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::string WallText(int64_t wallMs) {
  const auto seconds = static_cast<std::time_t>(wallMs / 1000);
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900, utc.tm_mon + 1,
                utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, int(wallMs % 1000));
  return text;
}

// RFC 4180: a field with a separator, a quote or a line break is quoted.
std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + '"';
}

}  // namespace

// The watches of one byte, port or control: read once a sample, and looked
// at further only when the whole value changed.
struct SourceGroup {
  Watch whole;
  std::vector<size_t> watches;
};

// When a group is looked at: when a byte or port it reads changed (the lamp
// test also after a memory write, as an option allows it at level 1), after
// the memory was written, or when the hardware window's inputs may have changed.
enum class When { BytesChanged, MemoryWritten, InputsChanged };

When WhenToLook(Source source) {
  if (source == Source::Config || source == Source::AlarmCounter) return When::MemoryWritten;
  if (source == Source::Selector || source == Source::FillTag || source == Source::FillWidth) return When::InputsChanged;
  return When::BytesChanged;
}

// The raw bytes and ports the byte groups and the keys read, gathered each
// sample: a panel standing still costs one comparison.
class ByteProbe {
 public:
  void Add(const uint8_t* byte) { Add(bytes_, byte); }
  void Add(const std::atomic<uint8_t>* port) { Add(ports_, port); }

  bool Changed() {
    std::array<uint8_t, capacity> now;
    size_t n = 0;
    for (const uint8_t* byte : bytes_) now[n++] = *byte;
    for (const auto* port : ports_) now[n++] = port->load(std::memory_order_relaxed);
    if (std::equal(now.begin(), now.begin() + long(n), last_.begin())) return false;
    last_ = now;
    return true;
  }

 private:
  static constexpr size_t capacity = 32;
  template <class T>
  void Add(std::vector<T>& list, T item) {
    if (std::find(list.begin(), list.end(), item) != list.end()) return;
    if (bytes_.size() + ports_.size() == capacity) throw std::logic_error("event log: too many watched bytes");
    list.push_back(item);
  }

  std::vector<const uint8_t*> bytes_;
  std::vector<const std::atomic<uint8_t>*> ports_;
  std::array<uint8_t, capacity> last_{};
};

struct EventLog::Watches {
  std::vector<Watch> list;
  std::array<std::vector<SourceGroup>, 3> groups;  // by When
  ByteProbe probe;
  uint32_t nvWrites = 0;
  std::vector<Key> keys;
  uint32_t keyPorts = 0;  // the key bits of the key ports, last sample
  uint64_t emitted = 0;   // the panel's own events, to judge a key's effect
  bool latchSeenClear = false;

  void Group() {
    for (size_t i = 0; i < list.size(); ++i) {
      const Watch& watch = list[i];
      auto same = [&](const SourceGroup& group) {
        return group.whole.source == watch.source && group.whole.at == watch.at && group.whole.index == watch.index;
      };
      std::vector<SourceGroup>& alike = groups[size_t(WhenToLook(watch.source))];
      auto group = std::find_if(alike.begin(), alike.end(), same);
      if (group == alike.end()) {
        Watch whole = watch;
        whole.mask = 0xFF;
        group = alike.insert(alike.end(), {whole, {}});
      }
      group->watches.push_back(i);
    }
  }

  uint32_t KeyPorts(const HardwareState& board) const {
    uint32_t bits = 0;
    for (size_t i = 0; i < keys.size(); ++i) bits |= uint32_t(board.IsSet(keys[i].at)) << i;
    return bits;
  }
};

const char* CategoryName(EventCategory category) {
  switch (category) {
    case EventCategory::Fire: return "fire";
    case EventCategory::Fault: return "fault";
    case EventCategory::Disablement: return "disablement";
    case EventCategory::Test: return "test";
    case EventCategory::Output: return "output";
    case EventCategory::Operator: return "operator";
    case EventCategory::Configuration: return "configuration";
    case EventCategory::Hardware: return "hardware";
  }
  return "";
}

EventLog::EventLog(Machine& machine, std::function<void(const PanelEvent&)> sink)
    : machine_(machine), sink_(std::move(sink)), watches_(std::make_unique<Watches>()) {
  Firmware& firmware = machine.firmware();
  const PanelState& panel = firmware.panel;
  std::vector<Watch>& list = watches_->list;
  AddZoneWatches(list, panel);
  AddFaultWatches(list, panel);
  list.push_back(LatchWatch(watches_->latchSeenClear, panel));
  AddOutputWatches(list, panel);
  AddOperatorWatches(list, panel);
  AddConfigurationWatches(list);
  AddHardwareWatches(list, machine);
  watches_->keys = {{"Accept", acceptKeyAt},         {"Sounders start/stop", soundersStartStopKeyAt},
                    {"Reset", resetKeyAt},           {"Buzzer mute", buzzerMuteKeyAt},
                    {"Delay on/off", delayOnOffKeyAt}, {"Item select", itemSelectKeyAt},
                    {"Disable/test/normal", disableTestNormalKeyAt}, {"Lamp test", lampTestKeyAt}};
  const HardwareState* board = machine.board();
  for (Watch& watch : list) watch.last = Read(watch, board, firmware);
  watches_->Group();
  for (std::vector<SourceGroup>& alike : watches_->groups) {
    for (SourceGroup& group : alike) group.whole.last = Read(group.whole, board, firmware);
  }
  for (Key& key : watches_->keys) key.held = board && board->IsSet(key.at);
  if (!board) return;
  watches_->nvWrites = board->nvWrites.load(std::memory_order_relaxed);
  watches_->keyPorts = watches_->KeyPorts(*board);
  ByteProbe& probe = watches_->probe;
  for (const SourceGroup& group : watches_->groups[size_t(When::BytesChanged)]) {
    const Watch& whole = group.whole;
    if (whole.source == Source::Port) probe.Add(&board->port[size_t(whole.index)]);
    if (whole.source == Source::Byte) probe.Add(static_cast<const uint8_t*>(whole.at));
    if (whole.source == Source::AccessLevel) probe.Add(&panel.panelMode);
  }
  for (const Key& key : watches_->keys) probe.Add(&board->port[size_t(key.at.port)]);
  // The lamp test follows the firmware's debounced keys.
  probe.Add(&firmware.keysState.keyDebounceA);
  probe.Add(&firmware.keysState.keyDebounceB);
  probe.Changed();
}

EventLog::~EventLog() = default;

void EventLog::Emit(int64_t panelMs, EventCategory category, std::string text) {
  sink_({panelMs, WallMs(), category, std::move(text)});
}


// Presses before the panel's changes, releases after: what the panel does
// in the sample that shows the key down or up is the key's doing.
void EventLog::Sample(int64_t panelMs, Scope scope) {
  Firmware& firmware = machine_.firmware();
  const HardwareState* board = machine_.board();
  const bool bytesChanged = board && watches_->probe.Changed();
  if (!machine_.periodicUpdate().watchdogTripped.load(std::memory_order_relaxed)) watches_->latchSeenClear = true;
  if (bytesChanged) SampleKeys(panelMs, true);
  // The panel's own events count towards a key's effect; an empty text is no event.
  auto emit = [&](const Watch& watch, std::string text) {
    if (text.empty()) return;
    if (watch.category != EventCategory::Hardware) ++watches_->emitted;
    Emit(panelMs, watch.category, std::move(text));
  };
  auto compare = [&](Watch& watch) {
    const int64_t now = Read(watch, board, firmware);
    if (now == watch.last) return;
    const int64_t before = watch.last;
    watch.last = now;
    if (watch.describe) return emit(watch, watch.describe(before, now));
    if (watch.relevant && !watch.relevant(firmware.panel)) {
      watch.unheard = now != 0;
      return;
    }
    if (!now && std::exchange(watch.unheard, false)) return;
    emit(watch, now ? watch.on : watch.off);
  };
  auto look = [&](When when) {
    for (SourceGroup& group : watches_->groups[size_t(when)]) {
      const int64_t whole = Read(group.whole, board, firmware);
      if (whole == group.whole.last) continue;
      group.whole.last = whole;
      for (size_t index : group.watches) compare(watches_->list[index]);
    }
  };
  const uint32_t nvWrites = board ? board->nvWrites.load(std::memory_order_relaxed) : 0;
  const bool memoryWritten = nvWrites != watches_->nvWrites;
  watches_->nvWrites = nvWrites;
  if (bytesChanged || memoryWritten) look(When::BytesChanged);
  if (memoryWritten) look(When::MemoryWritten);
  if (scope == Scope::PanelAndInputs) look(When::InputsChanged);
  if (bytesChanged) SampleKeys(panelMs, false);
}

// A key press is logged when the key comes up (newest last), with the level
// it was pressed at and whether anything on the panel followed from it.
void EventLog::SampleKeys(int64_t panelMs, bool presses) {
  const HardwareState* board = machine_.board();
  if (!board) return;
  const uint32_t keyPorts = watches_->KeyPorts(*board);
  if (keyPorts == watches_->keyPorts) return;
  if (!presses) watches_->keyPorts = keyPorts;
  for (Key& key : watches_->keys) {
    const bool held = board->IsSet(key.at);
    if (held == key.held || held != presses) continue;
    key.held = held;
    if (held) {
      key.level = AccessLevel(machine_.firmware().panel);
      key.eventsAtPress = watches_->emitted;
      continue;
    }
    const bool accepted = watches_->emitted != key.eventsAtPress;
    Emit(panelMs, EventCategory::Operator,
         std::string("Key: ") + key.name + " (level " + std::to_string(key.level) + (accepted ? ", accepted)" : ", refused)"));
  }
}

BoardSideEventLog::BoardSideEventLog(Machine& machine, std::function<void(const PanelEvent&)> sink,
                                     std::function<void()> wake)
    : machine_(machine), sink_(std::move(sink)), wake_(std::move(wake)) {
  machine.BetweenPasses([this] {
    log_ = std::make_unique<EventLog>(machine_, [this](const PanelEvent& event) { waiting_.push_back(event); });
  });
}

void BoardSideEventLog::AfterTick(int64_t panelMs) {
  if (EventSampleDue(panelMs)) Sample(panelMs);
}

void BoardSideEventLog::SampleNow() {
  machine_.BetweenPasses([this] { Sample(machine_.PanelTimeMs()); });
  Deliver();
}

void BoardSideEventLog::Sample(int64_t panelMs) {
  const std::lock_guard lock(mutex_);
  const bool woken = !waiting_.empty();
  log_->Sample(panelMs);
  if (!woken && !waiting_.empty()) wake_();
}

void BoardSideEventLog::Deliver() {
  std::vector<PanelEvent> events;
  {
    const std::lock_guard lock(mutex_);
    events.swap(waiting_);
  }
  for (const PanelEvent& event : events) sink_(event);
}

void WriteEventCsvHeader(std::ostream& out) { out << "source,panel_time_s,wall_clock,category,event\n"; }

std::string PanelSeconds(int64_t ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%lld.%03lld", static_cast<long long>(ms / 1000), static_cast<long long>(ms % 1000));
  return text;
}

void WriteEventCsvRow(std::ostream& out, const PanelEvent& event, const std::string& source) {
  out << CsvField(source) << ',' << PanelSeconds(event.panelMs) << ',' << WallText(event.wallMs) << ',' << CategoryName(event.category) << ','
      << CsvField(event.text) << '\n';
}
