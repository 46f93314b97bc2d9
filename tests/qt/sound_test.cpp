// The desktop program's sound: the tones as the audio sink would pull them,
// and the mute box remembered for the user.

#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>
#include <cstring>
#include <vector>

#include "qt/audio_output.h"
#include "qt/sound_preference.h"
#include "tests/windows/ui_test_support.h"
#include "windows/framework/form.h"

namespace {

constexpr int sampleRate = 48000;

QAudioFormat Format(QAudioFormat::SampleFormat sampleFormat, int channels) {
  QAudioFormat format;
  format.setSampleRate(sampleRate);
  format.setChannelCount(channels);
  format.setSampleFormat(sampleFormat);
  return format;
}

// One second of the first channel, as numbers from -1 to 1.
std::vector<float> OneSecond(ToneGenerator& tones, const QAudioFormat& format) {
  const QByteArray data = tones.read(format.bytesForDuration(1'000'000));
  std::vector<float> samples;
  for (qsizetype at = 0; at + format.bytesPerFrame() <= data.size(); at += format.bytesPerFrame()) {
    samples.push_back(format.normalizedSampleValue(data.constData() + at));
  }
  return samples;
}

// Sign changes: twice a plain tone's frequency.
int Crossings(const std::vector<float>& samples) {
  int crossings = 0;
  float last = 0;
  for (const float sample : samples) {
    if (sample == 0) continue;
    crossings += last * sample < 0;
    last = sample;
  }
  return crossings;
}

TEST(ToneGenerator, PlaysTheBuzzerHighTheSounderLowerAndNothingWhenNothingSounds) {
  const struct {
    const char* what;
    std::vector<Tone> on;
    QAudioFormat::SampleFormat sampleFormat;
    int channels;
    int fewestCrossings, mostCrossings;
  } rows[] = {
      {"nothing", {}, QAudioFormat::Int16, 1, 0, 0},
      {"buzzer, 3 kHz", {Tone::Buzzer}, QAudioFormat::Int16, 1, 5900, 6100},
      {"sounder, 800 Hz and 1 kHz by turns", {Tone::Sounder}, QAudioFormat::Int16, 1, 1700, 1900},
      {"buzzer in float stereo", {Tone::Buzzer}, QAudioFormat::Float, 2, 5900, 6100},
      {"sounder in float stereo", {Tone::Sounder}, QAudioFormat::Float, 2, 1700, 1900},
  };
  for (const auto& row : rows) {
    const QAudioFormat format = Format(row.sampleFormat, row.channels);
    ToneGenerator tones(format);
    for (const Tone tone : row.on) tones.Start(tone);
    const std::vector<float> samples = OneSecond(tones, format);
    ASSERT_EQ(samples.size(), size_t{sampleRate}) << row.what;
    const int crossings = Crossings(samples);
    EXPECT_GE(crossings, row.fewestCrossings) << row.what;
    EXPECT_LE(crossings, row.mostCrossings) << row.what;
  }
}

TEST(SoundPreference, TheMuteBoxComesBackAsTheUserLeftIt) {
  const QTemporaryDir userSettings;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, userSettings.path());
  const auto startAndClick = [](int clicks) {
    TForm form("frmHardwareControl", "Hardware Interface", 200, 100);
    auto* mute = Place<TCheckBox>(&form, "SoundMute", 0, 0, 74, 15, "Mute sound");
    RememberSoundMute(*mute);
    const CheckBoxState remembered = mute->State();
    for (int click = 0; click < clicks; ++click) LeftClick(mute);
    return remembered;
  };
  EXPECT_EQ(startAndClick(1), CheckBoxState::Unchecked);
  EXPECT_EQ(startAndClick(1), CheckBoxState::Checked);
  EXPECT_EQ(startAndClick(0), CheckBoxState::Unchecked);
}

}  // namespace
