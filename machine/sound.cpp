#include "machine/sound.h"

#include "board/board_wiring.h"
#include "windows/framework/controls.h"

namespace {
bool On(const ControlState* control) { return control && control->ItemIndex() != 0; }
}  // namespace

void Sound::Follow(const SoundSources& sources) {
  AudioOutput* output = output_.load(std::memory_order_acquire);
  if (!output) return;
  const bool muted = !sources.mute || sources.mute->State() == CheckBoxState::Checked;
  Play(*output, Tone::Buzzer, !muted && On(sources.internalTone), buzzerPlaying_);
  Play(*output, Tone::Sounder, !muted && (On(sources.sounderOutput1) || On(sources.sounderOutput2)), sounderPlaying_);
}

// Only changes reach the output.
void Sound::Play(AudioOutput& output, Tone tone, bool on, bool& playing) {
  if (on == playing) return;
  playing = on;
  if (on) {
    output.Start(tone);
  } else {
    output.Stop(tone);
  }
}
