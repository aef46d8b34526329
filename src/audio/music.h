// The music objects: loader, performance, segment and segment state. (First outline; the audio work
// fills it in.)
#pragma once

namespace vartenos {

class DirectMusicLoader {};
class DirectMusicPerformance {};
class DirectMusicSegment {};
class DirectMusicSegmentState {};

}  // namespace vartenos
