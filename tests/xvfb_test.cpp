// The desktop game in a real X server (Xvfb, driven by xdotool): a start-up failure shows a message
// box and waits for it to be closed before the game exits non-zero, and the window's class is the
// one the launcher names, so that docks join the running window to its icon. Skipped where Xvfb or
// xdotool is not installed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "sim_support.h"
#include "test_support.h"

namespace vartenos::testes {
namespace {

namespace fs = std::filesystem;

bool TemXvfb() {
  return RodarComando(
             "command -v xvfb-run && command -v Xvfb && command -v xauth && command -v xdotool && command -v "
             "xwininfo")
             .status == 0;
}

// Runs `corpo` (a shell script) inside a fresh X server with no window manager.
Saida NoXvfb(const std::string& corpo) {
  const std::string pasta = PastaTemporaria();
  std::ofstream(pasta + "/corpo.sh") << corpo;
  Saida s = RodarComando(
      "env -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER -u VARTENOS_DATA SDL_AUDIODRIVER=dummy "
      "xvfb-run -a -s '-screen 0 1024x768x24' sh " +
      pasta + "/corpo.sh");
  fs::remove_all(pasta);
  return s;
}

TEST(NoXvfb, AStartUpFailureShowsAMessageBoxAndExitsNonZeroOnceItIsClosed) {
  if (!TemXvfb()) GTEST_SKIP() << "Xvfb (xvfb-run, xauth), xdotool or xwininfo is not installed";
  const std::string vazia = PastaTemporaria();
  std::vector<uint8_t> cortado(20, 0);
  cortado[0] = 'B', cortado[1] = 'M';
  const std::string danificada = PastaDadosCom({{"Inimigos.BMP", cortado}});
  struct Caso {
    std::string ambiente;  // variables for the game
    std::string mensagem;  // in the message, also on standard error
  };
  const Caso casos[] = {
      // The executable alone in an empty folder: none of the places the game looks holds its data.
      {"", "vartenos: cannot find the data directory (tried: "},
      {"VARTENOS_DATA=" + vazia, "tried: VARTENOS_DATA=" + vazia + ", which holds no Nave.BMP)"},
      // A damaged file is found once the window is open; the window goes, the box stays.
      {"VARTENOS_DATA=" + danificada + " VARTENOS_WINDOWED=1", "Inimigos.BMP"},
  };
  for (const Caso& c : casos) {
    const std::string pasta = PastaTemporaria();
    fs::copy_file(VARTENOS_GAME, pasta + "/vartenos");
    if (c.ambiente.empty() && fs::exists(fs::path(pasta) / "../share/vartenos/Nave.BMP"))
      GTEST_SKIP() << "data installed beside the temporary folder";
    // The box is a window titled "Vartenos" while the game still runs; Return closes it.
    const Saida s =
        NoXvfb("cd " + pasta + " || exit 9\nenv " + c.ambiente + " ./vartenos 2>erros & jogo=$!\n" +
               "for i in $(seq 100); do\n"
               "  caixa=$(xwininfo -root -tree | sed -n 's/^ *\\(0x[0-9a-f]*\\) \"Vartenos\".*/\\1/p')\n"
               "  [ -n \"$caixa\" ] && break; sleep 0.1\n"
               "done\n"
               "kill -0 $jogo 2>/dev/null && echo running\n"
               "[ -n \"$caixa\" ] && echo box && xdotool windowfocus --sync $caixa && xdotool key Return\n"
               "wait $jogo; echo status=$?; cat erros\n");
    EXPECT_NE(s.out.find("running\nbox\nstatus=1\n"), std::string::npos) << c.ambiente << "\n" << s.out;
    EXPECT_NE(s.out.find(c.mensagem), std::string::npos) << s.out;
    fs::remove_all(pasta);
  }
  fs::remove_all(vazia);
  fs::remove_all(danificada);
}

TEST(NoXvfb, TheWindowsClassIsTheOneTheLauncherNames) {
  if (!TemXvfb()) GTEST_SKIP() << "Xvfb (xvfb-run, xauth), xdotool or xwininfo is not installed";
  std::ifstream lancador(VARTENOS_SOURCE_DIR "/dist/io.github.vartenos.vartenos.desktop");
  std::string classe;
  for (std::string l; std::getline(lancador, l);) {
    if (l.rfind("StartupWMClass=", 0) == 0) classe = l.substr(15);
  }
  ASSERT_FALSE(classe.empty()) << "the launcher names no StartupWMClass";
  const std::string cfg = PastaTemporaria();
  const Saida s =
      NoXvfb("XDG_CONFIG_HOME=" + cfg + " VARTENOS_WINDOWED=1 " VARTENOS_GAME " /sa /sp & jogo=$!\n" +
             "for i in $(seq 100); do\n"
             "  janela=$(xdotool search --class '^" +
             classe + "$' 2>/dev/null | head -n 1)\n" +
             "  [ -n \"$janela\" ] && break; sleep 0.1\n"
             "done\n"
             "[ -n \"$janela\" ] && echo found\n"
             "kill $jogo; wait $jogo\n");
  EXPECT_NE(s.out.find("found\n"), std::string::npos) << s.out;
  fs::remove_all(cfg);
}

// A pilot's recording shown in the window plays to its end, present for present; the same recording with
// a phase file changed is refused in a message box, not played on wrongly.
TEST(NoXvfb, ARecordingShowsInTheWindowAndOneMadeWithOtherDataIsRefused) {
  if (!TemXvfb()) GTEST_SKIP() << "Xvfb (xvfb-run, xauth), xdotool or xwininfo is not installed";
  const std::string pasta = PastaTemporaria();
  const std::string rec = pasta + "/p.rec";
  const Execucao gravada = RodarSim("--args '/sa /sp' --bot 3 --until 4000 --record " + rec, "", false);
  ASSERT_EQ(gravada.status, 0) << gravada.erros;
  const std::string outros = PastaDadosCom({{"Fase1.FAS", std::vector<uint8_t>(8800, 0)}});
  // The desktop's own libraries (D-Bus) keep some memory to the end, which the leak check would count.
  const Saida s =
      NoXvfb("export XDG_CONFIG_HOME=" + pasta + " VARTENOS_WINDOWED=1 ASAN_OPTIONS=detect_leaks=0\n" +
             VARTENOS_GAME " --replay " + rec + "; echo status=$?\n" + "VARTENOS_DATA=" + outros +
             " " VARTENOS_GAME " --replay " + rec + " 2>" + pasta +
             "/erros & jogo=$!\n"
             "for i in $(seq 100); do\n"
             "  caixa=$(xwininfo -root -tree | sed -n 's/^ *\\(0x[0-9a-f]*\\) \"Vartenos\".*/\\1/p')\n"
             "  [ -n \"$caixa\" ] && break; sleep 0.1\n"
             "done\n"
             "[ -n \"$caixa\" ] && xdotool windowfocus --sync $caixa && xdotool key Return\n"
             "wait $jogo; echo status=$?; cat " +
             pasta + "/erros\n");
  EXPECT_NE(s.out.find("replayed 161 presents\nstatus=0\n"), std::string::npos) << s.out;
  EXPECT_NE(s.out.find("status=2\nvartenos: " + rec + ": recorded with other data than"), std::string::npos)
      << s.out;
  fs::remove_all(pasta);
  fs::remove_all(outros);
}

}  // namespace
}  // namespace vartenos::testes
