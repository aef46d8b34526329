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
    constexpr int kMaximo = std::is_same_v<T, float> ? 9 : 17;
    char e[48];
    for (int p = 1; p <= kMaximo; ++p) {
      std::snprintf(e, sizeof e, "%.*e", p - 1, static_cast<double>(v));
      const T lido = std::is_same_v<T, float> ? static_cast<T>(std::strtof(e, nullptr))
                                              : static_cast<T>(std::strtod(e, nullptr));
      if (lido == v) break;
    }
    // e is "[-]D[.DDD]e±XX": its digits and exponent.
    const bool negativo = e[0] == '-';
    char digitos[24];
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
      f += std::snprintf(fixo + f, sizeof fixo - f, "%.0f", std::fabs(static_cast<double>(v)));
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
