// The artwork as the game receives it: the fifteen sheets written by vartenos-assets, their sizes and
// cells, the colours the 16-bit colour key would swallow, a build that repeats itself byte for byte,
// and the messages a broken source gives.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "display/image_files.h"
#include "sim_support.h"
#include "test_support.h"

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

using testes::LerArquivo;

// Runs vartenos-assets from the sources in `src` (by default the repository's) into `out`; the exit
// status and what it said.
std::pair<int, std::string> Construir(const std::string& out,
                                      const std::string& src = VARTENOS_SOURCE_DIR "/data",
                                      const std::string& destino = "--out") {
  const testes::Saida s =
      testes::RodarComando("'" VARTENOS_ASSETS "' --src '" + src + "' " + destino + " '" + out + "'");
  return {s.status, s.out};
}

ImagemRgb Abrir(const std::string& path) {
  ImagemRgb img;
  std::string erro;
  EXPECT_TRUE(LerBmp(path, img, erro)) << erro;
  return img;
}

bool Preto(const uint8_t* p) { return p[0] == 0 && p[1] == 0 && p[2] == 0; }

std::vector<uint8_t> Celula(const ImagemRgb& img, int x0, int w) {
  std::vector<uint8_t> v;
  for (int y = 0; y < img.height; ++y) v.insert(v.end(), img.At(x0, y), img.At(x0 + w - 1, y) + 3);
  return v;
}

// One fresh build of the artwork, shared by the tests that only read it.
class Arte : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    pasta_ = new std::string(testes::PastaTemporaria());
    const auto [status, erros] = Construir(*pasta_);
    ASSERT_EQ(status, 0) << erros;
  }
  static void TearDownTestSuite() {
    fs::remove_all(*pasta_);
    delete pasta_;
  }
  static ImagemRgb Folha(const std::string& nome) { return Abrir(*pasta_ + "/" + nome); }
  static std::string* pasta_;
};
std::string* Arte::pasta_ = nullptr;

TEST_F(Arte, EverySheetIsTheBuiltOneByteForByteWithItsSizeAndOneWholePictureInEachCell) {
  // A fresh build writes the same bytes as the one the game was built with: pictures, sounds and music.
  int arquivos = 0;
  for (const auto& f : fs::directory_iterator(*pasta_)) {
    EXPECT_TRUE(LerArquivo(f.path()) ==
                LerArquivo(std::string(VARTENOS_BUILD_DATA) + "/" + f.path().filename().string()))
        << f.path();
    ++arquivos;
  }
  EXPECT_GE(arquivos, 15 + 7 + 7);
  for (const Sheet& s : kSheets) {
    SCOPED_TRACE(s.file);
    const std::string bytes = LerArquivo(*pasta_ + "/" + s.file);
    ASSERT_GT(bytes.size(), 54u);
    EXPECT_EQ(static_cast<uint8_t>(bytes[28]), 24);  // bits per pixel
    const ImagemRgb img = Folha(s.file);
    ASSERT_EQ(std::pair(img.width, img.height), std::pair(s.w, s.h));
    for (int x0 = 0; x0 < s.w; x0 += s.cell_w) {
      const std::vector<uint8_t> c = Celula(img, x0, s.cell_w);
      EXPECT_TRUE(std::any_of(c.begin(), c.end(), [](uint8_t v) { return v != 0; }))
          << "empty cell at " << x0;
    }
    if (!s.keyed) continue;
    for (int y = 0; y < s.h; ++y) {
      for (int x = 0; x < s.w; ++x) {
        const uint8_t* p = img.At(x, y);
        // The 16-bit colour key would swallow near-black colours along with black.
        EXPECT_FALSE(!Preto(p) && p[0] < 8 && p[1] < 8 && p[2] < 8) << "near black at " << x << "," << y;
        // A sprite running over a cell boundary would be drawn with its neighbour's edge.
        if (x > 0 && x % s.cell_w == 0) {
          EXPECT_FALSE(!Preto(img.At(x - 1, y)) && !Preto(p)) << "crosses the boundary at " << x << "," << y;
        }
      }
    }
  }
}

TEST_F(Arte, AnimationsAndKindsAreDistinctPicturesAndEnemyFireStandsOut) {
  // The ship keeps one hull (its top 22 rows) and changes only its flame from cell to cell.
  const ImagemRgb nave = Folha("Nave.BMP");
  for (int k = 1; k < 3; ++k) {
    for (int y = 0; y < 22; ++y) ASSERT_EQ(0, std::memcmp(nave.At(0, y), nave.At(30 * k, y), 90)) << k;
  }
  // Three flames, sixteen enemies, nine extras, five explosion steps, two galaxies, two pulse cells.
  for (const auto& [arquivo, w] : {std::pair{"Nave.BMP", 30},
                                   {"Inimigos.BMP", 38},
                                   {"Extras.BMP", 16},
                                   {"Explosão.BMP", 36},
                                   {"Galáxias.BMP", 34},
                                   {"Laser6.BMP", 12}}) {
    const ImagemRgb img = Folha(arquivo);
    // Kept as strings: GCC's -O3 takes the byte vectors' comparison for an overread.
    std::set<std::string> celulas;
    for (int x0 = 0; x0 < img.width; x0 += w) {
      const std::vector<uint8_t> c = Celula(img, x0, w);
      celulas.emplace(c.begin(), c.end());
    }
    EXPECT_EQ(celulas.size(), static_cast<size_t>(img.width / w)) << arquivo;
  }
  // The side shot's second cell is the first one flying the other way.
  const ImagemRgb l2 = Folha("Laser2.BMP");
  for (int y = 0; y < 18; ++y) {
    for (int x = 0; x < 22; ++x) ASSERT_EQ(0, std::memcmp(l2.At(x, y), l2.At(43 - x, y), 3));
  }
  // Enemy shots are red; no player shot is (share of the lit pixels that are red).
  const auto vermelho = [](const ImagemRgb& img) {
    int vermelhos = 0, pintados = 0;
    for (size_t i = 0; i + 2 < img.rgb.size(); i += 3) {
      const uint8_t* p = &img.rgb[i];
      pintados += !Preto(p);
      vermelhos += p[0] > 150 && p[1] < 110 && p[2] < 110;
    }
    return pintados ? static_cast<double>(vermelhos) / pintados : 0.0;
  };
  EXPECT_GT(vermelho(Folha("Tiro_Inimigo.BMP")), 0.25);
  for (const char* tiro : {"Laser.BMP", "Laser2.BMP", "Laser3.BMP", "Laser4.BMP", "Laser5.BMP", "Laser6.BMP"})
    EXPECT_LT(vermelho(Folha(tiro)), 0.05) << tiro;
}

TEST(ArteBuild, ContactSheetIsAPngBiggerThanEverySheetMagnified) {
  const std::string png = testes::PastaTemporaria() + "/contato.png";
  const auto [status, erros] = Construir(png, VARTENOS_SOURCE_DIR "/data", "--contact-sheet");
  ASSERT_EQ(status, 0) << erros;
  const std::string b = LerArquivo(png);
  ASSERT_GT(b.size(), 24u);
  EXPECT_EQ(b.substr(1, 3), "PNG");
  const auto be32 = [&](size_t i) {
    return static_cast<uint32_t>(static_cast<uint8_t>(b[i]) << 24 | static_cast<uint8_t>(b[i + 1]) << 16 |
                                 static_cast<uint8_t>(b[i + 2]) << 8 | static_cast<uint8_t>(b[i + 3]));
  };
  EXPECT_GE(be32(16), 608u * 3);  // the widest sheet, magnified 3x, fits across
  EXPECT_GE(be32(20), 2u * 99 * 3);
  fs::remove_all(fs::path(png).parent_path());
}

// A copy of the repository's data sources with one art source replaced (or removed when `conteudo` is
// null), built; the exit status and standard error.
std::pair<int, std::string> ConstruirCom(const std::string& arquivo, const char* conteudo,
                                         const std::string& out) {
  const std::string src = testes::PastaTemporaria();
  fs::copy(std::string(VARTENOS_SOURCE_DIR) + "/data", src, fs::copy_options::recursive);
  if (conteudo == nullptr) {
    fs::remove(src + "/art/" + arquivo);
  } else {
    std::ofstream(src + "/art/" + arquivo, std::ios::binary) << conteudo;
  }
  const auto r = Construir(out, src);
  fs::remove_all(src);
  return r;
}

// What a source says is what the sheet holds: the mirrored half, palette names, and the light from the
// top-left that brightens the edges facing it and darkens the others.
TEST(ArteBuild, SourcesAreDrawnAsWritten) {
  const std::string out = testes::PastaTemporaria();
  ASSERT_EQ(
      ConstruirCom("laser.txt",
                   "size: 4 10\nmirror: yes\nlegend: . = transparent, a = #FF0000, b = aco5\nrows:\nab\n.a\n"
                   ".b\n.b\n.b\n.b\n.b\n.b\n.b\nbb\n",
                   out)
          .first,
      0);
  const std::string bloco = "size: 30 10\nlight: top-left\nlegend: c = #808080\nrows:\n" + [] {
    std::string linhas;
    for (int y = 0; y < 10; ++y) linhas += std::string(30, 'c') + "\n";
    return linhas;
  }();
  const std::string out5 = testes::PastaTemporaria();
  ASSERT_EQ(ConstruirCom("laser5.txt", bloco.c_str(), out5).first, 0);
  const ImagemRgb laser = Abrir(out + "/Laser.BMP"), laser5 = Abrir(out5 + "/Laser5.BMP");
  const auto cores = [](const ImagemRgb& img, std::initializer_list<std::pair<int, int>> pontos) {
    std::vector<int> v;
    for (const auto& [x, y] : pontos)
      v.push_back(img.At(x, y)[0] << 16 | img.At(x, y)[1] << 8 | img.At(x, y)[2]);
    return v;
  };
  const int r = 0xFF0000, aco = 0xE8F0FF;
  EXPECT_EQ(cores(laser, {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {0, 1}, {3, 1}, {2, 1}, {3, 9}}),
            (std::vector<int>{r, aco, aco, r, 0, 0, r, aco}));
  // A grey block is lit along its top and left edges, shaded along the bottom and right, flat inside;
  // the two corners that face both ways keep their colour.
  const int claro = (0x80 + (255 - 0x80) * 30 / 100) * 0x10101, escuro = (0x80 - 0x80 * 30 / 100) * 0x10101;
  EXPECT_EQ(cores(laser5, {{5, 0}, {0, 5}, {5, 9}, {29, 5}, {5, 5}, {29, 0}, {0, 9}}),
            (std::vector<int>{claro, claro, escuro, escuro, 0x808080, 0x808080, 0x808080}));
  fs::remove_all(out);
  fs::remove_all(out5);
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
      {"laser.txt",
       "size: 3 10\nlegend: w = #FFFFFF\nrows:\nwww\nwww\nwww\nwww\nwww\nwww\nwww\nwww\nwww\nwww\n",
       "laser.txt:1: the sprite must be 4 x 10"},
      {"paleta.txt", "branco = #FFFFFF\nbranco = #FEFEFE\n",
       "paleta.txt:2: colour 'branco' is defined twice"},
      {"inimigo07.txt", nullptr, "inimigo07.txt: cannot open the file"},
  };
  for (const Caso& c : casos) {
    const std::string out = testes::PastaTemporaria();
    const auto [status, erros] = ConstruirCom(c.arquivo, c.conteudo, out);
    EXPECT_NE(status, 0) << c.esperado;
    EXPECT_NE(erros.find(c.esperado), std::string::npos) << erros;
    fs::remove_all(out);
  }
}

}  // namespace
}  // namespace vartenos
