// The records of the phases: a formation entry of a phase file and a live enemy.
// Tem_Extra, Invertida and Invertido hold the raw 16-bit values read from the phase file and are
// compared as numbers later, so they stay int16_t (1 is not -1 there).
#pragma once

#include <cstdint>

namespace vartenos {

struct Entrada_Formacao {
  float Tipo = 0;
  float Padrao = 0;
  int32_t Inicio = 0;
  int32_t Quantidade = 0;
  bool Iniciada = false;
  float Parametro = 0;
  int16_t Invertida = 0;
  float Atira = 0;
  int16_t Tem_Extra = 0;
  float Tipo_Extra = 0;
  float Portador_Extra = 0;
};

struct Inimigo {
  double X = 0;
  double Y = 0;
  bool Ativo = false;
  double Angulo = 0;
  float Padrao = 0;
  float Tipo = 0;
  float Parametro = 0;
  bool Em_Circulo = false;
  int16_t Invertido = 0;
  float Atira = 0;
  double X_Origem = 0;
  int16_t Tem_Extra = 0;
  float Tipo_Extra = 0;
  float Energia = 0;
};

}  // namespace vartenos
