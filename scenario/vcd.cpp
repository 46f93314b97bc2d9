#include "scenario/vcd.h"

namespace scenario {

namespace {

// Short identifiers from the printable characters '!'..'~'.
std::string Identifier(size_t index) {
  std::string id;
  do {
    id += char('!' + index % 94);
    index /= 94;
  } while (index);
  return id;
}

}  // namespace

int VcdWriter::AddSignal(const std::string& scope, const std::string& name, int width) {
  signals_.push_back({scope, name, Identifier(signals_.size()), width});
  return int(signals_.size() - 1);
}

void VcdWriter::WriteValue(std::ostream& out, const Signal& signal, int64_t value) const {
  if (signal.width == 1) {
    out << (value ? '1' : '0') << signal.id << '\n';
    return;
  }
  std::string bits;
  for (int bit = signal.width - 1; bit >= 0; --bit) bits += (uint64_t(value) >> bit) & 1 ? '1' : '0';
  const size_t first = bits.find('1');
  out << 'b' << (first == std::string::npos ? "0" : bits.substr(first)) << ' ' << signal.id << '\n';
}

void VcdWriter::Begin(std::ostream& out, const std::vector<int64_t>& values, int64_t startMs) {
  out << "$date simulated $end\n$version qx40-scenario $end\n$timescale 1ms $end\n";
  std::string scope;
  for (const Signal& signal : signals_) {
    if (signal.scope != scope) {
      if (!scope.empty()) out << "$upscope $end\n";
      scope = signal.scope;
      out << "$scope module " << scope << " $end\n";
    }
    out << "$var wire " << signal.width << ' ' << signal.id << ' ' << signal.name << " $end\n";
  }
  if (!scope.empty()) out << "$upscope $end\n";
  out << "$enddefinitions $end\n#" << startMs << "\n$dumpvars\n";
  for (size_t i = 0; i < signals_.size(); ++i) WriteValue(out, signals_[i], values[i]);
  out << "$end\n";
  last_ = values;
  lastTime_ = startMs;
}

void VcdWriter::Sample(std::ostream& out, int64_t timeMs, const std::vector<int64_t>& values) {
  for (size_t i = 0; i < signals_.size(); ++i) {
    if (values[i] == last_[i]) continue;
    if (timeMs != lastTime_) {
      out << '#' << timeMs << '\n';
      lastTime_ = timeMs;
    }
    WriteValue(out, signals_[i], values[i]);
    last_[i] = values[i];
  }
}

}  // namespace scenario
