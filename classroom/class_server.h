#pragma once
// The class server: serves the panel's page to trainees and the console to
// the instructor over HTTP, and carries the class's JSON messages over one
// WebSocket per page. It runs no panel: each trainee's panel runs in her
// browser and reports here; the instructor's actions are passed on to it.
// Everything runs on one thread.

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <cstddef>
#include <map>
#include <memory>
#include <string>

#include "classroom/store.h"

namespace classroom {

struct ServerOptions {
  std::string address = "127.0.0.1";
  unsigned short port = 8041;
  std::string pageFolder;     // the panel's page, served at /
  std::string consoleFolder;  // the instructor's console, served at /console/
  std::string classCode;      // what trainees type to join
  std::string token;          // what every instructor message carries
  size_t messageLimit = 256 * 1024;
  // A client may send this many messages in a burst, refilled at the rate per second; past it, it is closed.
  double burst = 200;
  double perSecond = 50;
};

class ClassServer {
 public:
  ClassServer(boost::asio::io_context& io, ServerOptions options, ResultStore& store);
  ~ClassServer();
  ClassServer(const ClassServer&) = delete;
  ClassServer& operator=(const ClassServer&) = delete;

  // The port listened on (the one given, or the system's choice for 0).
  unsigned short Port() const;

  // The class and its connections, shared with each connection's handlers.
  struct State;

 private:
  std::shared_ptr<State> state_;
};

// A random token of 128 bits in hexadecimal, and a class code of six digits.
std::string NewToken();
std::string NewClassCode();

}  // namespace classroom
