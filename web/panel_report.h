#pragma once
// What an instructor sees of a trainee's panel: its lit lamps, the zones in
// fire, fault, disabled and in test, the sounders, the buzzer and the access
// level, as one JSON object the page sends when it changes.

#include <string>

class Machine;

std::string PanelReportJson(Machine& machine);
