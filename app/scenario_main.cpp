// qx40-scenario: runs scenario scripts against the simulator, headless and in
// virtual time.

#include <QApplication>
#include <iostream>

#include "app/scenario/runner.h"

int main(int argc, char** argv) {
  scenario::UseOffscreenPlatformUnlessSet();
  QApplication application(argc, argv);
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  return scenario::RunCommandLine(arguments, std::cout, std::cerr);
}
