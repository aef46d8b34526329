#include "audio/synth.h"

#include <fcntl.h>
#include <fluidsynth.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "audio/midi_file.h"
#include "audio/soundfont_subset.h"
#include "audio/wav_file.h"
#include "platform/byte_files.h"

namespace vartenos {

namespace {

void Calado(int, const char*, void*) {}

// FluidSynth reports every soundfont detail and missing instrument on stderr; the game has its own,
// shorter messages.
void SilenciarFluid() {
  for (int nivel = FLUID_PANIC; nivel <= FLUID_DBG; ++nivel) {
    fluid_set_log_function(nivel, &Calado, nullptr);
  }
}

// The soundfont laid out for our pieces, read by the synthesizer through its file callbacks. Its name is
// "&vartenos-sf2:ADDRESS"; any other name is left to the synthesizer's own file loader.
struct Aberto {
  const SoundfontParcial* sf;
  int arquivo;
  uint64_t pos;
};

std::string NomeNaMemoria(const SoundfontParcial& sf) {
  char nome[48];
  std::snprintf(nome, sizeof nome, "&vartenos-sf2:%p", static_cast<const void*>(&sf));
  return nome;
}

void* AbrirMemoria(const char* nome) {
  void* p = nullptr;
  if (std::strncmp(nome, "&vartenos-sf2:", 14) != 0 || std::sscanf(nome + 14, "%p", &p) != 1) return nullptr;
  const auto* sf = static_cast<const SoundfontParcial*>(p);
  const int arquivo = ::open(sf->Origem().c_str(), O_RDONLY | O_CLOEXEC);
  if (arquivo < 0) return nullptr;
  return new Aberto{sf, arquivo, 0};
}

int LerMemoria(void* buf, fluid_long_long_t quantos, void* h) {
  auto* a = static_cast<Aberto*>(h);
  if (quantos < 0 ||
      !a->sf->Ler(a->arquivo, a->pos, static_cast<size_t>(quantos), static_cast<uint8_t*>(buf)))
    return FLUID_FAILED;
  a->pos += static_cast<uint64_t>(quantos);
  return FLUID_OK;
}

int IrMemoria(void* h, fluid_long_long_t desloc, int origem) {
  auto* a = static_cast<Aberto*>(h);
  const long long tamanho = static_cast<long long>(a->sf->Tamanho());
  const long long base = origem == SEEK_SET   ? 0
                         : origem == SEEK_CUR ? static_cast<long long>(a->pos)
                         : origem == SEEK_END ? tamanho
                                              : -1;
  if (base < 0 || base + desloc < 0 || base + desloc > tamanho) return FLUID_FAILED;
  a->pos = static_cast<uint64_t>(base + desloc);
  return FLUID_OK;
}

fluid_long_long_t OndeMemoria(void* h) {
  return static_cast<fluid_long_long_t>(static_cast<Aberto*>(h)->pos);
}

int FecharMemoria(void* h) {
  auto* a = static_cast<Aberto*>(h);
  ::close(a->arquivo);
  delete a;
  return FLUID_OK;
}

}  // namespace

std::string EncontrarSoundfont(std::string& tried) {
  namespace fs = std::filesystem;
  tried.clear();
  std::error_code ec;
  if (const char* env = std::getenv("VARTENOS_SOUNDFONT"); env && *env) {
    tried += std::string("$VARTENOS_SOUNDFONT=") + env + " ";
    if (fs::is_regular_file(env, ec)) return env;
  }
  const std::string pasta = "/usr/share/sounds/sf2/";
  for (const char* nome : {"FluidR3_GM.sf2", "TimGM6mb.sf2"}) {
    tried += pasta + nome + " ";
    if (fs::is_regular_file(pasta + nome, ec)) return pasta + nome;
  }
  tried += pasta + "*.sf2";
  std::vector<std::string> outros;
  for (fs::directory_iterator it(pasta, ec), fim; !ec && it != fim; it.increment(ec)) {
    const fs::path& p = it->path();
    if (p.extension() == ".sf2" && fs::is_regular_file(p, ec)) outros.push_back(p.string());
  }
  std::sort(outros.begin(), outros.end());
  return outros.empty() ? std::string() : outros.front();
}

struct Sintetizador::Impl {
  fluid_settings_t* settings = nullptr;
  fluid_synth_t* synth = nullptr;
  fluid_player_t* player = nullptr;
  int64_t fim_ticks = 0;
  // A DC-blocking high-pass at 10 Hz on the output: several General MIDI soundfonts (FluidR3_GM among
  // them) hold pad, string and synth samples that sit off zero, which would eat headroom and click
  // when a piece stops.
  double polo = 0.999;
  double x1[2] = {0, 0}, y1[2] = {0, 0};
};

bool Sintetizador::CargaDemorada() { return true; }

std::unique_ptr<Sintetizador> Sintetizador::Criar(int taxa, const std::string& soundfont,
                                                  std::string& error) {
  return CriarComo(taxa, soundfont, nullptr, nullptr, error);
}

std::unique_ptr<Sintetizador> Sintetizador::CriarParaPecas(int taxa, const std::string& soundfont,
                                                           const std::vector<std::string>& pecas,
                                                           const std::atomic<bool>& cancelar,
                                                           std::string& error) {
  return CriarComo(taxa, soundfont, &pecas, &cancelar, error);
}

std::unique_ptr<Sintetizador> Sintetizador::CriarComo(int taxa, const std::string& soundfont,
                                                      const std::vector<std::string>* pecas,
                                                      const std::atomic<bool>* cancelar, std::string& error) {
  SilenciarFluid();
  const auto desistiu = [cancelar] { return cancelar != nullptr && cancelar->load(); };
  std::unique_ptr<Sintetizador> s(new Sintetizador());
  s->impl_ = new Impl();
  Impl& m = *s->impl_;
  m.settings = new_fluid_settings();
  if (!m.settings) {
    error = "the synthesizer's settings cannot be created";
    return nullptr;
  }
  fluid_settings_setnum(m.settings, "synth.sample-rate", taxa);
  // The player follows the samples we render, not the wall clock, so its tick is the music's own time.
  fluid_settings_setstr(m.settings, "player.timing-source", "sample");
  // A piece that follows another keeps the last one's tails ringing; each file sets its own instruments.
  fluid_settings_setint(m.settings, "player.reset-synth", 0);
  fluid_settings_setint(m.settings, "synth.reverb.active", 1);
  fluid_settings_setint(m.settings, "synth.chorus.active", 1);
  fluid_settings_setint(m.settings, "synth.polyphony", 256);
  // For the game only what its pieces can sound is read: the soundfont is rewritten in memory with
  // the presets they select and, in those, the zones their notes reach (a General MIDI soundfont is
  // mostly instruments and keys the music never plays); the tools read everything.
  SoundfontParcial parte;
  bool com_parte = false;
  std::vector<uint8_t> bytes;
  if (pecas != nullptr) {
    NotasDasPecas notas;
    for (const std::string& peca : *pecas) {
      std::string ignorado;
      if (LerArquivo(peca, bytes, ignorado)) SomarNotasDaPeca(bytes.data(), bytes.size(), notas);
      if (desistiu()) return nullptr;
    }
    std::string ignorado;
    // A soundfont this cannot rewrite is read as it is, with only the pieces' presets in memory.
    com_parte = ExtrairSoundfont(soundfont, notas, parte, ignorado);
    if (desistiu()) return nullptr;
    fluid_settings_setint(m.settings, "synth.dynamic-sample-loading", com_parte ? 0 : 1);
  }
  m.synth = new_fluid_synth(m.settings);
  if (!m.synth) {
    error = "the synthesizer cannot be created";
    return nullptr;
  }
  if (desistiu()) return nullptr;
  int sfont = FLUID_FAILED;
  if (com_parte) {
    fluid_sfloader_t* loader = new_fluid_defsfloader(m.settings);
    if (loader != nullptr) {
      fluid_sfloader_set_callbacks(loader, &AbrirMemoria, &LerMemoria, &IrMemoria, &OndeMemoria,
                                   &FecharMemoria);
      fluid_synth_add_sfloader(m.synth, loader);  // the synthesizer owns it from here
      sfont = fluid_synth_sfload(m.synth, NomeNaMemoria(parte).c_str(), 1);
    }
    // The synthesizer has read all of it: its samples are its own from here.
    parte = SoundfontParcial();
    if (sfont != FLUID_FAILED) {
      fluid_synth_set_gain(m.synth, 0.5f);
      m.polo = 1.0 - 2.0 * M_PI * 10.0 / taxa;
      return s;
    }
  }
  sfont = fluid_synth_sfload(m.synth, soundfont.c_str(), 1);
  if (sfont == FLUID_FAILED) {
    error = soundfont + ": not a usable soundfont";
    return nullptr;
  }
  fluid_synth_set_gain(m.synth, 0.5f);
  m.polo = 1.0 - 2.0 * M_PI * 10.0 / taxa;
  if (pecas == nullptr) return s;

  // Every instrument a piece selects is pinned: its samples are read now, on this thread, and stay
  // in memory, so a program change in the audio callback finds them there.
  std::vector<int> instrumentos = {0, 128 * 128};  // the piano every channel starts with, the drum kit
  for (const std::string& peca : *pecas) {
    std::string ignorado;
    if (!LerArquivo(peca, bytes, ignorado)) continue;
    for (int i : InstrumentosDaPeca(bytes.data(), bytes.size())) {
      if (std::find(instrumentos.begin(), instrumentos.end(), i) == instrumentos.end())
        instrumentos.push_back(i);
    }
  }
  for (int i : instrumentos) {
    if (desistiu()) return nullptr;
    const int banco = i / 128, programa = i % 128;
    if (fluid_synth_pin_preset(m.synth, sfont, banco, programa) == FLUID_OK) continue;
    // The synthesizer's own stand-ins for an instrument the soundfont lacks: the same program in
    // bank 0, then the piano; on the drum channel the standard kit.
    if (banco == 128) {
      fluid_synth_pin_preset(m.synth, sfont, 128, 0);
    } else if (fluid_synth_pin_preset(m.synth, sfont, 0, programa) != FLUID_OK) {
      fluid_synth_pin_preset(m.synth, sfont, 0, 0);
    }
  }
  return s;
}

std::vector<int> InstrumentosDaPeca(const uint8_t* d, size_t n) {
  std::vector<int> out;
  const auto somar = [&out](int i) {
    if (std::find(out.begin(), out.end(), i) == out.end()) out.push_back(i);
  };
  int banco[16] = {};
  bool escolheu[16] = {};
  PercorrerMensagensMidi(d, n, [&](uint32_t, int, uint8_t status, uint8_t a, uint8_t b) {
    const int canal = status & 0x0F;
    const int tipo = status & 0xF0;
    if (tipo == 0xB0 && a == 0) banco[canal] = b;
    if (tipo == 0xC0) {
      somar(canal == 9 ? 128 * 128 + a : banco[canal] * 128 + a);
      escolheu[canal] = true;
    }
    if (tipo == 0x90 && b > 0 && !escolheu[canal]) somar(canal == 9 ? 128 * 128 : 0);
  });
  return out;
}

Sintetizador::~Sintetizador() {
  if (!impl_) return;
  if (impl_->synth) fluid_synth_all_sounds_off(impl_->synth, -1);
  if (impl_->player) delete_fluid_player(impl_->player);
  if (impl_->synth) delete_fluid_synth(impl_->synth);
  if (impl_->settings) delete_fluid_settings(impl_->settings);
  delete impl_;
}

bool Sintetizador::Tocar(const uint8_t* dados, size_t tamanho, int64_t ticks) {
  Encerrar();
  impl_->player = new_fluid_player(impl_->synth);
  if (!impl_->player) return false;
  if (fluid_player_add_mem(impl_->player, dados, tamanho) != FLUID_OK ||
      fluid_player_play(impl_->player) != FLUID_OK) {
    delete_fluid_player(impl_->player);
    impl_->player = nullptr;
    return false;
  }
  impl_->fim_ticks = ticks;
  return true;
}

void Sintetizador::Parar() {
  // The notes are cut before the player goes; a player deleted mid-note would leave them hanging.
  fluid_synth_all_sounds_off(impl_->synth, -1);
  if (impl_->player) {
    delete_fluid_player(impl_->player);
    impl_->player = nullptr;
  }
}

void Sintetizador::Encerrar() {
  fluid_synth_all_notes_off(impl_->synth, -1);
  if (impl_->player) {
    delete_fluid_player(impl_->player);
    impl_->player = nullptr;
  }
}

bool Sintetizador::Tocando() const {
  // The player's own "done" comes a while after the last note; the piece's end tick is exact.
  return impl_->player && fluid_player_get_status(impl_->player) == FLUID_PLAYER_PLAYING &&
         fluid_player_get_current_tick(impl_->player) < impl_->fim_ticks;
}

bool Sintetizador::Ocioso() const {
  return (impl_->player == nullptr || fluid_player_get_status(impl_->player) != FLUID_PLAYER_PLAYING) &&
         fluid_synth_get_active_voice_count(impl_->synth) == 0;
}

void Sintetizador::Ganho(float g) { fluid_synth_set_gain(impl_->synth, g); }

void Sintetizador::Renderizar(float* out, int frames) {
  fluid_synth_write_float(impl_->synth, frames, out, 0, 2, out, 1, 2);
  Impl& m = *impl_;
  for (int i = 0; i < frames; ++i) {
    for (int c = 0; c < 2; ++c) {
      const double x = out[2 * i + c];
      m.y1[c] = x - m.x1[c] + m.polo * m.y1[c];
      m.x1[c] = x;
      out[2 * i + c] = static_cast<float>(m.y1[c]);
    }
  }
}

bool RenderizarMidi(const std::string& midi_path, const std::string& soundfont, int taxa, double cauda_s,
                    std::vector<float>& out, std::string& error) {
  std::unique_ptr<Sintetizador> s = Sintetizador::Criar(taxa, soundfont, error);
  return s && RenderizarMidi(*s, midi_path, taxa, cauda_s, out, error);
}

bool RenderizarMidi(Sintetizador& sint, const std::string& midi_path, int taxa, double cauda_s,
                    std::vector<float>& out, std::string& error) {
  Sintetizador* s = &sint;
  // The file is read and checked before the synthesizer sees it, so a damaged file names itself.
  std::vector<uint8_t> bytes;
  if (!LerArquivo(midi_path, bytes, error)) return false;
  InfoMidi info;
  if (!AnalisarMidi(bytes.data(), bytes.size(), info, error)) {
    error = midi_path + ": " + error;
    return false;
  }
  if (!s->Tocar(bytes.data(), bytes.size(), info.ticks)) {
    error = midi_path + ": the synthesizer's player refused it";
    return false;
  }
  out.clear();
  out.reserve(static_cast<size_t>((info.duracao_us / 1e6 + cauda_s + 1) * taxa * 2));
  constexpr int kBloco = 512;
  float bloco[2 * kBloco];
  // A safety bound: the piece's own length plus a minute.
  const int64_t limite = (info.duracao_us / 1000000 + 60) * taxa;
  int64_t feitos = 0;
  while (s->Tocando() && feitos < limite) {
    s->Renderizar(bloco, kBloco);
    out.insert(out.end(), bloco, bloco + 2 * kBloco);
    feitos += kBloco;
  }
  s->Encerrar();
  // Let the last notes ring out: release them and render the tail.
  const int64_t cauda = static_cast<int64_t>(cauda_s * taxa);
  for (int64_t i = 0; i < cauda; i += kBloco) {
    s->Renderizar(bloco, kBloco);
    out.insert(out.end(), bloco, bloco + 2 * kBloco);
  }
  return true;
}

bool RenderizarMidiParaWav(const std::string& midi_path, const std::string& wav_path, std::string& error) {
  std::string tried;
  const std::string sf = EncontrarSoundfont(tried);
  if (sf.empty()) {
    error = "no General MIDI soundfont found (looked at " + tried + "); set VARTENOS_SOUNDFONT";
    return false;
  }
  std::vector<float> f;
  if (!RenderizarMidi(midi_path, sf, 44100, 0.0, f, error)) return false;
  SomPcm som;
  som.taxa = 44100;
  som.canais = 2;
  som.amostras.resize(f.size());
  for (size_t i = 0; i < f.size(); ++i) {
    som.amostras[i] = static_cast<int16_t>(std::clamp(f[i], -1.0f, 1.0f) * 32767.0f);
  }
  return EscreverArquivoWav(wav_path, som, error);
}

}  // namespace vartenos
