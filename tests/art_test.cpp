// The artwork as the game receives it: the fifteen sheets written by vartenos-assets, their sizes and
// cells, the colours the 16-bit colour key would swallow, a build that repeats itself byte for byte,
// and the messages a broken source gives.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "display/image_files.h"

namespace fs = std::filesystem;

namespace vartenos {
namespace {

struct Sheet {
  const char* file;
  int w, h, cell_w;
  bool keyed;
};

// File, size, width of one cell, colour key.
constexpr Sheet kSheets[] = {
    {"Nave.BMP", 90, 35, 30, true},         {"Inimigos.BMP", 608, 24, 38, true},
    {"Estrela.BMP", 1, 1, 1, false},        {"Título.BMP", 491, 99, 491, true},
    {"Título2.BMP", 491, 99, 491, true},    {"Galáxias.BMP", 68, 26, 34, true},
    {"Tiro_Inimigo.BMP", 10, 10, 10, true}, {"Laser.BMP", 4, 10, 4, true},
    {"Laser2.BMP", 44, 18, 22, true},       {"Laser3.BMP", 16, 16, 16, true},
    {"Extras.BMP", 144, 16, 16, false},     {"Laser4.BMP", 6, 12, 6, false},
    {"Laser5.BMP", 30, 10, 30, true},       {"Laser6.BMP", 24, 15, 12, true},
    {"Explosão.BMP", 180, 34, 36, true},
};

std::string NovaPasta(const std::string& nome) {
  static int contador = 0;
  const fs::path p = fs::temp_directory_path() / ("vartenos-art-" + std::to_string(getpid()) + "-" +
                                                  std::to_string(contador++) + "-" + nome);
  fs::remove_all(p);
  fs::create_directories(p);
  return p.string();
}

std::string Ler(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

struct Resultado {
  int status;
  std::string erros;
};

// Runs vartenos-assets with the given arguments; standard error is captured.
Resultado RodarFerramenta(const std::string& args) {
  const std::string err = NovaPasta("stderr") + "/err.txt";
  const std::string cmd = std::string("'") + VARTENOS_ASSETS + "' " + args + " 2> '" + err + "'";
  const int st = std::system(cmd.c_str());
  return {WIFEXITED(st) ? WEXITSTATUS(st) : -1, Ler(err)};
}

// A copy of the repository's data sources that a test may break.
std::string CopiaDasFontes() {
  const std::string dst = NovaPasta("src");
  fs::copy(std::string(VARTENOS_SOURCE_DIR) + "/data", dst, fs::copy_options::recursive);
  return dst;
}

// One fresh build of the artwork, shared by the tests that only read it.
class Arte : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    pasta_ = new std::string(NovaPasta("out"));
    const Resultado r =
        RodarFerramenta(std::string("--src '") + VARTENOS_SOURCE_DIR + "/data' --out '" + *pasta_ + "'");
    ASSERT_EQ(r.status, 0) << r.erros;
  }
  static void TearDownTestSuite() {
    fs::remove_all(*pasta_);
    delete pasta_;
  }
  static ImagemRgb Abrir(const std::string& nome) {
    ImagemRgb img;
    std::string erro;
    EXPECT_TRUE(LerBmp(*pasta_ + "/" + nome, img, erro)) << erro;
    return img;
  }
  static std::string* pasta_;
};
std::string* Arte::pasta_ = nullptr;

bool Preto(const uint8_t* p) { return p[0] == 0 && p[1] == 0 && p[2] == 0; }

int PixelsPintados(const ImagemRgb& img, int x0, int w) {
  int n = 0;
  for (int y = 0; y < img.height; ++y) {
    for (int x = x0; x < x0 + w; ++x) n += !Preto(img.At(x, y));
  }
  return n;
}

std::vector<uint8_t> Celula(const ImagemRgb& img, int x0, int w) {
  std::vector<uint8_t> v;
  for (int y = 0; y < img.height; ++y) {
    for (int x = x0; x < x0 + w; ++x) v.insert(v.end(), img.At(x, y), img.At(x, y) + 3);
  }
  return v;
}

TEST_F(Arte, EverySheetIsA24BitBmpOfItsExactSize) {
  for (const Sheet& s : kSheets) {
    SCOPED_TRACE(s.file);
    const std::string bytes = Ler(*pasta_ + "/" + s.file);
    ASSERT_GT(bytes.size(), 54u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(static_cast<uint8_t>(bytes[28]), 24);  // bits per pixel
    const ImagemRgb img = Abrir(s.file);
    EXPECT_EQ(img.width, s.w);
    EXPECT_EQ(img.height, s.h);
  }
}

TEST_F(Arte, EveryCellHoldsAPictureThatStaysInsideItsOwnCell) {
  for (const Sheet& s : kSheets) {
    SCOPED_TRACE(s.file);
    const ImagemRgb img = Abrir(s.file);
    ASSERT_EQ(img.width, s.w);
    for (int x0 = 0; x0 < s.w; x0 += s.cell_w) {
      EXPECT_GT(PixelsPintados(img, x0, s.cell_w), 0) << "cell at column " << x0 << " is empty";
    }
    if (!s.keyed) continue;
    // A keyed sprite that runs over a cell boundary shows up as lit pixels on both sides of it in the
    // same row; each cell must stand alone, or the neighbour's edge would be drawn along with it.
    for (int x = s.cell_w; x < s.w; x += s.cell_w) {
      for (int y = 0; y < s.h; ++y) {
        EXPECT_FALSE(!Preto(img.At(x - 1, y)) && !Preto(img.At(x, y)))
            << "a picture crosses the boundary at column " << x << ", row " << y;
      }
    }
  }
}

TEST_F(Arte, KeyedSheetsHoldNoColourTheColourKeyWouldSwallow) {
  for (const Sheet& s : kSheets) {
    if (!s.keyed) continue;
    SCOPED_TRACE(s.file);
    const ImagemRgb img = Abrir(s.file);
    int quase_pretos = 0;
    for (int y = 0; y < img.height; ++y) {
      for (int x = 0; x < img.width; ++x) {
        const uint8_t* p = img.At(x, y);
        quase_pretos += !Preto(p) && p[0] < 8 && p[1] < 8 && p[2] < 8;
      }
    }
    EXPECT_EQ(quase_pretos, 0);
  }
}

TEST_F(Arte, AnimationsAndKindsAreDistinctPictures) {
  // The ship keeps one hull and changes only its flame from cell to cell.
  const ImagemRgb nave = Abrir("Nave.BMP");
  std::set<std::vector<uint8_t>> chamas;
  for (int k = 0; k < 3; ++k) {
    for (int y = 0; y < 22; ++y) {
      for (int x = 0; x < 30; ++x) {
        ASSERT_EQ(0, std::memcmp(nave.At(x, y), nave.At(30 * k + x, y), 3)) << "hull differs in cell " << k;
      }
    }
    chamas.insert(Celula(nave, 30 * k, 30));
  }
  EXPECT_EQ(chamas.size(), 3u);
  // Sixteen enemies, nine extras, five explosion steps, two galaxies and two pulse cells: no repeats.
  const std::pair<const char*, int> folhas[] = {{"Inimigos.BMP", 38},
                                                {"Extras.BMP", 16},
                                                {"Explosão.BMP", 36},
                                                {"Galáxias.BMP", 34},
                                                {"Laser6.BMP", 12}};
  for (const auto& [arquivo, w] : folhas) {
    SCOPED_TRACE(arquivo);
    const ImagemRgb img = Abrir(arquivo);
    std::set<std::vector<uint8_t>> celulas;
    for (int x0 = 0; x0 < img.width; x0 += w) celulas.insert(Celula(img, x0, w));
    EXPECT_EQ(celulas.size(), static_cast<size_t>(img.width / w));
  }
  // The side shot's second cell is the first one flying the other way.
  const ImagemRgb l2 = Abrir("Laser2.BMP");
  for (int y = 0; y < 18; ++y) {
    for (int x = 0; x < 22; ++x) ASSERT_EQ(0, std::memcmp(l2.At(x, y), l2.At(43 - x, y), 3));
  }
  EXPECT_NE(Celula(Abrir("Título.BMP"), 0, 491), Celula(Abrir("Título2.BMP"), 0, 491));
}

TEST_F(Arte, BackgroundStaysInTheBackgroundAndEnemyFireStandsOut) {
  // The star is one light pixel.
  const ImagemRgb estrela = Abrir("Estrela.BMP");
  EXPECT_GT(estrela.At(0, 0)[0] + estrela.At(0, 0)[1] + estrela.At(0, 0)[2], 3 * 150);
  // The galaxies are faint on average: drawn behind the action, they must not look like targets.
  const ImagemRgb gal = Abrir("Galáxias.BMP");
  long soma = 0;
  int n = 0;
  for (int y = 0; y < gal.height; ++y) {
    for (int x = 0; x < gal.width; ++x) {
      if (Preto(gal.At(x, y))) continue;
      soma += gal.At(x, y)[0] + gal.At(x, y)[1] + gal.At(x, y)[2];
      ++n;
    }
  }
  ASSERT_GT(n, 0);
  EXPECT_LT(soma / n, 3 * 110);
  // Enemy shots are red; no player shot is.
  auto vermelhidao = [&](const char* arquivo) {
    const ImagemRgb img = Abrir(arquivo);
    int vermelhos = 0, pintados = 0;
    for (int y = 0; y < img.height; ++y) {
      for (int x = 0; x < img.width; ++x) {
        const uint8_t* p = img.At(x, y);
        if (Preto(p)) continue;
        ++pintados;
        vermelhos += p[0] > 150 && p[1] < 110 && p[2] < 110;
      }
    }
    return pintados == 0 ? 0.0 : static_cast<double>(vermelhos) / pintados;
  };
  EXPECT_GT(vermelhidao("Tiro_Inimigo.BMP"), 0.25);
  for (const char* tiro :
       {"Laser.BMP", "Laser2.BMP", "Laser3.BMP", "Laser4.BMP", "Laser5.BMP", "Laser6.BMP"}) {
    EXPECT_LT(vermelhidao(tiro), 0.05) << tiro;
  }
}

TEST(ArteBuild, TwoBuildsWriteTheSameBytes) {
  const std::string a = NovaPasta("a"), b = NovaPasta("b");
  const std::string src = std::string("--src '") + VARTENOS_SOURCE_DIR + "/data'";
  ASSERT_EQ(RodarFerramenta(src + " --out '" + a + "'").status, 0);
  ASSERT_EQ(RodarFerramenta(src + " --out '" + b + "'").status, 0);
  for (const Sheet& s : kSheets) {
    const std::string x = Ler(a + "/" + s.file);
    EXPECT_FALSE(x.empty()) << s.file;
    EXPECT_EQ(x, Ler(b + "/" + s.file)) << s.file;
  }
  fs::remove_all(a);
  fs::remove_all(b);
}

TEST(ArteBuild, ContactSheetIsAPngBiggerThanEverySheetMagnified) {
  const std::string pasta = NovaPasta("contact");
  const std::string png = pasta + "/contato.png";
  const Resultado r =
      RodarFerramenta(std::string("--src '") + VARTENOS_SOURCE_DIR + "/data' --contact-sheet '" + png + "'");
  ASSERT_EQ(r.status, 0) << r.erros;
  const std::string bytes = Ler(png);
  ASSERT_GT(bytes.size(), 24u);
  EXPECT_EQ(bytes.substr(1, 3), "PNG");
  auto be32 = [&](size_t i) {
    return (static_cast<uint32_t>(static_cast<uint8_t>(bytes[i])) << 24) |
           (static_cast<uint32_t>(static_cast<uint8_t>(bytes[i + 1])) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(bytes[i + 2])) << 8) |
           static_cast<uint8_t>(bytes[i + 3]);
  };
  EXPECT_GE(be32(16), 608u * 3);  // the widest sheet, magnified 3x, fits across
  EXPECT_GE(be32(20), 2u * 99 * 3);
  fs::remove_all(pasta);
}

// What a source says is what the sheet holds: the mirrored half, palette names, and the light from the
// top-left that brightens the edges facing it and darkens the others.
TEST(ArteBuild, SourcesAreDrawnAsWritten) {
  const std::string src = CopiaDasFontes();
  std::ofstream(src + "/art/laser.txt", std::ios::binary)
      << "size: 4 10\nmirror: yes\nlegend: . = transparent, a = #FF0000, b = aco5\nrows:\nab\n.a\n"
         ".b\n.b\n.b\n.b\n.b\n.b\n.b\nbb\n";
  std::ofstream(src + "/art/laser5.txt", std::ios::binary)
      << "size: 30 10\nlight: top-left\nlegend: c = #808080\nrows:\n"
      << [] {
           std::string linhas;
           for (int y = 0; y < 10; ++y) linhas += std::string(30, 'c') + "\n";
           return linhas;
         }();
  const std::string out = NovaPasta("out");
  const Resultado r = RodarFerramenta("--src '" + src + "' --out '" + out + "'");
  ASSERT_EQ(r.status, 0) << r.erros;
  ImagemRgb laser, laser5;
  std::string erro;
  ASSERT_TRUE(LerBmp(out + "/Laser.BMP", laser, erro)) << erro;
  ASSERT_TRUE(LerBmp(out + "/Laser5.BMP", laser5, erro)) << erro;
  auto cor = [](const ImagemRgb& img, int x, int y) {
    const uint8_t* p = img.At(x, y);
    return std::array<int, 3>{p[0], p[1], p[2]};
  };
  using C = std::array<int, 3>;
  EXPECT_EQ(cor(laser, 0, 0), (C{255, 0, 0}));
  EXPECT_EQ(cor(laser, 1, 0), (C{0xE8, 0xF0, 0xFF}));
  EXPECT_EQ(cor(laser, 2, 0), (C{0xE8, 0xF0, 0xFF}));
  EXPECT_EQ(cor(laser, 3, 0), (C{255, 0, 0}));
  EXPECT_EQ(cor(laser, 0, 1), (C{0, 0, 0}));
  EXPECT_EQ(cor(laser, 3, 1), (C{0, 0, 0}));
  EXPECT_EQ(cor(laser, 2, 1), (C{255, 0, 0}));
  EXPECT_EQ(cor(laser, 3, 9), (C{0xE8, 0xF0, 0xFF}));
  // A grey block: lit along its top and left edges, shaded along the bottom and right, flat inside;
  // the two corners that face both ways keep their colour.
  const int lit = 0x80 + (255 - 0x80) * 30 / 100, shaded = 0x80 - 0x80 * 30 / 100;
  EXPECT_EQ(cor(laser5, 5, 0), (C{lit, lit, lit}));
  EXPECT_EQ(cor(laser5, 0, 5), (C{lit, lit, lit}));
  EXPECT_EQ(cor(laser5, 5, 9), (C{shaded, shaded, shaded}));
  EXPECT_EQ(cor(laser5, 29, 5), (C{shaded, shaded, shaded}));
  EXPECT_EQ(cor(laser5, 5, 5), (C{0x80, 0x80, 0x80}));
  EXPECT_EQ(cor(laser5, 29, 0), (C{0x80, 0x80, 0x80}));
  EXPECT_EQ(cor(laser5, 0, 9), (C{0x80, 0x80, 0x80}));
  fs::remove_all(src);
  fs::remove_all(out);
}

// A broken source must stop the build with a message that names the file and the line.
TEST(ArteBuild, BrokenSourcesAreReportedWithFileAndLine) {
  struct Caso {
    const char* arquivo;
    const char* conteudo;
    const char* esperado;  // must appear in the message
  };
  const Caso casos[] = {
      {"laser.txt",
       "size: 4 10\nmirror: yes\nlegend: . = transparent, w = "
       "#FFFFFF\nrows:\n.w\n.w\nwww\n.w\n.w\n.w\n.w\n.w\n.w\n.w\n",
       "laser.txt:7: row has 3 characters, expected 2"},
      {"laser.txt", "size: 4 10\nlegend: . = transparent, w = #FFFFFF\nrows:\n.ww.\n.wx.\n",
       "laser.txt:5: character 'x'"},
      {"laser.txt", "size: 4 10\nlegend: w = #FFFFFF\nrows:\nwwww\nwwww\n",
       "laser.txt:5: expected 10 rows, found 2"},
      {"laser.txt", "size: 4 10\n\nlegend: w = verdeazulado\nrows:\n", "laser.txt:3: unknown palette colour"},
      {"laser.txt", "size: 4 10\nlegend: w = #050505\nrows:\n",
       "laser.txt:2: colour '#050505' is too close to black"},
      {"laser.txt", "size: 4 10\nlegend: w = #12345\nrows:\n",
       "laser.txt:2: colour '#12345' is not of the form"},
      {"laser.txt", "# comment\nsize: four ten\n", "laser.txt:2: size must be"},
      {"laser.txt",
       "size: 3 10\nlegend: w = #FFFFFF\nrows:\nwww\nwww\nwww\nwww\nwww\nwww\nwww\nwww\nwww\nwww\n",
       "laser.txt:1: the sprite must be 4 x 10"},
      {"paleta.txt", "branco = #FFFFFF\nbranco = #FEFEFE\n",
       "paleta.txt:2: colour 'branco' is defined twice"},
      {"inimigo07.txt", nullptr, "inimigo07.txt: cannot open the file"},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(std::string(c.arquivo) + " -> " + c.esperado);
    const std::string src = CopiaDasFontes();
    const std::string alvo = src + "/art/" + c.arquivo;
    if (c.conteudo == nullptr) {
      fs::remove(alvo);
    } else {
      std::ofstream(alvo, std::ios::binary) << c.conteudo;
    }
    const std::string out = NovaPasta("out");
    const Resultado r = RodarFerramenta("--src '" + src + "' --out '" + out + "'");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.erros.find(c.esperado), std::string::npos) << r.erros;
    fs::remove_all(src);
    fs::remove_all(out);
  }
}

}  // namespace
}  // namespace vartenos
