// qx40-scenario: runs scenario scripts against the simulator, headless and in
// virtual time.

#include <iostream>

#include "app/scenario_command_line.h"
#include "app/table_host.h"
#include "qt/offscreen.h"

int main(int argc, char** argv) {
  OffscreenGui gui(argc, argv, OffscreenGui::Start::WhenNeeded);
  TableHost host(builtTextMetrics, [&gui]() -> const WindowHost& { return gui.Host(); });
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  scenario::RunOptions defaults;
  defaults.screenshot = [&gui](const TForm& form, const std::string& path) { return gui.SavePng(form, path); };
  defaults.host = &host;
  return scenario::RunCommandLine(arguments, defaults, std::cout, std::cerr);
}
