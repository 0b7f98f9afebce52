// norvo-navsound FILE: writes the default navigation sound, a short soft tick, as a WAV file
// (PCM, 16 bits, mono, 44.1 kHz). It is synthesised here from two decaying partials, so the
// sound is the same on every build and nothing is taken from elsewhere.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr double kSeconds = 0.12;
constexpr double kPeak = 0.45;  // of full scale: a tick, not an alarm

// A soft wooden tick: a body partial that falls a little in pitch, a brighter partial that
// dies away faster, a 1.5 ms attack that avoids a click at the start and a fade to silence at
// the end.
std::vector<int16_t> Tick() {
  const int count = int(kRate * kSeconds);
  std::vector<int16_t> samples(size_t(count), 0);
  double bodyPhase = 0, brightPhase = 0;
  for (int i = 0; i < count; ++i) {
    const double t = double(i) / kRate;
    const double bodyHz = 1180 + 260 * std::exp(-t / 0.006);
    bodyPhase += 2 * M_PI * bodyHz / kRate;
    brightPhase += 2 * M_PI * 3150.0 / kRate;
    const double body = std::sin(bodyPhase) * std::exp(-t / 0.022);
    const double bright = 0.35 * std::sin(brightPhase) * std::exp(-t / 0.007);
    const double attack = std::min(1.0, t / 0.0015);
    const double fade = std::min(1.0, (kSeconds - t) / 0.02);
    const double value = kPeak * attack * fade * (body + bright) / 1.35;
    samples[size_t(i)] = int16_t(std::lround(std::clamp(value, -1.0, 1.0) * 32767));
  }
  return samples;
}

void PutLe(std::string& out, uint32_t value, int bytes) {
  for (int k = 0; k < bytes; ++k) out += char((value >> (8 * k)) & 0xFF);
}

// The RIFF container: a "fmt " chunk for 16-bit mono PCM and the "data" chunk.
std::string Wav(const std::vector<int16_t>& samples) {
  const uint32_t dataBytes = uint32_t(samples.size() * 2);
  std::string out = "RIFF";
  PutLe(out, 36 + dataBytes, 4);
  out += "WAVEfmt ";
  PutLe(out, 16, 4);         // chunk size
  PutLe(out, 1, 2);          // PCM
  PutLe(out, 1, 2);          // one channel
  PutLe(out, kRate, 4);      // frames a second
  PutLe(out, kRate * 2, 4);  // bytes a second
  PutLe(out, 2, 2);          // bytes a frame
  PutLe(out, 16, 2);         // bits a sample
  out += "data";
  PutLe(out, dataBytes, 4);
  for (int16_t s : samples) PutLe(out, uint16_t(s), 2);
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: norvo-navsound FILE\n");
    return 2;
  }
  const std::filesystem::path file = argv[1];
  std::error_code error;
  std::filesystem::create_directories(file.parent_path(), error);
  const std::string bytes = Wav(Tick());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), std::streamsize(bytes.size()));
  if (!out.flush()) {
    std::fprintf(stderr, "norvo-navsound: cannot write %s\n", file.c_str());
    return 1;
  }
  return 0;
}
