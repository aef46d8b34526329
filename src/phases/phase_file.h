// Phase files: 40 formation entries in slots of 20 bytes, little-endian, no header.
//
// Entry i owns the 220 bytes from byte 220·i: eleven slots of 20 bytes, each value in the first 4 (or
// 2) bytes of its slot, the rest of the slot and the whole eleventh slot unused:
//   slot 1 Padrao (float)      slot 2 Tipo (float)          slot 3 Inicio (int32)
//   slot 4 Quantidade (int32)  slot 5 Parametro (float)     slot 6 Atira (float)
//   slot 7 Tem_Extra (int16)   slot 8 Portador_Extra (float) slot 9 Tipo_Extra (float)
//   slot 10 Invertida (int16)
// The last value read ends at byte 8762; a file we write is 8800 bytes with zeros in the unused bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "phases/phase_records.h"

namespace vartenos {

using Fase_Formacoes = std::array<Entrada_Formacao, 40>;

constexpr size_t kBytesSlotFase = 20;
constexpr size_t kBytesEntradaFase = 11 * kBytesSlotFase;
constexpr size_t kTamanhoMinimoFase = 39 * kBytesEntradaFase + 9 * kBytesSlotFase + 2;  // 8762
constexpr size_t kTamanhoFase = 40 * kBytesEntradaFase;                                 // 8800

// "Fase" + n + ".FAS", the name the game looks for in its data directory.
std::string NomeArquivoFase(unsigned fase);

// Decodes a phase file: every value copied raw (Tem_Extra and Invertida keep their 16 bits), padding
// and the eleventh slot ignored, Iniciada false. A file shorter than 8762 bytes is refused with
// "NAME: N bytes, at least 8762 needed" in `error`.
bool DecodificarFase(const uint8_t* data, size_t size, const std::string& name, Fase_Formacoes& out,
                     std::string& error);

// Encodes 40 entries into the 8800 bytes of a phase file, zeros in every unused byte.
std::vector<uint8_t> CodificarFase(const Fase_Formacoes& formacoes);

// Reads and decodes the phase file at `path`; errors name the file as `name`: "NAME: not found",
// "NAME: <the system's reason>" or the short-file message above.
bool LerFase(const std::string& path, const std::string& name, Fase_Formacoes& out, std::string& error);

// The authoring rule of phase 5. Draws from `Rnd` (uniform on [0, 1)) in the rule's order and fills
// `formacoes` (expected zeroed) as the rule leaves it in memory. Returns the bytes written entry by
// entry: each entry as it stood when it was written, so the start times that a later grouping pulled
// together stay as they were in the file.
std::vector<uint8_t> AutorarFase5(const std::function<float()>& Rnd, Fase_Formacoes& formacoes);

}  // namespace vartenos
