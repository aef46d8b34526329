// Small helpers the tests share: running a program, an environment variable set for one scope, the
// message of a fatal error, and the level of a stretch of sound.
#pragma once

#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/fatal_error.h"

namespace vartenos::testes {

// Runs a shell command; its exit status and all it wrote, standard error included.
struct Saida {
  int status = -1;
  std::string out;
};
inline Saida RodarComando(const std::string& cmd) {
  Saida s;
  FILE* p = popen((cmd + " 2>&1").c_str(), "r");
  if (p == nullptr) return s;
  char buf[4096];
  for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) s.out.append(buf, n);
  const int st = pclose(p);
  s.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return s;
}

// Sets (with nullptr: removes) an environment variable until the end of the scope.
class Ambiente {
 public:
  Ambiente(const char* nome, const char* valor) : nome_(nome) {
    const char* v = std::getenv(nome);
    tinha_ = v != nullptr;
    if (tinha_) antes_ = v;
    valor != nullptr ? setenv(nome, valor, 1) : unsetenv(nome);
  }
  ~Ambiente() { tinha_ ? setenv(nome_.c_str(), antes_.c_str(), 1) : unsetenv(nome_.c_str()); }
  Ambiente(const Ambiente&) = delete;
  Ambiente& operator=(const Ambiente&) = delete;

 private:
  std::string nome_, antes_;
  bool tinha_;
};

// The message of the FatalError that `f` throws.
template <class F>
std::string Erro(F f) {
  try {
    f();
  } catch (const FatalError& e) {
    return e.what();
  }
  return "no error";
}

inline double Rms(const std::vector<float>& v) {
  double s = 0;
  for (float x : v) s += static_cast<double>(x) * x;
  return v.empty() ? 0 : std::sqrt(s / v.size());
}

}  // namespace vartenos::testes
