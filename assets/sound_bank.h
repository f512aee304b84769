// Every piece of music and every effect, loaded once at start from files beside the program.
#pragma once

#include <SDL_mixer.h>
#include <cstdint>

// The sixteen slots in their fixed order: field, file (relative to the data directory).
#define HXM_MUSIC_SLOTS(X)                                        \
  X(app_background, "sound/mp3/appBackground.mp3")                \
  X(app_intro, "sound/mp3/appIntro.mp3")                          \
  X(crafters_background, "sound/mp3/craftersBackground.mp3")      \
  X(ducks_background, "sound/mp3/ducksBackground.mp3")            \
  X(monsters_background, "sound/mp3/monstersBackground.mp3")      \
  X(tanks_background, "sound/mp3/tanksBackground.mp3")
#define HXM_EFFECT_SLOTS(X)                                       \
  X(bang, "sound/wav/bang.wav")                                   \
  X(click1, "sound/wav/click1.wav")                               \
  X(click2, "sound/wav/click2.wav")                               \
  X(craft, "sound/wav/craft.wav")                                 \
  X(ducks_quack, "sound/wav/ducksQuack.wav")                      \
  X(hit_power_increase, "sound/wav/hitPowerIncrease.wav")         \
  X(monsters_jeep, "sound/wav/monstersJeep.wav")                  \
  X(tanks_destroy_log, "sound/wav/tanksDestroyLog.wav")           \
  X(tanks_fight, "sound/wav/tanksFight.wav")                      \
  X(timer, "sound/wav/timer.wav")

struct SoundBank {
  int32_t ready = 0;  // 1 once the audio device opened (the loads were then all attempted)
#define HXM_MUSIC_FIELD(field, path) Mix_Music* field = nullptr;
#define HXM_EFFECT_FIELD(field, path) Mix_Chunk* field = nullptr;
  HXM_MUSIC_SLOTS(HXM_MUSIC_FIELD)
  HXM_EFFECT_SLOTS(HXM_EFFECT_FIELD)
#undef HXM_MUSIC_FIELD
#undef HXM_EFFECT_FIELD
};

enum : int { SOUND_SLOT_COUNT = 16 };
extern const char* const sound_slot_paths[SOUND_SLOT_COUNT];

// The mixer's output: 1024 samples a buffer, 23 ms, so a bang starts within 23 ms of the frame
// that asks for it. Mixing a buffer of the busiest game takes well under a millisecond; on a
// busy machine the audio thread wakes up late now and then whatever the size, and below 1024
// that ran a buffer dry several times as often (bench/mixer_buffer).
enum : int { MIXER_RATE = 44100, MIXER_BUFFER_SAMPLES = 1024 };

// Music volumes on the mixer's 0-128 scale.
enum : int { INTRO_MUSIC_VOLUME = 100, BACKGROUND_MUSIC_VOLUME = 108 };

// Reads the files under data_dir: "" for the working directory, else a path ending in '/'.
void load_sound_bank(SoundBank& bank, const char* data_dir = "");
// Once on the first free channel; a missing effect is skipped.
void play_effect(Mix_Chunk* effect);
// loops: 0 once, -1 forever; a missing music is skipped.
void play_music(Mix_Music* music, int loops);
// Skipped when the audio device did not open.
void set_music_volume(const SoundBank& bank, int volume);
void stop_all_sounds();
// Frees every loaded slot in slot order and leaves it null; safe to call twice.
void free_sound_bank(SoundBank& bank);
