#include "sim/referee.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "sim/pilot_basics.h"

namespace vartenos::sim {

void Placar::Observar(const Form1& form, int32_t agora) {
  // Read after every present: a view of the screen's name, not a copy of it.
  const std::string_view tela = form.Tela_Atual();
  const int f = form.Fase_Atual;
  if (tela == "Main" && f >= 1 && f <= kFases) {
    Fase& fase = fases_[static_cast<size_t>(f - 1)];
    if (fase.inicio_ms < 0) fase.inicio_ms = agora;
    fase.ultimo_ms = agora;
    if (!em_jogo_) {
      vidas_ = form.Vidas;
      em_jogo_ = true;
    }
  }
  if (em_jogo_ && f >= 1 && f <= kFases) {
    Fase& fase = fases_[static_cast<size_t>(f - 1)];
    if (form.Vidas < vidas_) {
      fase.vidas_perdidas += static_cast<int32_t>(vidas_ - form.Vidas);
      Relatar_Perda(form, f, agora);
    } else if (form.Em_Fim_De_Jogo && !fim_de_jogo_) {
      // The last life: the game-over screen shows "Vidas: 0" from its first frame, so the fall below
      // zero is never presented.
      ++fase.vidas_perdidas;
      Relatar_Perda(form, f, agora);
    }
    fim_de_jogo_ = form.Em_Fim_De_Jogo;
    vidas_ = form.Vidas;
    // A slot that was in use and is free now: an enemy that left past an edge keeps the position it
    // left from, beyond the screen; one destroyed keeps where it died.
    for (size_t i = 0; i < form.Inimigos.size(); ++i) {
      const Inimigo& e = form.Inimigos[i];
      if (inimigo_ativo_[i] && !e.Ativo && e.Y <= 480 && e.X <= 640) ++fase.inimigos_destruidos;
      inimigo_ativo_[i] = e.Ativo;
    }
    for (size_t i = 0; i < form.Tiros_Inimigos.size(); ++i) tiro_ativo_[i] = form.Tiros_Inimigos[i].Ativo;
    for (size_t i = 0; i < form.Extras.size(); ++i) {
      const Extra& x = form.Extras[i];
      if (extra_ativo_[i] && !x.Ativo && x.Y <= 480) ++fase.extras;
      extra_ativo_[i] = x.Ativo;
    }
    if (tela == "Muda_Fase" && fase.fim_ms < 0) {
      fase.fim_ms = agora;
      fases_completas_ = f;
      if (f == kFases) final_ = true;
    }
  }
  if (f == kFases + 1) final_ = true;
  pontos_ = form.Pontos;
}

// What took a life, on standard error: the shot or enemy that went with it, near the ship. One that
// was drawn nowhere (partly off the picture) is marked unseen; nothing named means an enemy that came
// in and rammed in one frame.
void Placar::Relatar_Perda(const Form1& form, int fase, int32_t agora) const {
  const double nx = form.Nave_X, ny = form.Nave_Y;
  std::fprintf(stderr, "life lost: phase %d at %.2f s, ship at (%.0f, %.0f), speed %g:", fase, agora / 1000.0,
               nx, ny, static_cast<double>(form.Nave_Velocidade));
  for (size_t i = 0; i < form.Tiros_Inimigos.size(); ++i) {
    const Tiro_Inimigo& t = form.Tiros_Inimigos[i];
    if (tiro_ativo_[i] && !t.Ativo && std::abs(t.X - nx - 10) < 40 && std::abs(t.Y - ny - 12) < 40)
      std::fprintf(stderr, " shot at (%.0f, %.0f)%s", t.X, t.Y,
                   t.X + kTiroL > 640 || t.Y + kTiroL > 480 ? " unseen" : "");
  }
  for (size_t i = 0; i < form.Inimigos.size(); ++i) {
    const Inimigo& e = form.Inimigos[i];
    if (inimigo_ativo_[i] && !e.Ativo && std::abs(e.X - nx) < 45 && std::abs(e.Y - ny) < 45)
      std::fprintf(stderr, " pattern-%g enemy at (%.0f, %.0f)%s", static_cast<double>(e.Padrao), e.X, e.Y,
                   e.X < 0 || e.Y < 0 || e.X + kInimigoL > 640 || e.Y + kInimigoA > 480 ? " unseen" : "");
  }
  std::fprintf(stderr, "\n");
}

std::string Placar::Json(uint32_t semente) const {
  char buf[256];
  std::snprintf(buf, sizeof buf,
                "{\"seed\":%u,\"phases_cleared\":%d,\"reached_closing\":%s,\"score\":%d,\"lives_left\":%g,"
                "\"per_phase\":[",
                semente, fases_completas_, final_ ? "true" : "false", pontos_,
                std::max(0.0, static_cast<double>(vidas_)));
  std::string out = buf;
  bool primeira = true;
  for (size_t i = 0; i < fases_.size(); ++i) {
    const Fase& f = fases_[i];
    if (f.inicio_ms < 0) continue;
    const double segundos = ((f.fim_ms >= 0 ? f.fim_ms : f.ultimo_ms) - f.inicio_ms) / 1000.0;
    std::snprintf(buf, sizeof buf,
                  "%s{\"phase\":%zu,\"cleared\":%s,\"seconds\":%.1f,\"lives_lost\":%d,\"extras\":%d,"
                  "\"enemies_destroyed\":%d}",
                  primeira ? "" : ",", i + 1, f.fim_ms >= 0 ? "true" : "false", segundos, f.vidas_perdidas,
                  f.extras, f.inimigos_destruidos);
    out += buf;
    primeira = false;
  }
  out += "]}";
  return out;
}

}  // namespace vartenos::sim
