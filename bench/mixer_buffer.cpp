// The mixer's buffer: for each size, the busiest game's sound (the tanks' march, with a cannon
// shot, a log cracking and a bang overlapping all the time) mixed for a while on SDL's dummy
// driver, which asks for the next buffer one period after the last was filled. How late each
// buffer was filled beyond that period (the mixing work plus the audio thread's wake-up) tells
// whether a real device would have run dry: a buffer later than its own length is an underrun.
#include <SDL.h>
#include <SDL_mixer.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "assets/sound_bank.h"

namespace {

constexpr uint32_t SECONDS = 20;

double now_ms() {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (double)t.tv_sec * 1e3 + (double)t.tv_nsec / 1e6;
}

std::vector<double> filled;  // when each buffer was mixed
void note_buffer(void*, Uint8*, int) { filled.push_back(now_ms()); }

double percentile(std::vector<double> v, double q) {
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, (size_t)(q * (double)(v.size() - 1) + 0.5))];
}

}  // namespace

int main() {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  if (SDL_Init(SDL_INIT_AUDIO) != 0) return 1;
  const std::string dir = std::string(HXM_RUN_DIR) + "/";
  printf("busiest game's sound, %u s per size (late = filled after its period; underrun when "
         "late > period)\n", SECONDS);
  for (int samples : {256, 512, 1024, 2048}) {
    if (Mix_OpenAudio(MIXER_RATE, AUDIO_S16LSB, 2, samples) != 0) return 1;
    Mix_AllocateChannels(16);
    Mix_Music* music = Mix_LoadMUS((dir + "sound/mp3/tanksBackground.mp3").c_str());
    Mix_Chunk* effects[] = {Mix_LoadWAV((dir + "sound/wav/tanksFight.wav").c_str()),
                            Mix_LoadWAV((dir + "sound/wav/tanksDestroyLog.wav").c_str()),
                            Mix_LoadWAV((dir + "sound/wav/bang.wav").c_str())};
    filled.clear();
    filled.reserve(SECONDS * MIXER_RATE / samples + 100);
    Mix_SetPostMix(note_buffer, nullptr);
    Mix_PlayMusic(music, -1);
    const double period = 1000.0 * samples / (double)MIXER_RATE;
    for (uint32_t tick = 0; tick < SECONDS * 10; ++tick) {  // a shot every 100 ms
      Mix_PlayChannel(-1, effects[tick % 3], 0);
      SDL_Delay(100);
    }
    Mix_SetPostMix(nullptr, nullptr);
    Mix_HaltMusic();
    Mix_HaltChannel(-1);
    std::vector<double> late;
    for (size_t i = 1; i < filled.size(); ++i) late.push_back(filled[i] - filled[i - 1] - period);
    int32_t underruns = 0;
    for (double l : late) underruns += l > period;
    printf("  %4d samples (%5.1f ms): late median %5.2f ms, p99 %5.2f, max %5.2f; %d underruns "
           "in %zu buffers\n",
           samples, period, percentile(late, 0.5), percentile(late, 0.99), percentile(late, 1.0),
           underruns, late.size());
    for (Mix_Chunk* c : effects) Mix_FreeChunk(c);
    Mix_FreeMusic(music);
    Mix_CloseAudio();
  }
  SDL_Quit();
  return 0;
}
