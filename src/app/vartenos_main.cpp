// vartenos: the game on the desktop, in an SDL window.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <string>

#include "app/command_line.h"
#include "app/data_dir.h"
#include "app/watch_replay.h"
#include "display/font_ttf.h"
#include "platform/fatal_error.h"
#include "platform/sdl/sdl_platform.h"
#include "shell/form1.h"
#include "sim/record.h"

namespace {

constexpr const char* kUso =
    "Usage: vartenos [/sa] [/sp] [/extras]\n"
    "       vartenos --replay FILE\n"
    "       vartenos --version | --help\n"
    "\n"
    "Vartenos, a vertical space shooter.\n"
    "\n"
    "Switches (in any letter case, anywhere on the command line):\n"
    "  /sa       skip the intro screens and the title fade-in\n"
    "  /sp       skip the intro screens, keep the title fade-in (with /sa: skip both)\n"
    "  /extras   every new game starts with all weapons and the shield\n"
    "--version and --help work only on their own; any other word shows the invalid-switch box.\n"
    "\n"
    "Keys: arrows move, Space fires (and chooses on the menu), P pauses, Esc leaves,\n"
    "      S sound on/off, M music on/off, F frame counter, F11 or Alt+Enter full screen/window.\n"
    "Game controller: D-pad or left stick move, A fires and chooses, Start pauses, Back or B leaves.\n"
    "\n"
    "Environment:\n"
    "  VARTENOS_WINDOWED=1   start in a window instead of full screen\n"
    "  VARTENOS_SCALE        integer, fit or stretch: how the picture fills the screen\n"
    "  VARTENOS_DATA         the folder holding the game's data files\n"
    "  VARTENOS_FONT         a TrueType file to draw the text with (default: Liberation Sans Bold)\n"
    "  VARTENOS_SOUNDFONT    the General MIDI soundfont (.sf2) for the music\n"
    "  VARTENOS_RECORD=FILE  record the session into FILE, to replay with vartenos-sim --replay\n"
    "\n"
    "Full screen or window and the window's size are kept in $XDG_CONFIG_HOME/vartenos/settings.conf.\n";

// A failure the game cannot start from: on standard error, and in a message box for a player who
// started the game from a launcher. The exit status.
int Falhar(const std::string& texto) {
  std::fprintf(stderr, "vartenos: %s\n", texto.c_str());
  std::fflush(stderr);
  vartenos::SdlPlatform::MostrarFalha("Vartenos", texto);
  return 1;
}

// The game in its window, as the command line asks.
int Jogar(int argc, char** argv) {
  const std::string command_line = vartenos::LinhaDeComando(argc, argv);
  std::string tried;
  const std::string data_dir = vartenos::EncontrarPastaDados(argc > 0 ? argv[0] : nullptr, tried);
  if (data_dir.empty()) return Falhar("cannot find the data directory (tried: " + tried + ")");
  vartenos::SdlPlatform platform;
  platform.DefinirIcone(data_dir + "Icone.bmp");
  // Closing the window ends the process at once, as Form_Unload's last step says.
  platform.EncerrarAoFecharTela();
  // VARTENOS_RECORD=FILE records the session for `vartenos-sim --replay FILE`.
  std::unique_ptr<vartenos::sim::SessaoGravada> sessao;
  if (const char* gravar = std::getenv("VARTENOS_RECORD"); gravar != nullptr && *gravar != '\0')
    sessao = std::make_unique<vartenos::sim::SessaoGravada>(platform, gravar, data_dir, command_line);
  vartenos::Form1 form(sessao ? sessao->Plataforma() : platform, data_dir, vartenos::CriarRasterizador());
  if (sessao) sessao->Ligar(form);
  form.Executar(command_line);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  switch (vartenos::LerPedido(argc, argv)) {
    case vartenos::PedidoDeLinha::Versao:
      std::fputs("vartenos " VARTENOS_VERSION "\n", stdout);
      return 0;
    case vartenos::PedidoDeLinha::Ajuda:
      std::fputs(kUso, stdout);
      return 0;
    case vartenos::PedidoDeLinha::Jogar:
      break;
  }
  try {
    // A recorded session (VARTENOS_RECORD, or vartenos-sim --record) shown in the window.
    if (argc == 3 && std::strcmp(argv[1], "--replay") == 0)
      return vartenos::AssistirGravacao(argv[2], argv[0]);
    return Jogar(argc, argv);
  } catch (const std::exception& e) {
    // FatalError (a missing or damaged data file, no display) and anything else: the problem named.
    return Falhar(e.what());
  } catch (...) {
    return Falhar("stopped by an unexpected error");
  }
}
