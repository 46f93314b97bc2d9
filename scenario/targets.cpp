#include "scenario/targets.h"

#include "board/hardware_interface.h"
#include "board/periodic_update.h"
#include "firmware/firmware.h"
#include "firmware/variables.h"
#include "windows/hardwarecontrol.h"
#include "windows/maindisplay.h"
#include "machine/machine.h"

namespace scenario {

namespace {

constexpr const char* watchdogTimerName = "WatchdogTimer";

[[noreturn]] void Fail(const std::string& message) { throw ScriptError{message}; }

Value Number(int64_t number) { return Value{false, number, ""}; }
Value Text(const std::string& text) { return Value{true, 0, text}; }

std::string Qualified(const std::string& form, const std::string& name) { return form + "." + name; }

Reader Masked(Reader reader, uint32_t mask) {
  return [reader = std::move(reader), mask] {
    const Value value = reader();
    if (value.isString) Fail("a mask needs a number");
    return Number(value.number & mask);
  };
}

std::vector<std::string> VariableNames() {
  std::vector<std::string> names;
  for (const FirmwareVariable& variable : FirmwareVariables()) names.emplace_back(variable.name);
  return names;
}

std::vector<std::string> NamesOf(const TForm& form, const std::string& prefix) {
  std::vector<std::string> names;
  for (const TControl* control : form.Controls()) {
    if (!control->Name().empty()) names.push_back(prefix + control->Name());
  }
  return names;
}

Reader VariableReader(const Target& target, const Firmware& firmware) {
  const FirmwareVariable* variable = FindFirmwareVariable(target.name);
  if (!variable) Fail("unknown variable '" + target.name + "'" + DidYouMean(target.name, VariableNames()));
  if (variable->count > 1 && target.index < 0) Fail("'" + target.name + "' needs an index");
  if (variable->count == 1 && target.index >= 0) Fail("'" + target.name + "' takes no index");
  if (target.index >= variable->count) Fail("index out of range: " + target.text);
  const int index = std::max(target.index, 0);
  return [&firmware, variable, index] { return Number(ReadFirmwareVariable(firmware, *variable, index)); };
}

}  // namespace

Panel::Panel(Machine& simulation) : simulation_(simulation) {
  TfrmHardwareControl& hw = simulation.hardware();
  for (size_t zone = 0; zone < hw.ZoneAnalogueControl.size(); ++zone) {
    levels_.push_back({hw.ZoneAnalogueControl[zone], hw.ZoneAnalogueValue[zone], LevelKind::Zone});
  }
  levels_.push_back({hw.VbattAnalogueValueBox, hw.VbattAnalogueValue, LevelKind::Battery});
  levels_.push_back({hw.VchrAnalogueValueBox, hw.VchrAnalogueValue, LevelKind::Charger});
  levels_.push_back({hw.VssAnalogueValueBox, hw.VssAnalogueValue, LevelKind::Supply});
  levels_.push_back({hw.Relay1ValueBox, hw.Relay1Value, LevelKind::Monitor});
  levels_.push_back({hw.Relay2ValueBox, hw.Relay2Value, LevelKind::Monitor});
  levels_.push_back({hw.TransmissionDeviceValueBox, hw.TransmissionDeviceValue, LevelKind::Monitor});
}

TForm& Panel::Form(const std::string& name) const {
  if (name == "frmMainDisplay") return simulation_.front();
  return simulation_.hardware();
}

TControl& Panel::Control(const std::string& form, const std::string& name) const {
  const std::string& wanted = name;
  if (!form.empty()) {
    TControl* control = Form(form).FindControl(wanted);
    if (!control) Fail("unknown control '" + Qualified(form, name) + "'" + DidYouMean(name, NamesOf(Form(form), "")));
    return *control;
  }
  TControl* front = simulation_.front().FindControl(wanted);
  TControl* hardware = simulation_.hardware().FindControl(wanted);
  if (front && hardware) {
    Fail("'" + name + "' is in both windows: write frmMainDisplay." + name + " or frmHardwareControl." + name);
  }
  if (!front && !hardware) Fail("unknown control '" + name + "'" + DidYouMean(name, ControlNames(false)));
  return front ? *front : *hardware;
}

std::vector<std::string> Panel::ControlNames(bool qualified) const {
  std::vector<std::string> names;
  for (const char* form : {"frmMainDisplay", "frmHardwareControl"}) {
    const std::vector<std::string> ofForm = NamesOf(Form(form), qualified ? std::string(form) + "." : "");
    names.insert(names.end(), ofForm.begin(), ofForm.end());
  }
  if (qualified) names.push_back(Qualified("frmHardwareControl", watchdogTimerName));
  return names;
}

const LevelRef* Panel::LevelOf(const TControl& control) const {
  for (const LevelRef& level : levels_) {
    if (level.box == &control || level.fill == &control) return &level;
  }
  return nullptr;
}

Reader Panel::ReaderOf(const Target& target) const {
  Reader reader;
  switch (target.kind) {
    case Target::Kind::Var: reader = BetweenPasses(VariableReader(target, simulation_.firmware())); break;
    case Target::Kind::Config:
      reader = BetweenPasses([&firmware = simulation_.firmware(), address = uint8_t(target.index)] {
        return Number(firmware.ReadConfig(address));
      });
      break;
    case Target::Kind::Port:
      reader = BetweenPasses([&machine = simulation_, port = target.index] { return Number(machine.board()->Port(port)); });
      break;
    case Target::Kind::Control: reader = ControlReader(target); break;
  }
  if (!target.mask) return reader;
  if (reader().isString) Fail("a mask needs a number: " + target.text);
  return Masked(std::move(reader), *target.mask);
}

// The firmware's memory and the board's ports are read on the firmware's own
// thread, between two of its passes.
Reader Panel::BetweenPasses(Reader read) const {
  return [&machine = simulation_, read = std::move(read)] {
    Value value;
    machine.BetweenPasses([&] { value = read(); });
    return value;
  };
}

// The watchdog timer is no control; its tag is the board's period count.
Reader Panel::ControlReader(const Target& target) const {
  if (target.name == watchdogTimerName && target.form != "frmMainDisplay") {
    if (!target.attr.empty() && target.attr != "tag") Fail("WatchdogTimer has only a tag");
    return [&update = simulation_.periodicUpdate()] { return Number(update.watchdogPeriods.load()); };
  }
  const TControl& control = Control(target.form, target.name);
  if (!target.attr.empty()) return AttributeReader(control, target);
  if (const auto* selector = dynamic_cast<const TImageSelector*>(&control)) {
    return [selector] { return Number(selector->ItemIndex()); };
  }
  if (const LevelRef* level = LevelOf(control)) return [fill = level->fill] { return Number(fill->Width()); };
  if (const auto* box = dynamic_cast<const TCheckBox*>(&control)) return [box] { return Number(int(box->State())); };
  if (const auto* label = dynamic_cast<const TLabel*>(&control)) return [label] { return Text(label->Caption()); };
  Fail("'" + target.name + "' has no value of its own: name an attribute");
}

Reader Panel::AttributeReader(const TControl& control, const Target& target) const {
  const std::string& attr = target.attr;
  const TControl* c = &control;
  const LevelRef* level = LevelOf(control);
  if (attr == "index") {
    const auto* selector = dynamic_cast<const TImageSelector*>(c);
    if (!selector) Fail("'" + target.name + "' has no index");
    return [selector] { return Number(selector->ItemIndex()); };
  }
  if (attr == "width") {
    const TControl* measured = level ? level->fill : c;
    return [measured] { return Number(measured->Width()); };
  }
  if (attr == "value") {
    if (!level) Fail("'" + target.name + "' is not a level control");
    if (level->kind == LevelKind::Monitor) Fail("'" + target.name + "' holds no ohms or millivolts: read its width");
    return [fill = level->fill] { return Number(fill->Tag()); };
  }
  if (attr == "caption") {
    if (const auto* label = dynamic_cast<const TLabel*>(c)) return [label] { return Text(label->Caption()); };
    if (const auto* group = dynamic_cast<const TGroupBox*>(c)) return [group] { return Text(group->Caption()); };
    if (const auto* box = dynamic_cast<const TCheckBox*>(c)) return [box] { return Text(box->Caption()); };
    Fail("'" + target.name + "' has no caption");
  }
  if (attr == "tag") return [c] { return Number(c->Tag()); };
  if (attr == "hint") return [c] { return Text(c->Hint()); };
  if (attr == "visible") return [c] { return Number(c->Visible() ? 1 : 0); };
  if (attr == "left") return [c] { return Number(c->Left()); };
  return [c] { return Number(c->Top()); };
}

}  // namespace scenario
