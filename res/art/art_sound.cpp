// Our own sounds, synthesised: the few droplets heard when a drink is recorded. Change a note
// here and rerun scripts/art; the program carries res/sounds/ inside the executable.

#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "res/art/art_kit.h"

namespace art {

namespace {

constexpr int kRate = 44100;

// One droplet: a bubble's ring whose pitch rises as it closes, struck softly and dying fast.
struct Droplet {
    double at;    // seconds from the start
    double from;  // Hz when it is struck
    double to;    // Hz it rises towards
    double loud;  // peak, of full scale
    double ring;  // seconds for the ring to fall to 1/e
};

void Add(std::vector<double>& out, const Droplet& d) {
    constexpr double kStrike = 0.003;  // attack: no click
    constexpr double kRise = 0.025;    // how fast the pitch climbs
    double phase = 0;
    const int first = int(d.at * kRate);
    for (int i = first; i < int(out.size()); ++i) {
        const double t = double(i - first) / kRate;
        const double pitch = d.to - (d.to - d.from) * std::exp(-t / kRise);
        phase += 2 * std::numbers::pi * pitch / kRate;
        const double envelope = (1 - std::exp(-t / kStrike)) * std::exp(-t / d.ring);
        // A touch of the octave gives the glassy edge of water.
        out[std::size_t(i)] += d.loud * envelope * (std::sin(phase) + 0.12 * std::sin(2 * phase));
    }
}

// 16-bit mono PCM in a RIFF/WAVE file.
QByteArray Wav(const std::vector<double>& samples) {
    QByteArray pcm(qsizetype(samples.size() * 2), '\0');
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double s = std::clamp(samples[i], -1.0, 1.0);
        qToLittleEndian<qint16>(qint16(std::lround(s * 32767)), pcm.data() + 2 * i);
    }
    QByteArray wav;
    const auto u32 = [&wav](quint32 v) {
        char b[4];
        qToLittleEndian(v, b);
        wav.append(b, 4);
    };
    const auto u16 = [&wav](quint16 v) {
        char b[2];
        qToLittleEndian(v, b);
        wav.append(b, 2);
    };
    wav.append("RIFF");
    u32(quint32(36 + pcm.size()));
    wav.append("WAVEfmt ");
    u32(16);
    u16(1);  // PCM
    u16(1);  // mono
    u32(kRate);
    u32(kRate * 2);  // bytes a second
    u16(2);          // bytes a frame
    u16(16);         // bits a sample
    wav.append("data");
    u32(quint32(pcm.size()));
    return wav + pcm;
}

}  // namespace

std::vector<Sound> Sounds() {
    // Three drops into a glass, falling a little lower and softer each time; about half a second.
    std::vector<double> water(std::size_t(kRate * 0.55), 0.0);
    for (const Droplet& d :
         {Droplet{0.000, 620, 1240, 0.42, 0.045}, Droplet{0.105, 820, 1480, 0.30, 0.040},
          Droplet{0.215, 540, 1080, 0.26, 0.055}})
        Add(water, d);
    // The last ring fades out instead of being cut: no click at the end.
    const std::size_t fade = kRate / 50;
    for (std::size_t i = 0; i < fade; ++i) water[water.size() - 1 - i] *= double(i) / double(fade);
    return {{"water.wav", Wav(water)}};
}

}  // namespace art
