#include "sim/vision.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "display/image_files.h"
#include "display/sprites.h"

namespace vartenos::sim {

namespace {

constexpr size_t kAmostra = 32;
// A sprite is seen when this many of its 32 sampled pixels show: enough to find one half hidden
// under a shot or an explosion, too many for the star field to fake one.
constexpr uint8_t kAcertoMinimo = 20;

uint16_t Cor565(const ImagemRgb& img, int32_t x, int32_t y) {
  const uint8_t* p = img.At(x, y);
  return Rgb565(p[0], p[1], p[2]);
}

}  // namespace

bool Visao::CarregarFolha(const std::string& path, Grupo grupo, const Sprite& sprite, std::string& error) {
  const int celulas = sprite.celulas, w = sprite.largura, h = sprite.altura;
  ImagemRgb img;
  if (!LerBmp(path, img, error)) return false;
  if (img.width < celulas * w || img.height < h) {
    error = path + ": the sheet is " + std::to_string(img.width) + " x " + std::to_string(img.height) +
            " pixels, too small for " + std::to_string(celulas) + " cells of " + std::to_string(w) + " x " +
            std::to_string(h);
    return false;
  }
  for (int c = 0; c < celulas; ++c) {
    Modelo m{grupo, static_cast<uint8_t>(c), static_cast<int8_t>(w), static_cast<int8_t>(h), {}};
    std::vector<Pixel> opacos;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const uint16_t cor = Cor565(img, c * w + x, y);
        // Black is the colour key of the keyed sheets and the background of the opaque ones: it
        // tells nothing either way.
        if (cor != 0) opacos.push_back({static_cast<int8_t>(x), static_cast<int8_t>(y), cor});
      }
    }
    if (opacos.empty()) continue;
    for (size_t i = 0; i < kAmostra && i < opacos.size(); ++i)
      m.amostra.push_back(opacos[i * opacos.size() / std::min(kAmostra, opacos.size())]);
    modelos_.push_back(std::move(m));
    opacos_.push_back(std::move(opacos));
  }
  return true;
}

bool Visao::Carregar(const std::string& data_dir, std::string& error) {
  const std::string pasta = data_dir.empty() || data_dir.back() == '/' ? data_dir : data_dir + "/";
  modelos_.clear();
  opacos_.clear();
  if (!CarregarFolha(pasta + "Nave.BMP", Nave, kSpriteNave, error) ||
      !CarregarFolha(pasta + "Inimigos.BMP", Inimigo, kSpriteInimigo, error) ||
      !CarregarFolha(pasta + "Tiro_Inimigo.BMP", TiroInimigo, kSpriteTiroInimigo, error) ||
      !CarregarFolha(pasta + "Extras.BMP", Extra, kSpriteExtra, error))
    return false;
  EscolherAncoras();
  return true;
}

// Each sprite is looked for by three of its pixels, one in each third of its height, of the colours
// rarest among all the sprites: a pixel of such a colour on screen names few places where a sprite may
// stand, and three of them let a sprite be found with a part of it covered.
void Visao::EscolherAncoras() {
  std::vector<uint32_t> frequencia(65536, 0);
  for (const auto& opacos : opacos_)
    for (const Pixel& p : opacos) ++frequencia[p.cor];
  std::vector<std::pair<uint16_t, Ancora>> ordenadas;
  for (size_t m = 0; m < modelos_.size(); ++m) {
    const Modelo& modelo = modelos_[m];
    for (int faixa = 0; faixa < 3; ++faixa) {
      const Pixel* melhor = nullptr;
      for (const Pixel& p : opacos_[m]) {
        if (p.y * 3 / modelo.h != faixa) continue;
        if (melhor == nullptr || frequencia[p.cor] < frequencia[melhor->cor]) melhor = &p;
      }
      if (melhor != nullptr)
        ordenadas.push_back({melhor->cor, {static_cast<uint16_t>(m), melhor->x, melhor->y}});
    }
  }
  std::stable_sort(ordenadas.begin(), ordenadas.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  ancoras_.clear();
  primeira_ancora_.assign(65536, -1);
  n_ancoras_.assign(65536, 0);
  for (const auto& [c, a] : ordenadas) {
    if (primeira_ancora_[c] < 0) primeira_ancora_[c] = static_cast<int32_t>(ancoras_.size());
    ++n_ancoras_[c];
    ancoras_.push_back(a);
  }
}

uint8_t Visao::Conferir(const Surface& tela, const Modelo& m, int32_t ox, int32_t oy) const {
  size_t iguais = 0;
  for (const Pixel& p : m.amostra) iguais += tela.Pixel(ox + p.x, oy + p.y) == p.cor;
  return static_cast<uint8_t>(iguais * kAmostra / m.amostra.size());
}

void Visao::Olhar(const Surface& tela, Cena& cena) const {
  cena.nave_visivel = false;
  cena.n_inimigos = cena.n_tiros = cena.n_extras = 0;
  if (tela.Width() != kLarguraTela || tela.Height() != kAlturaTela) return;
  const uint16_t* pixels = tela.Pixels();
  for (int32_t y = 0; y < kAlturaTela; ++y) {
    const uint16_t* linha = pixels + static_cast<size_t>(y) * kLarguraTela;
    for (int32_t x = 0; x < kLarguraTela; ++x) {
      // The black of space is most of the picture: four black pixels are passed over at once.
      if ((x & 3) == 0) {
        uint64_t quatro;
        std::memcpy(&quatro, linha + x, sizeof quatro);
        if (quatro == 0) {
          x += 3;
          continue;
        }
      }
      if (linha[x] == 0) continue;
      const int32_t primeira = primeira_ancora_[linha[x]];
      if (primeira < 0) continue;
      for (int32_t k = primeira; k < primeira + n_ancoras_[linha[x]]; ++k) {
        const Ancora& a = ancoras_[static_cast<size_t>(k)];
        const Modelo& m = modelos_[a.modelo];
        const int32_t ox = x - a.x;
        const int32_t oy = y - a.y;
        // Every sprite is drawn whole or not at all, so one seen sticks out of no edge.
        if (ox < 0 || oy < 0 || ox + m.w > kLarguraTela || oy + m.h > kAlturaTela) continue;
        const uint8_t acerto = Conferir(tela, m, ox, oy);
        if (acerto < kAcertoMinimo) continue;
        const Visto v{static_cast<int16_t>(ox), static_cast<int16_t>(oy), m.celula, acerto};
        if (m.grupo == Nave) {
          if (!cena.nave_visivel || acerto > cena.nave.acerto) cena.nave = v;
          cena.nave_visivel = true;
          continue;
        }
        Visto* lista = m.grupo == Inimigo ? cena.inimigos.data()
                       : m.grupo == Extra ? cena.extras.data()
                                          : cena.tiros.data();
        size_t& n = m.grupo == Inimigo ? cena.n_inimigos : m.grupo == Extra ? cena.n_extras : cena.n_tiros;
        const size_t max = m.grupo == Inimigo ? Cena::kMaxInimigos
                           : m.grupo == Extra ? Cena::kMaxExtras
                                              : Cena::kMaxTiros;
        // The same sprite found again by another of its anchors, or a look-alike cell at its place.
        size_t i = 0;
        while (i < n && (std::abs(lista[i].x - ox) > 2 || std::abs(lista[i].y - oy) > 2)) ++i;
        if (i < n) {
          if (acerto > lista[i].acerto) lista[i] = v;
        } else if (n < max) {
          lista[n++] = v;
        }
      }
    }
  }
}

}  // namespace vartenos::sim
