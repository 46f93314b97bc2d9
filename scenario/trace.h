#pragma once
// The signal trace of a run: every image selector, check box and level of
// both windows and every board port, sampled into a Value Change Dump.

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "scenario/vcd.h"

class HardwareState;
class Machine;
class TImageSelector;
class TCheckBox;
class TShape;

namespace scenario {

class Panel;

class Trace {
 public:
  // Opens the file; fails with ScriptError if it cannot.
  explicit Trace(const std::string& path);

  // Follows the controls of a new simulator; the first one declares the signals.
  void Attach(Machine& simulation, const Panel& panel);
  // Records what changed since the last sample, at that time.
  void Sample(int64_t timeMs);

 private:
  void Declare(Machine& simulation);
  void Read();

  std::ofstream file_;
  VcdWriter vcd_;
  bool begun_ = false;
  std::vector<const TImageSelector*> selectors_;
  std::vector<const TCheckBox*> checkBoxes_;
  // Zone and supply levels trace their value; the monitored loads, whose
  // value is the fill itself, their width.
  std::vector<const TShape*> levelValues_;
  std::vector<const TShape*> levelWidths_;
  std::vector<int64_t> values_;
  // The attached machine's board, whose ports each sample reads.
  const HardwareState* board_ = nullptr;
};

}  // namespace scenario
