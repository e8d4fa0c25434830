#include "editor/text_locale.h"

#include <QDate>
#include <QLocale>

presentation::TTextLocale SystemTextLocale() {
    presentation::TTextLocale locale;
    const QString point = QLocale().decimalPoint();
    locale.decimalSeparator = point.isEmpty() ? '.' : point.at(0).toLatin1();
    if (locale.decimalSeparator == 0) locale.decimalSeparator = '.';
    locale.dateText = [](const TDate& d) {
        return QLocale()
            .toString(QDate(d.year, d.month, d.day), QLocale::ShortFormat)
            .toStdString();
    };
    locale.readDate = [](const std::string& text) -> std::optional<TDate> {
        const QLocale loc;
        const QString format = loc.dateFormat(QLocale::ShortFormat);
        QDate date = loc.toDate(QString::fromStdString(text).trimmed(), format);
        if (!date.isValid()) return std::nullopt;
        // A two-digit year reads as 1900 + yy; the dates a record holds run to 2027, so the
        // years 00 to 49 belong to this century.
        if (!format.contains(QLatin1String("yyyy")) && date.year() < 1950)
            date = date.addYears(100);
        return TDate{date.year(), date.month(), date.day()};
    };
    return locale;
}

namespace {

QLocale UserLocale() {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return locale;
}

}  // namespace

QString LocaleNumber(double value, char format, int precision) {
    return UserLocale().toString(value, format, precision);
}

std::optional<double> ReadLocaleNumber(const QString& text) {
    const QString trimmed = text.trimmed();
    bool ok = false;
    double value = UserLocale().toDouble(trimmed, &ok);
    if (!ok) value = QLocale::c().toDouble(trimmed, &ok);
    if (!ok) return std::nullopt;
    return value;
}
