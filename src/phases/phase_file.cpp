// Temporary reader (replaced by the phase-file module).
#include <cstring>

#include "platform/byte_files.h"
#include "shell/form1.h"

namespace vartenos {

bool Form1::Preenche_Vetor_Fases(uint8_t& Fase) {
  const std::string nome = "Fase" + std::to_string(Fase) + ".FAS";
  std::vector<uint8_t> b;
  std::string erro;
  if (!LerArquivo(Pasta_Dados() + nome, b, erro) || b.size() < 8762) {
    platform_.MessageBox("Vartenos", nome + ": short or missing");
    return false;
  }
  for (int i = 0; i < 40; ++i) {
    Entrada_Formacao& f = Formacoes[i];
    f = Entrada_Formacao{};
    const uint8_t* p = b.data() + 220 * i;
    std::memcpy(&f.Padrao, p, 4);
    std::memcpy(&f.Tipo, p + 20, 4);
    std::memcpy(&f.Inicio, p + 40, 4);
    std::memcpy(&f.Quantidade, p + 60, 4);
    std::memcpy(&f.Parametro, p + 80, 4);
    std::memcpy(&f.Atira, p + 100, 4);
    std::memcpy(&f.Tem_Extra, p + 120, 2);
    std::memcpy(&f.Portador_Extra, p + 140, 4);
    std::memcpy(&f.Tipo_Extra, p + 160, 4);
    std::memcpy(&f.Invertida, p + 180, 2);
  }
  Formacoes_Carregadas = 40;
  return true;
}

}  // namespace vartenos
