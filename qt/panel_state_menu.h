#pragma once
// The hardware window's Save panel state... and Load panel state...: the
// whole panel to and from a state file, chosen in a file dialog.

#include <functional>
#include <string>

class DesktopHost;
class Machine;

// Appends both entries to the hardware window's right-click menu. whyNotLoad
// tells why a load may not happen now, or nothing.
void AddPanelStateMenu(Machine& machine, DesktopHost& host, std::function<std::string()> whyNotLoad);
