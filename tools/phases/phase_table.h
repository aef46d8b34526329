// The readable phase table: one line per formation entry under a header line that names the columns.
//
//   # Phase 1: a gentle start
//   Inicio Padrao Parametro Quantidade Tipo Atira Tem_Extra Portador_Extra Tipo_Extra Invertida
//   3      1      1         6          0    1     -1        2              7          0   # first wave
//
// The header may give the ten columns in any order; '#' starts a comment anywhere on a line; blank lines
// are skipped; exactly 40 entry lines follow the header. Whole-number columns (Inicio, Quantidade:
// 32-bit; Tem_Extra, Invertida: 16-bit, stored as written, so 1 is kept as 1) take decimal integers;
// float columns take decimal numbers, "inf", "-inf", or "bits:XXXXXXXX" (the 32 bits in hex, for NaNs).
// ImprimirTabela writes the canonical table; CompilarTabela(ImprimirTabela(f)) gives f back exactly.
#pragma once

#include <string>

#include "phases/phase_file.h"

namespace vartenos::fases {

// Parses a table. False with "NAME:LINE: problem" (or "NAME: problem") in `error`.
bool CompilarTabela(const std::string& text, const std::string& name, Fase_Formacoes& out,
                    std::string& error);

// The canonical table of `formacoes`: the header and 40 aligned lines, floats in their shortest form
// that reads back to the same bits.
std::string ImprimirTabela(const Fase_Formacoes& formacoes);

// One float as the table writes it.
std::string FormatarFloat(float v);

}  // namespace vartenos::fases
