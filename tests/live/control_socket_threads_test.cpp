// The control socket of a real-time panel, its firmware thread running
// beside the test's thread (the window thread's part): the lines' reads and
// writes of firmware memory happen on the firmware's thread between passes.
// Run under ThreadSanitizer by tools/test.sh.

#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <cstring>
#include <string>

#include "firmware/firmware.h"
#include "machine/machine.h"
#include "scenario/control_socket.h"

namespace {

using scenario::ControlSocket;
using scenario::Descriptor;
using scenario::ListeningSocket;

constexpr const char* socketPath = "panel.sock";

// A client of the socket whose each line is served by the test itself.
class Client {
 public:
  explicit Client(ControlSocket& socket) : socket_(socket), fd_(::socket(AF_UNIX, SOCK_STREAM, 0)) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath, sizeof address.sun_path - 1);
    EXPECT_EQ(connect(fd_.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  }

  // The reply to one line, served until it has come.
  std::string Ask(const std::string& line) {
    const std::string sent = line + '\n';
    EXPECT_EQ(send(fd_.Get(), sent.data(), sent.size(), MSG_NOSIGNAL), ssize_t(sent.size()));
    for (size_t end; (end = pending_.find('\n')) == std::string::npos;) {
      socket_.Serve();
      pollfd readable{fd_.Get(), POLLIN, 0};
      if (poll(&readable, 1, 0) != 1) continue;
      char chunk[256];
      const ssize_t got = recv(fd_.Get(), chunk, sizeof chunk, 0);
      if (got <= 0) return "(hung up)";
      pending_.append(chunk, size_t(got));
    }
    const size_t end = pending_.find('\n');
    std::string reply = pending_.substr(0, end);
    pending_.erase(0, end + 1);
    return reply;
  }

 private:
  ControlSocket& socket_;
  Descriptor fd_;
  std::string pending_;
};

uint8_t ConfigSum(Firmware& firmware) {
  uint8_t sum = 0;
  for (int a = 0; a < cfgChecksum; ++a) sum ^= firmware.ReadConfig(uint8_t(a));
  return sum;
}

}  // namespace

// Thousands of set config lines while the firmware runs its passes and its
// background check of the configuration: each lands whole, reads back as
// written through the socket, and the checksum is right every time.
TEST(ControlSocketThreads, SetConfigLinesBesideTheRunningFirmwareKeepTheChecksum) {
  constexpr int lines = 3000;
  constexpr int checkEvery = 100;
  Machine machine(BoardPacing::RealTime);
  Firmware& firmware = machine.firmware();
  ControlSocket socket(ListeningSocket(socketPath), machine);
  Client client(socket);
  for (int i = 0; i < lines; ++i) {
    const int value = i % 2;
    ASSERT_EQ(client.Ask("set config 5 " + std::to_string(value)), "ok") << "line " << i;  // a zone's options
    if (i % checkEvery != 0) continue;
    EXPECT_EQ(client.Ask("print config 5"), std::to_string(value));
    machine.BetweenPasses([&firmware] { EXPECT_EQ(ConfigSum(firmware), firmware.ReadConfig(cfgChecksum)); });
  }
  machine.BetweenPasses([&firmware] { EXPECT_EQ(firmware.panel.systemFaults & configCheckFault, 0); });
}
