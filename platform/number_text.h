#pragma once
// Numbers as text for files, logs, JSON and the core's own messages: always a point for the
// decimal separator, whatever locale the process runs under. The C library's printf and
// strtod follow LC_NUMERIC, which a Qt program sets from the user's environment, so the core
// converts floating-point numbers only through these functions (std::to_chars and
// std::from_chars, which ignore the locale).
#include <string>
#include <string_view>

// printf("%.*g", significant, value).
std::string NumberGeneral(double value, int significant);

// printf("%.*f", decimals, value).
std::string NumberFixed(double value, int decimals);

// printf("%.*e", decimals, value).
std::string NumberScientific(double value, int decimals);

// The shortest text that reads back as the same double.
std::string NumberShortest(double value);

// Reads the whole of text (no blanks around it) as a decimal number with a point, as strtod
// would with a leading '+' allowed; false for anything else, including infinities and NaN.
bool ParseNumberText(std::string_view text, double& value);
