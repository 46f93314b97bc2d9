// The control socket's cost: one Serve with no client (the desktop program
// serves every 10 ms), and a print line's round trip through the socket.
//
//   build/bench/qx40-bench-control

#include <benchmark/benchmark.h>

#include <sys/socket.h>
#include <sys/un.h>

#include <cstring>
#include <string>

#include "bench/scratch_main.h"
#include "machine/machine.h"
#include "scenario/control_socket.h"

namespace {

struct Served {
  Machine machine{BoardPacing::Stepped};
  scenario::ControlSocket server{scenario::ListeningSocket("bench.sock"), machine};
};

void BM_ControlServeIdle(benchmark::State& state) {
  Served served;
  for (auto _ : state) served.server.Serve();
}
BENCHMARK(BM_ControlServeIdle);

void BM_ControlPrintRoundTrip(benchmark::State& state) {
  Served served;
  const scenario::Descriptor client(socket(AF_UNIX, SOCK_STREAM, 0));
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strcpy(address.sun_path, "bench.sock");
  if (connect(client.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    state.SkipWithError("cannot connect");
    return;
  }
  const std::string line = "print var zonesInFire\n";
  char reply[64];
  for (auto _ : state) {
    if (send(client.Get(), line.data(), line.size(), 0) != ssize_t(line.size())) state.SkipWithError("cannot send");
    served.server.Serve();
    benchmark::DoNotOptimize(recv(client.Get(), reply, sizeof reply, 0));
  }
}
BENCHMARK(BM_ControlPrintRoundTrip);

}  // namespace

int main(int argc, char** argv) { return RunInScratchDirectory(argc, argv); }
