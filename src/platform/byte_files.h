// Whole-file reading and writing and the little- and big-endian fields of the game's file formats
// (BMP, PNG, WAV, MIDI).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vartenos {

inline uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t Le32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline uint32_t Be32(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

inline void PoeLe16(std::vector<uint8_t>& v, uint16_t x) {
  v.push_back(static_cast<uint8_t>(x));
  v.push_back(static_cast<uint8_t>(x >> 8));
}
inline void PoeLe32(std::vector<uint8_t>& v, uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}
inline void PoeBe32(std::vector<uint8_t>& v, uint32_t x) {
  for (int i = 3; i >= 0; --i) v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}
inline void PoeTexto(std::vector<uint8_t>& v, const char* s) {
  while (*s != '\0') v.push_back(static_cast<uint8_t>(*s++));
}

// Reads a whole file. False with "PATH: reason" in `error`.
bool LerArquivo(const std::string& path, std::vector<uint8_t>& out, std::string& error);
// Writes a whole file, replacing it. False with "PATH: reason" in `error`.
bool EscreverArquivo(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);

}  // namespace vartenos
