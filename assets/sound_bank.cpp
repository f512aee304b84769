#include "assets/sound_bank.h"

#include <string>

const char* const sound_slot_paths[SOUND_SLOT_COUNT] = {
#define HXM_SLOT_PATH(field, path) path,
    HXM_MUSIC_SLOTS(HXM_SLOT_PATH) HXM_EFFECT_SLOTS(HXM_SLOT_PATH)
#undef HXM_SLOT_PATH
};

void load_sound_bank(SoundBank& bank, const char* data_dir) {
  bank = SoundBank{};
  if (Mix_OpenAudio(MIXER_RATE, AUDIO_S16LSB, 2, MIXER_BUFFER_SAMPLES) < 0) return;
  std::string dir = data_dir;
#define HXM_LOAD_MUSIC(field, path) bank.field = Mix_LoadMUS((dir + path).c_str());
#define HXM_LOAD_EFFECT(field, path) bank.field = Mix_LoadWAV((dir + path).c_str());
  HXM_MUSIC_SLOTS(HXM_LOAD_MUSIC)
  HXM_EFFECT_SLOTS(HXM_LOAD_EFFECT)
#undef HXM_LOAD_MUSIC
#undef HXM_LOAD_EFFECT
  bank.ready = 1;
}

void play_effect(Mix_Chunk* effect) {
  if (effect) Mix_PlayChannel(-1, effect, 0);
}

void play_music(Mix_Music* music, int loops) {
  if (music) Mix_PlayMusic(music, loops);
}

void set_music_volume(const SoundBank& bank, int volume) {
  if (bank.ready == 1) Mix_VolumeMusic(volume);
}

void stop_all_sounds() {
  // Without an open device the mixer has no channels to halt.
  if (!Mix_QuerySpec(nullptr, nullptr, nullptr)) return;
  Mix_HaltMusic();
  Mix_HaltGroup(-1);
}

void free_sound_bank(SoundBank& bank) {
#define HXM_FREE_MUSIC(field, path) \
  if (bank.field) Mix_FreeMusic(bank.field); \
  bank.field = nullptr;
#define HXM_FREE_EFFECT(field, path) \
  if (bank.field) Mix_FreeChunk(bank.field); \
  bank.field = nullptr;
  HXM_MUSIC_SLOTS(HXM_FREE_MUSIC)
  HXM_EFFECT_SLOTS(HXM_FREE_EFFECT)
#undef HXM_FREE_MUSIC
#undef HXM_FREE_EFFECT
}
