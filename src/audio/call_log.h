// A record of the calls the game makes on its effect slots and its music, for the headless runner's
// trace ("SomArma3.SetCurrentPosition 0", "SomArma3.Play", "LoadSegment Music1.mid", "PlaySegment"...).
#pragma once

#include <string_view>

namespace vartenos {

class AudioCallLog {
 public:
  virtual ~AudioCallLog() = default;
  virtual void Som(std::string_view call) = 0;
  virtual void Musica(std::string_view call) = 0;
};

}  // namespace vartenos
