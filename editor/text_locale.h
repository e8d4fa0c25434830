#pragma once
// The one place where numbers and dates meet the user's locale (QLocale): the texts of the
// record presentation (decimal separator, the short date shown in grid and form, reading a
// date typed back in that form), and numbers shown in or read from the window's fields and
// tables. Files, logs and JSON write their numbers without the locale (platform/number_text.h).
#include <QString>
#include <optional>

#include "record_store/presentation_record.h"

presentation::TTextLocale SystemTextLocale();

// A number as the user's locale writes it, without group separators: format 'f', 'e' or
// 'g' with `precision` as QLocale::toString takes them.
QString LocaleNumber(double value, char format = 'g', int precision = 6);

// A number the user typed: in the user's locale (group separators refused, so that "1.5"
// under a comma locale is not read as 15), else as a C number with a point, which pasted
// values often are. Blanks around it are ignored; nothing for any other text.
std::optional<double> ReadLocaleNumber(const QString& text);
