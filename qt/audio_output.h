#pragma once
// The simulator's tones on the machine's default audio output with Qt
// Multimedia: the buzzer a piezo-like 3 kHz square wave, the sounders a
// two-tone sine alternating 800 Hz and 1 kHz, mixed when both sound.

#include <QAudioFormat>
#include <QIODevice>
#include <atomic>
#include <cstdint>
#include <memory>

#include "machine/sound.h"

// The endless sample stream the audio sink pulls, in its format (16-bit or
// float samples, any rate and channel count). Start and Stop from any thread.
class ToneGenerator : public QIODevice, public AudioOutput {
 public:
  explicit ToneGenerator(const QAudioFormat& format);

  void Start(Tone tone) override { Flag(tone).store(true, std::memory_order_relaxed); }
  void Stop(Tone tone) override { Flag(tone).store(false, std::memory_order_relaxed); }
  // Either tone on.
  bool Playing() const { return buzzer_.load(std::memory_order_relaxed) || sounder_.load(std::memory_order_relaxed); }

  bool isSequential() const override { return true; }

 protected:
  qint64 readData(char* data, qint64 maxSize) override;
  qint64 writeData(const char*, qint64) override { return -1; }

 private:
  std::atomic<bool>& Flag(Tone tone) { return tone == Tone::Buzzer ? buzzer_ : sounder_; }
  // The next sample, -1 to 1.
  float NextSample();

  QAudioFormat format_;
  std::atomic<bool> buzzer_{false};
  std::atomic<bool> sounder_{false};
  // Read by the sink's thread only: phases in cycles, and samples so far.
  double buzzerPhase_ = 0;
  double sounderPhase_ = 0;
  int64_t samples_ = 0;
};

// The default audio output playing the tones; null where the machine has
// none (no sound server, as on CI or under Xvfb): the simulator is then
// silent, and says nothing about it.
std::unique_ptr<AudioOutput> OpenAudioOutput();
