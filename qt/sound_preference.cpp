#include "qt/sound_preference.h"

#include <QSettings>

#include "windows/framework/controls.h"

namespace {
constexpr const char* organisation = "qx40";
constexpr const char* application = "qx40";
constexpr const char* mutedKey = "sound/muted";
}  // namespace

void RememberSoundMute(TCheckBox& mute) {
  const bool muted = QSettings(organisation, application).value(mutedKey, false).toBool();
  mute.SetState(muted ? CheckBoxState::Checked : CheckBoxState::Unchecked);
  mute.OnClick = [&mute](TControl*) {
    QSettings(organisation, application).setValue(mutedKey, mute.State() == CheckBoxState::Checked);
  };
}
