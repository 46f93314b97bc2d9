#pragma once
// How long a panel in virtual time stands before what a front end shows of it
// changes by itself: a copy set to the panel's state runs ahead, watched as a
// front end watches (the windows' pictures, the tones, the event log, the
// board's memory). Exact, as a restored panel runs on as the original would,
// so a front end may sleep until then and still show the change at its moment.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>

#include "machine/sound.h"
#include "windows/framework/host.h"

class EventLog;
class Machine;

// What a front end would see change of a panel (its pictures, its tones), as
// one flag: the host and the sound output of a panel that is only watched.
class ChangeWatch : public WindowHost, public AudioOutput {
 public:
  void Invalidate(TForm&) override { changed = true; }
  void InvalidateArea(TForm&, int, int, int, int) override { changed = true; }
  void FormChanged(TForm&) override { changed = true; }
  void Start(Tone) override { changed = true; }
  void Stop(Tone) override { changed = true; }
  bool changed = false;
};

class LookAhead {
 public:
  // The copy keeps its Hardware.dat in settingsDirectory, apart from the
  // panel's, starting from the one there.
  explicit LookAhead(const std::filesystem::path& settingsDirectory);
  ~LookAhead();
  LookAhead(const LookAhead&) = delete;
  LookAhead& operator=(const LookAhead&) = delete;

  // The whole steps after which the panel, left alone, first shows a change;
  // maxSteps when none comes within them; none when the panel's wiring
  // differs from the copy's (its zones were linked otherwise).
  std::optional<int> StepsUntilChange(Machine& panel, int maxSteps);
  // The panel was changed from outside its steps (input, a script, a state
  // loaded, another machine): the next look sets the copy to it again.
  void Forget() { synced_ = false; }

 private:
  bool SetTo(Machine& panel);
  void Step();
  uint32_t NvWrites() const;

  std::unique_ptr<ChangeWatch> watch_;
  std::unique_ptr<Machine> copy_;
  std::unique_ptr<EventLog> events_;
  // Whether the copy is on the panel's own course, at or ahead of it.
  bool synced_ = false;
};
