// The sound bank: loading, missing files, no audio device, the background music's start,
// and the generated music and effects themselves.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/program.h"
#include "assets/sound_bank.h"
#include "tests/support.h"

namespace {

// Every handle of the bank in slot order.
std::array<const void*, SOUND_SLOT_COUNT> slots(const SoundBank& bank) {
#define HXM_SLOT_HANDLE(field, path) (const void*)bank.field,
  return {HXM_MUSIC_SLOTS(HXM_SLOT_HANDLE) HXM_EFFECT_SLOTS(HXM_SLOT_HANDLE)};
#undef HXM_SLOT_HANDLE
}

int slot_index(const char* path) {
  for (int i = 0; i < SOUND_SLOT_COUNT; ++i)
    if (std::string(sound_slot_paths[i]) == path) return i;
  return -1;
}

// The program's paths are relative: each test runs in a chosen directory and goes back after.
struct InDirectory {
  std::string before;
  explicit InDirectory(const std::string& dir) : before(std::filesystem::current_path().string()) {
    EXPECT_EQ(chdir(dir.c_str()), 0) << dir;
  }
  ~InDirectory() { EXPECT_EQ(chdir(before.c_str()), 0); }
};

// The program never closes the audio device; a test that needs a fresh one closes every
// opening the mixer still counts, and SDL with it.
void close_audio() {
  while (Mix_QuerySpec(nullptr, nullptr, nullptr)) Mix_CloseAudio();
  SDL_Quit();
}

bool start_mixer() {
  close_audio();
  return start_sdl_dummy() && Mix_OpenAudio(44100, AUDIO_S16LSB, 2, 2048) == 0;
}

}  // namespace

TEST(SoundBank, LoadsEverySlotFromTheRunDirectoryAndFreesTwiceSafely) {
  close_audio();
  ASSERT_TRUE(start_sdl_dummy());
  ScratchRunDir scratch;
  InDirectory run(scratch.path);
  SoundBank bank;
  load_sound_bank(bank);
  EXPECT_EQ(bank.ready, 1);
  auto loaded = slots(bank);
  for (int i = 0; i < SOUND_SLOT_COUNT; ++i) EXPECT_NE(loaded[i], nullptr) << sound_slot_paths[i];

  stop_all_sounds();
  free_sound_bank(bank);
  for (const void* h : slots(bank)) EXPECT_EQ(h, nullptr);
  free_sound_bank(bank);  // freed slots are null: a second free touches nothing
  for (const void* h : slots(bank)) EXPECT_EQ(h, nullptr);
  close_audio();
}

TEST(SoundBank, AMissingFileSilencesOnlyItsSlot) {
  close_audio();
  ASSERT_TRUE(start_sdl_dummy());
  std::string dir = make_temp_dir();
  ASSERT_FALSE(dir.empty());
  std::filesystem::copy(std::string(HXM_RUN_DIR) + "/sound", dir + "/sound",
                        std::filesystem::copy_options::recursive);
  ASSERT_TRUE(std::filesystem::remove(dir + "/sound/wav/timer.wav"));
  {
    InDirectory in(dir);
    SoundBank bank;
    load_sound_bank(bank);
    EXPECT_EQ(bank.ready, 1);
    auto loaded = slots(bank);
    int timer = slot_index("sound/wav/timer.wav");
    ASSERT_GE(timer, 0);
    for (int i = 0; i < SOUND_SLOT_COUNT; ++i)
      EXPECT_EQ(loaded[i] != nullptr, i != timer) << sound_slot_paths[i];

    play_effect(bank.timer);
    EXPECT_EQ(Mix_Playing(-1), 0) << "the missing effect must not play";
    play_effect(bank.bang);
    EXPECT_EQ(Mix_Playing(-1), 1) << "the others still play";
    stop_all_sounds();
    free_sound_bank(bank);
  }
  remove_tree(dir);
  close_audio();
}

// A whole program in the run directory on the dummy drivers, driven by a fake clock.
class Music : public ::testing::Test {
 protected:
  void SetUp() override {
    close_audio();
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_EQ(start_up(program), 0);
    seams = fake_ticks_seams(ticks);
  }
  void TearDown() override {
    shut_down(program);
    close_audio();
  }
  // Runs frames until the condition holds or the virtual clock passes the limit.
  template <typename Until>
  void run_until(Until until, float seconds) {
    uint32_t end = ticks.now + (uint32_t)(seconds * 1000.0f);
    while (!until() && ticks.now < end) run_frame(program, seams);
  }
  ScratchRunDir scratch;
  InDirectory run{scratch.path};
  Program program;
  FakeTicks ticks;
  LoopSeams seams;
};

constexpr double INTRO_LENGTH = 4.0;       // seconds, as generated
constexpr double BACKGROUND_LENGTH = 64.0;

TEST_F(Music, BackgroundStartsInTheFirstFrameAfterTenSecondsAndOnlyOnce) {
  ASSERT_EQ(program.sounds.ready, 1);
  EXPECT_EQ(Mix_VolumeMusic(-1), INTRO_MUSIC_VOLUME);
  EXPECT_EQ(Mix_PlayingMusic(), 1);
  EXPECT_NEAR(Mix_MusicDuration(nullptr), INTRO_LENGTH, 0.05) << "the intro plays first";

  float clock_before = 0.0f;
  run_until([&] {
    if (program.app.music_started) return true;
    clock_before = program.app.music_clock;
    return false;
  }, 12.0f);
  ASSERT_EQ(program.app.music_started, 1);
  EXPECT_LE(clock_before, BACKGROUND_MUSIC_AFTER) << "not started a frame too late";
  EXPECT_GT(program.app.music_clock, BACKGROUND_MUSIC_AFTER);
  EXPECT_EQ(Mix_VolumeMusic(-1), BACKGROUND_MUSIC_VOLUME);
  EXPECT_EQ(Mix_PlayingMusic(), 1);
  EXPECT_NEAR(Mix_MusicDuration(nullptr), BACKGROUND_LENGTH, 0.05);

  // Never again: a halted music stays halted and the volume is left alone.
  Mix_HaltMusic();
  Mix_VolumeMusic(50);
  float clock = program.app.music_clock;
  run_until([] { return false; }, 5.0f);
  EXPECT_EQ(Mix_PlayingMusic(), 0);
  EXPECT_EQ(Mix_VolumeMusic(-1), 50);
  EXPECT_EQ(program.app.music_clock, clock) << "the clock stops once the music started";
}

// The games set music_started every frame; their screens are not bound yet, so the test does
// what their frame does, after the loop's music step.
void game_takes_the_music(Program& p, void*) {
  if (p.app.screen >= SCREEN_MONSTER_TRUCKS) p.app.music_started = 1;
}

TEST_F(Music, AGameEnteredBeforeTenSecondsKeepsTheLoopFromStartingIt) {
  seams.before_present = game_takes_the_music;
  run_until([] { return false; }, 5.0f);
  EXPECT_EQ(program.app.music_started, 0);
  program.app.screen = SCREEN_MONSTER_TRUCKS;
  run_until([] { return false; }, 10.0f);
  EXPECT_EQ(program.app.music_started, 1);
  EXPECT_LT(program.app.music_clock, 5.1f) << "the clock stopped when the game took over";
  // The game's own theme plays at its own volume; the application's loop never started.
  EXPECT_EQ(Mix_VolumeMusic(-1), game_for_screen(SCREEN_MONSTER_TRUCKS)->music_volume);
  if (Mix_PlayingMusic()) {
    EXPECT_NEAR(Mix_MusicDuration(nullptr), Mix_MusicDuration(program.sounds.monsters_background), 0.05);
    EXPECT_GT(Mix_MusicDuration(nullptr), INTRO_LENGTH + 10.0);
  }
}

// An unknown driver name makes SDL_Init itself fail (a start-up error); a device that cannot
// open is the disk driver writing into a folder that does not exist.
TEST(SoundBank, WithoutAnAudioDeviceNothingLoadsAndNoVolumeIsSet) {
  close_audio();
  SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", "/nonexistent-hxm-dir/audio.raw", 1);
  Mix_VolumeMusic(MIX_MAX_VOLUME);
  {
    ScratchRunDir scratch;
  InDirectory run(scratch.path);
    Program program;
    ASSERT_EQ(start_up(program), 0);
    EXPECT_EQ(program.sounds.ready, 0);
    for (const void* h : slots(program.sounds)) EXPECT_EQ(h, nullptr);
    FakeTicks ticks;
    LoopSeams seams = fake_ticks_seams(ticks);
    while (ticks.now < 12000) run_frame(program, seams);
    EXPECT_EQ(program.app.music_started, 1) << "the loop still marks the music as started";
    EXPECT_EQ(Mix_VolumeMusic(-1), MIX_MAX_VOLUME) << "no volume call reached the mixer";
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    shut_down(program);
  }
  unsetenv("SDL_DISKAUDIOFILE");
  setenv("SDL_AUDIODRIVER", "dummy", 1);
}

// ---------------------------------------------------------------- the generated files

namespace {

struct Expected {
  const char* path;
  double min_seconds, max_seconds;
  bool loops;
};

const Expected expected_sounds[] = {
    {"sound/mp3/appBackground.mp3", 60.0, 90.0, true},
    {"sound/mp3/appIntro.mp3", 3.5, 4.5, false},
    {"sound/mp3/craftersBackground.mp3", 45.0, 75.0, true},
    {"sound/mp3/ducksBackground.mp3", 45.0, 75.0, true},
    {"sound/mp3/monstersBackground.mp3", 45.0, 75.0, true},
    {"sound/mp3/tanksBackground.mp3", 45.0, 75.0, true},
    {"sound/wav/bang.wav", 0.3, 2.5, false},
    {"sound/wav/click1.wav", 0.01, 0.2, false},
    {"sound/wav/click2.wav", 0.01, 0.2, false},
    {"sound/wav/craft.wav", 0.2, 1.5, false},
    {"sound/wav/ducksQuack.wav", 0.15, 1.0, false},
    {"sound/wav/hitPowerIncrease.wav", 0.8, 1.3, false},
    {"sound/wav/monstersJeep.wav", 0.5, 2.5, false},
    {"sound/wav/tanksDestroyLog.wav", 0.4, 2.5, false},
    {"sound/wav/tanksFight.wav", 0.5, 2.5, false},
    {"sound/wav/timer.wav", 2.9, 3.3, false},
};

double to_db(double x) { return 20.0 * std::log10(std::max(x, 1e-9)); }

struct Decoded {
  std::vector<int16_t> samples;  // interleaved stereo at 44.1 kHz
  long frames() const { return (long)samples.size() / 2; }
  double seconds() const { return frames() / 44100.0; }
};

// Decoded through the mixer, as the program plays it (the mixer decodes MP3 chunks too).
Decoded decode(const char* path) {
  Decoded d;
  Mix_Chunk* chunk = Mix_LoadWAV(path);
  if (!chunk) return d;
  const int16_t* s = (const int16_t*)chunk->abuf;
  d.samples.assign(s, s + chunk->alen / 2);
  Mix_FreeChunk(chunk);
  return d;
}

}  // namespace

TEST(GeneratedSounds, DecodeWithTheirLengthsLevelsAndSeamlessLoops) {
  ASSERT_EQ(sizeof(expected_sounds) / sizeof(expected_sounds[0]), (size_t)SOUND_SLOT_COUNT);
  ASSERT_TRUE(start_mixer());
  int frequency = 0, channels = 0;
  Uint16 format = 0;
  ASSERT_TRUE(Mix_QuerySpec(&frequency, &format, &channels));
  ASSERT_EQ(frequency, 44100);
  ASSERT_EQ(format, AUDIO_S16LSB);
  ASSERT_EQ(channels, 2);
  ScratchRunDir scratch;
  InDirectory run(scratch.path);
  double loudest_music = -100.0, quietest_music = 0.0;
  for (const Expected& e : expected_sounds) {
    SCOPED_TRACE(e.path);
    ASSERT_GE(slot_index(e.path), 0) << "not a slot of the sound bank";
    Decoded d = decode(e.path);
    ASSERT_GT(d.frames(), 0) << Mix_GetError();
    EXPECT_GE(d.seconds(), e.min_seconds);
    EXPECT_LE(d.seconds(), e.max_seconds);

    int peak = 0;
    double sum = 0.0;
    for (int16_t s : d.samples) {
      peak = std::max(peak, std::abs((int)s));
      sum += (double)s * s;
    }
    double peak_db = to_db(peak / 32768.0);
    double rms_db = to_db(std::sqrt(sum / d.samples.size()) / 32768.0);
    EXPECT_LE(peak_db, -1.0) << "peaks stay at -1 dBFS or below";
    EXPECT_GT(peak_db, -15.0) << "not silent";
    if (std::string(e.path).find("/mp3/") != std::string::npos) {  // levelled to one loudness
      EXPECT_NEAR(rms_db, -18.0, 2.0);
      loudest_music = std::max(loudest_music, rms_db);
      quietest_music = std::min(quietest_music, rms_db);
    } else {
      EXPECT_LT(rms_db, -12.0) << "no effect much louder than the music";
    }
    if (!e.loops) continue;
    // Both ends carry sound: the encoder's delay and padding were trimmed on decoding.
    const long window = 256;  // well inside the encoder's delay of 576 frames
    for (long from : {0L, d.frames() - window}) {
      double end_sum = 0.0;
      for (long i = 2 * from; i < 2 * (from + window); ++i) end_sum += (double)d.samples[i] * d.samples[i];
      EXPECT_GT(to_db(std::sqrt(end_sum / (2 * window)) / 32768.0), -60.0) << "silence at frame " << from;
    }
    // The jump from the last frame back to the first is no bigger than the music's own
    // steepest steps: no click at the seam.
    std::vector<int> steps;
    steps.reserve(d.frames());
    for (long i = 1; i < d.frames(); ++i)
      for (int c = 0; c < 2; ++c)
        steps.push_back(std::abs(d.samples[2 * i + c] - d.samples[2 * (i - 1) + c]));
    std::nth_element(steps.begin(), steps.begin() + steps.size() * 999 / 1000, steps.end());
    int steep = steps[steps.size() * 999 / 1000];
    for (int c = 0; c < 2; ++c) {
      int seam = std::abs(d.samples[c] - d.samples[2 * (d.frames() - 1) + c]);
      EXPECT_LE(seam, steep) << "channel " << c;
    }
  }
  EXPECT_LT(loudest_music - quietest_music, 2.0) << "the pieces are levelled against each other";
  close_audio();
}
