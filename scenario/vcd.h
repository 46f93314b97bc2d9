#pragma once
// A Value Change Dump of integer signals at a 1 ms timescale.

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace scenario {

class VcdWriter {
 public:
  // Signals are declared before the first Sample, grouped by scope.
  int AddSignal(const std::string& scope, const std::string& name, int width);
  // Writes the header and every signal's first value at startMs (a panel
  // restored from a state file starts at its own time).
  void Begin(std::ostream& out, const std::vector<int64_t>& values, int64_t startMs = 0);
  // Writes the signals whose value changed since the last sample.
  void Sample(std::ostream& out, int64_t timeMs, const std::vector<int64_t>& values);
  size_t SignalCount() const { return signals_.size(); }

 private:
  struct Signal {
    std::string scope, name, id;
    int width;
  };
  void WriteValue(std::ostream& out, const Signal& signal, int64_t value) const;

  std::vector<Signal> signals_;
  std::vector<int64_t> last_;
  int64_t lastTime_ = -1;
};

}  // namespace scenario
