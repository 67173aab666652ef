// PlaySoundW over Qt Multimedia: the PCM samples of the image go to the default audio
// output, looping when asked.
#include <QAudioFormat>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "mmsystem.h"
#include "qtwindows.h"
#include "wavimage.h"

namespace {

// The samples, read round and round (or once).
class PcmSource : public QIODevice {
 public:
  PcmSource(std::vector<uint8_t> samples, bool loop) : samples_(std::move(samples)), loop_(loop) {
    open(QIODevice::ReadOnly);
  }
  bool isSequential() const override { return true; }
  qint64 bytesAvailable() const override {
    return loop_ ? qint64{1} << 30 : static_cast<qint64>(samples_.size() - at_) + QIODevice::bytesAvailable();
  }

 protected:
  qint64 readData(char* data, qint64 maxSize) override {
    qint64 copied = 0;
    while (copied < maxSize && !samples_.empty()) {
      if (at_ == samples_.size()) {
        if (!loop_) break;
        at_ = 0;
      }
      size_t n = std::min(static_cast<size_t>(maxSize - copied), samples_.size() - at_);
      std::memcpy(data + copied, samples_.data() + at_, n);
      at_ += n;
      copied += static_cast<qint64>(n);
    }
    return copied;
  }
  qint64 writeData(const char*, qint64) override { return -1; }

 private:
  std::vector<uint8_t> samples_;
  size_t at_ = 0;
  bool loop_;
};

// Sound goes through the desktop's sound server; without one there is no audio output,
// and asking the audio back end would only make it complain.
bool SoundServerReachable() {
  if (const char* server = std::getenv("PULSE_SERVER"); server != nullptr && server[0] != '\0') return true;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime == nullptr || runtime[0] == '\0') return false;
  std::error_code error;
  return std::filesystem::exists(std::filesystem::path(runtime) / "pulse" / "native", error);
}

struct Playing {
  std::unique_ptr<PcmSource> source;
  std::unique_ptr<QAudioSink> sink;
};

Playing& Current() {
  static Playing playing;
  return playing;
}

void Stop() {
  Playing& playing = Current();
  if (playing.sink) playing.sink->stop();
  playing.sink.reset();
  playing.source.reset();
}

}  // namespace

BOOL PlaySoundW(LPCWSTR sound, HMODULE, DWORD flags) {
  if (!pelvarhost::gui::HaveGuiApplication()) return FALSE;
  Stop();
  if (sound == nullptr || (flags & SND_MEMORY) == 0) return sound == nullptr ? TRUE : FALSE;
  const auto* bytes = reinterpret_cast<const uint8_t*>(sound);
  pelvarhost::WavPcm pcm;
  if (!pelvarhost::ParseWavImage(bytes, pelvarhost::DeclaredWavSize(bytes), pcm)) return FALSE;
  if (!SoundServerReachable()) return FALSE;
  QAudioDevice device = QMediaDevices::defaultAudioOutput();
  if (device.isNull()) return FALSE;  // no audio output: silence, and nothing said
  QAudioFormat format;
  format.setSampleRate(static_cast<int>(pcm.sampleRate));
  format.setChannelCount(pcm.channels);
  format.setSampleFormat(QAudioFormat::Int16);
  if (!device.isFormatSupported(format)) return FALSE;
  Playing& playing = Current();
  playing.source = std::make_unique<PcmSource>(std::vector<uint8_t>(pcm.samples, pcm.samples + pcm.sampleBytes),
                                               (flags & SND_LOOP) != 0);
  playing.sink = std::make_unique<QAudioSink>(device, format);
  playing.sink->start(playing.source.get());
  return TRUE;
}
