#include "qt/audio_output.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QMediaDevices>
#include <QMetaObject>
#include <QTimer>
#include <QtGlobal>
#include <cmath>
#include <cstring>
#include <numbers>

namespace {

constexpr int sampleRate = 48000;
constexpr double buzzerHz = 3000;
constexpr float buzzerLevel = 0.2F;
constexpr double sounderLowHz = 800;
constexpr double sounderHighHz = 1000;
// Each of the sounder's two tones lasts this long.
constexpr double sounderToneSeconds = 0.25;
constexpr float sounderLevel = 0.3F;

// Where no sound server runs (CI, Xvfb), Qt Multimedia says so on standard
// error when asked for a device; that is no news to the user, so while the
// device is looked up just that message is left out.
constexpr QLatin1String noServerNews("PulseAudioService:");
QtMessageHandler passedOn = nullptr;

void LeaveOutNoServerNews(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (!message.startsWith(noServerNews)) passedOn(type, context, message);
}

QAudioDevice DefaultOutputQuietly() {
  passedOn = qInstallMessageHandler(LeaveOutNoServerNews);
  const QAudioDevice device = QMediaDevices::defaultAudioOutput();
  qInstallMessageHandler(passedOn);
  return device;
}

// The sink and the stream it pulls; the sink goes first. The sink keeps its
// own buffer size: a PulseAudio stream given a short one stalls for seconds.
// The stream is open only while a tone plays and a little after, so that a
// silent panel feeds the sound server nothing; the window thread opens and
// closes it, woken by a tone's start or stop from the board's side.
class Speaker : public AudioOutput {
 public:
  Speaker(const QAudioDevice& device, const QAudioFormat& format) : tones_(format), sink_(device, format) {
    silence_.setSingleShot(true);
    silence_.setInterval(closeAfterSilenceMs);
    QObject::connect(&silence_, &QTimer::timeout, [this] {
      if (!playing_.load(std::memory_order_relaxed)) sink_.stop();
    });
  }
  ~Speaker() override { sink_.stop(); }

  void Start(Tone tone) override {
    tones_.Start(tone);
    Follow(true);
  }
  void Stop(Tone tone) override {
    tones_.Stop(tone);
    Follow(tones_.Playing());
  }

 private:
  static constexpr int closeAfterSilenceMs = 250;

  void Follow(bool playing) {
    playing_.store(playing, std::memory_order_relaxed);
    QMetaObject::invokeMethod(&silence_, [this, playing] { playing ? Open() : silence_.start(); }, Qt::QueuedConnection);
  }
  void Open() {
    silence_.stop();
    if (sink_.state() == QAudio::StoppedState) sink_.start(&tones_);
  }

  ToneGenerator tones_;
  QAudioSink sink_;
  QTimer silence_;  // window thread
  std::atomic<bool> playing_{false};
};

// Advances a phase in cycles by one sample of frequency hz, kept in [0, 1).
double Advance(double& phase, double hz, int rate) {
  const double now = phase;
  phase += hz / rate;
  phase -= std::floor(phase);
  return now;
}

// The sample formats the generator writes.
bool Writable(const QAudioFormat& format) {
  return format.isValid() &&
         (format.sampleFormat() == QAudioFormat::Int16 || format.sampleFormat() == QAudioFormat::Float);
}

}  // namespace

ToneGenerator::ToneGenerator(const QAudioFormat& format) : format_(format) { open(QIODevice::ReadOnly); }

float ToneGenerator::NextSample() {
  const int rate = format_.sampleRate();
  const double buzzer = Advance(buzzerPhase_, buzzerHz, rate);
  const auto toneSamples = static_cast<int64_t>(sounderToneSeconds * rate);
  const bool high = samples_++ / toneSamples % 2 != 0;
  const double sounder = Advance(sounderPhase_, high ? sounderHighHz : sounderLowHz, rate);
  float sample = 0;
  if (buzzer_.load(std::memory_order_relaxed)) sample += buzzer < 0.5 ? buzzerLevel : -buzzerLevel;
  if (sounder_.load(std::memory_order_relaxed)) {
    sample += sounderLevel * static_cast<float>(std::sin(2 * std::numbers::pi * sounder));
  }
  return sample;
}

qint64 ToneGenerator::readData(char* data, qint64 maxSize) {
  const int frameBytes = format_.bytesPerFrame();
  const int sampleBytes = format_.bytesPerSample();
  const qint64 frames = maxSize / frameBytes;
  for (qint64 frame = 0; frame < frames; ++frame) {
    const float sample = NextSample();
    const auto pcm = static_cast<int16_t>(std::lround(sample * INT16_MAX));
    for (int channel = 0; channel < format_.channelCount(); ++channel, data += sampleBytes) {
      if (format_.sampleFormat() == QAudioFormat::Float) {
        std::memcpy(data, &sample, sizeof sample);
      } else {
        std::memcpy(data, &pcm, sizeof pcm);
      }
    }
  }
  return frames * frameBytes;
}

std::unique_ptr<AudioOutput> OpenAudioOutput() {
  const QAudioDevice device = DefaultOutputQuietly();
  if (device.isNull()) return nullptr;
  QAudioFormat format;
  format.setSampleRate(sampleRate);
  format.setChannelCount(1);
  format.setSampleFormat(QAudioFormat::Int16);
  if (!device.isFormatSupported(format)) format = device.preferredFormat();
  if (!Writable(format)) return nullptr;
  return std::make_unique<Speaker>(device, format);
}
