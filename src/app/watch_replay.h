// `vartenos --replay FILE`: a recorded session shown in the game's window, at its real pace, with sound
// and music.
#pragma once

namespace vartenos {

// Returns the process's exit status: 0 when the recording was shown to its end or the viewer stopped
// it, 1 when the replay departed from the recording or the game failed (no display), 2 when the file
// or the data do not fit. May throw FatalError (SDL cannot start).
int AssistirGravacao(const char* path, const char* argv0);

}  // namespace vartenos
