#pragma once
// The running panel driven from outside: scenario lines on a Unix domain
// socket, one reply line each. Only a socket file, made for its user alone;
// another machine reaches it through an SSH tunnel, never a network port.

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

class Machine;

namespace scenario {

// Longer lines are answered with an error and skipped to their end.
constexpr size_t maxControlLineBytes = 4096;
// Clients served at once; one more is told so and closed.
constexpr size_t maxControlClients = 8;

// What is wrong with a control socket's path, said for the user.
struct ControlSocketError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A file descriptor, closed when this goes.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor();
  Descriptor(Descriptor&& other) noexcept : fd_(other.Release()) {}
  Descriptor& operator=(Descriptor&& other) noexcept;
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;

  int Get() const { return fd_; }
  bool Valid() const { return fd_ >= 0; }
  int Release();

 private:
  int fd_;
};

// The socket file at a path, listening; removed again when this goes.
class ListeningSocket {
 public:
  // Creates it readable and writable by the user alone. A stale socket, left
  // by a program that ended, is replaced; anything else at the path is
  // refused. Throws ControlSocketError saying what and what to do.
  explicit ListeningSocket(const std::string& path);
  ~ListeningSocket();
  ListeningSocket(ListeningSocket&&) noexcept = default;
  ListeningSocket& operator=(ListeningSocket&&) = delete;

  int Fd() const { return fd_.Get(); }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  Descriptor fd_;
};

// Serves scenario lines from the socket's clients against a running machine,
// each client's lines in its own session, the clients in turn. A wait holds
// up its own client only. Everything happens in Serve, on the caller's
// thread: the one where the machine's windows may be touched.
class ControlSocket {
 public:
  ControlSocket(ListeningSocket listener, Machine& machine);
  ~ControlSocket();
  ControlSocket(const ControlSocket&) = delete;
  ControlSocket& operator=(const ControlSocket&) = delete;

  // Accepts, reads and answers whatever is ready now, and ends the waits
  // that are over; never blocks.
  void Serve();
  size_t Clients() const { return clients_.size(); }
  // Readable when a client is waiting to be accepted.
  int Fd() const { return listener_.Fd(); }

 private:
  struct Client;
  void Accept();
  // False once the client is gone.
  bool Turn(Client& client);

  ListeningSocket listener_;
  Machine& machine_;
  std::vector<std::unique_ptr<Client>> clients_;
};

}  // namespace scenario
