// The shortest digits by exact integer arithmetic: the value, the halfway points to its neighbours and a
// power of ten become whole numbers r, m+, m- over a common s, and the digits come out of r / s one by one
// until a prefix lies between the halfway points. The numbers a game holds fit in 64 or 128 bits; the rest
// of the range (up to 2^1024 and down to 2^-1074) takes a wider number of our own, slower but as exact.
#include "shell/decimal.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace vartenos {

namespace {

// A whole number of up to 1,280 bits: enough for 2^1074 times the power of ten that scales it.
class Grande {
 public:
  explicit Grande(uint64_t v = 0) {
    p_[0] = static_cast<uint32_t>(v);
    p_[1] = static_cast<uint32_t>(v >> 32);
    n_ = p_[1] != 0 ? 2 : (p_[0] != 0 ? 1 : 0);
  }
  Grande operator<<(int bits) const {
    Grande g;
    const int palavras = bits / 32, resto = bits % 32;
    for (int i = n_ - 1; i >= 0; --i) {
      const uint64_t v = static_cast<uint64_t>(p_[i]) << resto;
      g.p_[i + palavras + 1] |= static_cast<uint32_t>(v >> 32);
      g.p_[i + palavras] |= static_cast<uint32_t>(v);
    }
    g.n_ = n_ == 0 ? 0 : n_ + palavras + 1;
    g.Aparar();
    return g;
  }
  Grande operator*(uint32_t m) const {
    Grande g;
    uint64_t vai = 0;
    for (int i = 0; i < n_; ++i) {
      vai += static_cast<uint64_t>(p_[i]) * m;
      g.p_[i] = static_cast<uint32_t>(vai);
      vai >>= 32;
    }
    g.n_ = n_;
    if (vai != 0) g.p_[g.n_++] = static_cast<uint32_t>(vai);
    g.Aparar();
    return g;
  }
  Grande operator+(const Grande& o) const {
    Grande g;
    uint64_t vai = 0;
    const int n = n_ > o.n_ ? n_ : o.n_;
    for (int i = 0; i < n; ++i) {
      vai += static_cast<uint64_t>(p_[i]) + o.p_[i];
      g.p_[i] = static_cast<uint32_t>(vai);
      vai >>= 32;
    }
    g.n_ = n;
    if (vai != 0) g.p_[g.n_++] = 1;
    return g;
  }
  // Only for a number at least `o`.
  Grande operator-(const Grande& o) const {
    Grande g;
    int64_t emprestimo = 0;
    for (int i = 0; i < n_; ++i) {
      int64_t v = static_cast<int64_t>(p_[i]) - o.p_[i] - emprestimo;
      emprestimo = v < 0 ? 1 : 0;
      g.p_[i] = static_cast<uint32_t>(v + (emprestimo << 32));
    }
    g.n_ = n_;
    g.Aparar();
    return g;
  }
  bool operator<(const Grande& o) const {
    if (n_ != o.n_) return n_ < o.n_;
    for (int i = n_ - 1; i >= 0; --i) {
      if (p_[i] != o.p_[i]) return p_[i] < o.p_[i];
    }
    return false;
  }

 private:
  void Aparar() {
    while (n_ > 0 && p_[n_ - 1] == 0) --n_;
  }
  std::array<uint32_t, 41> p_{};
  int n_ = 0;
};

using U128 = unsigned __int128;

// The digits of a positive value: 0.D1D2...Dn x 10^expoente.
struct Digitos {
  char d[20];
  int n = 0;
  int expoente = 0;
};

template <typename N>
N PotenciaDe2(int n) {
  return N(1) << n;
}

template <typename N>
N VezesPotenciaDe10(N x, int k) {
  static constexpr uint32_t kP10[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
  for (; k >= 9; k -= 9) x = x * 1000000000u;
  return x * kP10[k];
}

// The value is r/s, its neighbours' halfway points (r - m-)/s and (r + m+)/s, included when `inclusivo`
// (an even mantissa: reading a text exactly halfway rounds to it). `k` is a guess at the power of ten
// just above the upper halfway point.
template <typename N>
void Gerar(N r, N s, N mais, N menos, int k, bool inclusivo, Digitos& out) {
  if (k >= 0) {
    s = VezesPotenciaDe10(s, k);
  } else {
    r = VezesPotenciaDe10(r, -k);
    mais = VezesPotenciaDe10(mais, -k);
    menos = VezesPotenciaDe10(menos, -k);
  }
  // Whether a text of the digits so far plus one in the last place would still read back as the value.
  const auto acima = [inclusivo](const N& soma, const N& divisor) {
    return inclusivo ? !(soma < divisor) : divisor < soma;
  };
  while (acima(r + mais, s)) {
    s = s * 10u;
    ++k;
  }
  while (!acima((r + mais) * 10u, s)) {
    r = r * 10u;
    mais = mais * 10u;
    menos = menos * 10u;
    --k;
  }
  out.expoente = k;
  out.n = 0;
  for (;;) {
    r = r * 10u;
    mais = mais * 10u;
    menos = menos * 10u;
    int d = 0;
    while (!(r < s)) {
      r = r - s;
      ++d;
    }
    const bool baixo = inclusivo ? !(menos < r) : r < menos;  // the digits so far read back as the value
    const bool alto = acima(r + mais, s);                     // and so do they with this digit one more
    if (baixo && alto) {
      // Both: the nearer of the two, a tie to the even digit.
      const N dobro = r + r;
      if (s < dobro || (!(dobro < s) && d % 2 == 1)) ++d;
    } else if (alto) {
      ++d;
    }
    out.d[out.n++] = static_cast<char>(d);
    if (baixo || alto || out.n == sizeof out.d) break;
  }
  // A last digit carried to ten carries on to the left.
  int i = out.n - 1;
  while (i > 0 && out.d[i] == 10) {
    out.d[i--] = 0;
    ++out.d[i];
  }
  if (out.d[0] == 10) {
    out.d[0] = 1;
    ++out.expoente;
  }
  while (out.n > 1 && out.d[out.n - 1] == 0) --out.n;
}

int Bits(uint64_t v) {
  int n = 0;
  for (; v != 0; v >>= 1) ++n;
  return n;
}

// `mantissa` x 2^`e`, positive; `assimetrico` when the neighbour below is half as far as the one above
// (the mantissa is a power of two and not the smallest exponent's).
void Decompor(uint64_t mantissa, int e, bool assimetrico, double aproximado, Digitos& out) {
  const bool inclusivo = mantissa % 2 == 0;
  const int k = static_cast<int>(std::ceil(std::log10(aproximado)));
  // Bits of the largest number the digits take (the power of ten is under 4 bits a digit, and the
  // digit loop multiplies by ten once more than the guess of k may be off).
  const int bits_r = Bits(mantissa) + (e > 0 ? e : 0) + 3 + (k < 0 ? -4 * k : 0);
  const int bits_s = (e > 0 ? 3 : 3 - e) + (k > 0 ? 4 * k : 0);
  const int bits = (bits_r > bits_s ? bits_r : bits_s) + 10;
  const auto gerar = [&](auto zero) {
    using N = decltype(zero);
    const int a = assimetrico ? 1 : 0;
    if (e >= 0) {
      Gerar(N(mantissa) << (e + 1 + a), N(2u << a), PotenciaDe2<N>(e + a), PotenciaDe2<N>(e), k, inclusivo,
            out);
    } else {
      Gerar(N(mantissa) << (1 + a), PotenciaDe2<N>(1 + a - e), N(1u << a), N(1), k, inclusivo, out);
    }
  };
  if (bits <= 64) {
    gerar(uint64_t{0});
  } else if (bits <= 128) {
    gerar(U128{0});
  } else {
    gerar(Grande{0});
  }
}

char* Escrever(char* inicio, char* fim, const char* texto, int n) {
  if (fim - inicio < n) return nullptr;
  std::memcpy(inicio, texto, static_cast<size_t>(n));
  return inicio + n;
}

// Fixed or scientific notation, whichever is shorter (fixed on a tie). A whole number in fixed notation
// is written with the value's own digits past the shortest ones (2^60 is 1152921504606846976).
char* Formatar(char* inicio, char* fim, bool negativo, const Digitos& g, U128 inteiro) {
  char t[kDecimalCurtoMaximo + 8];
  int n = 0;
  if (negativo) t[n++] = '-';
  const int x = g.expoente - 1;  // the scientific exponent
  const int ax = x < 0 ? -x : x;
  const int tamanho_cientifico = g.n + (g.n > 1 ? 1 : 0) + 2 + (ax >= 100 ? 3 : 2);
  int tamanho_fixo;
  if (x >= g.n - 1) {
    tamanho_fixo = x + 1;
  } else if (x >= 0) {
    tamanho_fixo = g.n + 1;
  } else {
    tamanho_fixo = g.n + 1 - x;
  }
  if (tamanho_fixo > tamanho_cientifico) {
    t[n++] = static_cast<char>('0' + g.d[0]);
    if (g.n > 1) t[n++] = '.';
    for (int i = 1; i < g.n; ++i) t[n++] = static_cast<char>('0' + g.d[i]);
    t[n++] = 'e';
    t[n++] = x < 0 ? '-' : '+';
    if (ax >= 100) t[n++] = static_cast<char>('0' + ax / 100);
    t[n++] = static_cast<char>('0' + ax / 10 % 10);
    t[n++] = static_cast<char>('0' + ax % 10);
  } else if (x >= g.n - 1) {
    for (int i = x; i >= 0; --i) {
      t[n + i] = static_cast<char>('0' + static_cast<int>(inteiro % 10));
      inteiro /= 10;
    }
    n += x + 1;
  } else if (x >= 0) {
    for (int i = 0; i < g.n; ++i) {
      if (i == x + 1) t[n++] = '.';
      t[n++] = static_cast<char>('0' + g.d[i]);
    }
  } else {
    t[n++] = '0';
    t[n++] = '.';
    for (int i = 0; i < -x - 1; ++i) t[n++] = '0';
    for (int i = 0; i < g.n; ++i) t[n++] = static_cast<char>('0' + g.d[i]);
  }
  return Escrever(inicio, fim, t, n);
}

template <typename T>
char* Curto(char* inicio, char* fim, T v) {
  using Padrao = std::conditional_t<std::is_same_v<T, float>, uint32_t, uint64_t>;
  constexpr int kMantissa = std::is_same_v<T, float> ? 23 : 52;
  constexpr int kExpoente = std::is_same_v<T, float> ? 0xff : 0x7ff;
  constexpr int kVies = std::is_same_v<T, float> ? 127 : 1023;
  Padrao bits;
  std::memcpy(&bits, &v, sizeof bits);
  const bool negativo = bits >> (sizeof(Padrao) * 8 - 1);
  const uint64_t fracao = bits & ((Padrao{1} << kMantissa) - 1);
  const int expoente = static_cast<int>(bits >> kMantissa) & kExpoente;
  if (expoente == kExpoente) {
    if (fracao != 0) return negativo ? Escrever(inicio, fim, "-nan", 4) : Escrever(inicio, fim, "nan", 3);
    return negativo ? Escrever(inicio, fim, "-inf", 4) : Escrever(inicio, fim, "inf", 3);
  }
  if (expoente == 0 && fracao == 0)
    return negativo ? Escrever(inicio, fim, "-0", 2) : Escrever(inicio, fim, "0", 1);
  const uint64_t mantissa = expoente == 0 ? fracao : fracao | (uint64_t{1} << kMantissa);
  const int e = (expoente == 0 ? 1 : expoente) - kVies - kMantissa;
  Digitos g;
  Decompor(mantissa, e, fracao == 0 && expoente > 1, std::fabs(static_cast<double>(v)), g);
  // A whole number short enough for fixed notation is under 10^22, within 128 bits.
  U128 inteiro = 0;
  if (e >= 0 && Bits(mantissa) + e < 128) {
    inteiro = static_cast<U128>(mantissa) << e;
  } else if (e < 0 && e > -64) {
    inteiro = mantissa >> -e;
  }
  return Formatar(inicio, fim, negativo, g, inteiro);
}

}  // namespace

char* DecimalCurto(char* inicio, char* fim, float v) { return Curto(inicio, fim, v); }
char* DecimalCurto(char* inicio, char* fim, double v) { return Curto(inicio, fim, v); }

}  // namespace vartenos
