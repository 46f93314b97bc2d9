#pragma once
// The worked values of the 260-pixel level boxes: a fill width W (a press at
// x = W + 2), the zone resistance and reading it gives, and the voltage and
// reading of a supply control.

#include <cstdint>
#include <string>

struct WorkedLevel {
  int fill;
  int32_t ohms;
  const char* zoneReading;
  int32_t millivolts;
  const char* supplyReading;
};

inline constexpr WorkedLevel workedLevels[] = {
    {0, 0, "0R", 0, "0V"},
    {47, 473, "473R", 7037, "7V"},
    {77, 1043, "1K04", 11529, "11.5V"},
    {95, 1460, "1K46", 14225, "14.2V"},
    {186, 4277, "4K27", 27851, "27.8V"},
    {187, 4314, "4K31", 28001, "28V"},
    {256, 7131, "7K13", 38333, "38.3V"},
};

inline std::string WorkedLevelName(const WorkedLevel& level) { return "Fill" + std::to_string(level.fill); }
