// Start-up switches, the new-game reset, the key handlers and the timer handlers of the game window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <tuple>
#include <vector>

#include "display/font_ttf.h"
#include "platform/headless/headless_platform.h"
#include "shell/form1.h"
#include "sim_support.h"
#include "test_support.h"

namespace vartenos {
namespace {

class Janela : public ::testing::Test {
 protected:
  void SetUp() override { form.Form_Load("/sa /sp"); }
  HeadlessPlatform plataforma;
  Form1 form{plataforma, VARTENOS_BUILD_DATA, nullptr};
};

TEST(Switches, TheTableOfCommandLines) {
  struct Chaves {
    const char* linha;
    bool abertura, pular_efeito, extras, caixa;
  };
  const Chaves casos[] = {{"", true, true, false, false},
                          {"/sa", false, true, false, false},
                          {"/sample", false, true, false, false},
                          {"/sp", false, false, false, false},
                          {"/special", false, false, false, false},
                          {"/sa/sp", false, true, false, false},
                          {"/sp /extras", false, false, true, false},
                          {"/EXTRAS", true, true, true, false},
                          {"/sa lixo", false, true, false, false},
                          {"/foo", true, true, false, true},
                          {"sa sp", true, true, false, true}};
  for (const Chaves& c : casos) {
    SCOPED_TRACE(c.linha);
    HeadlessPlatform plataforma;
    Form1 form(plataforma, VARTENOS_BUILD_DATA, nullptr);
    testing::internal::CaptureStderr();
    form.Form_Load(c.linha);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::tuple(form.Mostrar_Abertura, form.Pular_Efeito, form.Modo_Extras),
              std::tuple(c.abertura, c.pular_efeito, c.extras));
    EXPECT_EQ(err,
              c.caixa ? std::string("message box \"Orbex\": ") + c.linha + ": Parâmetro inválido.\n" : "");
    EXPECT_EQ(form.Surf_Titulo2.Width(), 491);  // start-up went on in every case
  }
}

// That the field is the same on every start, whatever the switches, the headless runner's trace shows.
TEST_F(Janela, StarFieldIsInRange) {
  for (const Estrela& e : form.Estrelas) {
    EXPECT_TRUE(e.Ativo && e.X == std::floor(e.X) && e.X >= 0 && e.X <= 639 && e.Y <= 479 && e.Velocidade < 2)
        << e.X << "," << e.Y;
  }
}

TEST_F(Janela, ArrowsAndTheMenuDigitsMoveTheSelectionWhereTheyShould) {
  struct Caso {
    uint8_t tela;
    bool press;
    int16_t tecla;
    int32_t antes, depois;
  };
  // Up and "8" go up, down and "2" go down, wrapping round; in the game the digits do nothing and the
  // arrows still move the (unread) selection.
  const Caso casos[] = {{1, false, 38, 1, 5}, {1, false, 40, 5, 1}, {1, false, 40, 2, 3},
                        {1, true, '2', 5, 1}, {1, true, '8', 1, 5}, {2, true, '8', 5, 5},
                        {2, true, '2', 5, 5}, {2, false, 40, 5, 1}};
  for (const Caso& c : casos) {
    form.Em_Menu = c.tela;
    form.Opcao_Menu = c.antes;
    c.press ? form.Form_KeyPress(c.tecla) : form.Form_KeyDown(c.tecla, 0);
    EXPECT_EQ(form.Opcao_Menu, c.depois) << int{c.tela} << " " << c.tecla << " from " << c.antes;
  }
  EXPECT_TRUE(form.Tecla_Baixo);  // held down, and let go
  form.Form_KeyUp(40, 0);
  EXPECT_FALSE(form.Tecla_Baixo);
}

TEST(Menu, AStillMenuIsDrawnOnceAndOnlyPresentedAgainUntilAKeyChangesIt) {
  // Every present: the primary surface's version, its pixels, and how many texts came with it.
  struct Quadros : Presenter, TextLog {
    std::vector<uint64_t> versoes;
    std::vector<std::vector<uint16_t>> imagens;
    std::vector<int> textos;
    int pendentes = 0;
    void Presented(const Surface& s) override {
      versoes.push_back(s.Versao());
      imagens.emplace_back(s.Pixels(), s.Pixels() + static_cast<size_t>(s.Width()) * s.Height());
      textos.push_back(pendentes);
      pendentes = 0;
    }
    void Drawn(const TextoDesenhado&) override { ++pendentes; }
  } q;
  HeadlessPlatform plataforma;
  Form1 form(plataforma, VARTENOS_BUILD_DATA, CriarRasterizador());
  form.Registrar_Texto(&q);
  form.Form_Load("/sa /sp");
  form.Observar_Apresentacao(&q);
  const int32_t t0 = plataforma.TickCount();
  plataforma.Agendar({t0 + 500, EventoRoteiro::Down, 40});  // down: "Som ligado" lights up
  plataforma.Agendar({t0 + 750, EventoRoteiro::Down, 38});  // up: back to "Novo jogo"
  plataforma.Agendar({t0 + 1000, EventoRoteiro::Press, 32});
  form.Ultimos_Pontos = 300;
  ASSERT_EQ(form.Menu(), Tela::Main);
  ASSERT_GE(q.imagens.size(), 40u);
  int desenhados = 0;
  for (size_t i = 1; i < q.versoes.size(); ++i) desenhados += q.versoes[i] != q.versoes[i - 1];
  EXPECT_EQ(desenhados, 2);  // the two keys; every other frame left the pixels alone
  const std::vector<uint16_t>& primeiro = q.imagens.front();
  EXPECT_EQ(q.imagens[15], primeiro);
  EXPECT_NE(q.imagens[25], primeiro);  // after the first key
  EXPECT_EQ(q.imagens.back(), primeiro);
  // Title, warning, one score and five items on every frame, drawn or not.
  EXPECT_EQ(std::count(q.textos.begin(), q.textos.end(), 8), static_cast<long>(q.textos.size()));
}

TEST(StartUp, MissingOrBrokenBitmapNamesTheFile) {
  const std::string dir = testes::PastaDadosCom({{"Galáxias.BMP", {'B', 'M', ' ', 'n', 'o'}}});
  const auto erro = [&] {
    HeadlessPlatform p;
    Form1 form(p, dir, nullptr);
    return testes::Erro([&] { form.Form_Load("/sa /sp"); });
  };
  EXPECT_NE(erro().find("Galáxias.BMP: not a BMP file"), std::string::npos) << erro();
  std::filesystem::remove(dir + "/Galáxias.BMP");
  EXPECT_NE(erro().find("Galáxias.BMP: cannot open"), std::string::npos) << erro();
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace vartenos
