#pragma once
// The hardware window's Save panel state... and Load panel state...: the
// whole panel to and from a state file, chosen in a file dialog.

class DesktopHost;
class Machine;

// Appends both entries to the hardware window's right-click menu.
void AddPanelStateMenu(Machine& machine, DesktopHost& host);
