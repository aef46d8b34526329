// The sound card. The game's mixer (effects and music) fills float stereo frames inside SDL's own
// audio thread; the game thread takes the device lock around every change of the mixer's state.
#include <algorithm>

#include "platform/sdl/sdl_platform.h"

namespace vartenos {

SdlAudio::~SdlAudio() { Close(); }

bool SdlAudio::Open(int rate, int frames, AudioCallback callback, void* user, int& got_rate,
                    std::string& error) {
  Close();
  // SDL picks the driver, or the one named in SDL_AUDIODRIVER ("disk" writes to a file, "dummy"
  // discards): both count as a device here.
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    error = SDL_GetError();
    return false;
  }
  subsystem_ = true;
  callback_ = callback;
  user_ = user;
  max_frames_ = std::clamp(frames, 1, 1024);

  SDL_AudioSpec want{};
  want.freq = rate;
  want.format = AUDIO_F32SYS;
  want.channels = 2;
  want.samples = static_cast<Uint16>(max_frames_);
  want.callback = &SdlAudio::Preencher;
  want.userdata = this;
  SDL_AudioSpec got{};
  device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &got, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
  if (device_ == 0) {
    error = SDL_GetError();
    if (error.empty()) error = "no audio device";
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    subsystem_ = false;
    return false;
  }
  got_rate = got.freq;
  SDL_PauseAudioDevice(device_, 0);
  return true;
}

void SDLCALL SdlAudio::Preencher(void* self, Uint8* stream, int len) {
  auto* audio = static_cast<SdlAudio*>(self);
  auto* out = reinterpret_cast<float*>(stream);
  int remaining = len / static_cast<int>(2 * sizeof(float));
  // The mixer never gets more frames in one call than it asked for when it opened the device.
  while (remaining > 0) {
    const int n = std::min(remaining, audio->max_frames_);
    audio->callback_(audio->user_, out, n);
    out += 2 * n;
    remaining -= n;
  }
}

void SdlAudio::Lock() {
  if (device_ != 0) SDL_LockAudioDevice(device_);
}

void SdlAudio::Unlock() {
  if (device_ != 0) SDL_UnlockAudioDevice(device_);
}

void SdlAudio::Close() {
  if (device_ != 0) {
    SDL_CloseAudioDevice(device_);
    device_ = 0;
  }
  if (subsystem_) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    subsystem_ = false;
  }
}

}  // namespace vartenos
