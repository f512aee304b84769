// Synthesises the program's sixteen sounds: the effects as WAV files into the run directory and
// the music as WAV files that the build then encodes to MP3.
//
//   hxm-synth RUN_DIR MUSIC_WAV_DIR [-v]
//
// Deterministic: fixed seeds, no clock. Everything is 44.1 kHz stereo, 16-bit.
// The looping themes are rendered into a circular buffer a whole number of bars long, so every
// tail (release, echo, reverb) wraps round to the start and the seam is inaudible.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "assets/sound_bank.h"

namespace {

constexpr int RATE = 44100;
constexpr float PI = 3.14159265358979f;
constexpr float TWO_PI = 2.0f * PI;

// ---------------------------------------------------------------- buffers and mixing

struct Buffer {
  std::vector<float> l, r;
  long frames = 0;
  bool wrap = false;  // a loop: writes past the end continue at the start
};

Buffer make_buffer(double seconds, bool wrap) {
  Buffer b;
  b.frames = (long)std::lround(seconds * RATE);
  b.l.assign(b.frames, 0.0f);
  b.r.assign(b.frames, 0.0f);
  b.wrap = wrap;
  return b;
}

// The three buses of a piece: dry, and the sends into the echo and the room.
struct Mix {
  Buffer dry, echo, room;
};

Mix make_mix(double seconds, bool wrap) {
  return Mix{make_buffer(seconds, wrap), make_buffer(seconds, wrap), make_buffer(seconds, wrap)};
}

// Where one sound lands: start time, level, pan (-1 left .. 1 right) and its sends.
struct Place {
  double t = 0.0;
  float gain = 1.0f;
  float pan = 0.0f;
  float echo = 0.0f;
  float room = 0.0f;
};

// Writes the samples of one sound, relative to its start, into a mix.
struct Tap {
  Mix* mix;
  long start;
  float gl, gr, echo, room;
  void put(long n, float sl, float sr) const {
    long i = start + n;
    Buffer& d = mix->dry;
    if (d.wrap) {
      while (i >= d.frames) i -= d.frames;
      while (i < 0) i += d.frames;
    } else if (i < 0 || i >= d.frames) {
      return;
    }
    float vl = sl * gl, vr = sr * gr;
    d.l[i] += vl;
    d.r[i] += vr;
    if (echo != 0.0f) {
      mix->echo.l[i] += vl * echo;
      mix->echo.r[i] += vr * echo;
    }
    if (room != 0.0f) {
      mix->room.l[i] += vl * room;
      mix->room.r[i] += vr * room;
    }
  }
  void put(long n, float s) const { put(n, s, s); }
};

Tap tap(Mix& m, const Place& p) {
  float a = (p.pan + 1.0f) * PI / 4.0f;  // equal-power pan
  return Tap{&m, (long)std::lround(p.t * RATE), p.gain * std::cos(a) * 1.41421356f,
             p.gain * std::sin(a) * 1.41421356f, p.echo, p.room};
}

long samples(double seconds) { return (long)std::lround(seconds * RATE); }

// ---------------------------------------------------------------- sources

// xorshift32: the same noise on every machine.
struct Rng {
  uint32_t s;
  uint32_t next() {
    s ^= s << 13;
    s ^= s >> 17;
    s ^= s << 5;
    return s;
  }
  float noise() { return (float)(next() >> 8) / 8388608.0f - 1.0f; }          // -1..1
  float uniform(float lo, float hi) { return lo + (hi - lo) * (noise() * 0.5f + 0.5f); }
};

float midi_hz(float note) { return 440.0f * std::pow(2.0f, (note - 69.0f) / 12.0f); }

// Band-limited step correction for the saw and square.
float blep(float t, float dt) {
  if (t < dt) {
    t /= dt;
    return t + t - t * t - 1.0f;
  }
  if (t > 1.0f - dt) {
    t = (t - 1.0f) / dt;
    return t * t + t + t + 1.0f;
  }
  return 0.0f;
}

enum Wave { SINE, TRIANGLE, SAW, SQUARE };

float oscillator(Wave w, float phase, float dt) {
  switch (w) {
    case SINE:
      return std::sin(TWO_PI * phase);
    case TRIANGLE:
      return 4.0f * std::fabs(phase - 0.5f) - 1.0f;
    case SAW:
      return 2.0f * phase - 1.0f - blep(phase, dt);
    case SQUARE: {
      float half = phase + 0.5f;
      if (half >= 1.0f) half -= 1.0f;
      return (phase < 0.5f ? 1.0f : -1.0f) + blep(phase, dt) - blep(half, dt);
    }
  }
  return 0.0f;
}

// State-variable filter (Chamberlin); cutoff kept where it stays stable.
struct Svf {
  float f = 0.0f, low = 0.0f, band = 0.0f, high = 0.0f;
  void tune(float cutoff) {
    cutoff = std::fmin(std::fmax(cutoff, 20.0f), RATE / 6.5f);
    f = 2.0f * std::sin(PI * cutoff / RATE);
  }
  void run(float in, float damping) {
    low += f * band;
    high = in - low - damping * band;
    band += f * high;
  }
  void run(float in, float cutoff, float damping) {
    tune(cutoff);
    run(in, damping);
  }
};

struct OnePole {
  float a = 0.0f, y = 0.0f;
  void tune(float cutoff) { a = 1.0f - std::exp(-TWO_PI * cutoff / RATE); }
  float low(float x) { return y += a * (x - y); }
  float low(float x, float cutoff) {
    tune(cutoff);
    return low(x);
  }
};

// A smooth saturation: a rational tanh, exact enough for colour and cheap per sample.
float soft_clip(float x) {
  if (x > 3.0f) return 1.0f;
  if (x < -3.0f) return -1.0f;
  return x * (27.0f + x * x) / (27.0f + 9.0f * x * x);
}

float drive(float x, float amount) {
  return amount > 0.0f ? soft_clip(x * amount) / soft_clip(amount) : x;
}

// ---------------------------------------------------------------- a subtractive voice

struct Patch {
  Wave wave = SAW;
  int unison = 1;
  float detune = 0.0f;  // cents between the outermost unison voices
  float width = 0.0f;   // 0..1 stereo spread of the unison voices
  float attack = 0.005f, decay = 0.2f, sustain = 0.7f, release = 0.1f;
  float cutoff = 12000.0f, env_cutoff = 0.0f, cutoff_decay = 0.2f, damping = 1.4f;
  float vibrato_hz = 0.0f, vibrato_cents = 0.0f, vibrato_delay = 0.0f;
  float glide = 0.0f, glide_time = 0.0f;  // starts `glide` semitones away
  float sub = 0.0f;                       // sine an octave down
  float drive = 0.0f;
};

float adsr(const Patch& p, float t, float held) {
  float level;
  if (t < p.attack) {
    level = t / p.attack;
  } else if (t < p.attack + p.decay) {
    level = 1.0f - (1.0f - p.sustain) * (t - p.attack) / p.decay;
  } else {
    level = p.sustain;
  }
  if (t > held) {
    float x = (t - held) / p.release;
    if (x >= 1.0f) return 0.0f;
    // release from wherever the envelope stood at the note's end
    float at_end = held < p.attack ? held / p.attack : (held < p.attack + p.decay
                       ? 1.0f - (1.0f - p.sustain) * (held - p.attack) / p.decay : p.sustain);
    level = at_end * (1.0f - x) * (1.0f - x);
  }
  return level;
}

void note(Mix& m, const Place& at, double length, float pitch, const Patch& p) {
  Tap out = tap(m, at);
  float held = (float)length;
  long n_total = samples(length + p.release);
  float base = midi_hz(pitch);
  float phase[8] = {}, sub_phase = 0.0f;
  int voices = p.unison < 1 ? 1 : (p.unison > 8 ? 8 : p.unison);
  float ratio[8], pan[8];
  for (int k = 0; k < voices; ++k) {
    phase[k] = (float)k * 0.37f - std::floor((float)k * 0.37f);
    float spread = voices > 1 ? (float)k / (voices - 1) * 2.0f - 1.0f : 0.0f;
    ratio[k] = std::pow(2.0f, spread * p.detune / 2400.0f);
    pan[k] = spread * p.width;
  }
  Svf fl, fr;
  for (long n = 0; n < n_total; ++n) {
    float t = (float)n / RATE;
    float semis = 0.0f;
    if (p.glide != 0.0f && t < p.glide_time) semis += p.glide * (1.0f - t / p.glide_time);
    if (p.vibrato_cents > 0.0f && t > p.vibrato_delay) {
      float depth = std::fmin(1.0f, (t - p.vibrato_delay) / 0.3f);
      semis += depth * p.vibrato_cents / 100.0f * std::sin(TWO_PI * p.vibrato_hz * t);
    }
    float f = semis != 0.0f ? base * std::exp2(semis / 12.0f) : base;
    float sl = 0.0f, sr = 0.0f;
    for (int k = 0; k < voices; ++k) {
      float dt = f * ratio[k] / RATE;
      phase[k] += dt;
      if (phase[k] >= 1.0f) phase[k] -= 1.0f;
      float s = oscillator(p.wave, phase[k], dt);
      sl += s * (1.0f - pan[k]) * 0.5f;
      sr += s * (1.0f + pan[k]) * 0.5f;
    }
    sl /= std::sqrt((float)voices) * 0.5f;
    sr /= std::sqrt((float)voices) * 0.5f;
    if (p.sub > 0.0f) {
      sub_phase += f * 0.5f / RATE;
      if (sub_phase >= 1.0f) sub_phase -= 1.0f;
      float s = p.sub * std::sin(TWO_PI * sub_phase);
      sl += s;
      sr += s;
    }
    if (n % 16 == 0) {  // the filter sweep is slow enough to follow in steps
      fl.tune(p.cutoff + p.env_cutoff * std::exp(-t / p.cutoff_decay));
      fr.f = fl.f;
    }
    fl.run(sl, p.damping);
    fr.run(sr, p.damping);
    float env = adsr(p, t, held);
    out.put(n, drive(fl.low, p.drive) * env, drive(fr.low, p.drive) * env);
  }
}

// ---------------------------------------------------------------- drums and percussion

void kick(Mix& m, const Place& at, float punch = 1.0f, float length = 0.45f) {
  Tap out = tap(m, at);
  float phase = 0.0f;
  Rng rng{0x1234567u};
  for (long n = 0, end = samples(length); n < end; ++n) {
    float t = (float)n / RATE;
    float f = 44.0f + 120.0f * punch * std::exp(-t * 32.0f);
    phase += f / RATE;
    float body = std::sin(TWO_PI * phase) * std::exp(-t * (5.5f / length));
    float click = rng.noise() * std::exp(-t * 400.0f) * 0.25f * punch;
    float fade = std::fmin(1.0f, (length - t) / 0.02f);
    out.put(n, drive(body + click, 1.5f) * fade);
  }
}

void snare(Mix& m, const Place& at, float tone = 190.0f, float snap = 1.0f, uint32_t seed = 7) {
  Tap out = tap(m, at);
  Rng rng{seed * 2654435761u + 1u};
  OnePole lp;
  lp.tune(1500.0f);
  float phase = 0.0f;
  for (long n = 0, end = samples(0.32); n < end; ++n) {
    float t = (float)n / RATE;
    phase += tone * (1.0f + 0.3f * std::exp(-t * 60.0f)) / RATE;
    float body = std::sin(TWO_PI * phase) * std::exp(-t * 22.0f) * 0.6f;
    float x = rng.noise();
    float hiss = (x - lp.low(x)) * std::exp(-t * 13.0f / snap) * 0.9f;
    out.put(n, body + hiss);
  }
}

// Hats, crashes and bells of metal: square waves at inharmonic ratios, high-passed, plus noise.
void cymbal(Mix& m, const Place& at, float decay, float brightness = 1.0f, uint32_t seed = 3) {
  static const float ratios[6] = {1.0f, 1.342f, 1.2312f, 1.6532f, 1.9523f, 2.1523f};
  Tap out = tap(m, at);
  Rng rng{seed * 747796405u + 11u};
  float phase[6] = {};
  Svf hp;
  hp.tune(6500.0f * brightness);
  long end = samples(decay * 6.0f);
  for (long n = 0; n < end; ++n) {
    float t = (float)n / RATE;
    float s = 0.0f;
    for (int k = 0; k < 6; ++k) {
      phase[k] += 330.0f * brightness * ratios[k] / RATE;
      if (phase[k] >= 1.0f) phase[k] -= 1.0f;
      s += phase[k] < 0.5f ? 1.0f : -1.0f;
    }
    s = s * 0.12f + rng.noise() * 0.6f;
    hp.run(s, 1.2f);
    float env = std::exp(-t / decay) * std::fmin(1.0f, t / 0.0008f);
    out.put(n, hp.high * env);
  }
}

void clap(Mix& m, const Place& at, uint32_t seed = 5) {
  Tap out = tap(m, at);
  Rng rng{seed * 2246822519u + 3u};
  Svf bp;
  bp.tune(1300.0f);
  for (long n = 0, end = samples(0.35); n < end; ++n) {
    float t = (float)n / RATE;
    float env = std::exp(-t * 14.0f) * 0.6f;
    for (float burst : {0.0f, 0.011f, 0.022f})
      if (t >= burst && t < burst + 0.01f) env = std::fmax(env, std::exp(-(t - burst) * 180.0f));
    bp.run(rng.noise(), 0.9f);
    out.put(n, bp.band * env * 1.6f);
  }
}

// A struck bar or anvil: partials of a free bar, the higher ones dying faster.
void metal(Mix& m, const Place& at, float freq, float decay, float clang = 1.0f) {
  static const float ratios[5] = {1.0f, 2.756f, 5.404f, 8.933f, 13.34f};
  static const float levels[5] = {1.0f, 0.6f, 0.4f, 0.25f, 0.15f};
  Tap out = tap(m, at);
  float phase[5] = {};
  Rng rng{(uint32_t)(freq * 13.0f) + 77u};
  long end = samples(decay * 5.0f);
  for (long n = 0; n < end; ++n) {
    float t = (float)n / RATE;
    float s = 0.0f;
    for (int k = 0; k < 5; ++k) {
      float f = freq * ratios[k];
      if (f > 16000.0f) break;
      phase[k] += f / RATE;
      if (phase[k] >= 1.0f) phase[k] -= 1.0f;
      float amp = k == 0 ? levels[k] : levels[k] * clang;
      s += std::sin(TWO_PI * phase[k]) * amp * std::exp(-t * (1.0f + k * 1.5f) / decay);
    }
    s += rng.noise() * std::exp(-t * 600.0f) * 0.5f * clang;
    out.put(n, s * 0.5f);
  }
}

// Mallet: a sine with its fourth harmonic, as on a marimba bar.
void mallet(Mix& m, const Place& at, float pitch, float decay = 0.35f) {
  Tap out = tap(m, at);
  float f = midi_hz(pitch), p1 = 0.0f, p4 = 0.0f;
  for (long n = 0, end = samples(decay * 5.0f); n < end; ++n) {
    float t = (float)n / RATE;
    p1 += f / RATE;
    p4 += f * 3.93f / RATE;
    float s = std::sin(TWO_PI * p1) * std::exp(-t / decay) +
              0.35f * std::sin(TWO_PI * p4) * std::exp(-t / (decay * 0.18f));
    out.put(n, s * std::fmin(1.0f, t / 0.001f));
  }
}

// A water drop in a cave: a short sine whose pitch leaps up.
void drip(Mix& m, const Place& at, float freq) {
  Tap out = tap(m, at);
  float phase = 0.0f;
  for (long n = 0, end = samples(0.12); n < end; ++n) {
    float t = (float)n / RATE;
    phase += freq * (1.0f + 1.2f * std::fmin(1.0f, t / 0.03f)) / RATE;
    out.put(n, std::sin(TWO_PI * phase) * std::exp(-t * 40.0f) * std::fmin(1.0f, t / 0.002f));
  }
}

// Filtered noise whose band sweeps between two frequencies, rising in level.
void riser(Mix& m, const Place& at, double length, float from_hz, float to_hz) {
  Tap out = tap(m, at);
  Rng rl{99u}, rr{199u};
  Svf fl, fr;
  long end = samples(length);
  for (long n = 0; n < end; ++n) {
    float x = (float)n / end;
    float f = from_hz * std::pow(to_hz / from_hz, x);
    fl.run(rl.noise(), f, 0.5f);
    fr.run(rr.noise(), f * 1.03f, 0.5f);
    float env = x * x;
    out.put(n, fl.band * env, fr.band * env);
  }
}

// ---------------------------------------------------------------- echo, room and mastering

// Runs a recursive effect over a buffer; a loop is run twice so that the second lap starts
// from the state the end of the first left: the output is the loop's steady state.
template <typename Step>
void laps(Buffer& b, Step step) {
  int count = b.wrap ? 2 : 1;
  for (int lap = 0; lap < count; ++lap)
    for (long i = 0; i < b.frames; ++i) step(i, lap == count - 1);
}

// Ping-pong echo with a darkening feedback path; returns only the repeats.
void echo(Buffer& b, double delay, float feedback) {
  long d = samples(delay);
  std::vector<float> ll(d, 0.0f), lr(d, 0.0f);
  OnePole dl, dr;
  dl.tune(3500.0f);
  dr.tune(3500.0f);
  long pos = 0;
  laps(b, [&](long i, bool write) {
    float yl = ll[pos], yr = lr[pos];
    ll[pos] = b.l[i] + dr.low(yr) * feedback;
    lr[pos] = b.r[i] * 0.5f + dl.low(yl) * feedback;
    if (++pos == d) pos = 0;
    if (write) {
      b.l[i] = yl;
      b.r[i] = yr;
    }
  });
}

// A small Schroeder room: parallel damped combs into series all-passes, per channel.
struct Comb {
  std::vector<float> line;
  long pos = 0;
  float store = 0.0f;
  float run(float x, float feedback, float damp) {
    float y = line[pos];
    store = y * (1.0f - damp) + store * damp;
    line[pos] = x + store * feedback;
    if (++pos == (long)line.size()) pos = 0;
    return y;
  }
};

struct AllPass {
  std::vector<float> line;
  long pos = 0;
  float run(float x) {
    float y = line[pos];
    line[pos] = x + y * 0.5f;
    if (++pos == (long)line.size()) pos = 0;
    return y - x;
  }
};

void room(Buffer& b, float size) {
  static const int comb_lengths[4] = {1116, 1188, 1277, 1356};
  static const int allpass_lengths[2] = {556, 441};
  Comb combs[2][4];
  AllPass passes[2][2];
  for (int c = 0; c < 2; ++c) {
    for (int k = 0; k < 4; ++k) combs[c][k].line.assign(comb_lengths[k] + c * 23, 0.0f);
    for (int k = 0; k < 2; ++k) passes[c][k].line.assign(allpass_lengths[k] + c * 23, 0.0f);
  }
  float feedback = 0.7f + 0.28f * size;
  laps(b, [&](long i, bool write) {
    float in[2] = {b.l[i], b.r[i]}, out[2];
    float mono = (in[0] + in[1]) * 0.5f;
    for (int c = 0; c < 2; ++c) {
      float s = 0.0f;
      for (int k = 0; k < 4; ++k) s += combs[c][k].run(mono, feedback, 0.3f);
      for (int k = 0; k < 2; ++k) s = passes[c][k].run(s);
      out[c] = s * 0.25f;
    }
    if (write) {
      b.l[i] = out[0];
      b.r[i] = out[1];
    }
  });
}

struct Level {
  float peak = 0.0f;
  float rms = 0.0f;
};

Level measure(const Buffer& b) {
  Level v;
  double sum = 0.0;
  for (long i = 0; i < b.frames; ++i) {
    v.peak = std::fmax(v.peak, std::fmax(std::fabs(b.l[i]), std::fabs(b.r[i])));
    sum += (double)b.l[i] * b.l[i] + (double)b.r[i] * b.r[i];
  }
  v.rms = b.frames ? (float)std::sqrt(sum / (2.0 * b.frames)) : 0.0f;
  return v;
}

float db(float x) { return 20.0f * std::log10(std::fmax(x, 1e-9f)); }
float from_db(float d) { return std::pow(10.0f, d / 20.0f); }

// Sums the buses into the dry buffer.
Buffer bounce(Mix& m, double echo_delay, float echo_feedback, float room_size) {
  echo(m.echo, echo_delay, echo_feedback);
  room(m.room, room_size);
  for (long i = 0; i < m.dry.frames; ++i) {
    m.dry.l[i] += m.echo.l[i] + m.room.l[i];
    m.dry.r[i] += m.echo.r[i] + m.room.r[i];
  }
  return std::move(m.dry);
}

// Music ends at an RMS of -18 dBFS; the rare peaks above -6 dBFS are rounded off smoothly so
// nothing passes the ceiling, which leaves room for the MP3 encoder's overshoot.
constexpr float MUSIC_RMS_DB = -18.0f;
constexpr float MUSIC_CEILING_DB = -3.0f;

void soft_ceiling(float& x, float knee, float ceiling) {
  float a = std::fabs(x);
  if (a <= knee) return;
  float over = (a - knee) / (ceiling - knee);
  x = std::copysign(knee + (ceiling - knee) * std::tanh(over), x);
}

Buffer master_music(Buffer b) {
  float gain = from_db(MUSIC_RMS_DB) / std::fmax(measure(b).rms, 1e-9f);
  float knee = from_db(-6.0f), ceiling = from_db(MUSIC_CEILING_DB);
  for (long i = 0; i < b.frames; ++i) {
    b.l[i] *= gain;
    b.r[i] *= gain;
    soft_ceiling(b.l[i], knee, ceiling);
    soft_ceiling(b.r[i], knee, ceiling);
  }
  return b;
}

// Effects are normalised by their peak, but a dense one (an engine, a quack) is held to an
// RMS a little above the music's so it does not stand out louder than the rest.
constexpr float EFFECT_RMS_LIMIT_DB = -14.0f;

Buffer master_effect(Buffer b, float peak_db) {
  Level v = measure(b);
  float gain = std::fmin(from_db(peak_db) / std::fmax(v.peak, 1e-9f),
                         from_db(EFFECT_RMS_LIMIT_DB) / std::fmax(v.rms, 1e-9f));
  for (long i = 0; i < b.frames; ++i) {
    b.l[i] *= gain;
    b.r[i] *= gain;
  }
  return b;
}

// A sound that does not loop ends on silence.
void fade_out(Buffer& b, double seconds) {
  long n = samples(seconds);
  for (long k = 0; k < n && k < b.frames; ++k) {
    float g = (float)k / n;
    b.l[b.frames - 1 - k] *= g;
    b.r[b.frames - 1 - k] *= g;
  }
}

// ---------------------------------------------------------------- musical time

struct Tempo {
  double bpm;
  double beat() const { return 60.0 / bpm; }
  double bar() const { return 4.0 * beat(); }
  double at(int bar_index, double beat_in_bar) const {
    return bar_index * bar() + beat_in_bar * beat();
  }
};

struct Chord {
  int root;          // bass note
  int tones[5];      // voicing, 0 = unused
};

struct Tone {
  float beat;        // within the bar
  float length;      // beats
  int pitch;
};

int chord_size(const Chord& c) {
  int k = 0;
  while (k < 5 && c.tones[k]) ++k;
  return k;
}

// A phrase given bar by bar, starting at `first_bar`, played with one patch.
void melody(Mix& m, const Tempo& tempo, int first_bar, const std::vector<std::vector<Tone>>& phrase,
            const Patch& patch, Place place, float transpose = 0.0f) {
  for (size_t b = 0; b < phrase.size(); ++b)
    for (const Tone& n : phrase[b]) {
      place.t = tempo.at(first_bar + (int)b, n.beat);
      note(m, place, n.length * tempo.beat() * 0.92, n.pitch + transpose, patch);
    }
}

void pad_chord(Mix& m, const Tempo& tempo, int bar, const Chord& c, const Patch& patch,
               Place place, double bars = 1.0) {
  place.t = tempo.at(bar, 0.0);
  int count = chord_size(c);
  for (int k = 0; k < count; ++k) {
    Place p = place;
    p.pan = place.pan + (k - (count - 1) * 0.5f) * 0.15f;
    note(m, p, bars * tempo.bar(), (float)c.tones[k], patch);
  }
}

Place at(double t, float gain, float pan = 0.0f, float echo_send = 0.0f, float room_send = 0.0f) {
  return Place{t, gain, pan, echo_send, room_send};
}

// ---------------------------------------------------------------- the music

// appBackground: calm electronic, A minor, 90 BPM, 24 bars (64 s).
Buffer make_app_background() {
  const Tempo tempo{90.0};
  const int bars = 24;
  Mix m = make_mix(bars * tempo.bar(), true);
  const Chord cycle[8] = {{45, {57, 60, 64, 67, 71}}, {41, {53, 57, 60, 64, 67}},
                          {48, {60, 64, 67, 71, 0}},  {43, {55, 59, 62, 64, 0}},
                          {45, {57, 60, 64, 67, 71}}, {41, {53, 57, 60, 64, 67}},
                          {38, {50, 53, 57, 60, 64}}, {40, {52, 57, 59, 62, 0}}};
  const Patch pad{.wave = SAW, .unison = 3, .detune = 14.0f, .width = 0.8f, .attack = 0.9f,
        .decay = 0.5f, .sustain = 0.8f, .release = 1.6f, .cutoff = 1500.0f};
  const Patch pluck{.wave = SQUARE, .attack = 0.002f, .decay = 0.25f, .sustain = 0.0f,
        .release = 0.05f, .cutoff = 900.0f, .env_cutoff = 2600.0f, .cutoff_decay = 0.08f};
  const Patch bass{.wave = SAW, .attack = 0.01f, .decay = 0.3f, .sustain = 0.6f, .release = 0.12f,
        .cutoff = 280.0f, .env_cutoff = 500.0f, .cutoff_decay = 0.1f, .sub = 0.8f};
  const Patch lead{.wave = TRIANGLE, .attack = 0.03f, .decay = 0.5f, .sustain = 0.5f,
        .release = 0.35f, .cutoff = 3000.0f, .vibrato_hz = 5.0f, .vibrato_cents = 18.0f,
        .vibrato_delay = 0.25f};

  static const int arp_order[8] = {0, 1, 2, 3, 4, 3, 2, 1};
  for (int bar = 0; bar < bars; ++bar) {
    const Chord& c = cycle[bar % 8];
    pad_chord(m, tempo, bar, c, pad, at(0, 0.10f, 0.0f, 0.0f, 0.5f));
    int size = chord_size(c);
    float arp_gain = bar < 8 ? 0.10f : 0.13f;
    for (int s = 0; s < 16; ++s) {
      int pitch = c.tones[arp_order[s % 8] % size] + 12;
      note(m, at(tempo.at(bar, s * 0.25), arp_gain, (s % 2) ? 0.45f : -0.45f, 0.45f, 0.2f),
           tempo.beat() * 0.2, (float)pitch, pluck);
    }
    if (bar >= 8) {
      static const Tone groove[4] = {{0, 1.4f, 0}, {1.5f, 0.4f, 0}, {2, 1.4f, 0}, {3.5f, 0.4f, 12}};
      for (const Tone& g : groove)
        note(m, at(tempo.at(bar, g.beat), 0.42f), g.length * tempo.beat(), (float)(c.root + g.pitch),
             bass);
      for (double b : {0.0, 2.0}) kick(m, at(tempo.at(bar, b), 0.55f), 0.7f);
      if (bar % 2 == 1) kick(m, at(tempo.at(bar, 2.5), 0.35f), 0.6f);
      for (int e = 0; e < 4; ++e)
        cymbal(m, at(tempo.at(bar, e + 0.5), 0.14f, 0.35f), 0.035f, 1.0f, (uint32_t)(bar * 4 + e));
    }
    if (bar >= 16) {
      clap(m, at(tempo.at(bar, 1.0), 0.16f, -0.1f, 0.0f, 0.6f), (uint32_t)bar);
      clap(m, at(tempo.at(bar, 3.0), 0.16f, 0.1f, 0.0f, 0.6f), (uint32_t)bar + 100);
    }
  }
  const std::vector<std::vector<Tone>> tune = {
      {{0, 1.5f, 76}, {1.5f, 0.5f, 74}, {2, 1, 72}, {3, 1, 71}},
      {{0, 1.5f, 72}, {1.5f, 0.5f, 69}, {2, 2, 67}},
      {{0, 1, 76}, {1, 1, 79}, {2, 1, 76}, {3, 1, 74}},
      {{0, 3, 74}, {3, 1, 71}},
      {{0, 0.5f, 69}, {0.5f, 0.5f, 72}, {1, 1.5f, 76}, {2.5f, 0.5f, 74}, {3, 1, 76}},
      {{0, 1.5f, 77}, {1.5f, 0.5f, 76}, {2, 2, 72}},
      {{0, 1, 74}, {1, 1, 76}, {2, 1, 77}, {3, 1, 81}},
      {{0, 1.5f, 71}, {1.5f, 0.5f, 74}, {2, 2, 76}}};
  melody(m, tempo, 16, tune, lead, at(0, 0.22f, 0.15f, 0.35f, 0.4f));
  return master_music(bounce(m, tempo.beat() * 0.75, 0.45f, 0.8f));
}

// appIntro: a four-second rising sting that lands on A major.
Buffer make_app_intro() {
  Mix m = make_mix(4.0, false);
  const double hit = 2.4;
  riser(m, at(0.0, 0.7f, 0.0f, 0.0f, 0.3f), hit, 250.0f, 6500.0f);
  const Patch rise{.wave = SAW, .unison = 3, .detune = 18.0f, .width = 0.9f, .attack = 1.8f,
        .decay = 0.1f, .sustain = 1.0f, .release = 0.05f, .cutoff = 400.0f, .glide = -12.0f,
        .glide_time = (float)hit};
  for (int p : {57, 61, 64, 69}) note(m, at(0.0, 0.12f, 0.0f, 0.0f, 0.3f), hit, (float)p, rise);
  // A snare roll that speeds up into the hit.
  double t = 0.6;
  for (int k = 0; t < hit - 0.02; ++k) {
    float x = (float)(t / hit);
    snare(m, at(t, 0.12f + 0.4f * x * x, (k % 2) ? 0.2f : -0.2f, 0.0f, 0.2f), 200.0f, 0.6f,
          (uint32_t)k);
    t += 0.16 - 0.11 * x;
  }
  kick(m, at(hit, 1.0f), 1.3f, 0.9f);
  cymbal(m, at(hit, 0.35f, 0.2f, 0.0f, 0.4f), 0.6f, 0.8f, 9);
  const Patch stab{.wave = SAW, .unison = 3, .detune = 12.0f, .width = 0.7f, .attack = 0.004f,
        .decay = 1.2f, .sustain = 0.15f, .release = 0.4f, .cutoff = 900.0f, .env_cutoff = 5000.0f,
        .cutoff_decay = 0.35f};
  for (int p : {45, 57, 64, 69, 73, 76}) note(m, at(hit, 0.16f, 0.0f, 0.0f, 0.4f), 1.1, (float)p, stab);
  static const int sparkle[4] = {81, 85, 88, 93};
  for (int k = 0; k < 4; ++k)
    mallet(m, at(hit + 0.07 * k, 0.18f, -0.4f + 0.27f * k, 0.4f, 0.3f), (float)sparkle[k], 0.5f);
  Buffer b = master_music(bounce(m, 0.3, 0.35f, 0.7f));
  fade_out(b, 0.4);
  return b;
}

// monstersBackground: heavy and driving, E minor, 132 BPM, 26 bars.
Buffer make_monsters_background() {
  const Tempo tempo{132.0};
  const int bars = 26;
  Mix m = make_mix(bars * tempo.bar(), true);
  const int roots[8] = {40, 40, 36, 38, 40, 40, 43, 47};
  // Chugs on the eighths: offset from the root; accents open the filter.
  static const int riff[8] = {0, 0, 12, 0, 0, 10, 0, 7};
  static const bool accent[8] = {true, false, true, false, false, true, false, true};
  const Patch guitar{.wave = SAW, .unison = 2, .detune = 10.0f, .width = 0.9f, .attack = 0.003f,
        .decay = 0.2f, .sustain = 0.6f, .release = 0.05f, .cutoff = 700.0f, .env_cutoff = 1800.0f,
        .cutoff_decay = 0.06f, .drive = 4.0f};
  const Patch bass{.wave = SAW, .attack = 0.003f, .decay = 0.15f, .sustain = 0.7f, .release = 0.04f,
        .cutoff = 350.0f, .env_cutoff = 700.0f, .cutoff_decay = 0.05f, .sub = 1.0f, .drive = 2.0f};
  const Patch lead{.wave = SQUARE, .attack = 0.01f, .decay = 0.3f, .sustain = 0.7f,
        .release = 0.12f, .cutoff = 2400.0f, .vibrato_hz = 6.0f, .vibrato_cents = 25.0f,
        .vibrato_delay = 0.2f, .glide = -1.0f, .glide_time = 0.05f, .drive = 2.5f};
  double eighth = tempo.beat() * 0.5;
  for (int bar = 0; bar < bars; ++bar) {
    bool fill = bar >= 24;
    int root = roots[bar % 8];
    for (int e = 0; e < 8; ++e) {
      if (fill && e >= 4) break;
      double t = tempo.at(bar, e * 0.5);
      int pitch = root + 12 + riff[e];
      Patch g = guitar;
      if (!accent[e]) g.env_cutoff = 600.0f;
      for (int interval : {0, 7, 12})
        note(m, at(t, 0.11f, interval == 7 ? 0.3f : -0.3f), eighth * 0.8, (float)(pitch + interval), g);
      note(m, at(t, 0.30f), eighth * 0.85, (float)(root + riff[e] % 12), bass);
    }
    // Drums: four on the floor with a push on the last eighth, backbeat snare.
    for (int b = 0; b < 4; ++b) kick(m, at(tempo.at(bar, b), 0.8f), 1.1f);
    if (!fill) kick(m, at(tempo.at(bar, 3.5), 0.55f), 1.0f);
    snare(m, at(tempo.at(bar, 1), 0.55f, 0.05f, 0.0f, 0.35f), 180.0f, 1.2f, (uint32_t)bar);
    snare(m, at(tempo.at(bar, 3), 0.55f, 0.05f, 0.0f, 0.35f), 180.0f, 1.2f, (uint32_t)bar + 50);
    for (int e = 0; e < 8; ++e)
      cymbal(m, at(tempo.at(bar, e * 0.5), e % 2 ? 0.13f : 0.08f, 0.3f), e % 2 ? 0.09f : 0.03f, 1.0f,
             (uint32_t)(bar * 8 + e));
    if (fill)
      for (int s = 8; s < 16; ++s)
        snare(m, at(tempo.at(bar, s * 0.25), 0.2f + 0.03f * s, (s % 4 - 1.5f) * 0.3f, 0.0f, 0.2f),
              150.0f + 10.0f * s, 0.8f, (uint32_t)(bar * 16 + s));
    if (bar % 8 == 0) cymbal(m, at(tempo.at(bar, 0), 0.35f, -0.3f, 0.0f, 0.3f), 0.7f, 0.85f, 21);
  }
  const std::vector<std::vector<Tone>> riff_lead = {
      {{0, 0.5f, 64}, {0.5f, 0.5f, 67}, {1, 1, 69}, {2, 0.5f, 67}, {2.5f, 0.5f, 69}, {3, 1, 71}},
      {{0, 1.5f, 74}, {1.5f, 0.5f, 71}, {2, 2, 69}},
      {{0, 0.5f, 67}, {0.5f, 0.5f, 69}, {1, 1, 72}, {2, 1, 71}, {3, 1, 67}},
      {{0, 2, 69}, {2, 1, 66}, {3, 1, 62}},
      {{0, 0.5f, 64}, {0.5f, 0.5f, 67}, {1, 1, 69}, {2, 0.5f, 67}, {2.5f, 0.5f, 69}, {3, 1, 71}},
      {{0, 1, 76}, {1, 1, 74}, {2, 1, 71}, {3, 1, 74}},
      {{0, 1.5f, 74}, {1.5f, 0.5f, 71}, {2, 1, 69}, {3, 1, 67}},
      {{0, 2, 71}, {2, 2, 66}}};
  melody(m, tempo, 8, riff_lead, lead, at(0, 0.17f, -0.15f, 0.3f, 0.3f));
  melody(m, tempo, 16, riff_lead, lead, at(0, 0.14f, 0.15f, 0.3f, 0.3f), 12.0f);
  return master_music(bounce(m, tempo.beat() * 0.75, 0.3f, 0.6f));
}

// tanksBackground: a march in C minor, 116 BPM, 24 bars.
Buffer make_tanks_background() {
  const Tempo tempo{116.0};
  const int bars = 24;
  Mix m = make_mix(bars * tempo.bar(), true);
  const Chord cycle[8] = {{36, {60, 63, 67, 0, 0}}, {41, {60, 65, 68, 0, 0}},
                          {43, {59, 62, 67, 0, 0}}, {36, {60, 63, 67, 0, 0}},
                          {44, {60, 63, 68, 0, 0}}, {41, {60, 65, 68, 0, 0}},
                          {43, {59, 62, 67, 0, 0}}, {43, {59, 62, 65, 67, 0}}};
  const Patch tuba{.wave = SAW, .attack = 0.025f, .decay = 0.2f, .sustain = 0.6f, .release = 0.08f,
        .cutoff = 300.0f, .env_cutoff = 500.0f, .cutoff_decay = 0.08f, .sub = 0.4f};
  const Patch brass{.wave = SAW, .unison = 3, .detune = 12.0f, .width = 0.7f, .attack = 0.02f,
        .decay = 0.2f, .sustain = 0.6f, .release = 0.08f, .cutoff = 900.0f, .env_cutoff = 1600.0f,
        .cutoff_decay = 0.08f};
  const Patch trumpet{.wave = SAW, .unison = 2, .detune = 6.0f, .width = 0.3f, .attack = 0.035f,
        .decay = 0.2f, .sustain = 0.75f, .release = 0.1f, .cutoff = 1500.0f, .env_cutoff = 2500.0f,
        .cutoff_decay = 0.12f, .vibrato_hz = 5.5f, .vibrato_cents = 15.0f, .vibrato_delay = 0.2f};
  // Sixteenths of the snare: 2 accent, 1 ghost, 0 rest.
  static const int sticking[16] = {2, 0, 1, 1, 2, 0, 1, 0, 2, 0, 1, 1, 2, 1, 2, 0};
  for (int bar = 0; bar < bars; ++bar) {
    const Chord& c = cycle[bar % 8];
    // Oom-pah: bass on one and three, the chord on two and four.
    note(m, at(tempo.at(bar, 0), 0.45f), tempo.beat() * 0.6, (float)c.root, tuba);
    note(m, at(tempo.at(bar, 2), 0.40f), tempo.beat() * 0.6, (float)(c.root - 5), tuba);
    for (double b : {1.0, 3.0})
      for (int k = 0; k < chord_size(c); ++k)
        note(m, at(tempo.at(bar, b), 0.08f, (k - 1) * 0.3f, 0.0f, 0.3f), tempo.beat() * 0.4,
             (float)c.tones[k], brass);
    kick(m, at(tempo.at(bar, 0), 0.75f, 0.0f, 0.0f, 0.2f), 0.8f, 0.6f);
    kick(m, at(tempo.at(bar, 2), 0.6f, 0.0f, 0.0f, 0.2f), 0.8f, 0.6f);
    bool roll = bar % 8 == 7;
    for (int s = 0; s < 16; ++s) {
      if (roll && s >= 8) break;
      if (!sticking[s]) continue;
      float g = sticking[s] == 2 ? 0.32f : 0.12f;
      snare(m, at(tempo.at(bar, s * 0.25), g, 0.15f, 0.0f, 0.25f), 230.0f, 0.7f, (uint32_t)(bar * 16 + s));
    }
    if (roll)  // a crescendo roll in thirty-seconds into the next phrase
      for (int s = 0; s < 16; ++s)
        snare(m, at(tempo.at(bar, 2.0 + s * 0.125), 0.1f + 0.018f * s, 0.15f, 0.0f, 0.25f), 230.0f,
              0.6f, (uint32_t)(bar * 32 + s));
    if (bar % 4 == 0) cymbal(m, at(tempo.at(bar, 0), 0.3f, -0.35f, 0.0f, 0.3f), 0.8f, 0.8f, 31);
    cymbal(m, at(tempo.at(bar, 2), 0.1f, -0.35f), 0.25f, 0.8f, 32);
  }
  const std::vector<std::vector<Tone>> tune = {
      {{0, 0.75f, 67}, {0.75f, 0.25f, 67}, {1, 1, 72}, {2, 0.75f, 72}, {2.75f, 0.25f, 74}, {3, 1, 75}},
      {{0, 1.5f, 77}, {1.5f, 0.5f, 75}, {2, 1, 74}, {3, 1, 72}},
      {{0, 0.75f, 71}, {0.75f, 0.25f, 71}, {1, 1, 74}, {2, 2, 79}},
      {{0, 1, 75}, {1, 1, 74}, {2, 2, 72}},
      {{0, 0.75f, 72}, {0.75f, 0.25f, 72}, {1, 1, 75}, {2, 1.5f, 80}, {3.5f, 0.5f, 79}},
      {{0, 1, 77}, {1, 1, 80}, {2, 1, 77}, {3, 1, 72}},
      {{0, 1.5f, 74}, {1.5f, 0.5f, 71}, {2, 1, 67}, {3, 1, 71}},
      {{0, 2, 74}, {2, 1, 77}, {3, 1, 71}}};
  melody(m, tempo, 8, tune, trumpet, at(0, 0.22f, -0.1f, 0.15f, 0.35f));
  melody(m, tempo, 16, tune, trumpet, at(0, 0.18f, 0.2f, 0.15f, 0.35f));
  melody(m, tempo, 16, tune, trumpet, at(0, 0.09f, -0.3f, 0.15f, 0.35f), -12.0f);
  return master_music(bounce(m, tempo.beat() * 0.5, 0.2f, 0.7f));
}

// ducksBackground: light and bouncy, G major, 128 BPM, 26 bars.
Buffer make_ducks_background() {
  const Tempo tempo{128.0};
  const int bars = 26;
  Mix m = make_mix(bars * tempo.bar(), true);
  const Chord cycle[8] = {{43, {67, 71, 74, 0, 0}}, {40, {64, 67, 71, 0, 0}},
                          {36, {64, 67, 72, 0, 0}}, {38, {66, 69, 74, 0, 0}},
                          {43, {67, 71, 74, 0, 0}}, {40, {64, 67, 71, 0, 0}},
                          {45, {64, 69, 72, 0, 0}}, {38, {66, 69, 72, 74, 0}}};
  const Patch bass{.wave = SQUARE, .attack = 0.003f, .decay = 0.12f, .sustain = 0.3f,
        .release = 0.05f, .cutoff = 500.0f, .env_cutoff = 900.0f, .cutoff_decay = 0.05f,
        .glide = -5.0f, .glide_time = 0.04f, .sub = 0.5f};
  const Patch whistle{.wave = SINE, .attack = 0.02f, .decay = 0.1f, .sustain = 0.8f,
        .release = 0.08f, .vibrato_hz = 6.5f, .vibrato_cents = 30.0f, .vibrato_delay = 0.1f,
        .glide = -2.0f, .glide_time = 0.03f};
  // The bouncing bass on the eighths: root, fifth, octave (-1 rests).
  static const int hop[8] = {0, -1, 7, -1, 12, 7, 0, 7};
  for (int bar = 0; bar < bars; ++bar) {
    const Chord& c = cycle[bar % 8];
    bool breakdown = bar >= 24;
    for (int e = 0; e < 8; ++e)
      if (hop[e] >= 0)
        note(m, at(tempo.at(bar, e * 0.5), 0.38f), tempo.beat() * 0.3, (float)(c.root + hop[e]), bass);
    // Mallets on the off-beats, climbing the chord.
    for (int e = 0; e < 4; ++e)
        mallet(m, at(tempo.at(bar, e + 0.5), 0.14f, e % 2 ? 0.4f : -0.4f, 0.2f, 0.2f),
               (float)c.tones[e % chord_size(c)], 0.25f);
    if (!breakdown) {
      kick(m, at(tempo.at(bar, 0), 0.6f), 0.8f, 0.3f);
      kick(m, at(tempo.at(bar, 2), 0.6f), 0.8f, 0.3f);
      if (bar % 2) kick(m, at(tempo.at(bar, 2.75), 0.4f), 0.8f, 0.25f);
    }
    clap(m, at(tempo.at(bar, 1), 0.3f, -0.1f, 0.0f, 0.3f), (uint32_t)bar);
    clap(m, at(tempo.at(bar, 3), 0.3f, 0.1f, 0.0f, 0.3f), (uint32_t)bar + 40);
    for (int s = 0; s < 16; ++s)
      cymbal(m, at(tempo.at(bar, s * 0.25), s % 2 ? 0.05f : 0.08f, s % 2 ? 0.5f : -0.5f), 0.025f,
             1.3f, (uint32_t)(bar * 16 + s));
  }
  const std::vector<std::vector<Tone>> tune = {
      {{0, 0.5f, 67}, {0.5f, 0.5f, 71}, {1, 0.5f, 74}, {1.5f, 1, 79}, {2.5f, 0.5f, 78}, {3, 0.5f, 76}, {3.5f, 0.5f, 74}},
      {{0, 1, 76}, {1, 0.5f, 71}, {1.5f, 0.5f, 76}, {2, 1, 79}, {3, 1, 76}},
      {{0, 0.5f, 72}, {0.5f, 0.5f, 76}, {1, 0.5f, 79}, {1.5f, 1, 84}, {2.5f, 0.5f, 83}, {3, 1, 81}},
      {{0, 1.5f, 78}, {1.5f, 0.5f, 76}, {2, 0.5f, 74}, {2.5f, 0.5f, 72}, {3, 0.5f, 71}, {3.5f, 0.5f, 69}},
      {{0, 0.5f, 67}, {0.5f, 0.5f, 71}, {1, 0.5f, 74}, {1.5f, 0.5f, 79}, {2, 0.5f, 81}, {2.5f, 0.5f, 79}, {3, 1, 76}},
      {{0, 0.5f, 79}, {0.5f, 0.5f, 78}, {1, 1, 76}, {2, 0.5f, 71}, {2.5f, 0.5f, 74}, {3, 1, 76}},
      {{0, 0.5f, 72}, {0.5f, 0.5f, 76}, {1, 1, 81}, {2, 0.5f, 79}, {2.5f, 0.5f, 76}, {3, 1, 72}},
      {{0, 1, 74}, {1, 0.5f, 78}, {1.5f, 0.5f, 81}, {2, 1, 78}, {3, 1, 74}}};
  melody(m, tempo, 8, tune, whistle, at(0, 0.2f, 0.1f, 0.25f, 0.3f));
  for (size_t b = 0; b < tune.size(); ++b)  // then the mallets take the tune an octave up
    for (const Tone& n : tune[b])
      mallet(m, at(tempo.at(16 + (int)b, n.beat), 0.3f, -0.15f, 0.25f, 0.25f), (float)(n.pitch + 12), 0.3f);
  return master_music(bounce(m, tempo.beat() * 0.75, 0.3f, 0.5f));
}

// craftersBackground: a cave groove in D minor with metallic hits, 94 BPM, 20 bars.
Buffer make_crafters_background() {
  const Tempo tempo{94.0};
  const int bars = 20;
  Mix m = make_mix(bars * tempo.bar(), true);
  const Chord cycle[8] = {{38, {50, 53, 57, 0, 0}}, {38, {50, 53, 57, 60, 0}},
                          {34, {50, 53, 58, 0, 0}}, {36, {48, 52, 55, 0, 0}},
                          {38, {50, 53, 57, 0, 0}}, {38, {50, 53, 57, 60, 0}},
                          {43, {50, 55, 58, 0, 0}}, {33, {49, 52, 57, 0, 0}}};
  const Patch pad{.wave = TRIANGLE, .unison = 3, .detune = 16.0f, .width = 0.9f, .attack = 1.2f,
        .decay = 0.5f, .sustain = 0.8f, .release = 1.8f, .cutoff = 700.0f};
  const Patch sub{.wave = TRIANGLE, .attack = 0.01f, .decay = 0.3f, .sustain = 0.5f,
        .release = 0.1f, .cutoff = 220.0f, .env_cutoff = 300.0f, .cutoff_decay = 0.08f,
        .glide = 2.0f, .glide_time = 0.03f, .sub = 0.6f};
  const Patch flute{.wave = SINE, .attack = 0.08f, .decay = 0.3f, .sustain = 0.7f, .release = 0.3f,
        .vibrato_hz = 4.5f, .vibrato_cents = 20.0f, .vibrato_delay = 0.3f};
  static const Tone groove[6] = {{0, 0.6f, 0}, {0.75f, 0.5f, 0}, {1.5f, 0.5f, 3},
                                 {2.5f, 0.4f, 0}, {3, 0.4f, 5}, {3.5f, 0.4f, -2}};
  Rng rng{2024u};
  for (int bar = 0; bar < bars; ++bar) {
    const Chord& c = cycle[bar % 8];
    pad_chord(m, tempo, bar, c, pad, at(0, 0.12f, 0.0f, 0.0f, 0.6f));
    bool groove_on = bar >= 4;
    if (groove_on) {
      for (const Tone& g : groove)
        note(m, at(tempo.at(bar, g.beat), 0.55f), g.length * tempo.beat(), (float)(c.root + g.pitch), sub);
      for (double b : {0.0, 1.75, 2.5}) kick(m, at(tempo.at(bar, b), 0.7f, 0.0f, 0.0f, 0.15f), 0.9f, 0.5f);
      for (double b : {1.0, 3.0})
        snare(m, at(tempo.at(bar, b), 0.35f, -0.05f, 0.0f, 0.8f), 260.0f, 0.5f, (uint32_t)(bar * 2 + (int)b));
      for (int s = 0; s < 16; ++s)
        cymbal(m, at(tempo.at(bar, s * 0.25), (s % 4 == 2) ? 0.09f : 0.045f, 0.4f), 0.02f, 0.9f,
               (uint32_t)(bar * 16 + s));
    }
    // Pick strikes ringing off the cave walls, tuned to the chord.
    int top = c.tones[0] + 24;
    metal(m, at(tempo.at(bar, 0.5), 0.22f, -0.5f, 0.45f, 0.4f), midi_hz((float)top + 7), 0.25f, 0.8f);
    metal(m, at(tempo.at(bar, 2.75), 0.18f, 0.5f, 0.45f, 0.4f), midi_hz((float)top), 0.25f, 0.8f);
    if (bar % 2 == 1)
      metal(m, at(tempo.at(bar, 3.5), 0.2f, 0.1f, 0.3f, 0.5f), midi_hz((float)c.tones[0] + 12), 0.6f, 1.0f);
    // Drops of water at seeded places.
    int drops = 1 + (int)(rng.next() % 2);
    for (int d = 0; d < drops; ++d)
      drip(m, at(tempo.at(bar, rng.uniform(0.0f, 3.8f)), 0.09f, rng.uniform(-0.8f, 0.8f), 0.3f, 0.9f),
           rng.uniform(900.0f, 1500.0f));
  }
  const std::vector<std::vector<Tone>> tune = {
      {{0, 1.5f, 74}, {1.5f, 0.5f, 77}, {2, 2, 76}},
      {{0, 1, 74}, {1, 1, 72}, {2, 2, 69}},
      {{0, 1.5f, 70}, {1.5f, 0.5f, 72}, {2, 1, 74}, {3, 1, 77}},
      {{0, 3, 76}, {3, 1, 72}},
      {{0, 1.5f, 74}, {1.5f, 0.5f, 77}, {2, 1, 79}, {3, 1, 81}},
      {{0, 2, 77}, {2, 1, 76}, {3, 1, 74}},
      {{0, 1.5f, 70}, {1.5f, 0.5f, 74}, {2, 2, 79}},
      {{0, 2, 76}, {2, 1, 73}, {3, 1, 69}}};
  melody(m, tempo, 8, tune, flute, at(0, 0.28f, 0.1f, 0.4f, 0.6f), -12.0f);
  return master_music(bounce(m, tempo.beat() * 0.75, 0.45f, 0.95f));
}

// ---------------------------------------------------------------- the effects

// Effects' peak levels: loud events near full scale, beeps and clicks well below.
constexpr float EFFECT_PEAK_DB = -3.0f;
constexpr float BEEP_PEAK_DB = -8.0f;
constexpr float CLICK_PEAK_DB = -12.0f;


// bang: a boom with a burst of noise on top.
Buffer make_bang() {
  Mix m = make_mix(1.3, false);
  kick(m, at(0.0, 1.0f), 1.4f, 1.2f);
  Tap out = tap(m, at(0.0, 0.8f, 0.0f, 0.0f, 0.3f));
  Rng rng{41u};
  OnePole lp;
  for (long n = 0, end = samples(0.7); n < end; ++n) {
    float t = (float)n / RATE;
    float cutoff = 300.0f + 4000.0f * std::exp(-t * 20.0f);
    out.put(n, drive(lp.low(rng.noise(), cutoff) * std::exp(-t * 7.0f) * 1.5f, 2.0f));
  }
  Buffer b = bounce(m, 0.1, 0.0f, 0.6f);
  fade_out(b, 0.1);
  return master_effect(std::move(b), EFFECT_PEAK_DB);
}

// timer: three beeps a second apart, matching the countdown's 3, 2, 1.
Buffer make_timer() {
  Mix m = make_mix(3.0, false);
  for (int k = 0; k < 3; ++k) {
    Tap out = tap(m, at(k * 1.0, 1.0f));
    float p1 = 0.0f, p2 = 0.0f;
    for (long n = 0, end = samples(0.35); n < end; ++n) {
      float t = (float)n / RATE;
      p1 += 880.0f / RATE;
      p2 += 1760.0f / RATE;
      float env = std::fmin(1.0f, t / 0.004f) * (t < 0.15f ? 1.0f : std::exp(-(t - 0.15f) * 30.0f));
      out.put(n, (std::sin(TWO_PI * p1) + 0.25f * std::sin(TWO_PI * p2)) * env);
    }
  }
  return master_effect(bounce(m, 0.1, 0.0f, 0.3f), BEEP_PEAK_DB);
}

// hitPowerIncrease: a bright sweep rising for a second.
Buffer make_hit_power_increase() {
  Mix m = make_mix(1.05, false);
  const Patch sweep{.wave = SAW, .unison = 3, .detune = 20.0f, .width = 0.8f, .attack = 0.05f,
        .decay = 0.1f, .sustain = 1.0f, .release = 0.12f, .cutoff = 3500.0f, .damping = 0.5f,
        .glide = -24.0f, .glide_time = 0.93f};
  note(m, at(0.0, 0.5f, 0.0f, 0.0f, 0.2f), 0.9, 81.0f, sweep);
  const Patch shimmer{.wave = SINE, .attack = 0.05f, .decay = 0.1f, .sustain = 1.0f, .release = 0.12f,
        .glide = -24.0f, .glide_time = 0.93f};
  note(m, at(0.0, 0.3f, 0.0f, 0.0f, 0.2f), 0.9, 93.0f, shimmer);
  Buffer b = bounce(m, 0.1, 0.0f, 0.4f);
  fade_out(b, 0.05);
  return master_effect(std::move(b), EFFECT_PEAK_DB);
}

// monstersJeep: an engine that idles, revs hard and drops back.
Buffer make_monsters_jeep() {
  Mix m = make_mix(1.6, false);
  Tap out = tap(m, at(0.0, 1.0f));
  Rng rng{77u};
  OnePole body, air;
  float phase = 0.0f;
  long end = samples(1.6);
  for (long n = 0; n < end; ++n) {
    float t = (float)n / RATE;
    // firing rate: idle 28 Hz, up to 95 Hz by 0.6 s, back to 35 Hz
    float rev = t < 0.15f ? 0.0f : (t < 0.6f ? (t - 0.15f) / 0.45f : std::exp(-(t - 0.6f) * 2.5f));
    float rate = 28.0f + 67.0f * std::sqrt(rev);
    phase += rate / RATE;
    if (phase >= 1.0f) phase -= 1.0f;
    float pulse = std::exp(-phase * 9.0f) * (1.0f + 0.3f * rng.noise());
    float s = body.low(pulse, 350.0f + 900.0f * rev) * 2.0f + air.low(rng.noise(), 1500.0f) * 0.15f * rev;
    float env = std::fmin(1.0f, t / 0.03f) * std::fmin(1.0f, (1.6f - t) / 0.25f);
    s = drive(s, 2.5f) * env;
    out.put(n, s, drive(s * 0.95f, 1.1f));
  }
  return master_effect(bounce(m, 0.1, 0.0f, 0.3f), EFFECT_PEAK_DB);
}

// tanksFight: a cannon shot: a crack, a deep boom and a rolling rumble.
Buffer make_tanks_fight() {
  Mix m = make_mix(1.8, false);
  kick(m, at(0.0, 1.0f, 0.0f, 0.0f, 0.3f), 1.0f, 1.0f);
  Tap out = tap(m, at(0.0, 1.0f, 0.0f, 0.0f, 0.5f));
  Rng rng{91u};
  OnePole crack_lp, rumble;
  for (long n = 0, end = samples(1.7); n < end; ++n) {
    float t = (float)n / RATE;
    float x = rng.noise();
    float crack = (x - crack_lp.low(x, 1200.0f)) * std::exp(-t * 60.0f) * 1.2f;
    float roll = rumble.low(x, 180.0f) * 4.0f * std::exp(-t * 2.6f) * std::fmin(1.0f, t / 0.02f);
    out.put(n, drive(crack + roll, 1.8f));
  }
  Buffer b = bounce(m, 0.1, 0.0f, 0.85f);
  fade_out(b, 0.15);
  return master_effect(std::move(b), EFFECT_PEAK_DB);
}

// tanksDestroyLog: wood splintering, a final snap and the log's thud.
Buffer make_tanks_destroy_log() {
  Mix m = make_mix(1.25, false);
  Rng rng{123u};
  // Crackles come ever closer together, then the snap at 0.55 s.
  double t = 0.0;
  while (t < 0.55) {
    float x = (float)(t / 0.55);
    Tap out = tap(m, at(t, 0.25f + 0.5f * x, rng.uniform(-0.5f, 0.5f), 0.0f, 0.2f));
    Svf body;
    float f = rng.uniform(700.0f, 2600.0f);
    for (long n = 0, end = samples(0.03); n < end; ++n) {
      float s = rng.noise() * std::exp(-(float)n / RATE * 300.0f);
      body.run(s, f, 0.25f);
      out.put(n, body.band);
    }
    t += rng.uniform(0.015f, 0.09f) * (1.0f - 0.6f * x);
  }
  Tap snap = tap(m, at(0.55, 1.0f, 0.0f, 0.0f, 0.3f));
  Svf s1, s2;
  for (long n = 0, end = samples(0.25); n < end; ++n) {
    float tt = (float)n / RATE;
    float x = rng.noise() * std::exp(-tt * 35.0f);
    s1.run(x, 520.0f, 0.2f);
    s2.run(x, 1400.0f, 0.3f);
    snap.put(n, s1.band * 1.2f + s2.band + x * 0.4f);
  }
  kick(m, at(0.85, 0.6f, 0.0f, 0.0f, 0.3f), 0.5f, 0.35f);
  Buffer b = bounce(m, 0.1, 0.0f, 0.5f);
  fade_out(b, 0.08);
  return master_effect(std::move(b), EFFECT_PEAK_DB);
}

// ducksQuack: a nasal buzz through two formants, falling in pitch.
Buffer make_ducks_quack() {
  Mix m = make_mix(0.4, false);
  Tap out = tap(m, at(0.0, 1.0f));
  Svf f1, f2;
  float phase = 0.0f;
  for (long n = 0, end = samples(0.38); n < end; ++n) {
    float t = (float)n / RATE;
    float pitch = 420.0f - 160.0f * std::fmin(1.0f, t / 0.3f);
    phase += pitch / RATE;
    if (phase >= 1.0f) phase -= 1.0f;
    float buzz = oscillator(SAW, phase, pitch / RATE) + 0.6f * (phase < 0.3f ? 1.0f : -0.4f);
    float open = t < 0.05f ? t / 0.05f : 1.0f;  // the bill opening moves the formants up
    f1.run(buzz, 700.0f + 500.0f * open, 0.35f);
    f2.run(buzz, 1600.0f + 900.0f * open, 0.3f);
    float env = std::fmin(1.0f, t / 0.015f) * (t < 0.2f ? 1.0f : std::exp(-(t - 0.2f) * 20.0f));
    out.put(n, drive((f1.band + 0.8f * f2.band) * env, 1.5f));
  }
  return master_effect(bounce(m, 0.1, 0.0f, 0.2f), EFFECT_PEAK_DB);
}

// craft: a pickaxe striking rock: a clink, the crunch and a few falling chips.
Buffer make_craft() {
  Mix m = make_mix(0.7, false);
  metal(m, at(0.0, 0.7f, 0.1f, 0.0f, 0.25f), 1850.0f, 0.12f, 1.2f);
  Tap out = tap(m, at(0.0, 0.9f));
  Rng rng{321u};
  Svf crunch;
  for (long n = 0, end = samples(0.12); n < end; ++n) {
    crunch.run(rng.noise(), 1200.0f, 0.8f);
    out.put(n, crunch.band * std::exp(-(float)n / RATE * 40.0f));
  }
  for (int k = 0; k < 6; ++k) {
    double t = 0.06 + k * 0.05 + rng.uniform(0.0f, 0.03f);
    Tap chip = tap(m, at(t, 0.25f * (1.0f - k * 0.12f), rng.uniform(-0.6f, 0.6f)));
    Svf ring;
    float f = rng.uniform(2500.0f, 5000.0f);
    for (long n = 0, end = samples(0.02); n < end; ++n) {
      ring.run(rng.noise() * std::exp(-(float)n / RATE * 400.0f), f, 0.2f);
      chip.put(n, ring.band);
    }
  }
  Buffer b = bounce(m, 0.1, 0.0f, 0.3f);
  fade_out(b, 0.05);
  return master_effect(std::move(b), EFFECT_PEAK_DB);
}

// A soft click: a few milliseconds of ringing at one pitch.
Buffer make_click(float freq, float ring) {
  Mix m = make_mix(0.06, false);
  Tap out = tap(m, at(0.0, 1.0f));
  Rng rng{(uint32_t)freq};
  Svf body;
  for (long n = 0, end = samples(0.05); n < end; ++n) {
    float t = (float)n / RATE;
    body.run(rng.noise() * std::exp(-t * 2000.0f), freq, 0.15f);
    out.put(n, body.band * std::exp(-t / ring));
  }
  Buffer b = bounce(m, 0.1, 0.0f, 0.0f);
  fade_out(b, 0.01);
  return master_effect(std::move(b), CLICK_PEAK_DB);
}

Buffer make_click1() { return make_click(1500.0f, 0.006f); }
Buffer make_click2() { return make_click(2600.0f, 0.004f); }

// ---------------------------------------------------------------- files

bool write_wav(const std::string& path, const Buffer& b) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return false;
  uint32_t data_bytes = (uint32_t)b.frames * 4;
  auto u32 = [&](uint32_t v) { fwrite(&v, 4, 1, f); };
  auto u16 = [&](uint16_t v) { fwrite(&v, 2, 1, f); };
  fwrite("RIFF", 1, 4, f);
  u32(36 + data_bytes);
  fwrite("WAVEfmt ", 1, 8, f);
  u32(16);
  u16(1);  // PCM
  u16(2);
  u32(RATE);
  u32(RATE * 4);
  u16(4);
  u16(16);
  fwrite("data", 1, 4, f);
  u32(data_bytes);
  std::vector<int16_t> pcm((size_t)b.frames * 2);
  for (long i = 0; i < b.frames; ++i) {
    pcm[2 * i] = (int16_t)std::lround(std::fmax(-1.0f, std::fmin(1.0f, b.l[i])) * 32767.0f);
    pcm[2 * i + 1] = (int16_t)std::lround(std::fmax(-1.0f, std::fmin(1.0f, b.r[i])) * 32767.0f);
  }
  fwrite(pcm.data(), 2, pcm.size(), f);
  return fclose(f) == 0;
}

// The file's name without folder and extension: "sound/mp3/appIntro.mp3" -> "appIntro".
std::string stem(const char* path) {
  std::string s = path;
  size_t slash = s.rfind('/'), dot = s.rfind('.');
  return s.substr(slash + 1, dot - slash - 1);
}

struct Piece {
  const char* path;
  Buffer (*make)();
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: hxm-synth RUN_DIR MUSIC_WAV_DIR [-v]\n");
    return 2;
  }
  std::string run_dir = argv[1], music_dir = argv[2];
  bool verbose = argc > 3 && strcmp(argv[3], "-v") == 0;
  // One generator per slot of the sound bank, bound by the slot's field name.
#define HXM_PIECE(field, path) {path, make_##field},
  const Piece music[] = {HXM_MUSIC_SLOTS(HXM_PIECE)};
  const Piece effects[] = {HXM_EFFECT_SLOTS(HXM_PIECE)};
#undef HXM_PIECE
  int failures = 0;
  auto save = [&](const std::string& path, const Buffer& b) {
    if (!write_wav(path, b)) {
      fprintf(stderr, "hxm-synth: cannot write %s\n", path.c_str());
      ++failures;
    }
    if (verbose) {
      Level v = measure(b);
      printf("%-24s %6.2f s  peak %6.2f dBFS  rms %6.2f dBFS\n", stem(path.c_str()).c_str(),
             (double)b.frames / RATE, db(v.peak), db(v.rms));
    }
  };
  for (const Piece& p : music) save(music_dir + "/" + stem(p.path) + ".wav", p.make());
  for (const Piece& p : effects) save(run_dir + "/" + p.path, p.make());
  return failures ? 1 : 0;
}
