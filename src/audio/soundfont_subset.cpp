#include "audio/soundfont_subset.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>

#include "audio/midi_file.h"
#include "platform/byte_files.h"

namespace vartenos {

namespace {

constexpr int kKit = 128 * 128;  // the standard drum kit: bank 128, program 0

void Somar(std::vector<uint16_t>& v, uint16_t nota) {
  const auto it = std::lower_bound(v.begin(), v.end(), nota);
  if (it == v.end() || *it != nota) v.insert(it, nota);
}

struct Evento {
  uint32_t tick;
  int trilha;
  int ordem;
  uint8_t status;
  uint8_t a, b;
};

}  // namespace

bool SomarNotasDaPeca(const uint8_t* d, size_t n, NotasDasPecas& notas) {
  if (d == nullptr || n < 14 || std::memcmp(d, "MThd", 4) != 0) return false;
  const uint16_t divisao = static_cast<uint16_t>((d[12] << 8) | d[13]);
  // How far apart two tracks' events may be sent out of order: the player sends each track's events
  // up to the current tick in turn, a block of samples at a time. A sixteenth note is far beyond that.
  const uint32_t folga = (divisao & 0x8000) != 0 ? 1000 : std::max<uint32_t>(divisao / 4, 8);
  std::vector<Evento> eventos;
  int ordem = 0;
  PercorrerMensagensMidi(d, n, [&](uint32_t tick, int trilha, uint8_t status, uint8_t a, uint8_t b) {
    const int tipo = status & 0xF0;
    if (tipo == 0x90 || tipo == 0xB0 || tipo == 0xC0)
      eventos.push_back({tick, trilha, ordem++, status, a, b});
  });

  // Per channel: every instrument the file selects on it, and where it first selects one.
  std::vector<int> instrumentos[16];
  const Evento* primeira[16] = {};
  int banco[16] = {};
  for (const Evento& e : eventos) {
    const int canal = e.status & 0x0F;
    if ((e.status & 0xF0) == 0xB0 && e.a == 0) banco[canal] = e.b;
    if ((e.status & 0xF0) != 0xC0) continue;
    const int inst = canal == 9 ? 128 * 128 + e.a : banco[canal] * 128 + e.a;
    if (std::find(instrumentos[canal].begin(), instrumentos[canal].end(), inst) == instrumentos[canal].end())
      instrumentos[canal].push_back(inst);
    const Evento* p = primeira[canal];
    if (p == nullptr || e.tick < p->tick || (e.tick == p->tick && e.trilha < p->trilha)) primeira[canal] = &e;
  }
  for (const Evento& e : eventos) {
    if ((e.status & 0xF0) != 0x90 || e.b == 0) continue;
    const int canal = e.status & 0x0F;
    const auto nota = static_cast<uint16_t>(e.a * 128 + e.b);
    for (int inst : instrumentos[canal]) Somar(notas.por_instrumento[inst], nota);
    const Evento* p = primeira[canal];
    const bool depois = p != nullptr && (p->trilha == e.trilha
                                             ? (e.tick > p->tick || (e.tick == p->tick && e.ordem > p->ordem))
                                             : e.tick > p->tick + folga);
    if (!depois) Somar(notas.qualquer, static_cast<uint16_t>(canal == 9 ? 0x8000 | nota : nota));
  }
  return true;
}

namespace {

// The records of a soundfont's preset data ("pdta"), as in the file.
constexpr size_t kPhdr = 38, kBag = 4, kMod = 10, kGen = 4, kInst = 22, kShdr = 46;
constexpr uint16_t kGenFaixaTeclas = 43, kGenFaixaVelocidade = 44, kGenInstrumento = 41, kGenAmostra = 53;

struct Lista {
  const uint8_t* p = nullptr;
  size_t n = 0;  // records, the closing one included
};

struct Faixa {
  int tecla_min = 0, tecla_max = 127, vel_min = 0, vel_max = 127;
};

// A zone's key and velocity ranges as the synthesizer reads them: a key range only as the zone's first
// generator, a velocity range only first or right after the key range; anything else plays everywhere.
Faixa FaixaDaZona(const uint8_t* gens, size_t n) {
  Faixa f;
  size_t i = 0;
  if (i < n && Le16(gens) == kGenFaixaTeclas) {
    f.tecla_min = gens[2];
    f.tecla_max = gens[3];
    ++i;
  }
  if (i < n && Le16(gens + i * kGen) == kGenFaixaVelocidade) {
    f.vel_min = gens[i * kGen + 2];
    f.vel_max = gens[i * kGen + 3];
  }
  return f;
}

bool Dentro(const Faixa& f, uint16_t nota) {
  const int k = (nota >> 7) & 0x7F, v = nota & 0x7F;
  return k >= f.tecla_min && k <= f.tecla_max && v >= f.vel_min && v <= f.vel_max;
}

// The index a zone's generators point to with `oper` (instrument or sample), or -1 for a global zone.
int Alvo(const uint8_t* gens, size_t n, uint16_t oper) {
  for (size_t i = 0; i < n; ++i) {
    if (Le16(gens + i * kGen) == oper) return Le16(gens + i * kGen + 2);
  }
  return -1;
}

void PoeId(std::vector<uint8_t>& v, const char* id, uint32_t tamanho) {
  PoeTexto(v, id);
  PoeLe32(v, tamanho);
}

class Leitor {
 public:
  explicit Leitor(const std::string& caminho) : f_(caminho, std::ios::binary | std::ios::ate) {
    if (f_) tamanho_ = static_cast<uint64_t>(std::max<std::streamoff>(0, f_.tellg()));
  }
  bool Aberto() const { return static_cast<bool>(f_); }
  // Whether `n` bytes from `pos` lie inside the file: a size read from the file is checked with it
  // before anything that big is made room for.
  bool Cabe(uint64_t pos, uint64_t n) const { return pos <= tamanho_ && n <= tamanho_ - pos; }
  bool Ler(uint64_t pos, size_t n, uint8_t* out) {
    f_.clear();
    f_.seekg(static_cast<std::streamoff>(pos));
    f_.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(n));
    return static_cast<size_t>(f_.gcount()) == n;
  }

 private:
  std::ifstream f_;
  uint64_t tamanho_ = 0;
};

}  // namespace

void SoundfontParcial::Acrescentar(std::vector<uint8_t> bytes) {
  Pedaco p;
  p.inicio = tamanho_;
  p.tamanho = bytes.size();
  p.bytes = std::move(bytes);
  tamanho_ += p.tamanho;
  pedacos_.push_back(std::move(p));
}

void SoundfontParcial::AcrescentarAmostras(uint64_t pontos, int largura, uint64_t arquivo_pos) {
  Pedaco p;
  p.inicio = tamanho_;
  p.tamanho = pontos * static_cast<uint64_t>(largura);
  p.largura = largura;
  p.arquivo_pos = arquivo_pos;
  tamanho_ += p.tamanho;
  pedacos_.push_back(std::move(p));
}

bool SoundfontParcial::Ler(int arquivo, uint64_t pos, size_t n, uint8_t* out) const {
  if (pos > tamanho_ || n > tamanho_ - pos) return false;
  const uint64_t fim = pos + n;
  for (const Pedaco& p : pedacos_) {
    const uint64_t a = std::max(pos, p.inicio), b = std::min(fim, p.inicio + p.tamanho);
    if (a >= b) continue;
    uint8_t* destino = out + (a - pos);
    if (!p.bytes.empty()) {
      std::memcpy(destino, p.bytes.data() + (a - p.inicio), b - a);
      continue;
    }
    // The guard points between samples are zero; the runs come from the file.
    std::memset(destino, 0, b - a);
    const uint64_t w = static_cast<uint64_t>(p.largura);
    const auto primeiro = std::upper_bound(trechos_.begin(), trechos_.end(), (a - p.inicio) / w,
                                           [](uint64_t x, const Trecho& t) { return x < t.para; });
    for (auto t = primeiro == trechos_.begin() ? primeiro : primeiro - 1; t != trechos_.end(); ++t) {
      const uint64_t ta = p.inicio + t->para * w, tb = ta + t->quantas * w;
      if (ta >= b) break;
      const uint64_t x = std::max(a, ta), y = std::min(b, tb);
      if (x >= y) continue;
      uint64_t feitos = 0;
      while (feitos < y - x) {
        const ssize_t r = ::pread(arquivo, out + (x - pos) + feitos, y - x - feitos,
                                  static_cast<off_t>(p.arquivo_pos + t->de * w + (x - ta) + feitos));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        feitos += static_cast<uint64_t>(r);
      }
    }
  }
  return true;
}

bool ExtrairSoundfont(const std::string& caminho, const NotasDasPecas& notas, SoundfontParcial& saida,
                      std::string& erro) {
  saida = SoundfontParcial();
  saida.origem_ = caminho;
  Leitor arq(caminho);
  if (!arq.Aberto()) {
    erro = caminho + ": cannot open";
    return false;
  }
  const auto falha = [&](const char* problema) {
    erro = caminho + ": " + problema;
    return false;
  };
  uint8_t cab[12];
  if (!arq.Ler(0, 12, cab) || std::memcmp(cab, "RIFF", 4) != 0 || std::memcmp(cab + 8, "sfbk", 4) != 0)
    return falha("not a soundfont (no RIFF sfbk header)");
  const uint64_t fim_riff = 8 + uint64_t{Le32(cab + 4)};

  // The three lists: INFO is copied whole, sdta gives where the samples are, pdta is read whole.
  std::vector<uint8_t> info, pdta;
  uint64_t smpl_pos = 0, smpl_tam = 0, sm24_pos = 0, sm24_tam = 0;
  for (uint64_t pos = 12; pos + 12 <= fim_riff;) {
    uint8_t c[12];
    if (!arq.Ler(pos, 12, c)) break;
    const uint64_t tam = Le32(c + 4);
    if (std::memcmp(c, "LIST", 4) == 0 && tam >= 4) {
      if (std::memcmp(c + 8, "INFO", 4) == 0) {
        if (!arq.Cabe(pos, 8 + tam)) return falha("cut short in its INFO list");
        info.resize(8 + tam);
        if (!arq.Ler(pos, info.size(), info.data())) return falha("cut short in its INFO list");
      } else if (std::memcmp(c + 8, "pdta", 4) == 0) {
        if (!arq.Cabe(pos + 12, tam - 4)) return falha("cut short in its preset data");
        pdta.resize(tam - 4);
        if (!arq.Ler(pos + 12, pdta.size(), pdta.data())) return falha("cut short in its preset data");
      } else if (std::memcmp(c + 8, "sdta", 4) == 0) {
        for (uint64_t s = pos + 12; s + 8 <= pos + 8 + tam;) {
          uint8_t h[8];
          if (!arq.Ler(s, 8, h)) break;
          const uint64_t t = Le32(h + 4);
          if (std::memcmp(h, "smpl", 4) == 0) smpl_pos = s + 8, smpl_tam = t;
          if (std::memcmp(h, "sm24", 4) == 0) sm24_pos = s + 8, sm24_tam = t;
          s += 8 + t + (t & 1);
        }
      }
    }
    pos += 8 + tam + (tam & 1);
  }
  if (info.empty() || pdta.empty() || smpl_tam == 0)
    return falha("not a soundfont (INFO, sdta or pdta missing)");
  // The samples are read later, while the synthesizer loads: they must all be there now.
  if (!arq.Cabe(smpl_pos, smpl_tam) || !arq.Cabe(sm24_pos, sm24_tam))
    return falha("cut short in its sample data");
  const uint64_t total_amostras = smpl_tam / 2;
  // The 24-bit extension only counts when it matches the 16-bit data, as the synthesizer reads it.
  const bool com_sm24 = sm24_tam == (total_amostras + (total_amostras & 1)) || sm24_tam == total_amostras;

  Lista phdr, pbag, pmod, pgen, inst, ibag, imod, igen, shdr;
  const std::pair<const char*, std::pair<Lista*, size_t>> partes[] = {
      {"phdr", {&phdr, kPhdr}}, {"pbag", {&pbag, kBag}},  {"pmod", {&pmod, kMod}},
      {"pgen", {&pgen, kGen}},  {"inst", {&inst, kInst}}, {"ibag", {&ibag, kBag}},
      {"imod", {&imod, kMod}},  {"igen", {&igen, kGen}},  {"shdr", {&shdr, kShdr}}};
  for (size_t pos = 0; pos + 8 <= pdta.size();) {
    const size_t tam = Le32(pdta.data() + pos + 4);
    if (tam > pdta.size() - pos - 8) return falha("cut short in its preset data");
    for (const auto& [id, destino] : partes) {
      if (std::memcmp(pdta.data() + pos, id, 4) != 0) continue;
      if (tam % destino.second != 0 || tam < destino.second) return falha("damaged preset data");
      destino.first->p = pdta.data() + pos + 8;
      destino.first->n = tam / destino.second;
    }
    pos += 8 + tam + (tam & 1);
  }
  for (const auto& [id, destino] : partes) {
    if (destino.first->n == 0) return falha("damaged preset data");
  }
  const auto bag_gen = [](const Lista& bag, size_t i) { return Le16(bag.p + i * kBag); };
  const auto bag_mod = [](const Lista& bag, size_t i) { return Le16(bag.p + i * kBag + 2); };
  // Every index must stay inside its list, or the file is left to the synthesizer as it is.
  for (size_t i = 0; i + 1 < phdr.n; ++i) {
    if (Le16(phdr.p + i * kPhdr + 24) > Le16(phdr.p + (i + 1) * kPhdr + 24)) return falha("damaged presets");
  }
  for (size_t i = 0; i + 1 < inst.n; ++i) {
    if (Le16(inst.p + i * kInst + 20) > Le16(inst.p + (i + 1) * kInst + 20))
      return falha("damaged instruments");
  }
  if (Le16(phdr.p + (phdr.n - 1) * kPhdr + 24) >= pbag.n ||
      Le16(inst.p + (inst.n - 1) * kInst + 20) >= ibag.n)
    return falha("damaged zones");
  for (size_t i = 0; i + 1 < pbag.n; ++i) {
    if (bag_gen(pbag, i) > bag_gen(pbag, i + 1) || bag_mod(pbag, i) > bag_mod(pbag, i + 1))
      return falha("damaged preset zones");
  }
  for (size_t i = 0; i + 1 < ibag.n; ++i) {
    if (bag_gen(ibag, i) > bag_gen(ibag, i + 1) || bag_mod(ibag, i) > bag_mod(ibag, i + 1))
      return falha("damaged instrument zones");
  }
  if (bag_gen(pbag, pbag.n - 1) >= pgen.n || bag_mod(pbag, pbag.n - 1) >= pmod.n ||
      bag_gen(ibag, ibag.n - 1) >= igen.n || bag_mod(ibag, ibag.n - 1) >= imod.n)
    return falha("damaged zones");

  const size_t n_presets = phdr.n - 1;
  const auto numero = [&](size_t i) {
    return Le16(phdr.p + i * kPhdr + 22) * 128 + Le16(phdr.p + i * kPhdr + 20);  // bank, program
  };
  const auto existe = [&](int num) {
    for (size_t i = 0; i < n_presets; ++i) {
      if (numero(i) == num) return true;
    }
    return false;
  };
  // The preset each instrument plays on, with the notes it gets.
  std::map<int, std::vector<uint16_t>> por_preset;
  const auto resolver = [&](int i) {
    if (existe(i)) return i;
    if (i / 128 == 128) return kKit;
    if (existe(i % 128)) return i % 128;
    return 0;
  };
  por_preset[0];
  por_preset[resolver(kKit)];
  for (const auto& [i, ns] : notas.por_instrumento) {
    std::vector<uint16_t>& destino = por_preset[resolver(i)];
    for (uint16_t nota : ns) Somar(destino, nota);
  }
  for (auto& [num, ns] : por_preset) {
    for (uint16_t q : notas.qualquer) {
      if (((q & 0x8000) != 0) == (num / 128 == 128)) Somar(ns, static_cast<uint16_t>(q & 0x3FFF));
    }
  }

  // Which instrument zones some note reaches, through a preset zone it reaches too.
  std::vector<std::vector<bool>> zonas_inst(inst.n - 1);
  std::vector<bool> inst_usado(inst.n - 1, false);
  std::vector<bool> presets(n_presets, false);
  std::vector<std::vector<bool>> zonas_preset(n_presets);
  for (size_t p = 0; p < n_presets; ++p) {
    const auto achado = por_preset.find(numero(p));
    if (achado == por_preset.end()) continue;
    presets[p] = true;
    const std::vector<uint16_t>& ns = achado->second;
    const size_t b0 = Le16(phdr.p + p * kPhdr + 24), b1 = Le16(phdr.p + (p + 1) * kPhdr + 24);
    zonas_preset[p].assign(b1 - b0, false);
    for (size_t b = b0; b < b1; ++b) {
      const uint8_t* gens = pgen.p + bag_gen(pbag, b) * kGen;
      const size_t ng = bag_gen(pbag, b + 1) - bag_gen(pbag, b);
      const int alvo = Alvo(gens, ng, kGenInstrumento);
      if (alvo < 0) {
        zonas_preset[p][b - b0] = true;  // the global zone, or one the synthesizer ignores
        continue;
      }
      if (static_cast<size_t>(alvo) + 1 >= inst.n) return falha("a preset zone names no instrument");
      const Faixa fp = FaixaDaZona(gens, ng);
      const size_t i0 = Le16(inst.p + alvo * kInst + 20), i1 = Le16(inst.p + (alvo + 1) * kInst + 20);
      std::vector<bool>& zi = zonas_inst[alvo];
      if (zi.empty()) zi.assign(i1 - i0, false);
      for (size_t z = i0; z < i1; ++z) {
        const uint8_t* igens = igen.p + bag_gen(ibag, z) * kGen;
        const size_t nig = bag_gen(ibag, z + 1) - bag_gen(ibag, z);
        if (Alvo(igens, nig, kGenAmostra) < 0) {
          zi[z - i0] = true;  // the instrument's global zone
          continue;
        }
        const Faixa fi = FaixaDaZona(igens, nig);
        if (std::any_of(ns.begin(), ns.end(),
                        [&](uint16_t nota) { return Dentro(fp, nota) && Dentro(fi, nota); })) {
          zi[z - i0] = true;
          zonas_preset[p][b - b0] = true;
          inst_usado[alvo] = true;
        }
      }
    }
  }

  // The samples those zones use, laid out anew one after another, each followed by the 46 points the
  // format asks for (copied from the file, as the synthesizer would find them there).
  const size_t n_amostras = shdr.n - 1;
  std::vector<int> nova_amostra(n_amostras, -1);
  for (size_t a = 0; a + 1 < inst.n; ++a) {
    if (!inst_usado[a]) continue;
    const size_t i0 = Le16(inst.p + a * kInst + 20);
    for (size_t z = 0; z < zonas_inst[a].size(); ++z) {
      if (!zonas_inst[a][z]) continue;
      const uint8_t* igens = igen.p + bag_gen(ibag, i0 + z) * kGen;
      const int s = Alvo(igens, bag_gen(ibag, i0 + z + 1) - bag_gen(ibag, i0 + z), kGenAmostra);
      if (s >= 0 && static_cast<size_t>(s) >= n_amostras) return falha("an instrument zone names no sample");
      if (s >= 0) nova_amostra[s] = 0;
    }
  }
  std::vector<SoundfontParcial::Trecho>& trechos = saida.trechos_;
  std::vector<uint8_t> cabecalhos;
  uint64_t n_novas = 0;  // sample points in the new file
  int proxima = 0;
  for (size_t s = 0; s < n_amostras; ++s) {
    if (nova_amostra[s] < 0) continue;
    nova_amostra[s] = proxima++;
    const uint8_t* h = shdr.p + s * kShdr;
    const uint32_t inicio = Le32(h + 20), fim = Le32(h + 24), laco0 = Le32(h + 28), laco1 = Le32(h + 32);
    const bool rom = (Le16(h + 44) & 0x8000) != 0;
    uint64_t de = std::min({inicio, fim, laco0, laco1});
    uint64_t ate = std::max({inicio, fim, laco0, laco1}) + uint64_t{46};
    if (rom) de = ate = 0;
    ate = std::min(ate, total_amostras);
    if (de > ate) return falha("a sample lies outside the sample data");
    cabecalhos.insert(cabecalhos.end(), h, h + 20);
    for (uint32_t v : {inicio, fim, laco0, laco1}) {
      PoeLe32(cabecalhos, rom ? v : static_cast<uint32_t>(v - de + n_novas));
    }
    cabecalhos.insert(cabecalhos.end(), h + 36, h + 40);  // sample rate
    cabecalhos.push_back(h[40]);
    cabecalhos.push_back(h[41]);
    PoeLe16(cabecalhos, Le16(h + 42));  // the link, renumbered below
    PoeLe16(cabecalhos, Le16(h + 44));
    if (ate > de) trechos.push_back({de, ate - de, n_novas});
    n_novas += ate - de + 46;
  }
  for (int s = 0; s < proxima; ++s) {
    uint8_t* link = cabecalhos.data() + static_cast<size_t>(s) * kShdr + 42;
    const uint16_t antigo = Le16(link);
    const int novo = antigo < n_amostras ? nova_amostra[antigo] : -1;
    const uint16_t v = static_cast<uint16_t>(novo >= 0 ? novo : s);
    link[0] = static_cast<uint8_t>(v);
    link[1] = static_cast<uint8_t>(v >> 8);
  }
  cabecalhos.insert(cabecalhos.end(), shdr.p + n_amostras * kShdr, shdr.p + shdr.n * kShdr);

  // Instruments and their kept zones; the sample of each zone renumbered.
  std::vector<uint8_t> inst_out, ibag_out, imod_out, igen_out;
  std::vector<int> novo_inst(inst.n - 1, -1);
  int n_inst = 0;
  const auto copiar_zona = [](const Lista& bag, const Lista& gen, const Lista& mod, size_t z, uint16_t oper,
                              const std::vector<int>& novo, std::vector<uint8_t>& bag_out,
                              std::vector<uint8_t>& gen_out, std::vector<uint8_t>& mod_out) {
    PoeLe16(bag_out, static_cast<uint16_t>(gen_out.size() / kGen));
    PoeLe16(bag_out, static_cast<uint16_t>(mod_out.size() / kMod));
    for (size_t g = Le16(bag.p + z * kBag); g < Le16(bag.p + (z + 1) * kBag); ++g) {
      const uint8_t* r = gen.p + g * kGen;
      gen_out.insert(gen_out.end(), r, r + 2);
      // Only the first instrument (sample) generator counts; any after it is left pointing at 0.
      uint16_t valor = Le16(r + 2);
      if (Le16(r) == oper)
        valor = valor < novo.size() && novo[valor] >= 0 ? static_cast<uint16_t>(novo[valor]) : 0;
      PoeLe16(gen_out, valor);
    }
    const uint8_t* m0 = mod.p + Le16(bag.p + z * kBag + 2) * kMod;
    const uint8_t* m1 = mod.p + Le16(bag.p + (z + 1) * kBag + 2) * kMod;
    mod_out.insert(mod_out.end(), m0, m1);
  };
  for (size_t a = 0; a + 1 < inst.n; ++a) {
    if (!inst_usado[a]) continue;
    novo_inst[a] = n_inst++;
    inst_out.insert(inst_out.end(), inst.p + a * kInst, inst.p + a * kInst + 20);
    PoeLe16(inst_out, static_cast<uint16_t>(ibag_out.size() / kBag));
    const size_t i0 = Le16(inst.p + a * kInst + 20);
    for (size_t z = 0; z < zonas_inst[a].size(); ++z) {
      if (zonas_inst[a][z])
        copiar_zona(ibag, igen, imod, i0 + z, kGenAmostra, nova_amostra, ibag_out, igen_out, imod_out);
    }
  }
  // Presets, in the file's order.
  std::vector<uint8_t> phdr_out, pbag_out, pmod_out, pgen_out;
  for (size_t p = 0; p < n_presets; ++p) {
    if (!presets[p]) continue;
    phdr_out.insert(phdr_out.end(), phdr.p + p * kPhdr, phdr.p + p * kPhdr + 24);
    PoeLe16(phdr_out, static_cast<uint16_t>(pbag_out.size() / kBag));
    phdr_out.insert(phdr_out.end(), phdr.p + p * kPhdr + 26, phdr.p + (p + 1) * kPhdr);
    const size_t b0 = Le16(phdr.p + p * kPhdr + 24);
    for (size_t z = 0; z < zonas_preset[p].size(); ++z) {
      if (zonas_preset[p][z])
        copiar_zona(pbag, pgen, pmod, b0 + z, kGenInstrumento, novo_inst, pbag_out, pgen_out, pmod_out);
    }
  }
  // The closing records: the indexes past the end, the rest as the file had them.
  const auto fechar = [](std::vector<uint8_t>& out, const Lista& l, size_t tam, size_t campo, size_t valor) {
    const uint8_t* r = l.p + (l.n - 1) * tam;
    out.insert(out.end(), r, r + tam);
    out[out.size() - tam + campo] = static_cast<uint8_t>(valor);
    out[out.size() - tam + campo + 1] = static_cast<uint8_t>(valor >> 8);
  };
  const size_t n_pgen = pgen_out.size() / kGen, n_pmod = pmod_out.size() / kMod;
  const size_t n_igen = igen_out.size() / kGen, n_imod = imod_out.size() / kMod;
  fechar(phdr_out, phdr, kPhdr, 24, pbag_out.size() / kBag);
  fechar(inst_out, inst, kInst, 20, ibag_out.size() / kBag);
  PoeLe16(pbag_out, static_cast<uint16_t>(n_pgen));
  PoeLe16(pbag_out, static_cast<uint16_t>(n_pmod));
  PoeLe16(ibag_out, static_cast<uint16_t>(n_igen));
  PoeLe16(ibag_out, static_cast<uint16_t>(n_imod));
  pmod_out.resize(pmod_out.size() + kMod, 0);
  imod_out.resize(imod_out.size() + kMod, 0);
  pgen_out.resize(pgen_out.size() + kGen, 0);
  igen_out.resize(igen_out.size() + kGen, 0);
  if (std::max({n_pgen, n_pmod, n_igen, n_imod, pbag_out.size() / kBag, ibag_out.size() / kBag}) > 0xFFFF)
    return falha("too many zones");

  // The file: RIFF sfbk with INFO as it was, the samples, the preset data.
  std::vector<uint8_t> pd;
  PoeTexto(pd, "pdta");
  for (const auto& [id, parte] : {std::pair<const char*, std::vector<uint8_t>*>{"phdr", &phdr_out},
                                  {"pbag", &pbag_out},
                                  {"pmod", &pmod_out},
                                  {"pgen", &pgen_out},
                                  {"inst", &inst_out},
                                  {"ibag", &ibag_out},
                                  {"imod", &imod_out},
                                  {"igen", &igen_out},
                                  {"shdr", &cabecalhos}}) {
    PoeId(pd, id, static_cast<uint32_t>(parte->size()));
    pd.insert(pd.end(), parte->begin(), parte->end());
  }
  const uint64_t bytes16 = 2 * n_novas, bytes24 = com_sm24 ? n_novas + (n_novas & 1) : 0;
  const uint64_t sdta = 4 + 8 + bytes16 + (com_sm24 ? 8 + bytes24 : 0);
  const uint64_t total = 4 + info.size() + (info.size() & 1) + 8 + sdta + 8 + pd.size();
  if (total > 0xFFFFFFF0u) return falha("too large");
  // Header and preset data held here, the samples read from the file when the synthesizer asks.
  std::vector<uint8_t> inicio;
  PoeId(inicio, "RIFF", static_cast<uint32_t>(total));
  PoeTexto(inicio, "sfbk");
  inicio.insert(inicio.end(), info.begin(), info.end());
  if (info.size() & 1) inicio.push_back(0);
  PoeId(inicio, "LIST", static_cast<uint32_t>(sdta));
  PoeTexto(inicio, "sdta");
  PoeId(inicio, "smpl", static_cast<uint32_t>(bytes16));
  saida.Acrescentar(std::move(inicio));
  saida.AcrescentarAmostras(n_novas, 2, smpl_pos);
  if (com_sm24) {
    std::vector<uint8_t> cab24;
    PoeId(cab24, "sm24", static_cast<uint32_t>(n_novas));
    saida.Acrescentar(std::move(cab24));
    saida.AcrescentarAmostras(n_novas, 1, sm24_pos);
    if (n_novas & 1) saida.Acrescentar({0});
  }
  std::vector<uint8_t> fim;
  PoeId(fim, "LIST", static_cast<uint32_t>(pd.size()));
  fim.insert(fim.end(), pd.begin(), pd.end());
  saida.Acrescentar(std::move(fim));
  return true;
}

}  // namespace vartenos
