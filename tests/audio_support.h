// Test doubles for the audio tests: a platform with a hand-moved clock and, if wanted, a sound card
// whose callback the test runs itself; and a call log that keeps every line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "audio/call_log.h"
#include "platform/platform.h"
#include "shell/form1.h"

namespace vartenos::testes {

class RegistroAudio : public AudioCallLog {
 public:
  void Som(std::string_view call) override { linhas.emplace_back(call); }
  void Musica(std::string_view call) override { linhas.emplace_back(call); }
  // The lines logged since the last call, then forgets them.
  std::vector<std::string> Novas() {
    std::vector<std::string> v;
    v.swap(linhas);
    return v;
  }
  std::vector<std::string> linhas;
};

class SaidaFalsa : public AudioOutput {
 public:
  bool Open(int rate, int frames, AudioCallback callback, void* user, int& got_rate,
            std::string& error) override {
    pedido_taxa = rate;
    pedido_quadros = frames;
    if (falhar) {
      error = "test: no card";
      return false;
    }
    cb = callback;
    dono = user;
    got_rate = taxa;
    aberta = true;
    return true;
  }
  void Lock() override { ++travas; }
  void Unlock() override { ++destravas; }
  void Close() override { aberta = false; }

  // Runs the device callback for `frames` frames, as the audio thread would.
  std::vector<float> Rodar(int frames) {
    std::vector<float> out(static_cast<size_t>(frames) * 2, 12345.0f);
    if (aberta) cb(dono, out.data(), frames);
    return out;
  }

  int taxa = 48000;
  bool falhar = false;
  bool aberta = false;
  int pedido_taxa = 0, pedido_quadros = 0;
  int travas = 0, destravas = 0;
  AudioCallback cb = nullptr;
  void* dono = nullptr;
};

class PlataformaFalsa : public Platform {
 public:
  explicit PlataformaFalsa(AudioOutput* saida = nullptr) : saida_(saida) {}
  int32_t TickCount() override { return relogio; }
  void OpenDisplay() override {}
  void CloseDisplay() override {}
  void Present(const Surface&) override {}
  void DoEvents(EventSink&) override {}
  void WaitUntil(int32_t deadline, EventSink&) override { relogio = deadline; }
  void WaitAnyEvent(EventSink&) override {}
  void MessageBox(const std::string&, const std::string&) override {}
  AudioOutput* Audio() override { return saida_; }

  int32_t relogio = 0;

 private:
  AudioOutput* saida_;
};

inline std::string PastaDados() { return std::string(VARTENOS_BUILD_DATA) + "/"; }

// A game with its effects loaded, on a platform without a sound card (the slots follow the clock).
struct JogoSemPlaca {
  PlataformaFalsa plataforma;
  RegistroAudio log;
  Form1 form{plataforma, PastaDados(), nullptr};
  JogoSemPlaca() {
    form.Registrar_Audio(&log);
    form.InitDirectSound();
    log.Novas();
  }
  void Esperar(int32_t ms) { plataforma.relogio += ms; }
};

}  // namespace vartenos::testes
