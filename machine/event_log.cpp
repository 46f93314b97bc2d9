#include "machine/event_log.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <chrono>
#include <cstdio>
#include <ctime>

#include "board/hardware_interface.h"
#include "board/ports.h"
#include "firmware/keys.h"
#include "firmware/panel_state.h"
#include "machine/machine.h"
#include "windows/imageselector.h"

namespace {

enum class Source { Byte, Config, Port, Selector, FillTag, FillWidth, AccessLevel, LampTest };
// Flag: one text when it sets, another when it clears. Change: from what to what.
enum class Style { Flag, Change };

struct Watch {
  EventCategory category;
  Source source;
  const void* at = nullptr;  // the byte, selector or fill
  int index = 0;             // configuration address or port
  uint8_t mask = 0xFF;
  Style style = Style::Flag;
  std::string on, off;  // the flag's texts, or the changing thing's name
  int64_t last = 0;
};

struct Key {
  const char* name;
  BoardBit at;
  bool held = false;
  int level = 1;
  uint64_t eventsAtPress = 0;
};

int AccessLevel() {
  if (panel.panelMode & accessLevel3) return 3;
  return panel.panelMode & accessLevel2 ? 2 : 1;
}

int64_t Read(const Watch& watch, const HardwareState* board) {
  switch (watch.source) {
    case Source::Byte: return *static_cast<const uint8_t*>(watch.at) & watch.mask;
    case Source::Config: return board ? uint8_t(~board->NvByte(watch.index)) & watch.mask : 0;
    case Source::Port: return board ? board->Port(watch.index) & watch.mask : 0;
    case Source::Selector: return static_cast<const TImageSelector*>(watch.at)->ItemIndex();
    case Source::FillTag: return static_cast<const TShape*>(watch.at)->Tag();
    case Source::FillWidth: return static_cast<const TShape*>(watch.at)->Width();
    case Source::AccessLevel: return AccessLevel();
    // The firmware's test costs a memory read: asked only while the key is
    // down or the lamp test still on, as it cannot start with the key up.
    case Source::LampTest: return board && (watch.last || board->IsSet(lampTestKeyAt)) && LampTestActive();
  }
  return 0;
}

std::string ChangeText(const Watch& watch, int64_t from, int64_t to) {
  return watch.on + ": " + std::to_string(from) + " -> " + std::to_string(to);
}

Watch Flag(EventCategory category, const uint8_t& byte, uint8_t mask, std::string on, std::string off) {
  return {category, Source::Byte, &byte, 0, mask, Style::Flag, std::move(on), std::move(off)};
}

Watch PortFlag(EventCategory category, BoardBit bit, std::string on, std::string off) {
  return {category, Source::Port, nullptr, bit.port, bit.mask, Style::Flag, std::move(on), std::move(off)};
}

Watch ConfigFlag(EventCategory category, int address, uint8_t mask, std::string on, std::string off) {
  return {category, Source::Config, nullptr, address, mask, Style::Flag, std::move(on), std::move(off)};
}

void AddZoneWatches(std::vector<Watch>& watches) {
  for (uint8_t zone = 0; zone < maxZones; ++zone) {
    const std::string name = "Zone " + std::to_string(zone + 1);
    const auto bit = uint8_t(1u << zone);
    watches.push_back(Flag(EventCategory::Fire, panel.zonesInFire, bit, name + " fire", name + " fire cleared"));
    watches.push_back(Flag(EventCategory::Fault, panel.zonesFaultDetected, bit, name + " fault", name + " fault cleared"));
    watches.push_back(ConfigFlag(EventCategory::Disablement, cfgZonesDisabled, bit, name + " disabled", name + " enabled"));
    watches.push_back(ConfigFlag(EventCategory::Test, cfgZonesInTest, bit, name + " in test", name + " test ended"));
  }
}

void AddFaultWatches(std::vector<Watch>& watches) {
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
      {panel.systemFaults2, watchdogFault, "Watchdog fault"},
  };
  for (const Named& fault : faults) {
    watches.push_back(Flag(EventCategory::Fault, fault.byte, fault.mask, fault.name, std::string(fault.name) + " cleared"));
  }
  watches.push_back(PortFlag(EventCategory::Fault, systemFaultLedAt, "System fault", "System fault cleared"));
}

void AddOutputWatches(std::vector<Watch>& watches) {
  constexpr auto out = EventCategory::Output;
  watches.push_back(PortFlag(out, {portPowerOutputs, pwrSounder1Drive}, "Sounder output 1 on", "Sounder output 1 off"));
  watches.push_back(PortFlag(out, {portPowerOutputs, pwrSounder2Drive}, "Sounder output 2 on", "Sounder output 2 off"));
  watches.push_back(PortFlag(out, relay1At, "Relay 1 on", "Relay 1 off"));
  watches.push_back(PortFlag(out, relay2At, "Relay 2 on", "Relay 2 off"));
  watches.push_back(PortFlag(out, fireOutputActiveRelayAt, "Fire output active relay on", "Fire output active relay off"));
  watches.push_back(PortFlag(out, transmissionDeviceRelayAt, "Transmission device relay on",
                             "Transmission device relay off"));
  watches.push_back(Flag(out, panel.sounderState, soundersSilenced, "Sounders silenced", "Sounders silence ended"));
  watches.push_back(Flag(out, panel.sounderState, soundersResounded, "Sounders resounded", "Sounders resound ended"));
  watches.push_back(Flag(out, panel.delayState, delayRunning, "Delay started", "Delay stopped"));
  watches.push_back(Flag(out, panel.delayState, delayExtended, "Delay accepted", "Delay acceptance ended"));
  watches.push_back(Flag(out, panel.delayState, delayEnded, "Delay expired", "Delay expiry cleared"));
  watches.push_back(Flag(out, panel.panelMode2, delayOverrideFire, "Delay overridden", "Delay override cleared"));
}

void AddOperatorWatches(std::vector<Watch>& watches) {
  constexpr auto op = EventCategory::Operator;
  watches.push_back({op, Source::AccessLevel, nullptr, 0, 0xFF, Style::Change, "Access level", {}});
  watches.push_back(Flag(op, panel.panelMode, engineeringMode, "Engineering mode entered", "Engineering mode left"));
  watches.push_back(Flag(op, panel.panelMode, fireBuzzerMuted, "Buzzer muted (fire)", "Buzzer unmuted (fire)"));
  watches.push_back(Flag(op, panel.panelMode, faultBuzzerMuted, "Buzzer muted (fault)", "Buzzer unmuted (fault)"));
  watches.push_back(Flag(op, panel.delayState, delaysOn, "Delays on", "Delays off"));
  for (const auto& [byte, name] : {std::pair{&panel.selectedItem, "Selected item"}, std::pair{&panel.menuPage, "Menu page"},
                                   std::pair{&panel.menuItem, "Menu item"}}) {
    watches.push_back({op, Source::Byte, byte, 0, 0xFF, Style::Change, name, {}});
  }
  watches.push_back({op, Source::LampTest, nullptr, 0, 0xFF, Style::Flag, "Lamp test", "Lamp test ended"});
}

// The options and counters; the disablement and test bytes have their own
// events and the checksum follows every change.
void AddConfigurationWatches(std::vector<Watch>& watches) {
  constexpr int optionBytes = cfgDelayOptions + 1;
  const int counters[] = {cfgAlarmCountHundreds, cfgAlarmCountTensUnits, cfgOutputDisables};
  auto add = [&](int address) {
    watches.push_back({EventCategory::Configuration, Source::Config, nullptr, address, 0xFF, Style::Change,
                       "Configuration byte " + std::to_string(address), {}});
  };
  for (int address = 0; address < optionBytes; ++address) add(address);
  for (int address : counters) add(address);
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
  for (const ControlState* input : inputs) {
    const auto* selector = dynamic_cast<const TImageSelector*>(input);
    if (!selector) continue;
    watches.push_back({EventCategory::Hardware, Source::Selector, selector, 0, 0xFF, Style::Change, selector->Name(), {}});
  }
  TfrmHardwareControl& hw = machine.hardware();
  auto level = [&](const TShape* box, const TShape* fill, Source source) {
    watches.push_back({EventCategory::Hardware, source, fill, 0, 0xFF, Style::Change, box->Name(), {}});
  };
  for (size_t zone = 0; zone < hw.ZoneAnalogueControl.size(); ++zone) {
    level(hw.ZoneAnalogueControl[zone], hw.ZoneAnalogueValue[zone], Source::FillTag);
  }
  level(hw.VbattAnalogueValueBox, hw.VbattAnalogueValue, Source::FillTag);
  level(hw.VchrAnalogueValueBox, hw.VchrAnalogueValue, Source::FillTag);
  level(hw.VssAnalogueValueBox, hw.VssAnalogueValue, Source::FillTag);
  level(hw.Relay1ValueBox, hw.Relay1Value, Source::FillWidth);
  level(hw.Relay2ValueBox, hw.Relay2Value, Source::FillWidth);
  level(hw.TransmissionDeviceValueBox, hw.TransmissionDeviceValue, Source::FillWidth);
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

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\n") == std::string::npos) return text;
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
  if (source == Source::Config) return When::MemoryWritten;
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
  std::vector<Watch>& list = watches_->list;
  AddZoneWatches(list);
  AddFaultWatches(list);
  AddOutputWatches(list);
  AddOperatorWatches(list);
  AddConfigurationWatches(list);
  AddHardwareWatches(list, machine);
  watches_->keys = {{"Accept", acceptKeyAt},         {"Sounders start/stop", soundersStartStopKeyAt},
                    {"Reset", resetKeyAt},           {"Buzzer mute", buzzerMuteKeyAt},
                    {"Delay on/off", delayOnOffKeyAt}, {"Item select", itemSelectKeyAt},
                    {"Disable/test/normal", disableTestNormalKeyAt}, {"Lamp test", lampTestKeyAt}};
  const HardwareState* board = boardInstance.load();
  for (Watch& watch : list) watch.last = Read(watch, board);
  watches_->Group();
  for (std::vector<SourceGroup>& alike : watches_->groups) {
    for (SourceGroup& group : alike) group.whole.last = Read(group.whole, board);
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
  probe.Add(&keysState.keyDebounceA);
  probe.Add(&keysState.keyDebounceB);
  probe.Changed();
}

EventLog::~EventLog() = default;

void EventLog::Emit(int64_t panelMs, EventCategory category, std::string text) {
  sink_({panelMs, WallMs(), category, std::move(text)});
}

// Presses before the panel's changes, releases after: what the panel does
// in the sample that shows the key down or up is the key's doing.
void EventLog::Sample(int64_t panelMs, Scope scope) {
  const HardwareState* board = boardInstance.load();
  const bool bytesChanged = board && watches_->probe.Changed();
  if (bytesChanged) SampleKeys(panelMs, true);
  auto compare = [&](Watch& watch) {
    const int64_t now = Read(watch, board);
    if (now == watch.last) return;
    const int64_t before = watch.last;
    watch.last = now;
    if (watch.category != EventCategory::Hardware) ++watches_->emitted;
    if (watch.style == Style::Change) return Emit(panelMs, watch.category, ChangeText(watch, before, now));
    Emit(panelMs, watch.category, now ? watch.on : watch.off);
  };
  auto look = [&](When when) {
    for (SourceGroup& group : watches_->groups[size_t(when)]) {
      const int64_t whole = Read(group.whole, board);
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
  const HardwareState* board = boardInstance.load();
  if (!board) return;
  const uint32_t keyPorts = watches_->KeyPorts(*board);
  if (keyPorts == watches_->keyPorts) return;
  if (!presses) watches_->keyPorts = keyPorts;
  for (Key& key : watches_->keys) {
    const bool held = board->IsSet(key.at);
    if (held == key.held || held != presses) continue;
    key.held = held;
    if (held) {
      key.level = AccessLevel();
      key.eventsAtPress = watches_->emitted;
      continue;
    }
    const bool accepted = watches_->emitted != key.eventsAtPress;
    Emit(panelMs, EventCategory::Operator,
         std::string(key.name) + " key at level " + std::to_string(key.level) + (accepted ? ": accepted" : ": refused"));
  }
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
