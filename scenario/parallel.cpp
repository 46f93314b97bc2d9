#include "scenario/parallel.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <deque>
#include <fstream>
#include <sstream>

namespace scenario {

namespace {

struct Worker {
  size_t index;
  pid_t pid;
  std::FILE* file;  // the worker writes its result here
};

// In the child: run, write the result, leave without running the parent's
// destructors or flushing its buffers.
[[noreturn]] void RunChild(const std::function<ScriptResult(size_t)>& run, size_t index, std::FILE* file) {
  std::ostringstream text;
  WriteResult(run(index), text);
  const std::string bytes = text.str();
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fflush(file) == 0;
  _exit(written ? 0 : 1);
}

ScriptResult Collect(const Worker& worker, const std::string& name) {
  int status = 0;
  waitpid(worker.pid, &status, 0);
  std::rewind(worker.file);
  std::string bytes;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, worker.file)) > 0;) bytes.append(buffer, n);
  std::fclose(worker.file);
  std::istringstream in(bytes);
  std::optional<ScriptResult> result = ReadResult(in);
  if (result && WIFEXITED(status) && WEXITSTATUS(status) == 0) return *result;
  ScriptResult broken;
  broken.script = name;
  broken.errors.push_back({0, "the worker process running it ended abnormally"});
  broken.output = name + ": error: the worker process running it ended abnormally\n";
  return broken;
}

}  // namespace

void RunInProcesses(const std::vector<std::string>& scripts, int jobs, const std::function<ScriptResult(size_t)>& run,
                    const std::function<void(ScriptResult)>& done) {
  const size_t count = scripts.size();
  std::deque<Worker> running;
  size_t next = 0;
  while (next < count || !running.empty()) {
    while (next < count && running.size() < size_t(jobs)) {
      std::FILE* file = std::tmpfile();
      std::fflush(nullptr);
      const pid_t pid = file ? fork() : -1;
      if (pid == 0) RunChild(run, next, file);
      if (pid < 0) {
        // No process to spare: this one runs here.
        if (file) std::fclose(file);
        running.push_back({next, -1, nullptr});
      } else {
        running.push_back({next, pid, file});
      }
      ++next;
    }
    const Worker oldest = running.front();
    running.pop_front();
    done(oldest.pid < 0 ? run(oldest.index) : Collect(oldest, scripts[oldest.index]));
  }
}

}  // namespace scenario
