// The game's sound effects and music: start-up, the sound switch, keeping a piece going, shut-down.
#include <cctype>
#include <vector>

#include "shell/form1.h"

namespace vartenos {

namespace {

// The effect slots in the order they are created, muted and unmuted.
struct Efeito {
  DirectSoundBuffer Form1::*slot;
  const char* nome;
  const char* arquivo;
};

constexpr Efeito kEfeitos[] = {
    {&Form1::SomTiro, "SomTiro", "Tiro.Wav"},
    {&Form1::SomArma1, "SomArma1", "Arma1.wav"},
    {&Form1::SomArma2, "SomArma2", "Arma2.wav"},
    {&Form1::SomArma3, "SomArma3", "Arma3.wav"},
    // A second, independent buffer of the same clip: the narrow shot plays it from 2,000 bytes in
    // while a side shot may be sounding from the start.
    {&Form1::SomArma3b, "SomArma3b", "Arma3.wav"},
    {&Form1::SomExplosao, "SomExplosao", "Explosao.wav"},
    {&Form1::SomExtras, "SomExtras", "Extras.wav"},
    {&Form1::SomVidasExtras, "SomVidasExtras", "VidasExtras.wav"},
};

bool EhMusica1(const std::string& nome) {
  static constexpr char kMusica1[] = "music1.mid";
  if (nome.size() != sizeof kMusica1 - 1) return false;
  for (size_t i = 0; i < nome.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(nome[i])) != kMusica1[i]) return false;
  }
  return true;
}

}  // namespace

void Form1::InitDirectSound() {
  if (!dx) dx = &platform_;
  ds.DirectSoundCreate(*dx, &registro_audio_);
  ds.SetCooperativeLevel(DSSCL_NORMAL);
  dsbd.lFlags = 226;  // static buffer with frequency, pan and volume control
  wavefmt.nFormatTag = 1;
  wavefmt.nChannels = 2;
  wavefmt.lSamplesPerSec = 22050;
  wavefmt.nBitsPerSample = 16;
  wavefmt.nBlockAlign = static_cast<int16_t>(wavefmt.nBitsPerSample / 8 * wavefmt.nChannels);
  wavefmt.lAvgBytesPerSec = wavefmt.lSamplesPerSec * wavefmt.nBlockAlign;
  for (const Efeito& e : kEfeitos) {
    ds.CreateSoundBufferFromFile(Pasta_Dados() + e.arquivo, e.arquivo, dsbd, wavefmt, this->*e.slot, e.nome);
  }
}

void Form1::Sem_Som() {
  Som_Ligado = false;
  for (const Efeito& e : kEfeitos) (this->*e.slot).SetVolume(DSBVOLUME_MIN);
}

void Form1::Com_Som() {
  Som_Ligado = true;
  for (const Efeito& e : kEfeitos) (this->*e.slot).SetVolume(DSBVOLUME_MAX);
}

void Form1::InicializaDM() {
  if (!dx) dx = &platform_;
  loader.DirectMusicLoaderCreate(&registro_audio_);
  perf.DirectMusicPerformanceCreate(*dx, ds, &registro_audio_);
  const char* const pecas[] = {"Music1.mid", "Music2.mid",  "Music3.mid", "Music4.mid",
                               "Music5.mid", "FimFase.mid", "Fim.mid"};
  // The synthesizer reads from the soundfont only the instruments these pieces use.
  std::vector<std::string> caminhos;
  for (const char* nome : pecas) caminhos.push_back(Pasta_Dados() + nome);
  perf.DefinirPecas(caminhos);
  perf.Init();
  perf.SetPort(-1, 16);
  perf.SetMasterAutoDownload(true);
  // Every piece is checked now, so a missing or damaged file stops the game at start-up, naming the
  // file, not in the middle of a phase. The pieces themselves are loaded only when they are played.
  std::vector<uint8_t> bytes;
  for (const std::string& caminho : caminhos) {
    InfoMidi info;
    LerPecaMidi(caminho.c_str(), bytes, info);
  }
}

void Form1::TocaMidi(const std::string& MidiString) {
  if (!perf.Criado()) return;
  // The first phase's piece is mixed a little louder than the rest, on every call.
  perf.SetMasterVolume(EhMusica1(MidiString) ? 700 : 600);
  // Only the piece started last is asked about: a different name while it plays changes nothing.
  if ((seg.Criado() || segstate.Criado()) && perf.IsPlaying(seg, segstate)) return;
  // Nothing was ever started, or the last piece ended or was stopped: load the file again and start
  // it from its beginning.
  loader.SetSearchDirectory(Pasta_Dados());
  loader.LoadSegment(MidiString, seg);
  perf.PlaySegment(seg, 0, 0, segstate);
}

void Form1::Para_Midi() {
  if (!perf.Criado()) return;
  if (seg.Criado() && segstate.Criado() && perf.IsPlaying(seg, segstate)) perf.Stop(seg, segstate, 0, 0);
}

void Form1::Liberar_Som() {
  ds.Release();
  for (DirectSoundBuffer* b :
       {&SomExtras, &SomVidasExtras, &SomTiro, &SomArma1, &SomArma2, &SomArma3, &SomArma3b, &SomExplosao}) {
    b->Release();
  }
}

}  // namespace vartenos
