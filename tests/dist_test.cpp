// The files a desktop installs with the game: the launcher and the AppStream metainfo pass their
// validators (when installed), and every screenshot the metainfo names is a picture of the game kept
// in docs/screenshots/.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "test_support.h"

namespace vartenos {
namespace {

const std::string kDist = VARTENOS_SOURCE_DIR "/dist/";

TEST(Distribuicao, TheLauncherAndTheMetainfoPassTheirValidators) {
  const std::pair<const char*, std::string> validadores[] = {
      {"desktop-file-validate", kDist + "io.github.vartenos.vartenos.desktop"},
      {"appstreamcli validate --pedantic --no-net", kDist + "io.github.vartenos.vartenos.metainfo.xml"},
  };
  for (const auto& [validador, arquivo] : validadores) {
    const std::string programa = std::string(validador).substr(0, std::string(validador).find(' '));
    if (testes::RodarComando("command -v " + programa).status != 0) {
      std::printf("%s is not installed; not checked\n", programa.c_str());
      continue;
    }
    const testes::Saida s = testes::RodarComando(std::string(validador) + " " + arquivo);
    EXPECT_EQ(s.status, 0) << validador << ": " << s.out;
    // Pedantic notes, warnings and errors alike: a clean file prints no complaint.
    EXPECT_EQ(s.out.find(": "), std::string::npos) << validador << ": " << s.out;
  }
}

TEST(Distribuicao, TheMetainfosScreenshotsArePicturesOfTheGameInTheRepository) {
  std::ifstream in(kDist + "io.github.vartenos.vartenos.metainfo.xml");
  std::stringstream texto;
  texto << in.rdbuf();
  const std::string xml = texto.str();
  const std::regex imagem(R"(<image[^>]*>https://[^<]*/main/(docs/screenshots/[a-z0-9]+\.png)</image>)");
  int n = 0;
  for (auto it = std::sregex_iterator(xml.begin(), xml.end(), imagem); it != std::sregex_iterator(); ++it) {
    ++n;
    // A PNG file's signature, then its header chunk with the width and height.
    std::ifstream png(VARTENOS_SOURCE_DIR "/" + (*it)[1].str(), std::ios::binary);
    unsigned char cab[24] = {};
    png.read(reinterpret_cast<char*>(cab), sizeof cab);
    ASSERT_TRUE(png && cab[0] == 0x89 && cab[1] == 'P' && cab[2] == 'N' && cab[3] == 'G') << (*it)[1];
    const auto be32 = [&](int i) {
      return uint32_t{cab[i]} << 24 | cab[i + 1] << 16 | cab[i + 2] << 8 | cab[i + 3];
    };
    EXPECT_EQ(be32(16), 640u) << (*it)[1];
    EXPECT_EQ(be32(20), 480u) << (*it)[1];
  }
  EXPECT_EQ(n, 2);
  size_t legendas = 0;
  for (size_t p = xml.find("<caption>"); p != std::string::npos; p = xml.find("<caption>", p + 1)) ++legendas;
  EXPECT_EQ(legendas, 2u);
}

}  // namespace
}  // namespace vartenos
