// The control socket served against a stepped panel: the test is both the
// client and the clock, so every reply comes at a known moment.

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "machine/machine.h"
#include "scenario/control_socket.h"
#include "tests/scenario/mangler.h"
#include "tests/scenario/test_files.h"

using scenario::ControlSocket;
using scenario::ControlSocketError;
using scenario::Descriptor;
using scenario::ListeningSocket;

namespace {

constexpr const char* socketPath = "panel.sock";

sockaddr_un AddressOf(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  return address;
}

class Client {
 public:
  explicit Client(const std::string& path = socketPath) : fd_(socket(AF_UNIX, SOCK_STREAM, 0)) {
    const sockaddr_un address = AddressOf(path);
    EXPECT_EQ(connect(fd_.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0) << path;
  }

  void Send(const std::string& bytes) {
    ASSERT_EQ(send(fd_.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL), ssize_t(bytes.size()));
  }

  // The whole reply lines that have come, each without its newline.
  std::vector<std::string> Replies() {
    char chunk[4096];
    for (ssize_t got; (got = recv(fd_.Get(), chunk, sizeof chunk, MSG_DONTWAIT)) > 0;) pending_.append(chunk, size_t(got));
    std::vector<std::string> lines;
    for (size_t end; (end = pending_.find('\n')) != std::string::npos; pending_.erase(0, end + 1)) {
      lines.push_back(pending_.substr(0, end));
    }
    return lines;
  }

 private:
  Descriptor fd_;
  std::string pending_;
};

// What ListeningSocket says when it refuses the path; empty if it does not.
std::string RefusalOf(const std::string& path) {
  try {
    const ListeningSocket listening(path);
  } catch (const ControlSocketError& error) {
    return error.what();
  }
  return {};
}

class ControlSocketTest : public ::testing::Test {
 protected:
  // The replies to bytes sent at once, the panel stepped until they have all
  // come or maxSteps have passed.
  std::vector<std::string> Exchange(Client& client, const std::string& bytes, int expected = 1, int maxSteps = 400) {
    client.Send(bytes);
    std::vector<std::string> replies;
    for (int step = 0;; ++step) {
      server_.Serve();
      for (std::string& reply : client.Replies()) replies.push_back(std::move(reply));
      if (int(replies.size()) >= expected || step == maxSteps) return replies;
      machine_.Step();
    }
  }

  std::string Ask(Client& client, const std::string& line, int maxSteps = 400) {
    const std::vector<std::string> replies = Exchange(client, line + "\n", 1, maxSteps);
    EXPECT_EQ(replies.size(), 1u) << line;
    return replies.empty() ? std::string() : replies.front();
  }

  Machine machine_{BoardPacing::Stepped};
  ControlSocket server_{ListeningSocket(socketPath), machine_};
};

TEST_F(ControlSocketTest, AFireCausedThroughTheSocketIsReadBackThroughIt) {
  Client client;
  EXPECT_EQ(Ask(client, "level ZoneAnalogueControl1 500 ohm"), "ok");
  EXPECT_EQ(Ask(client, "print var zonesInFire"), "0");
  EXPECT_EQ(Ask(client, "wait-until var zonesInFire 0x01 within 1.5s"), "ok");
  EXPECT_EQ(Ask(client, "print config 129"), "1");  // the alarm counter
  EXPECT_EQ(Ask(client, "wait-until FireLED 1 within 1s"), "ok");
  EXPECT_TRUE(Ask(client, "expect FireLED 0").starts_with("FAIL at ")) << "a failed expectation is said";
}

// A wait runs in the panel's own time and holds up only the client that sent it.
TEST_F(ControlSocketTest, AWaitHoldsUpItsOwnClientOnly) {
  Client waiting, other;
  waiting.Send("wait 1s\nprint var zonesInFire\n");
  EXPECT_EQ(Ask(other, "print config 129", 0), "0");
  EXPECT_TRUE(waiting.Replies().empty());
  machine_.Advance(1000);
  server_.Serve();
  EXPECT_EQ(waiting.Replies(), (std::vector<std::string>{"ok", "0"}));
}

TEST_F(ControlSocketTest, BadLinesGetAnErrorEachAndTheConnectionGoesOn) {
  const std::string overlong = "print " + std::string(scenario::maxControlLineBytes, 'x');
  const std::pair<std::string, std::string> table[] = {
      {"jump 5", "error: unknown command 'jump'"},
      {"expect", "error: "},
      {std::string("print config\0 129", 17), "error: a NUL byte at byte 13"},
      {"print \xff\xfe", "error: not UTF-8 at byte 7"},
      {"print \x1b[2J", "error: a control character at byte 7"},
      {"stall 1s", "error: 'stall' is for scripts"},
      {"restart", "error: 'restart' is for scripts"},
      {overlong, "error: the line is longer than 4096 bytes"},
      {"screenshot frmMainDisplay panel.png", "error: the live panel takes no screenshots"},
      // Done as written, and the client, not the server's terminal, is told why it may not count.
      {"click ResetButton", "ok (warning: 'click ResetButton' is too short for the firmware to see the key"},
  };
  Client client;
  for (const auto& [line, reply] : table) {
    EXPECT_TRUE(Ask(client, line, 0).starts_with(reply)) << line;
    EXPECT_EQ(Ask(client, "print config 129", 0), "0") << "after " << line;
  }
}

// A line that never ends is answered as soon as it is too long; what follows
// up to its end is dropped.
TEST_F(ControlSocketTest, AnEndlessLineIsAnsweredAtOnceAndSkipped) {
  Client client;
  const std::string endless(3 * scenario::maxControlLineBytes, 'w');
  const std::vector<std::string> replies = Exchange(client, endless, 1, 0);
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_TRUE(replies.front().starts_with("error: the line is longer")) << replies.front();
  EXPECT_TRUE(Exchange(client, endless, 1, 0).empty());
  EXPECT_EQ(Ask(client, " still the same line\nprint config 129", 0), "0");
}

TEST_F(ControlSocketTest, TheSocketFileIsTheUsersAlone) {
  struct stat status {};
  ASSERT_EQ(lstat(socketPath, &status), 0);
  EXPECT_TRUE(S_ISSOCK(status.st_mode));
  EXPECT_EQ(status.st_mode & 0777, 0600u);
}

// A client that goes mid-line or mid-wait leaves the others served.
TEST_F(ControlSocketTest, ClientsThatHangUpAreForgotten) {
  Client client;
  const std::string width = Ask(client, "print ZoneAnalogueControl1.width", 0);
  {
    Client halfLine, midWait;
    halfLine.Send("level ZoneAnalogueControl1 5");
    midWait.Send("wait 1h\n");
    server_.Serve();
    EXPECT_EQ(server_.Clients(), 3u);
  }
  server_.Serve();
  EXPECT_EQ(server_.Clients(), 1u);
  EXPECT_EQ(Ask(client, "print ZoneAnalogueControl1.width", 0), width) << "half a line does nothing";
}

TEST(ControlSocketPath, AStaleSocketIsReplacedAndAnythingElseRefused) {
  EXPECT_EQ(RefusalOf(socketPath), "");
  {
    // A socket file whose program has ended: bound, never listened on, closed.
    const Descriptor stale(socket(AF_UNIX, SOCK_STREAM, 0));
    const sockaddr_un address = AddressOf(socketPath);
    ASSERT_EQ(bind(stale.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  }
  {
    const ListeningSocket listening(socketPath);
    EXPECT_TRUE(Contains(RefusalOf(socketPath), "a program is listening on panel.sock already"));
  }
  EXPECT_FALSE(std::filesystem::exists(socketPath)) << "removed as it goes";
  WriteFile("notes.txt", "keep me");
  EXPECT_TRUE(Contains(RefusalOf("notes.txt"), "notes.txt exists and is not a socket"));
  EXPECT_EQ(ReadFile("notes.txt"), "keep me");
}

// Random and mangled lines, text or not, among valid ones: each gets one
// reply line, and the panel answers afterwards.
TEST_F(ControlSocketTest, FuzzedLinesGetOneReplyLineEach) {
  fuzz::Mangler mangler(4711);
  Client client;
  for (int i = 0; i < 400; ++i) {
    std::string line = i % 4 ? mangler.Line() : fuzz::validLines[mangler.Below(std::size(fuzz::validLines))];
    if (!fuzz::Quick(line)) continue;
    std::replace(line.begin(), line.end(), '\n', ' ');
    const std::vector<std::string> replies = Exchange(client, line + "\n", 1, 200);
    ASSERT_EQ(replies.size(), 1u) << line;
    EXPECT_FALSE(replies.front().empty()) << line;
  }
  EXPECT_FALSE(Ask(client, "print config 129", 0).empty());
  EXPECT_EQ(server_.Clients(), 1u);
}

}  // namespace
