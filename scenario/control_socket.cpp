#include "scenario/control_socket.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string_view>
#include <utility>

#include "scenario/runner.h"

namespace scenario {

namespace {

constexpr int listenBacklog = 8;
constexpr size_t readChunk = 4096;
// Lines a client may have answered in one Serve, so that a flood of them
// cannot hold up the windows.
constexpr int maxLinesPerServe = 64;
// Only the user may connect: the socket file is made rw------- .
constexpr mode_t userOnlyUmask = 0177;

std::string Why() { return std::strerror(errno); }

[[noreturn]] void Refuse(const std::string& message) { throw ControlSocketError(message); }

sockaddr_un AddressOf(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.empty()) Refuse("the control socket needs a path: give one, such as ~/qx40.sock");
  if (path.size() >= sizeof address.sun_path) {
    Refuse("the control socket path " + path + " is " + std::to_string(path.size()) + " bytes long; at most " +
           std::to_string(sizeof address.sun_path - 1) + " fit: choose a shorter one");
  }
  std::memcpy(address.sun_path, path.data(), path.size());
  return address;
}

Descriptor NewSocket() {
  Descriptor fd(socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (!fd.Valid()) Refuse("cannot make a Unix domain socket: " + Why());
  return fd;
}

// Whether a program accepts connections on the socket file at path: a
// stale one, its program ended, refuses them.
bool Answered(const sockaddr_un& address, const std::string& path) {
  const Descriptor probe = NewSocket();
  if (connect(probe.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return true;
  if (errno == EAGAIN) return true;  // its queue of connections is full: it is alive
  if (errno == ECONNREFUSED) return false;
  Refuse("cannot tell whether " + path + " is in use: " + Why() + ": choose another path");
}

// A stale socket file is removed; anything else there is refused.
void ClearPath(const sockaddr_un& address, const std::string& path) {
  struct stat status {};
  if (lstat(path.c_str(), &status) != 0) {
    if (errno == ENOENT) return;
    Refuse("cannot look at " + path + ": " + Why());
  }
  if (!S_ISSOCK(status.st_mode)) Refuse(path + " exists and is not a socket: remove it or choose another path");
  if (Answered(address, path)) {
    Refuse("a program is listening on " + path + " already (another qx40?): stop it or choose another path");
  }
  if (unlink(path.c_str()) != 0) Refuse("cannot remove the stale socket " + path + ": " + Why());
}

// The number of bytes of the UTF-8 sequence at text[at]; 0 if there is none.
// The second byte's range leaves out overlong forms, surrogates and code
// points beyond U+10FFFF.
size_t Utf8Length(std::string_view text, size_t at) {
  const auto byte = [&](size_t i) -> unsigned { return i < text.size() ? static_cast<unsigned char>(text[i]) : 0; };
  const unsigned lead = byte(at);
  if (lead < 0x80) return 1;
  if (lead < 0xC2 || lead > 0xF4) return 0;
  const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
  const unsigned low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
  const unsigned high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
  if (byte(at + 1) < low || byte(at + 1) > high) return 0;
  for (size_t i = 2; i < length; ++i) {
    if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) return 0;
  }
  return length;
}

// Why a line is not text for the scenario language: a NUL or other control
// byte, or bytes that are not UTF-8; nothing if it is text.
std::optional<std::string> TextProblem(std::string_view line) {
  for (size_t at = 0; at < line.size();) {
    const auto byte = static_cast<unsigned char>(line[at]);
    const std::string where = " at byte " + std::to_string(at + 1) + ": send lines of text";
    if (byte == 0) return "a NUL byte" + where;
    if ((byte < 0x20 && byte != '\t') || byte == 0x7F) return "a control character" + where;
    const size_t length = Utf8Length(line, at);
    if (length == 0) return "not UTF-8" + where;
    at += length;
  }
  return std::nullopt;
}

const std::string overlongReply =
    "error: the line is longer than " + std::to_string(maxControlLineBytes) + " bytes; it was skipped to its end";

}  // namespace

Descriptor::~Descriptor() {
  if (fd_ >= 0) close(fd_);
}

Descriptor& Descriptor::operator=(Descriptor&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) close(fd_);
    fd_ = other.Release();
  }
  return *this;
}

int Descriptor::Release() { return std::exchange(fd_, -1); }

ListeningSocket::ListeningSocket(const std::string& path) : path_(path) {
  const sockaddr_un address = AddressOf(path);
  ClearPath(address, path);
  Descriptor fd = NewSocket();
  const mode_t previous = umask(userOnlyUmask);
  const int bound = bind(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
  const int bindError = errno;
  umask(previous);
  errno = bindError;
  if (bound != 0) Refuse("cannot create the socket " + path + ": " + Why() + ": check that its folder exists and is yours");
  if (listen(fd.Get(), listenBacklog) != 0) {
    const std::string why = Why();
    unlink(path.c_str());
    Refuse("cannot listen on " + path + ": " + why);
  }
  fd_ = std::move(fd);
}

ListeningSocket::~ListeningSocket() {
  if (fd_.Valid()) unlink(path_.c_str());
}

struct ControlSocket::Client {
  Client(Descriptor socket, Machine& machine) : fd(std::move(socket)), session(machine) {}

  // Sends what it can of the replies; the client is gone if it cannot take any.
  void Flush() {
    while (!output.empty()) {
      const ssize_t sent = send(fd.Get(), output.data(), output.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
      if (sent < 0) {
        gone = errno != EAGAIN && errno != EINTR;
        return;
      }
      output.erase(0, size_t(sent));
    }
  }

  // Reads until a whole line or more than a line's bytes are in, so that
  // the input stays within a line and a chunk.
  void Receive() {
    while (!ended && !gone && input.size() <= maxControlLineBytes && input.find('\n') == std::string::npos) {
      char chunk[readChunk];
      const ssize_t received = recv(fd.Get(), chunk, sizeof chunk, MSG_DONTWAIT);
      if (received < 0) {
        gone = errno != EAGAIN && errno != EINTR;
        return;
      }
      input.append(chunk, size_t(received));
      ended = received == 0;
    }
  }

  // Drops what is left of an overlong line; false while its end has not come.
  bool SkipRest() {
    if (!skipping) return true;
    const size_t end = input.find('\n');
    input.erase(0, end == std::string::npos ? input.size() : end + 1);
    skipping = end == std::string::npos;
    return !skipping;
  }

  // The reply to the next whole line; nothing if none has come, or its wait began.
  std::optional<std::string> Answer() {
    Receive();
    if (!SkipRest()) return std::nullopt;
    const size_t end = input.find('\n');
    if (end == std::string::npos) {
      if (input.size() <= maxControlLineBytes) return std::nullopt;
      input.clear();
      skipping = true;
      return overlongReply;
    }
    std::string line = input.substr(0, end);
    input.erase(0, end + 1);
    if (line.size() > maxControlLineBytes) return overlongReply;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (const std::optional<std::string> problem = TextProblem(line)) return "error: " + *problem;
    std::optional<std::string> reply = session.Run(line);
    waiting = !reply;
    return reply;
  }

  // A waiting client is not read; one that has hung up entirely goes.
  std::optional<std::string> Resume() {
    pollfd hangUp{fd.Get(), 0, 0};
    if (poll(&hangUp, 1, 0) == 1 && (hangUp.revents & (POLLHUP | POLLERR))) {
      gone = true;
      return std::nullopt;
    }
    std::optional<std::string> reply = session.Resume();
    waiting = !reply;
    return reply;
  }

  Descriptor fd;
  Session session;
  std::string input;       // received, not yet answered
  std::string output;      // replies not yet sent
  bool skipping = false;   // the rest of an overlong line is dropped
  bool waiting = false;    // a wait runs: the lines after it wait too
  bool ended = false;      // it has sent its last byte; it may still read
  bool gone = false;
};

ControlSocket::ControlSocket(ListeningSocket listener, Machine& machine)
    : listener_(std::move(listener)), machine_(machine) {}

ControlSocket::~ControlSocket() = default;

void ControlSocket::Serve() {
  Accept();
  for (int round = 0; round < maxLinesPerServe; ++round) {
    bool answered = false;
    for (const std::unique_ptr<Client>& client : clients_) answered |= Turn(*client);
    std::erase_if(clients_, [](const std::unique_ptr<Client>& client) { return client->gone; });
    if (!answered) return;
  }
}

void ControlSocket::Accept() {
  for (;;) {
    Descriptor fd(accept4(listener_.Fd(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
    if (!fd.Valid()) return;
    if (clients_.size() < maxControlClients) {
      clients_.push_back(std::make_unique<Client>(std::move(fd), machine_));
      continue;
    }
    const std::string busy = "error: " + std::to_string(maxControlClients) +
                             " clients are connected already: try again when one has gone\n";
    [[maybe_unused]] const ssize_t sent = send(fd.Get(), busy.data(), busy.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
  }
}

// One line answered, or a wait ended; a client that reads its replies
// slowly gets no more until it has them.
bool ControlSocket::Turn(Client& client) {
  client.Flush();
  if (client.gone || !client.output.empty()) return false;
  const std::optional<std::string> reply = client.waiting ? client.Resume() : client.Answer();
  if (reply) {
    client.output = *reply + '\n';
    client.Flush();
    return true;
  }
  const bool drained = !client.waiting && client.input.find('\n') == std::string::npos;
  if (client.ended && drained) client.gone = true;
  return false;
}

}  // namespace scenario
