// The two sound effects, synthesized: a low thud when a piece lands and a
// bright two-note chime when blocks vanish.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "AssetTool.h"

static const int soundRate = 44100;
static const double soundPi = 3.14159265358979323846;

// Scales to a comfortable peak and fades the last few milliseconds, so the
// sample never ends on a click.
static std::vector<int16_t> soundFinish(std::vector<double> wave, double peak)
{
    double loudest = 1e-9;
    for (double v : wave)
        loudest = std::max(loudest, std::fabs(v));
    const size_t fade = soundRate / 200;
    std::vector<int16_t> pcm;
    for (size_t i = 0; i < wave.size(); i++) {
        double gain = peak / loudest;
        if (i + fade > wave.size())
            gain *= static_cast<double>(wave.size() - i) / fade;
        pcm.push_back(static_cast<int16_t>(std::lround(wave[i] * gain * 32767)));
    }
    return pcm;
}

static bool soundWriteWav(const std::string &path, const std::vector<int16_t> &pcm)
{
    const uint32_t dataSize = static_cast<uint32_t>(pcm.size() * 2);
    std::vector<uint8_t> out;
    // Byte by byte: GCC 12 at -O3 takes a range insert of four bytes for an overflow.
    auto putTag = [&out](const char *tag) {
        for (int i = 0; i < 4; i++)
            out.push_back(uint8_t(tag[i]));
    };
    auto put16 = [&out](uint32_t v) { out.insert(out.end(), {uint8_t(v & 0xff), uint8_t((v >> 8) & 0xff)}); };
    auto put32 = [&put16](uint32_t v) {
        put16(v & 0xffff);
        put16(v >> 16);
    };
    putTag("RIFF");
    put32(36 + dataSize);
    putTag("WAVE");
    putTag("fmt ");
    put32(16);
    put16(1);
    put16(1);
    put32(soundRate);
    put32(soundRate * 2);
    put16(2);
    put16(16);
    putTag("data");
    put32(dataSize);
    for (int16_t sample : pcm)
        put16(static_cast<uint16_t>(sample));

    return assetWriteFile(path, out);
}

bool soundWriteBlockFall(const std::string &path)
{
    const int length = soundRate * 15 / 100;
    std::vector<double> wave(length);
    double phase = 0, rumble = 0;
    uint32_t seed = 12345;
    for (int i = 0; i < length; i++) {
        double t = static_cast<double>(i) / soundRate;
        // The pitch drops fast from a knock to a low body, as a heavy block settles.
        double freq = 55 + 110 * std::exp(-t / 0.025);
        phase += 2 * soundPi * freq / soundRate;
        double attack = std::min(1.0, t / 0.002);
        double body = (std::sin(phase) + 0.3 * std::sin(2 * phase)) * std::exp(-t / 0.04) * attack;
        seed = seed * 1664525u + 1013904223u;
        double white = static_cast<double>(seed >> 8) / (1u << 24) * 2 - 1;
        rumble += 0.15 * (white - rumble);
        double noise = rumble * std::exp(-t / 0.012) * 1.6;
        wave[i] = body + noise;
    }
    return soundWriteWav(path, soundFinish(wave, 0.85));
}

bool soundWriteBlockKilled(const std::string &path)
{
    const int length = soundRate * 45 / 100;
    // A bell's partials sit off the harmonic series; the higher ones die sooner.
    const double ratios[4] = {1.0, 2.0, 2.76, 5.40};
    const double levels[4] = {1.0, 0.45, 0.3, 0.12};
    const double notes[2] = {1568.0, 2093.0};
    const double starts[2] = {0.0, 0.075};
    std::vector<double> wave(length, 0.0);
    for (int n = 0; n < 2; n++) {
        for (int i = static_cast<int>(starts[n] * soundRate); i < length; i++) {
            double t = static_cast<double>(i) / soundRate - starts[n];
            double attack = std::min(1.0, t / 0.001);
            for (int p = 0; p < 4; p++) {
                double decay = std::exp(-t * 9 * std::sqrt(ratios[p]));
                wave[i] += levels[p] * decay * attack * std::sin(2 * soundPi * notes[n] * ratios[p] * t);
            }
        }
    }
    return soundWriteWav(path, soundFinish(wave, 0.8));
}
