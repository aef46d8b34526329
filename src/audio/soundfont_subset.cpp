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

namespace {

uint16_t BagGen(const Lista& bag, size_t i) { return Le16(bag.p + i * kBag); }
uint16_t BagMod(const Lista& bag, size_t i) { return Le16(bag.p + i * kBag + 2); }

// The bag, generator and modulator lists of the presets or of the instruments, as they are written.
struct ZonasNovas {
  std::vector<uint8_t> bag, gen, mod;
};

// Copies zone `z` of the file (its generators and modulators) to `out`, the instrument (or sample)
// its generator `oper` names renumbered by `novo`.
void CopiarZona(const Lista& bag, const Lista& gen, const Lista& mod, size_t z, uint16_t oper,
                const std::vector<int>& novo, ZonasNovas& out) {
  PoeLe16(out.bag, static_cast<uint16_t>(out.gen.size() / kGen));
  PoeLe16(out.bag, static_cast<uint16_t>(out.mod.size() / kMod));
  for (size_t g = BagGen(bag, z); g < BagGen(bag, z + 1); ++g) {
    const uint8_t* r = gen.p + g * kGen;
    out.gen.insert(out.gen.end(), r, r + 2);
    // Only the first instrument (sample) generator counts; any after it is left pointing at 0.
    uint16_t valor = Le16(r + 2);
    if (Le16(r) == oper)
      valor = valor < novo.size() && novo[valor] >= 0 ? static_cast<uint16_t>(novo[valor]) : 0;
    PoeLe16(out.gen, valor);
  }
  const uint8_t* m0 = mod.p + BagMod(bag, z) * kMod;
  const uint8_t* m1 = mod.p + BagMod(bag, z + 1) * kMod;
  out.mod.insert(out.mod.end(), m0, m1);
}

// The closing record of a list: as the file had it, with the index at `campo` past the new end.
void FecharLista(std::vector<uint8_t>& out, const Lista& l, size_t tam, size_t campo, size_t valor) {
  const uint8_t* r = l.p + (l.n - 1) * tam;
  out.insert(out.end(), r, r + tam);
  out[out.size() - tam + campo] = static_cast<uint8_t>(valor);
  out[out.size() - tam + campo + 1] = static_cast<uint8_t>(valor >> 8);
}

// The closing bag of a bag list, and the zeroed closing generator and modulator.
void FecharZonas(ZonasNovas& z) {
  PoeLe16(z.bag, static_cast<uint16_t>(z.gen.size() / kGen));
  PoeLe16(z.bag, static_cast<uint16_t>(z.mod.size() / kMod));
  z.mod.resize(z.mod.size() + kMod, 0);
  z.gen.resize(z.gen.size() + kGen, 0);
}

}  // namespace

// The steps of ExtrairSoundfont, and what they hand one another: the soundfont as read, which of its
// zones the notes reach, and the new file's lists.
struct ExtracaoSoundfont {
  ExtracaoSoundfont(const std::string& c, std::string& e) : caminho(c), erro(e), arq(c) {}

  bool Falha(const char* problema) {
    erro = caminho + ": " + problema;
    return false;
  }
  bool LerRiff();
  bool SepararListas();
  bool ConferirIndices();
  std::map<int, std::vector<uint16_t>> NotasPorPreset(const NotasDasPecas& notas) const;
  bool MarcarZonas(const std::map<int, std::vector<uint16_t>>& por_preset);
  bool CopiarAmostras(SoundfontParcial& saida);
  void CopiarInstrumentos();
  void CopiarPresets();
  bool FecharListas();
  bool Montar(SoundfontParcial& saida);

  size_t Presets() const { return phdr.n - 1; }
  int Numero(size_t preset) const {
    return Le16(phdr.p + preset * kPhdr + 22) * 128 + Le16(phdr.p + preset * kPhdr + 20);  // bank, program
  }
  size_t PrimeiraZonaPreset(size_t preset) const { return Le16(phdr.p + preset * kPhdr + 24); }
  size_t PrimeiraZonaInstrumento(size_t i) const { return Le16(inst.p + i * kInst + 20); }

  const std::string& caminho;
  std::string& erro;
  Leitor arq;

  // The file: INFO copied whole, where the samples are, the preset data read whole and its lists.
  std::vector<uint8_t> info, pdta;
  uint64_t smpl_pos = 0, smpl_tam = 0, sm24_pos = 0, sm24_tam = 0;
  uint64_t total_amostras = 0;
  bool com_sm24 = false;
  Lista phdr, pbag, pmod, pgen, inst, ibag, imod, igen, shdr;

  // Which zones, instruments and presets some note reaches.
  std::vector<std::vector<bool>> zonas_inst, zonas_preset;
  std::vector<bool> inst_usado, presets;

  // The new file.
  std::vector<int> nova_amostra, novo_inst;
  uint64_t n_novas = 0;  // sample points
  std::vector<uint8_t> cabecalhos, inst_out, phdr_out;
  ZonasNovas zonas_inst_out, zonas_preset_out;
};

// The three lists: INFO is copied whole, sdta gives where the samples are, pdta is read whole.
bool ExtracaoSoundfont::LerRiff() {
  uint8_t cab[12];
  if (!arq.Ler(0, 12, cab) || std::memcmp(cab, "RIFF", 4) != 0 || std::memcmp(cab + 8, "sfbk", 4) != 0)
    return Falha("not a soundfont (no RIFF sfbk header)");
  const uint64_t fim_riff = 8 + uint64_t{Le32(cab + 4)};
  for (uint64_t pos = 12; pos + 12 <= fim_riff;) {
    uint8_t c[12];
    if (!arq.Ler(pos, 12, c)) break;
    const uint64_t tam = Le32(c + 4);
    if (std::memcmp(c, "LIST", 4) == 0 && tam >= 4) {
      if (std::memcmp(c + 8, "INFO", 4) == 0) {
        if (!arq.Cabe(pos, 8 + tam)) return Falha("cut short in its INFO list");
        info.resize(8 + tam);
        if (!arq.Ler(pos, info.size(), info.data())) return Falha("cut short in its INFO list");
      } else if (std::memcmp(c + 8, "pdta", 4) == 0) {
        if (!arq.Cabe(pos + 12, tam - 4)) return Falha("cut short in its preset data");
        pdta.resize(tam - 4);
        if (!arq.Ler(pos + 12, pdta.size(), pdta.data())) return Falha("cut short in its preset data");
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
    return Falha("not a soundfont (INFO, sdta or pdta missing)");
  // The samples are read later, while the synthesizer loads: they must all be there now.
  if (!arq.Cabe(smpl_pos, smpl_tam) || !arq.Cabe(sm24_pos, sm24_tam))
    return Falha("cut short in its sample data");
  total_amostras = smpl_tam / 2;
  // The 24-bit extension only counts when it matches the 16-bit data, as the synthesizer reads it.
  com_sm24 = sm24_tam == (total_amostras + (total_amostras & 1)) || sm24_tam == total_amostras;
  return true;
}

// The nine lists of the preset data.
bool ExtracaoSoundfont::SepararListas() {
  const std::pair<const char*, std::pair<Lista*, size_t>> partes[] = {
      {"phdr", {&phdr, kPhdr}}, {"pbag", {&pbag, kBag}},  {"pmod", {&pmod, kMod}},
      {"pgen", {&pgen, kGen}},  {"inst", {&inst, kInst}}, {"ibag", {&ibag, kBag}},
      {"imod", {&imod, kMod}},  {"igen", {&igen, kGen}},  {"shdr", {&shdr, kShdr}}};
  for (size_t pos = 0; pos + 8 <= pdta.size();) {
    const size_t tam = Le32(pdta.data() + pos + 4);
    if (tam > pdta.size() - pos - 8) return Falha("cut short in its preset data");
    for (const auto& [id, destino] : partes) {
      if (std::memcmp(pdta.data() + pos, id, 4) != 0) continue;
      if (tam % destino.second != 0 || tam < destino.second) return Falha("damaged preset data");
      destino.first->p = pdta.data() + pos + 8;
      destino.first->n = tam / destino.second;
    }
    pos += 8 + tam + (tam & 1);
  }
  for (const auto& [id, destino] : partes) {
    if (destino.first->n == 0) return Falha("damaged preset data");
  }
  return true;
}

// Every index must stay inside its list, or the file is left to the synthesizer as it is.
bool ExtracaoSoundfont::ConferirIndices() {
  for (size_t i = 0; i + 1 < phdr.n; ++i) {
    if (PrimeiraZonaPreset(i) > PrimeiraZonaPreset(i + 1)) return Falha("damaged presets");
  }
  for (size_t i = 0; i + 1 < inst.n; ++i) {
    if (PrimeiraZonaInstrumento(i) > PrimeiraZonaInstrumento(i + 1)) return Falha("damaged instruments");
  }
  if (PrimeiraZonaPreset(phdr.n - 1) >= pbag.n || PrimeiraZonaInstrumento(inst.n - 1) >= ibag.n)
    return Falha("damaged zones");
  for (size_t i = 0; i + 1 < pbag.n; ++i) {
    if (BagGen(pbag, i) > BagGen(pbag, i + 1) || BagMod(pbag, i) > BagMod(pbag, i + 1))
      return Falha("damaged preset zones");
  }
  for (size_t i = 0; i + 1 < ibag.n; ++i) {
    if (BagGen(ibag, i) > BagGen(ibag, i + 1) || BagMod(ibag, i) > BagMod(ibag, i + 1))
      return Falha("damaged instrument zones");
  }
  if (BagGen(pbag, pbag.n - 1) >= pgen.n || BagMod(pbag, pbag.n - 1) >= pmod.n ||
      BagGen(ibag, ibag.n - 1) >= igen.n || BagMod(ibag, ibag.n - 1) >= imod.n)
    return Falha("damaged zones");
  return true;
}

// The preset each instrument plays on, with the notes it gets.
std::map<int, std::vector<uint16_t>> ExtracaoSoundfont::NotasPorPreset(const NotasDasPecas& notas) const {
  const auto existe = [&](int num) {
    for (size_t i = 0; i < Presets(); ++i) {
      if (Numero(i) == num) return true;
    }
    return false;
  };
  const auto resolver = [&](int i) {
    if (existe(i)) return i;
    if (i / 128 == 128) return kKit;
    if (existe(i % 128)) return i % 128;
    return 0;
  };
  std::map<int, std::vector<uint16_t>> por_preset;
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
  return por_preset;
}

// Which instrument zones some note reaches, through a preset zone it reaches too.
bool ExtracaoSoundfont::MarcarZonas(const std::map<int, std::vector<uint16_t>>& por_preset) {
  zonas_inst.assign(inst.n - 1, {});
  inst_usado.assign(inst.n - 1, false);
  presets.assign(Presets(), false);
  zonas_preset.assign(Presets(), {});
  for (size_t p = 0; p < Presets(); ++p) {
    const auto achado = por_preset.find(Numero(p));
    if (achado == por_preset.end()) continue;
    presets[p] = true;
    const std::vector<uint16_t>& ns = achado->second;
    const size_t b0 = PrimeiraZonaPreset(p), b1 = PrimeiraZonaPreset(p + 1);
    zonas_preset[p].assign(b1 - b0, false);
    for (size_t b = b0; b < b1; ++b) {
      const uint8_t* gens = pgen.p + BagGen(pbag, b) * kGen;
      const size_t ng = BagGen(pbag, b + 1) - BagGen(pbag, b);
      const int alvo = Alvo(gens, ng, kGenInstrumento);
      if (alvo < 0) {
        zonas_preset[p][b - b0] = true;  // the global zone, or one the synthesizer ignores
        continue;
      }
      if (static_cast<size_t>(alvo) + 1 >= inst.n) return Falha("a preset zone names no instrument");
      const Faixa fp = FaixaDaZona(gens, ng);
      const size_t i0 = PrimeiraZonaInstrumento(alvo), i1 = PrimeiraZonaInstrumento(alvo + 1);
      std::vector<bool>& zi = zonas_inst[alvo];
      if (zi.empty()) zi.assign(i1 - i0, false);
      for (size_t z = i0; z < i1; ++z) {
        const uint8_t* igens = igen.p + BagGen(ibag, z) * kGen;
        const size_t nig = BagGen(ibag, z + 1) - BagGen(ibag, z);
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
  return true;
}

// The samples the kept zones use, laid out anew one after another, each followed by the 46 points the
// format asks for (copied from the file, as the synthesizer would find them there).
bool ExtracaoSoundfont::CopiarAmostras(SoundfontParcial& saida) {
  const size_t n_amostras = shdr.n - 1;
  nova_amostra.assign(n_amostras, -1);
  for (size_t a = 0; a + 1 < inst.n; ++a) {
    if (!inst_usado[a]) continue;
    const size_t i0 = PrimeiraZonaInstrumento(a);
    for (size_t z = 0; z < zonas_inst[a].size(); ++z) {
      if (!zonas_inst[a][z]) continue;
      const uint8_t* igens = igen.p + BagGen(ibag, i0 + z) * kGen;
      const int s = Alvo(igens, BagGen(ibag, i0 + z + 1) - BagGen(ibag, i0 + z), kGenAmostra);
      if (s >= 0 && static_cast<size_t>(s) >= n_amostras) return Falha("an instrument zone names no sample");
      if (s >= 0) nova_amostra[s] = 0;
    }
  }
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
    if (de > ate) return Falha("a sample lies outside the sample data");
    cabecalhos.insert(cabecalhos.end(), h, h + 20);
    for (uint32_t v : {inicio, fim, laco0, laco1}) {
      PoeLe32(cabecalhos, rom ? v : static_cast<uint32_t>(v - de + n_novas));
    }
    cabecalhos.insert(cabecalhos.end(), h + 36, h + 40);  // sample rate
    cabecalhos.push_back(h[40]);
    cabecalhos.push_back(h[41]);
    PoeLe16(cabecalhos, Le16(h + 42));  // the link, renumbered below
    PoeLe16(cabecalhos, Le16(h + 44));
    if (ate > de) saida.trechos_.push_back({de, ate - de, n_novas});
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
  return true;
}

// Instruments and their kept zones; the sample of each zone renumbered.
void ExtracaoSoundfont::CopiarInstrumentos() {
  novo_inst.assign(inst.n - 1, -1);
  int n_inst = 0;
  for (size_t a = 0; a + 1 < inst.n; ++a) {
    if (!inst_usado[a]) continue;
    novo_inst[a] = n_inst++;
    inst_out.insert(inst_out.end(), inst.p + a * kInst, inst.p + a * kInst + 20);
    PoeLe16(inst_out, static_cast<uint16_t>(zonas_inst_out.bag.size() / kBag));
    const size_t i0 = PrimeiraZonaInstrumento(a);
    for (size_t z = 0; z < zonas_inst[a].size(); ++z) {
      if (zonas_inst[a][z]) CopiarZona(ibag, igen, imod, i0 + z, kGenAmostra, nova_amostra, zonas_inst_out);
    }
  }
}

// Presets, in the file's order; the instrument of each zone renumbered.
void ExtracaoSoundfont::CopiarPresets() {
  for (size_t p = 0; p < Presets(); ++p) {
    if (!presets[p]) continue;
    phdr_out.insert(phdr_out.end(), phdr.p + p * kPhdr, phdr.p + p * kPhdr + 24);
    PoeLe16(phdr_out, static_cast<uint16_t>(zonas_preset_out.bag.size() / kBag));
    phdr_out.insert(phdr_out.end(), phdr.p + p * kPhdr + 26, phdr.p + (p + 1) * kPhdr);
    const size_t b0 = PrimeiraZonaPreset(p);
    for (size_t z = 0; z < zonas_preset[p].size(); ++z) {
      if (zonas_preset[p][z])
        CopiarZona(pbag, pgen, pmod, b0 + z, kGenInstrumento, novo_inst, zonas_preset_out);
    }
  }
}

// The closing records: the indexes past the end, the rest as the file had them.
bool ExtracaoSoundfont::FecharListas() {
  const size_t n_pgen = zonas_preset_out.gen.size() / kGen, n_pmod = zonas_preset_out.mod.size() / kMod;
  const size_t n_igen = zonas_inst_out.gen.size() / kGen, n_imod = zonas_inst_out.mod.size() / kMod;
  FecharLista(phdr_out, phdr, kPhdr, 24, zonas_preset_out.bag.size() / kBag);
  FecharLista(inst_out, inst, kInst, 20, zonas_inst_out.bag.size() / kBag);
  FecharZonas(zonas_preset_out);
  FecharZonas(zonas_inst_out);
  if (std::max({n_pgen, n_pmod, n_igen, n_imod, zonas_preset_out.bag.size() / kBag,
                zonas_inst_out.bag.size() / kBag}) > 0xFFFF)
    return Falha("too many zones");
  return true;
}

// The file: RIFF sfbk with INFO as it was, the samples, the preset data. Header and preset data are
// held in memory, the samples read from the file when the synthesizer asks.
bool ExtracaoSoundfont::Montar(SoundfontParcial& saida) {
  std::vector<uint8_t> pd;
  PoeTexto(pd, "pdta");
  for (const auto& [id, parte] : {std::pair<const char*, std::vector<uint8_t>*>{"phdr", &phdr_out},
                                  {"pbag", &zonas_preset_out.bag},
                                  {"pmod", &zonas_preset_out.mod},
                                  {"pgen", &zonas_preset_out.gen},
                                  {"inst", &inst_out},
                                  {"ibag", &zonas_inst_out.bag},
                                  {"imod", &zonas_inst_out.mod},
                                  {"igen", &zonas_inst_out.gen},
                                  {"shdr", &cabecalhos}}) {
    PoeId(pd, id, static_cast<uint32_t>(parte->size()));
    pd.insert(pd.end(), parte->begin(), parte->end());
  }
  const uint64_t bytes16 = 2 * n_novas, bytes24 = com_sm24 ? n_novas + (n_novas & 1) : 0;
  const uint64_t sdta = 4 + 8 + bytes16 + (com_sm24 ? 8 + bytes24 : 0);
  const uint64_t total = 4 + info.size() + (info.size() & 1) + 8 + sdta + 8 + pd.size();
  if (total > 0xFFFFFFF0u) return Falha("too large");
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

bool ExtrairSoundfont(const std::string& caminho, const NotasDasPecas& notas, SoundfontParcial& saida,
                      std::string& erro) {
  saida = SoundfontParcial();
  saida.origem_ = caminho;
  ExtracaoSoundfont x(caminho, erro);
  if (!x.arq.Aberto()) {
    erro = caminho + ": cannot open";
    return false;
  }
  if (!x.LerRiff() || !x.SepararListas() || !x.ConferirIndices()) return false;
  if (!x.MarcarZonas(x.NotasPorPreset(notas)) || !x.CopiarAmostras(saida)) return false;
  x.CopiarInstrumentos();
  x.CopiarPresets();
  return x.FecharListas() && x.Montar(saida);
}

}  // namespace vartenos
