// The AppStream metainfo names two captioned screenshots, each a 640 x 480 picture of the game kept in
// docs/screenshots/ (the launcher and the metainfo pass their validators in scripts/package).
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

namespace {

TEST(Distribuicao, TheMetainfosScreenshotsArePicturesOfTheGameInTheRepository) {
  std::ifstream in(VARTENOS_SOURCE_DIR "/dist/io.github.vartenos.vartenos.metainfo.xml");
  std::stringstream texto;
  texto << in.rdbuf();
  const std::string xml = texto.str();
  const std::regex tela(
      R"(<caption>[^<]+</caption>\s*<image[^>]*>https://[^<]*/main/(docs/screenshots/\w+\.png)<)");
  int n = 0;
  for (auto it = std::sregex_iterator(xml.begin(), xml.end(), tela); it != std::sregex_iterator();
       ++it, ++n) {
    // A PNG file's signature, then its header chunk with the width and height.
    std::ifstream png(VARTENOS_SOURCE_DIR "/" + (*it)[1].str(), std::ios::binary);
    unsigned char c[24] = {};
    png.read(reinterpret_cast<char*>(c), sizeof c);
    ASSERT_TRUE(png && c[0] == 0x89 && c[1] == 'P' && c[2] == 'N' && c[3] == 'G') << (*it)[1];
    const auto be32 = [&](int i) { return uint32_t{c[i]} << 24 | c[i + 1] << 16 | c[i + 2] << 8 | c[i + 3]; };
    EXPECT_EQ(be32(16), 640u) << (*it)[1];
    EXPECT_EQ(be32(20), 480u) << (*it)[1];
  }
  EXPECT_EQ(n, 2);
}

}  // namespace
