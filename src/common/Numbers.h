// Numbers read from text "in the manner of atoi": leading white space, an
// optional sign, then digits up to the first non-digit. Unlike atoi there is
// no undefined behaviour: values beyond the type saturate.
#pragma once

#include <cstdint>
#include <string_view>

namespace zorl {

long long AtoiLL(std::string_view text);
int Atoi(std::string_view text);   // saturates to the int range
long Atol(std::string_view text);  // saturates to the long range
// atoi/atol-style read into an unsigned 32-bit value (negative gives 0).
uint32_t AtoU32(std::string_view text);

// A decimal fraction read "in the manner of atof", with "." as the decimal
// point whatever the process's locale: "1.5" is 1.5, "2x" 2, "x" 0. A text
// that reads as not-a-number gives 0.
double Atof(std::string_view text);

// True when the whole text is one or more decimal digits.
bool IsAllDigits(std::string_view text);

}  // namespace zorl
