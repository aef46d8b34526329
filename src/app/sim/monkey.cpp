#include "sim/monkey.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/keys.h"

namespace vartenos::sim {

Macaco::Macaco(uint32_t semente) : sorteio_(semente * 2654435761u + 0x9e3779b9u) {}

bool Macaco::Chance(int por_mil) { return static_cast<int>(Sortear() % 1000) < por_mil; }

void Macaco::NoMenu(const Form1& form, HeadlessPlatform& p, int32_t agora) {
  if (escolha_ == 0) {
    // Mostly a new game; now and then the sound, the music or the credits. Never "Sair": the
    // session goes on until the runner's time is up.
    const int r = Entre(1, 100);
    escolha_ = r <= 76 ? 1 : r <= 84 ? 2 : r <= 92 ? 3 : 4;
  }
  const int32_t opcao = form.Opcao_Menu;
  if (opcao == escolha_) {
    p.Tocar(agora + Entre(80, 400), VK_SPACE, VK_SPACE, Entre(60, 160));
    escolha_ = 0;
    proxima_ = agora + Entre(500, 1500);
  } else {
    // One step towards the choice, with the arrows or the keypad's 8 and 2.
    const bool subir = opcao > escolha_;
    if (Chance(500)) {
      p.Tocar(agora + Entre(60, 250), subir ? VK_UP : VK_DOWN, 0, Entre(50, 140));
    } else {
      const int16_t ch = subir ? '8' : '2';
      p.Tocar(agora + Entre(60, 250), ch, ch, Entre(50, 140));
    }
    proxima_ = agora + Entre(200, 450);
  }
}

void Macaco::NoJogo(const Form1& form, HeadlessPlatform& p, int32_t agora) {
  const int r = Entre(1, 1000);
  if (r <= 380) {
    // Steer: hold one arrow, sometimes two at once; more often than not towards an enemy in sight,
    // as a player lining up a shot.
    int i = Entre(0, 3);
    int32_t segurar = Entre(80, 1800);
    const Inimigo& alvo =
        form.Inimigos[static_cast<size_t>(Entre(0, static_cast<int32_t>(form.Inimigos.size()) - 1))];
    if (Chance(600) && alvo.Ativo && alvo.Y > 0 && alvo.Y < 480) {
      const double dx = alvo.X - form.Nave_X;
      i = dx < 0 ? 0 : 2;
      segurar = std::clamp(static_cast<int32_t>(std::abs(dx) * 5), 60, 1800);
    }
    if (soltar_[i] <= agora) {
      p.Tocar(agora + Entre(0, 60), kSetas[i], 0, segurar);
      soltar_[i] = agora + segurar + 60;
    }
    proxima_ = agora + Entre(50, 600);
  } else if (r <= 930) {
    // A burst of fire, the key held, as a keyboard repeats it.
    const int32_t inicio = agora + Entre(0, 80);
    const int32_t segurar = Entre(120, 3000);
    p.Agendar({inicio, EventoRoteiro::Down, VK_SPACE});
    for (int32_t t = inicio; t < inicio + segurar; t += 33) p.Agendar({t, EventoRoteiro::Press, VK_SPACE});
    p.Agendar({inicio + segurar, EventoRoteiro::Up, VK_SPACE});
    proxima_ = agora + Entre(100, 900);
  } else if (r <= 950) {
    p.Tocar(agora + Entre(50, 300), kTeclaPausa, Chance(500) ? kTeclaPausa : Minuscula(kTeclaPausa),
            Entre(60, 150));
    proxima_ = agora + Entre(600, 2000);
  } else if (r <= 999) {
    // Sound, music or the frame counter switched.
    static constexpr int16_t kTeclas[] = {kTeclaSom, kTeclaMusica, kTeclaFps};
    const int16_t k = kTeclas[Entre(0, 2)];
    p.Tocar(agora + Entre(50, 300), k, Chance(500) ? k : Minuscula(k), Entre(60, 150));
    proxima_ = agora + Entre(300, 1200);
  } else {
    p.Tocar(agora + Entre(50, 300), VK_ESCAPE, VK_ESCAPE, Entre(60, 150));  // leave the game
    proxima_ = agora + Entre(1000, 3000);
  }
}

void Macaco::Agir(const Form1& form, HeadlessPlatform& p) {
  const char* tela = form.Tela_Atual();
  const int32_t agora = p.TickCount();
  if (std::strcmp(tela, tela_) != 0) {
    if (std::strcmp(tela, "Main") == 0 && std::strcmp(tela_, "Menu") == 0) ++jogos_;
    tela_ = tela;
    // A new screen: the player takes a moment to see it. The pause and credits screens show once
    // and wait for a key, so what the player will press there is decided at once.
    const bool espera = std::strcmp(tela, "Pausa_AP") == 0 || std::strcmp(tela, "Creditos") == 0;
    proxima_ = espera ? agora : std::max(proxima_, agora + Entre(150, 700));
  }
  fase_maxima_ = std::max<int>(fase_maxima_, form.Fase_Atual);
  if (agora < proxima_) return;
  if (std::strcmp(tela, "Menu") == 0) {
    NoMenu(form, p, agora);
  } else if (std::strcmp(tela, "Main") == 0) {
    NoJogo(form, p, agora);
  } else if (std::strcmp(tela, "Pausa_AP") == 0) {
    // Back to the game after a while; sometimes a stray key first.
    if (Chance(300)) p.Tocar(agora + Entre(100, 400), kSetas[Entre(0, 3)], 0, Entre(60, 300));
    p.Tocar(agora + Entre(500, 4000), kTeclaPausa, Minuscula(kTeclaPausa), Entre(60, 150));
    proxima_ = agora + 4500;
  } else if (std::strcmp(tela, "Creditos") == 0 || std::strcmp(tela, "Abertura") == 0) {
    p.Tocar(agora + Entre(1000, 6000), VK_ESCAPE, VK_ESCAPE, Entre(60, 150));
    proxima_ = agora + 6500;
  } else {
    // The phase-end, closing and game-over screens: fire keys and Esc, as an impatient player.
    const int16_t k = Chance(500) ? VK_SPACE : VK_ESCAPE;
    p.Tocar(agora + Entre(300, 3000), k, k, Entre(60, 150));
    proxima_ = agora + 3500;
  }
}

}  // namespace vartenos::sim
