#pragma once
// What the simulator lets the user hear: the internal buzzer while the front
// panel's buzzer indicator shows it (so its pulses are heard as they are
// seen), and the sounder tone while either sounder output is on; nothing
// while the hardware window's mute box is checked. The front end gives the
// audio output; without one nothing is played.

#include <atomic>

class ControlState;
class TCheckBox;

enum class Tone { Buzzer, Sounder };

// Where the tones are played; called from the thread that ticks the board.
class AudioOutput {
 public:
  virtual ~AudioOutput() = default;
  virtual void Start(Tone tone) = 0;
  virtual void Stop(Tone tone) = 0;
};

// The panel's state the sound follows, read whole from any thread.
struct SoundSources {
  const ControlState* internalTone = nullptr;
  const ControlState* sounderOutput1 = nullptr;
  const ControlState* sounderOutput2 = nullptr;
  const TCheckBox* mute = nullptr;
};

class Sound {
 public:
  // Any thread, once: the output the tones play on from the next Follow on.
  void SetOutput(AudioOutput& output) { output_.store(&output, std::memory_order_release); }

  // Starts and stops the tones so that what plays is what the sources give
  // now; with no sources, nothing.
  void Follow(const SoundSources& sources);

 private:
  void Play(AudioOutput& output, Tone tone, bool on, bool& playing);

  std::atomic<AudioOutput*> output_{nullptr};
  bool buzzerPlaying_ = false;
  bool sounderPlaying_ = false;
};
