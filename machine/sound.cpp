#include "machine/sound.h"

#include "board/board_wiring.h"
#include "windows/framework/controls.h"

namespace {
bool On(const ControlState* control) { return control && control->ItemIndex() != 0; }
}  // namespace

void Sound::Follow(const SoundSources& sources) {
  if (!output_) return;
  const bool muted = !sources.mute || sources.mute->State() == CheckBoxState::Checked;
  Play(Tone::Buzzer, !muted && On(sources.internalTone), buzzerPlaying_);
  Play(Tone::Sounder, !muted && (On(sources.sounderOutput1) || On(sources.sounderOutput2)), sounderPlaying_);
}

// Only changes reach the output.
void Sound::Play(Tone tone, bool on, bool& playing) {
  if (on == playing) return;
  playing = on;
  if (on) {
    output_->Start(tone);
  } else {
    output_->Stop(tone);
  }
}
