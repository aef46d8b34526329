// A failure the game cannot go on from: a missing data file, a display that cannot be opened.
// It unwinds to main(), which prints the message (naming the file and the problem) and exits non-zero.
#pragma once

#include <stdexcept>
#include <string>

namespace vartenos {

class FatalError : public std::runtime_error {
 public:
  explicit FatalError(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace vartenos
