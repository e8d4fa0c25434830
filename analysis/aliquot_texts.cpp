#include "analysis/aliquot_texts.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "analysis/device_key.h"
#include "platform/number_text.h"
#include "record_store/field_value.h"

namespace {

std::string Fixed(double x, int decimals) {
    return NumberFixed(x, decimals);
}

// x with one decimal, as "%.1f" writes it (correctly rounded), without printf's cost.
void AppendFixed1(std::string& text, double x) {
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::fixed, 1);
    if (result.ec == std::errc()) {
        text.append(buffer, result.ptr);
    } else {
        text += Fixed(x, 1);
    }
}

}  // namespace

std::string IsoDateTimeText(double dateTime) {
    if (!std::isfinite(dateTime)) return "?";
    const double dayPart = std::floor(dateTime);
    // 1899-12-30 is day 693593 counted from 0001-01-01.
    const TDate date = DateFromDaysSinceEpoch1(static_cast<int64_t>(dayPart) + 693593);
    long seconds = std::lround((dateTime - dayPart) * 86400.0);
    if (seconds >= 86400) seconds = 86399;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02ld:%02ld:%02ld", date.year, date.month,
                  date.day, seconds / 3600, seconds / 60 % 60, seconds % 60);
    return buffer;
}

std::string DoseText(const TIrradiation& irradiation) {
    if (!(irradiation.Dose > 0)) return {};
    return Fixed(irradiation.Dose, 1) + irradiation.DoseUnit;
}

std::string BleachingText(const TBleaching& bleaching) {
    if (!(bleaching.BleachTime > 0)) return "Not bleached";
    std::string text = "BL(" + Fixed(bleaching.BleachTime, 1);
    if (!bleaching.BleachFilter.empty()) text += "/" + bleaching.BleachFilter;
    return text + ")";
}

std::string RadiationName(TRadiation radiation) {
    switch (radiation) {
        case TRadiation::Alpha:
            return "alpha";
        case TRadiation::Beta:
            return "beta";
        case TRadiation::Gamma:
            return "gamma";
        default:
            return "?";
    }
}

std::string IrradiationText(const TIrradiation& irradiation, const TDateTimeText& dateText) {
    if (!(irradiation.Dose > 0)) return {};
    return RadiationName(irradiation.Radiation) + " " + dateText(irradiation.IrradDate);
}

std::string RecordDescription(const TLookupRecord& r, const TDateTimeText& dateText) {
    // Built in one string: the table makes one for every record of the file.
    std::string text;
    text.reserve(64);
    text += 'r';
    text += std::to_string(r.Run);
    text += " d";
    text += std::to_string(r.Disk);
    text += ' ';
    if (IsTLDevice(r.Key)) {
        text += "TL ";
    } else if (IsOslDevice(r.Key)) {
        const int unit = r.Key.Device >= 40 ? r.Key.Device - 20 : r.Key.Device;
        if (unit == 28) {
            text += "IRSL ";
        } else {
            text += "OSL#";
            text += std::to_string(unit - 20);
            text += ' ';
        }
    }
    if (r.Methods & (MethodBit(kAdditiveGrowth) | MethodBit(kRegenGrowth))) text += 'N';
    auto bleach = [&] {
        if (!(r.Bleaching.BleachTime > 0)) return;
        text += "+BL(";
        AppendFixed1(text, r.Bleaching.BleachTime);
        if (!r.Bleaching.BleachFilter.empty()) {
            text += '/';
            text += r.Bleaching.BleachFilter;
        }
        text += ')';
    };
    auto dose = [&] {
        if (!(r.Irradiation.Dose > 0)) return;
        text += '+';
        AppendFixed1(text, r.Irradiation.Dose);
        text += r.Irradiation.DoseUnit;
    };
    if (r.IrradClass == kRegenerated) {
        bleach();
        dose();
    } else {
        dose();
        bleach();
    }
    if (r.Irradiation.Dose > 0) {
        text += ' ';
        text += IrradiationText(r.Irradiation, dateText);
    }
    // The text starts with "r"; only its end can hold a blank.
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

std::string SignificantText(double x, char decimalSeparator) {
    std::string text;
    if (x == 0 || !std::isfinite(x)) {
        text = x == 0 ? "0.000" : Fixed(x, 0);
    } else {
        const double magnitude = std::fabs(x);
        const int e =
            static_cast<int>(std::trunc(std::log10(magnitude))) + (magnitude >= 1 ? 1 : 0) - 3;
        const double scale = std::pow(10.0, e);
        const double rounded = std::nearbyint(x / scale) * scale;
        // As many digits as the rounding kept, so representation noise never shows.
        text = NumberGeneral(rounded, std::max(3, 3 + (e > 0 ? e : 0)));
    }
    for (char& c : text) {
        if (c == '.') c = decimalSeparator;
    }
    return text;
}
