#include "machine/save_state.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <unistd.h>

#include "board/hardware_interface.h"
#include "board/periodic_update.h"
#include "firmware/firmware.h"
#include "machine/machine.h"
#include "windows/imageselector.h"
#include "windows/maindisplay.h"

namespace {

constexpr char magic[] = {'Q', 'X', '4', '0', 'S', 'T', 'A', 'T'};
constexpr size_t headerSize = sizeof magic + 2 + 2 + 4 + 4;

// What a control keeps, by its kind; its tag in every case.
enum class ControlKind : uint8_t { Plain, Selector, CheckBox, Label, Shape };

struct ControlImage {
  std::string name;
  ControlKind kind = ControlKind::Plain;
  int32_t tag = 0;
  int32_t value = 0;  // item index, check state or width
  std::string caption;
};

struct PanelImage {
  int64_t timeMs = 0;
  uint8_t stalled = 0;
  PanelState panel;
  KeysState keys;
  DisablementState disablement;
  FireBrigadeState fireBrigade;
  MonitorsState monitors;
  std::array<uint8_t, programImageSize> program{};
  std::array<uint8_t, portCount> ports{};
  std::array<uint8_t, 8> keyReads{};
  std::vector<uint8_t> nv;
  uint32_t nvWrites = 0;
  int32_t divider20ms = 0;
  int32_t divider50ms = 0;
  uint16_t runCounter = 0;
  uint8_t watchdogTripped = 0;
  int32_t watchdogPeriods = 0;
  std::vector<ControlImage> controls;
};

// CRC-32 as zlib and PNG compute it, so that any tool can check a file.
uint32_t Crc32(const uint8_t* bytes, size_t size) {
  constexpr uint32_t polynomial = 0xEDB88320u;
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) {
    crc ^= bytes[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (polynomial & (0u - (crc & 1u)));
  }
  return ~crc;
}

class Writer {
 public:
  std::vector<uint8_t> bytes;

  template <class T>
  void Integer(T value) {
    for (size_t i = 0; i < sizeof(T); ++i) bytes.push_back(uint8_t(uint64_t(value) >> (8 * i)));
  }
  void operator()(uint8_t& value) { Integer(value); }
  void operator()(uint16_t& value) { Integer(value); }
  void operator()(uint32_t& value) { Integer(value); }
  void operator()(int32_t& value) { Integer(value); }
  void operator()(int64_t& value) { Integer(value); }
  void operator()(SharedU16& value) { Integer(uint16_t(value)); }
  void operator()(ControlKind& kind) { Integer(uint8_t(kind)); }
  void operator()(std::string& text) {
    Integer(uint32_t(text.size()));
    bytes.insert(bytes.end(), text.begin(), text.end());
  }
  void operator()(std::vector<uint8_t>& block) {
    Integer(uint32_t(block.size()));
    bytes.insert(bytes.end(), block.begin(), block.end());
  }
  void operator()(std::vector<ControlImage>& controls);
};

class Reader {
 public:
  Reader(const uint8_t* bytes, size_t size, const std::string& name) : at_(bytes), left_(size), name_(name) {}

  template <class T>
  T Integer() {
    Need(sizeof(T));
    uint64_t value = 0;
    for (size_t i = 0; i < sizeof(T); ++i) value |= uint64_t(at_[i]) << (8 * i);
    Skip(sizeof(T));
    return T(value);
  }
  void operator()(uint8_t& value) { value = Integer<uint8_t>(); }
  void operator()(uint16_t& value) { value = Integer<uint16_t>(); }
  void operator()(uint32_t& value) { value = Integer<uint32_t>(); }
  void operator()(int32_t& value) { value = Integer<int32_t>(); }
  void operator()(int64_t& value) { value = Integer<int64_t>(); }
  void operator()(SharedU16& value) { value = Integer<uint16_t>(); }
  void operator()(ControlKind& kind) {
    const uint8_t stored = Integer<uint8_t>();
    if (stored > uint8_t(ControlKind::Shape)) Fail("a control of an unknown kind");
    kind = ControlKind(stored);
  }
  void operator()(std::string& text) {
    const uint32_t size = Integer<uint32_t>();
    Need(size);
    text.assign(reinterpret_cast<const char*>(at_), size);
    Skip(size);
  }
  void operator()(std::vector<uint8_t>& block) {
    const uint32_t size = Integer<uint32_t>();
    Need(size);
    block.assign(at_, at_ + size);
    Skip(size);
  }
  void operator()(std::vector<ControlImage>& controls);

  bool AtEnd() const { return left_ == 0; }
  [[noreturn]] void Fail(const std::string& what) const {
    throw StateError(name_ + " does not fit this panel: it holds " + what + "; the panel is unchanged");
  }

 private:
  void Need(size_t size) const {
    if (size > left_) Fail("less than its own contents say");
  }
  void Skip(size_t size) {
    at_ += size;
    left_ -= size;
  }

  const uint8_t* at_;
  size_t left_;
  const std::string& name_;
};

template <class Archive, class Range>
void Each(Archive& a, Range& items) {
  for (auto& item : items) a(item);
}

// The state's fields in file order; one list for writing and reading.
template <class Archive>
void Fields(Archive& a, PanelState& s) {
  a(s.referenceLevel), a(s.zoneScanIndex), Each(a, s.zoneAlarmCount), Each(a, s.zoneFaultCount), a(s.zonesAlarmDetected);
  a(s.zonesInFire), a(s.zonesFaultDetected), a(s.zonesAlarmAcknowledged), a(s.panelMode), a(s.panelMode2);
  a(s.delayState), a(s.sounderState), a(s.fwpState), a(s.systemFaults), a(s.systemFaults2), a(s.outputDisables);
  a(s.routingActivated), a(s.flashTimer), a(s.flashTimer2), a(s.delayTimer), a(s.zoneFireLeds), a(s.zoneFaultLeds);
  a(s.statusLeds), a(s.selectedItem), a(s.menuPage), a(s.menuItem), a(s.menuTimeout), a(s.configCheckIndex);
  a(s.configCheckSum), a(s.programCheckCursor), a(s.programCheckSum), Each(a, s.outputFaultCount), a(s.relayBoardState);
  a(s.referenceFaultCount), a(s.mainsFaultCount), a(s.batteryFaultCount), a(s.batteryLevelFiltered);
  a(s.chargerLevelFiltered), a(s.batteryTestState), a(s.batteryTestTimer), a(s.counterDisplayTimer);
}

template <class Archive>
void Fields(Archive& a, PanelImage& s) {
  a(s.timeMs), a(s.stalled);
  Fields(a, s.panel);
  a(s.keys.keyDebounceA), a(s.keys.keyDebounceB), a(s.keys.keyswitchHoldCount);
  a(s.disablement.zoneTestResetCount);
  a(s.fireBrigade.fwpPollTimer), a(s.fireBrigade.fwpLastCommand);
  a(s.monitors.auxFaultCount), a(s.monitors.earthFaultCount), a(s.monitors.earthTestState), a(s.monitors.earthTestTimer);
  Each(a, s.program), Each(a, s.ports), Each(a, s.keyReads), a(s.nv), a(s.nvWrites);
  a(s.divider20ms), a(s.divider50ms), a(s.runCounter), a(s.watchdogTripped), a(s.watchdogPeriods);
  a(s.controls);
}

template <class Archive>
void Fields(Archive& a, ControlImage& c) {
  a(c.name), a(c.kind), a(c.tag), a(c.value);
  if (c.kind == ControlKind::Label) a(c.caption);
}

void Writer::operator()(std::vector<ControlImage>& controls) {
  Integer(uint32_t(controls.size()));
  for (ControlImage& control : controls) Fields(*this, control);
}

void Reader::operator()(std::vector<ControlImage>& controls) {
  const uint32_t count = Integer<uint32_t>();
  if (count > left_) Fail("more controls than it has room for");
  controls.resize(count);
  for (ControlImage& control : controls) Fields(*this, control);
}

// ---- The panel and its image ---------------------------------------------------

std::vector<TControl*> AllControls(Machine& machine) {
  std::vector<TControl*> all = machine.front().Controls();
  const std::vector<TControl*> hardware = machine.hardware().Controls();
  all.insert(all.end(), hardware.begin(), hardware.end());
  return all;
}

ControlImage ImageOf(const TControl& control) {
  ControlImage image{control.Name(), ControlKind::Plain, control.Tag(), 0, {}};
  if (const auto* selector = dynamic_cast<const TImageSelector*>(&control)) {
    image.kind = ControlKind::Selector;
    image.value = selector->ItemIndex();
  } else if (const auto* box = dynamic_cast<const TCheckBox*>(&control)) {
    image.kind = ControlKind::CheckBox;
    image.value = int32_t(box->State());
  } else if (const auto* label = dynamic_cast<const TLabel*>(&control)) {
    image.kind = ControlKind::Label;
    image.caption = label->Caption();
  } else if (dynamic_cast<const TShape*>(&control)) {
    // A label's width follows its font, which differs between front ends; a shape's is a value.
    image.kind = ControlKind::Shape;
    image.value = control.Width();
  }
  return image;
}

void Apply(TControl& control, const ControlImage& image) {
  control.SetTag(image.tag);
  switch (image.kind) {
    case ControlKind::Selector: return static_cast<TImageSelector&>(control).SetItemIndex(image.value);
    case ControlKind::CheckBox: return static_cast<TCheckBox&>(control).SetState(CheckBoxState(image.value));
    case ControlKind::Label: return static_cast<TLabel&>(control).SetCaption(image.caption);
    case ControlKind::Shape: return control.SetWidth(image.value);
    case ControlKind::Plain: return;
  }
}

// As the links are fitted in the window: the board reads them only at its next tick.
uint16_t LinkedZones(const TfrmHardwareControl& window) {
  if (window.EightZonePanel->ItemIndex() != 0) return 8;
  return window.FourZonePanel->ItemIndex() != 0 ? 4 : 2;
}

HardwareState& BoardOf(Machine& machine, const std::string& action) {
  HardwareState* board = machine.board();
  if (!board) throw StateError("cannot " + action + " a panel state: the panel is not running");
  return *board;
}

void CaptureMemory(PanelImage& image, Machine& machine, const HardwareState& board) {
  const Firmware& firmware = machine.firmware();
  const PeriodicUpdate& periodicUpdate = machine.periodicUpdate();
  image.panel = firmware.panel;
  image.keys = firmware.keysState;
  image.disablement = firmware.disablementState;
  image.fireBrigade = firmware.fireBrigadeState;
  image.monitors = firmware.monitorsState;
  image.program = firmware.programImage;
  for (int index = 0; index < portCount; ++index) image.ports[size_t(index)] = board.Port(index);
  for (size_t key = 0; key < image.keyReads.size(); ++key) image.keyReads[key] = board.keyReadsPressed[key].load();
  image.nv = board.SnapshotNvImage();
  image.nvWrites = board.nvWrites.load();
  image.divider20ms = periodicUpdate.divider20ms.load();
  image.divider50ms = periodicUpdate.divider50ms.load();
  image.runCounter = periodicUpdate.runCounter.load();
  image.watchdogTripped = periodicUpdate.watchdogTripped.load();
  image.watchdogPeriods = periodicUpdate.watchdogPeriods.load();
}

void RestoreMemory(const PanelImage& image, Machine& machine, HardwareState& board) {
  Firmware& firmware = machine.firmware();
  PeriodicUpdate& periodicUpdate = machine.periodicUpdate();
  firmware.panel = image.panel;
  firmware.keysState = image.keys;
  firmware.disablementState = image.disablement;
  firmware.fireBrigadeState = image.fireBrigade;
  firmware.monitorsState = image.monitors;
  firmware.programImage = image.program;
  for (int index = 0; index < portCount; ++index) board.StorePort(index, image.ports[size_t(index)]);
  for (size_t key = 0; key < image.keyReads.size(); ++key) board.keyReadsPressed[key].store(image.keyReads[key]);
  for (size_t index = 0; index < image.nv.size(); ++index) board.SetNvByte(int32_t(index), image.nv[index]);
  board.nvWrites.store(image.nvWrites);
  periodicUpdate.divider20ms.store(image.divider20ms);
  periodicUpdate.divider50ms.store(image.divider50ms);
  periodicUpdate.runCounter.store(image.runCounter);
  periodicUpdate.watchdogTripped.store(image.watchdogTripped != 0);
  periodicUpdate.watchdogPeriods.store(image.watchdogPeriods);
}

// The controls a file holds must be this program's, one for one.
void CheckControls(const Reader& reader, const std::vector<TControl*>& controls, const std::vector<ControlImage>& images) {
  if (images.size() != controls.size()) {
    reader.Fail(std::to_string(images.size()) + " controls where this panel's windows have " +
                std::to_string(controls.size()));
  }
  for (size_t i = 0; i < images.size(); ++i) {
    if (images[i].name != controls[i]->Name() || images[i].kind != ImageOf(*controls[i]).kind) {
      reader.Fail("the control " + images[i].name + " where this panel has " + controls[i]->Name());
    }
  }
}

void PutHeader(std::vector<uint8_t>& file, uint16_t zones, const std::vector<uint8_t>& body) {
  Writer header;
  header.bytes.assign(std::begin(magic), std::end(magic));
  header.Integer(stateFormatVersion);
  header.Integer(zones);
  header.Integer(uint32_t(body.size()));
  header.Integer(Crc32(body.data(), body.size()));
  file = std::move(header.bytes);
  file.insert(file.end(), body.begin(), body.end());
}

[[noreturn]] void Refuse(const std::string& name, const std::string& what) {
  throw StateError(name + " " + what + "; the panel is unchanged");
}

// The body of a whole, intact file of this format for this panel size.
std::vector<uint8_t> CheckedBody(const std::vector<uint8_t>& file, const std::string& name, uint16_t zones) {
  if (file.empty()) Refuse(name, "is empty, not a panel state file");
  if (file.size() < headerSize) {
    Refuse(name, "is too short for a panel state file (" + std::to_string(file.size()) + " bytes; its header alone is " +
                     std::to_string(headerSize) + ")");
  }
  if (!std::equal(std::begin(magic), std::end(magic), file.begin())) {
    Refuse(name, "is not a panel state file (it does not start with QX40STAT)");
  }
  Reader header(file.data() + sizeof magic, headerSize - sizeof magic, name);
  const auto version = header.Integer<uint16_t>();
  const auto stateZones = header.Integer<uint16_t>();
  const auto length = header.Integer<uint32_t>();
  const auto checksum = header.Integer<uint32_t>();
  if (version != stateFormatVersion) {
    Refuse(name, "is a panel state of format " + std::to_string(version) + " and this program reads format " +
                     std::to_string(stateFormatVersion) + ": save it again with the program that wrote it");
  }
  const size_t held = file.size() - headerSize;
  if (held < length) {
    Refuse(name, "is truncated: its header gives " + std::to_string(length) + " bytes of state and it holds " +
                     std::to_string(held));
  }
  if (held > length) Refuse(name, "has " + std::to_string(held - length) + " bytes after the state its header gives");
  std::vector<uint8_t> body(file.begin() + std::ptrdiff_t(headerSize), file.end());
  if (Crc32(body.data(), body.size()) != checksum) Refuse(name, "is corrupt: its checksum does not match its contents");
  if (stateZones != zones) {
    Refuse(name, "is the state of a " + std::to_string(stateZones) + "-zone panel and this panel has " +
                     std::to_string(zones) + " zones: fit the zone-count links to match first");
  }
  return body;
}

}  // namespace

std::vector<uint8_t> CaptureState(Machine& machine) {
  HardwareState& board = BoardOf(machine, "save");
  PanelImage image;
  image.timeMs = machine.PanelTimeMs();
  image.stalled = machine.stepper().firmwareStalled;
  machine.BetweenPasses([&] { CaptureMemory(image, machine, board); });
  for (const TControl* control : AllControls(machine)) image.controls.push_back(ImageOf(*control));
  Writer body;
  Fields(body, image);
  std::vector<uint8_t> file;
  PutHeader(file, LinkedZones(machine.hardware()), body.bytes);
  return file;
}

void RestoreState(Machine& machine, const std::vector<uint8_t>& file, const std::string& name) {
  HardwareState& board = BoardOf(machine, "load");
  const std::vector<uint8_t> body = CheckedBody(file, name, LinkedZones(machine.hardware()));
  Reader reader(body.data(), body.size(), name);
  PanelImage image;
  Fields(reader, image);
  if (!reader.AtEnd()) reader.Fail("more than its own contents say");
  if (image.nv.size() != size_t(board.nvSize)) {
    reader.Fail(std::to_string(image.nv.size()) + " bytes of memory where this board has " + std::to_string(board.nvSize));
  }
  if (image.timeMs < 0 || image.timeMs % stepMs != 0) reader.Fail("a panel time that is not a whole number of steps");
  const std::vector<TControl*> controls = AllControls(machine);
  CheckControls(reader, controls, image.controls);

  machine.BetweenPasses([&] {
    RestoreMemory(image, machine, board);
    machine.firmware().ForgetConfig();
  });
  for (size_t i = 0; i < controls.size(); ++i) Apply(*controls[i], image.controls[i]);
  machine.periodicUpdate().ShowMatrixAgain();
  machine.hardware().FollowLinks();
  if (machine.Pacing() == BoardPacing::Stepped) {
    machine.stepper().RestoreTime(image.timeMs);
    machine.stepper().firmwareStalled = image.stalled != 0;
  }
}

void SaveStateFile(Machine& machine, const std::string& path) {
  const std::vector<uint8_t> file = CaptureState(machine);
  const std::string staging = path + ".tmp";
  const auto failed = [&](const std::string& what) {
    const std::string reason = std::strerror(errno);
    std::remove(staging.c_str());
    throw StateError("cannot " + what + " " + path + " (" + reason + "): choose a writable place for the state file");
  };
  std::FILE* out = std::fopen(staging.c_str(), "wb");
  if (!out) failed("write");
  const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size() && std::fflush(out) == 0 &&
                       fsync(fileno(out)) == 0;
  if (std::fclose(out) != 0 || !written) failed("write");
  if (std::rename(staging.c_str(), path.c_str()) != 0) failed("replace");
}

void LoadStateFile(Machine& machine, const std::string& path) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) Refuse(path, "is a directory, not a panel state file");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw StateError("cannot read " + path + " (" + std::strerror(errno) + "); the panel is unchanged");
  const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) throw StateError("cannot read " + path + "; the panel is unchanged");
  RestoreState(machine, file, path);
}
