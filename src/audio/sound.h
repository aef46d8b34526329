// The sound-effect device `ds` and its eight effect slots. (First outline; the audio work fills it in.)
#pragma once

#include <cstdint>

namespace vartenos {

struct WAVEFORMATEX {
  int16_t nFormatTag = 1;
  int16_t nChannels = 2;
  int32_t lSamplesPerSec = 22050;
  int16_t nBitsPerSample = 16;
  int16_t nBlockAlign = 4;
  int32_t lAvgBytesPerSec = 88200;
};

struct DSBUFFERDESC {
  int32_t lFlags = 0;
};

class DirectSoundBuffer {};

class DirectSound {};

}  // namespace vartenos
