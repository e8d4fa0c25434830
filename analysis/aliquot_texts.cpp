#include "analysis/aliquot_texts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "analysis/device_key.h"
#include "record_store/field_value.h"

namespace {

std::string Fixed(double x, int decimals) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, x);
    return buffer;
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
    std::string text = "r" + std::to_string(r.Run) + " d" + std::to_string(r.Disk) + " ";
    if (IsTLDevice(r.Key)) {
        text += "TL ";
    } else if (IsOslDevice(r.Key)) {
        const int unit = r.Key.Device >= 40 ? r.Key.Device - 20 : r.Key.Device;
        text += unit == 28 ? "IRSL " : "OSL#" + std::to_string(unit - 20) + " ";
    }
    if (r.Methods & (MethodBit(kAdditiveGrowth) | MethodBit(kRegenGrowth))) text += "N";
    const std::string bleach =
        r.Bleaching.BleachTime > 0 ? "+" + BleachingText(r.Bleaching) : std::string();
    const std::string dose = r.Irradiation.Dose > 0 ? "+" + DoseText(r.Irradiation) : std::string();
    text += r.IrradClass == kRegenerated ? bleach + dose : dose + bleach;
    text += " " + IrradiationText(r.Irradiation, dateText);
    const auto first = text.find_first_not_of(' ');
    const auto last = text.find_last_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
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
        char buffer[64];
        // As many digits as the rounding kept, so representation noise never shows.
        std::snprintf(buffer, sizeof buffer, "%.*g", std::max(3, 3 + (e > 0 ? e : 0)), rounded);
        text = buffer;
    }
    for (char& c : text) {
        if (c == '.') c = decimalSeparator;
    }
    return text;
}
