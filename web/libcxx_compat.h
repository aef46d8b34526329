// The browser build's C++ library (the libc++ of Debian's Emscripten 3.1.6) lacks std::bit_cast and the
// shortest round-trip std::to_chars for float and double, which the game uses (the lives on the status
// line, the numbers of the state trace a recording hashes). scripts/web builds every file with this
// header included first; it gives the two the same results as the desktop's library, so a session
// played in the browser hashes exactly as its replay does.
#pragma once

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <type_traits>

namespace vartenos::compat {

// The shortest digits of `v` written as printf's "%.*e" would, found with double arithmetic alone (the
// C library formats and reads numbers through its software long double, which is slow in WebAssembly,
// and a recorded session formats a few thousand numbers a frame). Up to 9 digits and for decimal
// exponents within ±22 every step is exact or one correctly rounded operation; false when a value
// needs more, or comes too close to a tie to be sure, and the caller takes the slow, exact way.
template <typename T>
bool Rapido(T v, char* e, size_t tamanho) {
  static constexpr double kP10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  const double d = std::fabs(static_cast<double>(v));
  int e10 = static_cast<int>(std::floor(std::log10(d)));
  if (e10 < -20 || e10 > 20) return false;
  const auto escalar = [&](double x, int k) { return k >= 0 ? x * kP10[k] : x / kP10[-k]; };
  if (escalar(1.0, e10) > d) --e10;
  if (escalar(1.0, e10 + 1) <= d) ++e10;
  for (int p = 1; p <= 9; ++p) {
    const int k = p - 1 - e10;
    if (k < -22 || k > 22) return false;
    const double x = escalar(d, k);
    const double base = std::floor(x);
    if (std::fabs(x - base - 0.5) < 1e-6) return false;  // too near a tie to round it surely
    double n = std::nearbyint(x);
    int expoente = e10;
    if (n >= kP10[p]) {  // 9.96 to two digits is 10: one more digit place
      n /= 10;
      ++expoente;
    }
    const int j = expoente - (p - 1);
    if (j < -22 || j > 22) return false;
    const double lido = escalar(n, j);  // one correctly rounded operation: what strtod gives
    bool volta;
    if constexpr (std::is_same_v<T, float>) {
      const float f = static_cast<float>(lido);
      // Rounded twice (to double, then to float) only a value exactly between two floats could differ.
      const float vizinho = std::nextafter(f, lido > f ? HUGE_VALF : -HUGE_VALF);
      if (static_cast<double>(f) != lido && lido == (static_cast<double>(f) + vizinho) / 2) return false;
      volta = f == std::fabs(v);
    } else {
      volta = lido == d;
    }
    if (volta) {
      char digitos[16];
      *std::to_chars(digitos, digitos + sizeof digitos, static_cast<long long>(n)).ptr = '\0';
      int k2 = 0;
      if (std::signbit(v)) e[k2++] = '-';
      e[k2++] = digitos[0];
      if (p > 1) {
        e[k2++] = '.';
        for (int i = 1; i < p; ++i) e[k2++] = digitos[i];
      }
      std::snprintf(e + k2, tamanho - k2, "e%c%02d", expoente < 0 ? '-' : '+', std::abs(expoente));
      return true;
    }
  }
  return false;
}

// The shortest text that reads back as `v`: the fewest significant digits that round-trip (each
// count tried with printf's correctly rounded %e), written in fixed or scientific notation,
// whichever is shorter (fixed on a tie), as std::to_chars does.
template <typename T>
std::to_chars_result Curto(char* first, char* last, T v) {
  char s[64];
  if (std::isnan(v)) {
    std::snprintf(s, sizeof s, "%s", std::signbit(v) ? "-nan" : "nan");
  } else if (std::isinf(v)) {
    std::snprintf(s, sizeof s, "%s", v < 0 ? "-inf" : "inf");
  } else if (v == 0) {
    std::snprintf(s, sizeof s, "%s", std::signbit(v) ? "-0" : "0");
  } else {
    char e[48];
    if (!Rapido(v, e, sizeof e)) {
      constexpr int kMaximo = std::is_same_v<T, float> ? 9 : 17;
      for (int p = 1; p <= kMaximo; ++p) {
        std::snprintf(e, sizeof e, "%.*e", p - 1, static_cast<double>(v));
        const T lido = std::is_same_v<T, float> ? static_cast<T>(std::strtof(e, nullptr))
                                                : static_cast<T>(std::strtod(e, nullptr));
        if (lido == v) break;
      }
    }
    // e is "[-]D[.DDD]e±XX": its digits and exponent.
    const bool negativo = e[0] == '-';
    char digitos[24] = {};
    int n = 0;
    const char* c = e + (negativo ? 1 : 0);
    for (; *c != 'e'; ++c) {
      if (*c != '.') digitos[n++] = *c;
    }
    const int x = std::atoi(c + 1);
    char cientifico[48];
    int k = 0;
    if (negativo) cientifico[k++] = '-';
    cientifico[k++] = digitos[0];
    if (n > 1) {
      cientifico[k++] = '.';
      for (int i = 1; i < n; ++i) cientifico[k++] = digitos[i];
    }
    k += std::snprintf(cientifico + k, sizeof cientifico - k, "e%c%02d", x < 0 ? '-' : '+', x < 0 ? -x : x);
    char fixo[400];
    int f = 0;
    if (negativo) fixo[f++] = '-';
    if (x >= n - 1) {
      // A whole number: its exact value (the digits past the shortest ones are the value's own).
      const double inteiro = std::fabs(static_cast<double>(v));
      if (inteiro < 9007199254740992.0) {
        f = static_cast<int>(
            std::to_chars(fixo + f, fixo + sizeof fixo, static_cast<long long>(inteiro)).ptr - fixo);
      } else {
        f += std::snprintf(fixo + f, sizeof fixo - f, "%.0f", inteiro);
      }
    } else if (x >= 0) {
      for (int i = 0; i < n; ++i) {
        if (i == x + 1) fixo[f++] = '.';
        fixo[f++] = digitos[i];
      }
    } else {
      fixo[f++] = '0';
      fixo[f++] = '.';
      for (int i = 0; i < -x - 1; ++i) fixo[f++] = '0';
      for (int i = 0; i < n; ++i) fixo[f++] = digitos[i];
    }
    fixo[f] = '\0';
    std::snprintf(s, sizeof s, "%s", f <= k ? fixo : cientifico);
  }
  const size_t tamanho = std::strlen(s);
  if (tamanho > static_cast<size_t>(last - first)) return {last, std::errc::value_too_large};
  std::memcpy(first, s, tamanho);
  return {first + tamanho, std::errc()};
}

}  // namespace vartenos::compat

#if defined(__EMSCRIPTEN__) && defined(_LIBCPP_VERSION) && _LIBCPP_VERSION < 15000
namespace std {

template <class Para, class De>
constexpr Para bit_cast(const De& de) noexcept {
  return __builtin_bit_cast(Para, de);
}

inline to_chars_result to_chars(char* first, char* last, float v) {
  return vartenos::compat::Curto(first, last, v);
}
inline to_chars_result to_chars(char* first, char* last, double v) {
  return vartenos::compat::Curto(first, last, v);
}

}  // namespace std
#endif
