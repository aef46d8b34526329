#include "sim/pilot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vartenos::sim {

namespace {

constexpr int32_t kVermelho = 0x0000FF;  // the menu's selected item

bool Comeca(const std::string& s, const char* prefixo) { return s.rfind(prefixo, 0) == 0; }

}  // namespace

bool LerHabilidade(const std::string& texto, Habilidade& h, std::string& erro) {
  // The levels that model people: how late they see, how far off their keys land, how many threats they
  // follow at once and how far ahead they look.
  if (texto == "maquina") {
    h = {};
  } else if (texto == "experiente") {
    h = {150, 20, 12, 1000};
  } else if (texto == "regular") {
    h = {220, 35, 8, 750};
  } else if (texto == "novato") {
    h = {300, 50, 5, 500};
  } else {
    Habilidade lida;
    char resto = 0;
    if (std::sscanf(texto.c_str(), "%d/%d/%d/%d%c", &lida.atraso_ms, &lida.desvio_ms, &lida.ameacas,
                    &lida.olhar_ms, &resto) != 4 ||
        lida.atraso_ms < 0 || lida.atraso_ms > 1000 || lida.desvio_ms < 0 || lida.desvio_ms > 200 ||
        lida.ameacas < 0 || lida.olhar_ms < 25 || lida.olhar_ms > 1000) {
      erro =
          "not a skill level (maquina, experiente, regular, novato, or DELAY/SIGMA/THREATS/LOOKAHEAD with "
          "0-1000 ms, 0-200 ms, a count (0 for all), 25-1000 ms): " +
          texto;
      return false;
    }
    h = lida;
  }
  return true;
}

Piloto::Piloto(uint32_t semente, const Visao& visao, const Habilidade& habilidade)
    : visao_(visao),
      sorteio_(semente * 2246822519u + 0x85ebca6bu),
      habilidade_(habilidade),
      maos_(semente * 3266489917u + 0x27d4eb2fu) {
  Situacao& s = situacao_;
  s.horizonte = std::clamp(habilidade.olhar_ms / 25, 1, kHorizonte);
  planejador_ = Planejador(Entre(395, 425));
  reacao_ms_ = Entre(1, 6);
  // Keys pressed after a picture reach the frames that start once they have landed, 25 ms apart.
  s.espera = std::max(1, (reacao_ms_ + habilidade_.atraso_ms + 24) / 25);
  if (s.Fim() > kMaxQuadros) s.horizonte = kMaxQuadros - s.espera + 1;
}

double Piloto::Normal() {
  const double u1 = (maos_.Sortear() + 1.0) / 4294967296.0, u2 = maos_.Sortear() / 4294967296.0;
  return std::sqrt(-2 * std::log(u1)) * std::cos(2 * 3.14159265358979323846 * u2);
}

void Piloto::Mover_Tecla(HeadlessPlatform& p, int32_t agora, size_t k, bool segurar) {
  int32_t t = agora + reacao_ms_ + habilidade_.atraso_ms;
  if (habilidade_.desvio_ms > 0) t += static_cast<int32_t>(std::lround(Normal() * habilidade_.desvio_ms));
  // A key cannot come up before it went down: each key's changes land in the order they were made.
  t = std::max({t, agora + 1, chegada_[k] + 1});
  chegada_[k] = t;
  Segurar(p, t, k < 4 ? kSetas[k] : kEspaco, segurar);
  tecla_[k] = segurar;
}

void Piloto::Lembrar_Setas(int32_t agora, int8_t dx, int8_t dy) {
  if (n_setas_ == setas_.size()) {
    std::copy(setas_.begin() + 1, setas_.end(), setas_.begin());
    --n_setas_;
  }
  setas_[n_setas_++] = {agora + reacao_ms_ + habilidade_.atraso_ms, dx, dy};
}

void Piloto::Setas_Em(int32_t t, int8_t& dx, int8_t& dy) const {
  dx = dy = 0;
  for (size_t i = n_setas_; i-- > 0;) {
    if (setas_[i].t <= t) {
      dx = setas_[i].dx;
      dy = setas_[i].dy;
      return;
    }
  }
}

void Piloto::Prever_Nave(int32_t agora) {
  const Situacao& s = situacao_;
  base_x_[0] = s.nave_x;
  base_y_[0] = s.nave_y;
  for (int t = 1; t < s.espera; ++t) {
    int8_t dx = 0, dy = 0;
    Setas_Em(agora + 25 * t, dx, dy);
    const size_t i = static_cast<size_t>(t);
    base_x_[i] = std::clamp(base_x_[i - 1] + dx * s.velocidade, 0.0, kNaveMaxX);
    base_y_[i] = std::clamp(base_y_[i - 1] + dy * s.velocidade, 0.0, kNaveMaxY);
  }
}

void Piloto::Segurar(HeadlessPlatform& p, int32_t t, int16_t vk, bool segurar) {
  p.Agendar({t, segurar ? EventoRoteiro::Down : EventoRoteiro::Up, vk});
  if (segurar && vk == kEspaco) p.Agendar({t, EventoRoteiro::Press, vk});
}

// A key struck and let go, held as long as a person's finger stays on it.
void Piloto::Tocar(HeadlessPlatform& p, int32_t t, int16_t vk, int16_t ch) {
  p.Tocar(t, vk, ch, Entre(60, 120));
}

Piloto::Tela Piloto::LerTextos(const Coletor& textos) {
  Tela tela = Tela::Outra;
  situacao_.invencivel = 0;
  menu_novo_jogo_ = false;
  for (size_t i = 0; i < textos.n_textos; ++i) {
    const TextoDesenhado& t = textos.textos[i];
    if (Comeca(t.texto, "Vidas: ")) {
      tela = Tela::Jogo;
    } else if (Comeca(t.texto, "Inv: ")) {
      situacao_.invencivel = std::atoi(t.texto.c_str() + 5);
    } else if (t.texto == "Novo jogo" && t.y == 265) {
      tela = Tela::Menu;
      menu_novo_jogo_ = t.cor == kVermelho;
    } else if (t.texto == "Pausa") {
      tela = Tela::Pausa;
    } else if (Comeca(t.texto, "Fase ") && t.texto.find(" completa") != std::string::npos) {
      tela = Tela::FaseCompleta;
      situacao_.fase = std::atoi(t.texto.c_str() + 5) + 1;
    } else if (Comeca(t.texto, "Parab")) {
      tela = Tela::Final;
    } else if (t.texto == "Fim de jogo.") {
      tela = Tela::FimDeJogo;
    }
  }
  return tela;
}

void Piloto::Agir(const Surface& tela, const Coletor& textos, HeadlessPlatform& p) {
  if (terminou_) return;
  const int32_t agora = p.TickCount();
  tela_anterior_ = tela_;
  tela_ = LerTextos(textos);
  const bool nova_tela = tela_ != tela_anterior_;
  if (nova_tela) proxima_ = agora + Entre(300, 700);  // a person takes in a new screen first

  if (tela_ != Tela::Jogo) {
    // Off the play field every held key comes up, as the hands leave the keys.
    for (size_t k = 0; k < tecla_.size(); ++k)
      if (tecla_[k]) Mover_Tecla(p, agora, k, false);
    if (dx_ != 0 || dy_ != 0) Lembrar_Setas(agora, 0, 0);
    dx_ = dy_ = 0;
    trilhas_.Esquecer();
    planejador_.Esquecer_Alvo();
  }
  switch (tela_) {
    case Tela::Menu:
      NoMenu(p, agora);
      break;
    case Tela::Jogo:
      if (nova_tela) {
        // A game starts with every key up: fire goes down once the Space that chose the game is up.
        chegada_[4] = agora + 150 + habilidade_.atraso_ms;
        Segurar(p, chegada_[4], kEspaco, true);
        tecla_[4] = true;
      }
      visao_.Olhar(tela, cena_);
      NoJogo(p, agora);
      break;
    case Tela::Pausa:
      if (agora >= proxima_) {
        Tocar(p, agora + reacao_ms_ + habilidade_.atraso_ms, kTeclaP, kTeclaP);
        proxima_ = agora + 1000;
      }
      break;
    case Tela::FaseCompleta:
    case Tela::Outra:
      // The phase-complete screen and the intro's lines are left with Esc.
      if (agora >= proxima_) {
        Tocar(p, agora + reacao_ms_ + habilidade_.atraso_ms, kEsc, kEsc);
        proxima_ = agora + Entre(800, 1200);
      }
      break;
    case Tela::Final:
    case Tela::FimDeJogo:
      // The end of the game: the pilot reads the screen for a moment and closes the window.
      p.EncerrarEm(agora + 1000);
      terminou_ = true;
      break;
  }
}

void Piloto::NoMenu(HeadlessPlatform& p, int32_t agora) {
  if (agora < proxima_) return;
  if (menu_novo_jogo_) {
    Tocar(p, agora + reacao_ms_ + habilidade_.atraso_ms, kEspaco, kEspaco);
    situacao_.nave_x = 300;
    situacao_.nave_y = 400;
    situacao_.velocidade = 3;
    situacao_.fase = 1;
    n_setas_ = 0;
  } else {
    Tocar(p, agora + reacao_ms_ + habilidade_.atraso_ms, kSetas[1], 0);
  }
  proxima_ = agora + Entre(300, 500);
}

void Piloto::Decidir(HeadlessPlatform& p, int32_t agora) {
  Prever_Nave(agora);
  ameacas_.Prever(situacao_, trilhas_, habilidade_.ameacas);
  const Plano melhor =
      planejador_.Escolher({situacao_, base_x_, base_y_, ameacas_, trilhas_, cena_, trafego_}, dx_, dy_);
  dx_ = melhor.dx;
  dy_ = melhor.dy;
  Lembrar_Setas(agora, dx_, dy_);
  const bool quer[5] = {dx_<0, dy_<0, dx_> 0, dy_> 0, true};
  for (size_t k = 0; k < tecla_.size(); ++k)
    if (quer[k] != tecla_[k]) Mover_Tecla(p, agora, k, quer[k]);
}

void Piloto::NoJogo(HeadlessPlatform& p, int32_t agora) {
  Situacao& s = situacao_;
  // Where the ship is: seen, or reckoned from the keys while it blinks.
  const double antes_x = s.nave_x, antes_y = s.nave_y;
  int8_t sx = 0, sy = 0;  // the arrows held in this picture's frame
  Setas_Em(agora, sx, sy);
  s.nave_x = std::clamp(s.nave_x + sx * s.velocidade, 0.0, kNaveMaxX);
  s.nave_y = std::clamp(s.nave_y + sy * s.velocidade, 0.0, kNaveMaxY);
  if (cena_.nave_visivel) {
    s.nave_x = cena_.nave.x;
    s.nave_y = cena_.nave.y;
    // Its speed shows in a free move sideways (speed extras add to it, a lost life takes them away).
    const double passo = std::abs(s.nave_x - antes_x);
    if (sx != 0 && s.nave_x > 0 && s.nave_x < kNaveMaxX && passo >= 1 && passo <= 8) s.velocidade = passo;
  }
  s.nave_antes_x = antes_x;
  s.nave_antes_y = antes_y;
  trilhas_.Seguir(cena_, s);
  trafego_.Anotar(cena_);
  planejador_.Escolher_Alvo(s, trilhas_);
  Decidir(p, agora);
}

}  // namespace vartenos::sim
