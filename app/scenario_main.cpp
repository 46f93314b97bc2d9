// qx40-scenario: runs scenario scripts against the simulator, headless and in
// virtual time. Captions are sized from the built table; Qt is loaded, with
// the drawing module, only for a screenshot or a caption the table lacks.

#include <iostream>

#include "app/drawing_loader.h"
#include "app/scenario_command_line.h"
#include "app/table_host.h"

int main(int argc, char** argv) {
  DrawingLoader drawing(argc, argv);
  TableHost host(builtTextMetrics, [&drawing]() -> const WindowHost& { return drawing.Get().Host(); });
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  scenario::RunOptions defaults;
  defaults.screenshot = [&drawing](const TForm& form, const std::string& path) {
    return drawing.Get().SavePng(form, path);
  };
  defaults.host = &host;
  return scenario::RunCommandLine(arguments, defaults, std::cout, std::cerr);
}
