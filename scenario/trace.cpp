#include "scenario/trace.h"

#include <bit>

#include "scenario/script.h"
#include "scenario/targets.h"
#include "board/hardware_interface.h"
#include "windows/hardwarecontrol.h"
#include "windows/maindisplay.h"
#include "machine/machine.h"

namespace scenario {

namespace {

constexpr int levelBits = 16;
constexpr int checkBoxBits = 2;
constexpr int portBits = 8;

int SelectorBits(const TImageSelector& selector) {
  const TImageList* list = selector.ImageList();
  const int highest = list && list->Count() > 1 ? list->Count() - 1 : 1;
  return int(std::bit_width(unsigned(highest)));
}

const std::string& NameOf(const TControl& control) { return control.Name(); }

}  // namespace

Trace::Trace(const std::string& path) : file_(path, std::ios::binary) {
  if (!file_) throw ScriptError{"cannot write the trace " + path};
}

void Trace::Attach(Machine& simulation, const Panel& panel) {
  selectors_.clear();
  checkBoxes_.clear();
  levelValues_.clear();
  levelWidths_.clear();
  for (TForm* form : {static_cast<TForm*>(&simulation.front()), static_cast<TForm*>(&simulation.hardware())}) {
    for (const TControl* control : form->Controls()) {
      if (const auto* selector = dynamic_cast<const TImageSelector*>(control)) selectors_.push_back(selector);
      if (const auto* box = dynamic_cast<const TCheckBox*>(control)) checkBoxes_.push_back(box);
    }
  }
  for (const LevelRef& level : panel.Levels()) {
    (level.kind == LevelKind::Monitor ? levelWidths_ : levelValues_).push_back(level.fill);
  }
  board_ = simulation.board();
  if (begun_) return;
  Declare(simulation);
  Read();
  vcd_.Begin(file_, values_, simulation.PanelTimeMs());
  begun_ = true;
}

void Trace::Declare(Machine& simulation) {
  auto scopeOf = [&](const TControl* control) {
    return control->Form() == &simulation.front() ? "frmMainDisplay" : "frmHardwareControl";
  };
  for (const TImageSelector* selector : selectors_) {
    vcd_.AddSignal(scopeOf(selector), NameOf(*selector), SelectorBits(*selector));
  }
  for (const TCheckBox* box : checkBoxes_) vcd_.AddSignal(scopeOf(box), NameOf(*box), checkBoxBits);
  for (const auto* fills : {&levelValues_, &levelWidths_}) {
    for (const TShape* fill : *fills) vcd_.AddSignal("frmHardwareControl", NameOf(*fill), levelBits);
  }
  for (int port = 0; port < portCount; ++port) vcd_.AddSignal("board", "port" + std::to_string(port), portBits);
  values_.reserve(vcd_.SignalCount());
}

void Trace::Read() {
  values_.clear();
  for (const TImageSelector* selector : selectors_) values_.push_back(selector->ItemIndex());
  for (const TCheckBox* box : checkBoxes_) values_.push_back(int(box->State()));
  for (const TShape* fill : levelValues_) values_.push_back(fill->Tag());
  for (const TShape* fill : levelWidths_) values_.push_back(fill->Width());
  for (int port = 0; port < portCount; ++port) values_.push_back(board_->Port(port));
}

void Trace::Sample(int64_t timeMs) {
  Read();
  vcd_.Sample(file_, timeMs, values_);
}

}  // namespace scenario
