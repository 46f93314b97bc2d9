// qx40-classroom: serves the panel's page and a class to trainees on one
// network, and the instructor's console; keeps the results in SQLite.

#include <boost/asio/io_context.hpp>
#include <boost/asio/signal_set.hpp>
#include <csignal>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "classroom/class_server.h"

namespace {

constexpr int usageError = 2;
constexpr const char* version = "qx40-classroom 1.0";

void Usage(std::ostream& out) {
  out << "usage: qx40-classroom [--listen ADDR:PORT] [--database FILE] [--page DIR] [--console DIR] [--code CODE]\n"
         "                      [--help] [--version]\n"
         "  --listen ADDR:PORT  where to listen (default 127.0.0.1:8041; give the classroom network's address\n"
         "                      to let trainees' computers in)\n"
         "  --database FILE     the class's results, SQLite (default "
      << classroom::DefaultDatabasePath()
      << ")\n"
         "  --page DIR          the panel's web page, served at / (default build-web/page)\n"
         "  --console DIR       the instructor's console, served at /console/ (default: console beside the program)\n"
         "  --code CODE         the class code trainees enter (default: six random digits)\n"
         "At start it prints the trainees' address, the class code, and the console's address with the\n"
         "instructor's token, which every instructor action needs and no trainee is sent.\n";
}

// "ADDR:PORT" split at its last colon; false if either part is missing or the port is no number.
bool ParseListen(const std::string& text, classroom::ServerOptions& options) {
  const size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) return false;
  try {
    size_t used = 0;
    const int port = std::stoi(text.substr(colon + 1), &used);
    if (used != text.size() - colon - 1 || port < 0 || port > 65535) return false;
    options.address = text.substr(0, colon);
    options.port = static_cast<unsigned short>(port);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

int Fail(const std::string& message) {
  std::cerr << "qx40-classroom: " << message << "\n";
  Usage(std::cerr);
  return usageError;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  classroom::ServerOptions options;
  options.pageFolder = "build-web/page";
  options.consoleFolder = (std::filesystem::path(argv[0]).parent_path() / "console").string();
  std::string database = classroom::DefaultDatabasePath();
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      Usage(std::cout);
      return 0;
    }
    if (argument == "--version") {
      std::cout << version << "\n";
      return 0;
    }
    const bool takesValue = argument == "--listen" || argument == "--database" || argument == "--page" ||
                            argument == "--console" || argument == "--code";
    if (!takesValue) return Fail("unknown argument '" + argument + "'");
    if (i + 1 == arguments.size()) return Fail(argument + " needs a value");
    const std::string& value = arguments[++i];
    if (argument == "--listen" && !ParseListen(value, options)) {
      return Fail("--listen '" + value + "' is not ADDR:PORT (127.0.0.1:8041, 192.168.1.10:8041)");
    }
    if (argument == "--database") database = value;
    if (argument == "--page") options.pageFolder = value;
    if (argument == "--console") options.consoleFolder = value;
    if (argument == "--code") options.classCode = value;
  }
  for (const auto& [name, folder] : {std::pair{"--page", options.pageFolder}, {"--console", options.consoleFolder}}) {
    if (!std::filesystem::is_regular_file(std::filesystem::path(folder) / "index.html")) {
      return Fail(std::string(name) + " " + folder + " has no index.html; build the page (tools/build-web.sh) or name its folder");
    }
  }
  if (options.classCode.empty()) options.classCode = classroom::NewClassCode();
  options.token = classroom::NewToken();
  try {
    classroom::ResultStore store(database);
    boost::asio::io_context io;
    classroom::ClassServer server(io, options, store);
    const std::string base = "http://" + options.address + ":" + std::to_string(server.Port());
    std::cout << "Trainees: " << base << "/   class code " << options.classCode << "\n"
              << "Console:  " << base << "/console/#" << options.token << "\n"
              << "Results:  " << database << std::endl;
    boost::asio::signal_set stop(io, SIGINT, SIGTERM);
    stop.async_wait([&io](const boost::system::error_code&, int) { io.stop(); });
    io.run();
  } catch (const std::exception& error) {
    std::cerr << "qx40-classroom: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
