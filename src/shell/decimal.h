// Floating-point numbers as the shortest text that reads back exactly: how the recordings' traces print
// positions, speeds and angles (their hashes compare those texts) and how the status line prints the
// lives. Written by our own code on every platform, so the desktop and the browser print the same digits.
#pragma once

namespace vartenos {

// The most characters DecimalCurto writes ("-2.2250738585072014e-308").
constexpr int kDecimalCurtoMaximo = 24;

// Writes `v` into [inicio, fim) as the fewest significant digits that read back as `v` (of those, the
// nearest to `v`, a tie going to the even digit), in fixed notation ("0.25", "640") or scientific
// ("1e+30", "2.5e-07"), whichever is shorter, fixed on a tie; "inf", "-inf", "nan", "-0" as such. The
// same text as std::to_chars(inicio, fim, v). Returns the end of the text, or nullptr when it does not
// fit (kDecimalCurtoMaximo characters always do).
char* DecimalCurto(char* inicio, char* fim, float v);
char* DecimalCurto(char* inicio, char* fim, double v);

}  // namespace vartenos
