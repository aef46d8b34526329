// What a replay checks, in the headless runner and in the game's window alike: that the data directory
// holds the files the session was recorded with, and that the state after every present is the
// recorded one.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include "platform/headless/replay_platform.h"
#include "platform/recording.h"
#include "sim/record.h"

namespace vartenos::sim {

// Empty when `data_dir` holds, byte for byte, the data the recording `path` was made with; otherwise
// the message that says which files differ, or why the directory could not be read.
std::string ConferirDados(const Gravacao& g, const std::string& path, const std::string& data_dir);

class ConferenciaDaGravacao {
 public:
  ConferenciaDaGravacao(PlataformaReproducao& reproducao, EstadoDoQuadro& estado)
      : reproducao_(reproducao), estado_(estado) {}
  // Checks present `n`; throws DesvioDaGravacao naming the fields that differ.
  void Comparar(int64_t n);

 private:
  PlataformaReproducao& reproducao_;
  EstadoDoQuadro& estado_;
  // Every field's hash as the recording holds it at the present checked: the recording notes a
  // field's hash when it changes.
  std::unordered_map<std::string, uint64_t> gravados_;
};

}  // namespace vartenos::sim
