// vartenos-fases: the phase tool. Compiles readable phase tables into phase files, prints them back,
// checks phase files against what the game needs, and runs the authoring rule of phase 5.
#include <stdlib.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "phases/phase_check.h"
#include "phases/phase_file.h"
#include "phases/phase_table.h"
#include "platform/byte_files.h"
#include "platform/fatal_error.h"
#include "platform/headless/headless_platform.h"
#include "shell/form1.h"

namespace vartenos::fases {

namespace {

void Uso(FILE* to) {
  std::fprintf(to,
               "usage: vartenos-fases compile TABLE.txt OUT.FAS   build a phase file from a table\n"
               "       vartenos-fases print FILE.FAS              write the table of a phase file\n"
               "       vartenos-fases check FILE.FAS...           report what the game cannot play as meant\n"
               "       vartenos-fases author SEED OUT.FAS         run the authoring rule of phase 5\n"
               "See docs/phases.md.\n");
}

int Falhou(const std::string& error) {
  std::fprintf(stderr, "vartenos-fases: %s\n", error.c_str());
  return 1;
}

bool LerArquivoFase(const std::string& path, Fase_Formacoes& f, std::string& error) {
  std::vector<uint8_t> bytes;
  if (!LerArquivo(path, bytes, error)) return false;
  return DecodificarFase(bytes.data(), bytes.size(), path, f, error);
}

int Compilar(const std::string& tabela, const std::string& saida) {
  std::vector<uint8_t> texto;
  std::string error;
  if (!LerArquivo(tabela, texto, error)) return Falhou(error);
  Fase_Formacoes f{};
  if (!CompilarTabela(std::string(texto.begin(), texto.end()), tabela, f, error)) return Falhou(error);
  if (!EscreverArquivo(saida, CodificarFase(f), error)) return Falhou(error);
  return 0;
}

int Imprimir(const std::string& arquivo) {
  Fase_Formacoes f{};
  std::string error;
  if (!LerArquivoFase(arquivo, f, error)) return Falhou(error);
  const std::string tabela = ImprimirTabela(f);
  std::fwrite(tabela.data(), 1, tabela.size(), stdout);
  return 0;
}

int Checar(const std::vector<std::string>& arquivos) {
  int status = 0;
  for (const std::string& arquivo : arquivos) {
    std::vector<uint8_t> bytes;
    std::string error;
    if (!LerArquivo(arquivo, bytes, error)) {
      std::printf("%s\n", error.c_str());
      status = 1;
      continue;
    }
    const Checagem c = ChecarArquivo(bytes.data(), bytes.size(), arquivo);
    for (const Falha& f : c.falhas) std::printf("%s: %s\n", arquivo.c_str(), Descrever(f).c_str());
    if (!c.falhas.empty()) {
      std::printf("%s: %zu problem%s\n", arquivo.c_str(), c.falhas.size(), c.falhas.size() == 1 ? "" : "s");
      status = 1;
    } else {
      std::printf("%s: ok, at most %lld enemies alive at once if none is destroyed%s\n", arquivo.c_str(),
                  static_cast<long long>(c.pico), c.pico_grosseiro ? " (every enemy of the phase)" : "");
    }
  }
  return status;
}

// Never fires a timer: only the clock matters here.
class SemEventos : public EventSink {
 public:
  void KeyDown(int16_t) override {}
  void KeyUp(int16_t) override {}
  void KeyPress(int16_t) override {}
  void CloseRequested() override {}
  int32_t NextTimerDue() const override { return kNever; }
  void FireTimers(int32_t) override {}
  bool Leaving() const override { return false; }
};

int Autorar(const std::string& semente, const std::string& saida) {
  char* fim = nullptr;
  const long long s = std::strtoll(semente.c_str(), &fim, 10);
  if (semente.empty() || *fim != '\0' || s < 0 || s > 2147483647) {
    return Falhou("SEED '" + semente + "' is not a whole number 0..2147483647");
  }
  // The authoring rule seeds the generator from the clock: on the headless platform the clock stands
  // where we put it, so the seed is the clock.
  HeadlessPlatform plataforma;
  SemEventos sem_eventos;
  plataforma.WaitUntil(static_cast<int32_t>(s), sem_eventos);

  std::string modelo = (std::filesystem::temp_directory_path() / "vartenos-fases-XXXXXX").string();
  if (mkdtemp(modelo.data()) == nullptr) return Falhou(modelo + ": cannot create a temporary folder");
  const std::filesystem::path pasta = modelo;
  int status = 0;
  try {
    Form1 form(plataforma, pasta.string(), nullptr);
    form.Preenche_Arquivo_Fases();
    std::vector<uint8_t> bytes;
    std::string error;
    if (!LerArquivo((pasta / NomeArquivoFase(5)).string(), bytes, error) ||
        !EscreverArquivo(saida, bytes, error)) {
      status = Falhou(error);
    }
  } catch (const FatalError& e) {
    status = Falhou(e.what());
  }
  std::error_code ec;
  std::filesystem::remove_all(pasta, ec);
  return status;
}

}  // namespace

}  // namespace vartenos::fases

int main(int argc, char** argv) {
  using namespace vartenos::fases;
  const std::vector<std::string> a(argv + 1, argv + argc);
  try {
    if (a.size() == 3 && a[0] == "compile") return Compilar(a[1], a[2]);
    if (a.size() == 2 && a[0] == "print") return Imprimir(a[1]);
    if (a.size() >= 2 && a[0] == "check") return Checar({a.begin() + 1, a.end()});
    if (a.size() == 3 && a[0] == "author") return Autorar(a[1], a[2]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "vartenos-fases: %s\n", e.what());
    return 1;
  }
  if (a.size() == 1 && (a[0] == "--help" || a[0] == "-h")) {
    Uso(stdout);
    return 0;
  }
  Uso(stderr);
  return 2;
}
