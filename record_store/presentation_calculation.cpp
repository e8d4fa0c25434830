#include "record_store/presentation_calculation.h"

#include "record_store/measurement_codes.h"
#include "record_store/presentation_format.h"

namespace presentation {

namespace {

const char* const kSixBlanks = "      ";

struct TDose {
    double time = 0;
    double rate = 0;
    std::string unit;
    std::string source;
    const char* name = "";  // " gamma ", " beta ", " alpha "
    char letter = 0;        // "g", "b", "a"
};

// The one radiation of a DAT record: the first of gamma, beta, alpha with a positive time.
bool DatDose(const TRecordValues& r, TDose& dose) {
    struct Kind {
        const char* prefix;
        const char* name;
        char letter;
    };
    static const Kind kinds[] = {
        {"Gamma", " gamma ", 'g'}, {"Beta", " beta ", 'b'}, {"Alpha", " alpha ", 'a'}};
    for (const Kind& k : kinds) {
        const std::string p = k.prefix;
        const double time = r.Float(p + " time");
        if (time > 0) {
            dose.time = time;
            dose.rate = r.Float(p + " rate");
            dose.unit = r.Text(p + " unit");
            dose.source = r.Text(p + " source");
            dose.name = k.name;
            dose.letter = k.letter;
            return true;
        }
    }
    return false;
}

const char* SadRadiationName(const std::string& irradiator) {
    if (irradiator.empty()) return nullptr;
    switch (irradiator[0]) {
        case 'A':
            return " alpha ";
        case 'B':
        case 'H':
        case 'L':
        case 'X':
            return " beta ";
        case 'G':
            return " gamma ";
        default:
            return nullptr;
    }
}

std::string IrradiationText(const std::string& source, double dose, const std::string& unit,
                            const std::string& date, char sep) {
    std::string t = D2(dose, sep);
    if (t.size() < 7) t.insert(0, 14 - 2 * t.size(), ' ');  // padded to 14 - length
    return source + " " + t + " " + CutUnit(unit) + " on " + date;
}

void DatInfo(const TRecordValues& r, char sep, std::string& L, std::string& S) {
    L.clear();
    S.clear();
    if (r.Bool("TL run")) {
        L = r.Bool("Nat TL") ? "N" : kSixBlanks;
        S = L;
        const double bleach = r.Float("Bleach time");
        const std::string hours = D0(bleach / 60, sep);
        const bool before = r.Bool("Before irrad");
        if (bleach > 0 && before) {
            L += " + bleach(" + hours + "h)";
            S += "+bl(" + hours + "h)";
        }
        TDose dose;
        if (DatDose(r, dose)) {
            if (r.Bool("Nat TL")) {
                L += " + ";
                S += "+";
            }
            L += D1(dose.time * dose.rate, sep);
            S += D0(dose.time * dose.rate, sep) + dose.letter;
            L += CutUnit(dose.unit) + dose.name;
        }
        if (bleach > 0 && !before) {
            L += " + bleach(" + hours + "h)";
            S += "+bl(" + hours + "h)";
        }
    } else {
        L = "BGD";
    }
    if (r.Bool("Second")) L = "BAD! " + L;
}

void SadInfo(const TRecordValues& r, char sep, std::string& L, std::string& S) {
    L.clear();
    S.clear();
    if (!r.Bool("TL run")) {
        L = "BGD";
        return;
    }
    L = r.Bool("Nat TL") ? "N" : kSixBlanks;
    S = L;
    const double time = r.Float("Irradiating time");
    if (time > 0) {
        if (r.Bool("Nat TL")) {
            L += " + ";
            S += "+";
        }
        const double dose = time * r.Float("Dose rate");
        const std::string irradiator = r.Text("Irradiator");
        L += D1(dose, sep);
        S += D0(dose, sep) + irradiator;
        if (const char* name = SadRadiationName(irradiator))
            L += CutUnit(r.Text("Dose rate unit")) + name;
    }
}

double OslTime(const TRecordValues& r) {
    return 0.01 * r.Float("Time base 10") + 0.1 * r.Float("Time base 100") +
           1.0 * r.Float("Time base 1000") + 10.0 * r.Float("Time base 10000");
}

void CutAll(TCalculatedFields& f) {
    f.device = CutToSize(f.device, kDeviceSize);
    f.info = CutToSize(f.info, kInfoSize);
    f.shortInfo = CutToSize(f.shortInfo, kShortInfoSize);
    f.irradiation = CutToSize(f.irradiation, kIrradiationSize);
    f.runKind = CutToSize(f.runKind, kRunKindSize);
    f.singleMultiple = CutToSize(f.singleMultiple, kSingleMultipleSize);
    f.norm = CutToSize(f.norm, kNormSize);
}

}  // namespace

bool IsTLCode(long long devCode) {
    return devCode / 1000 == 0;
}

std::string DeviceText(long long devCode) {
    if (IsTLCode(devCode)) return "TL";
    return OslDeviceName(static_cast<int>(devCode / 100));
}

std::string CutToSize(const std::string& text, int size) {
    if (size < 0 || static_cast<int>(text.size()) <= size) return text;
    return text.substr(0, static_cast<size_t>(size));
}

TCalculatedFields Calculate(TRecordKind kind, const TRecordValues& r, char sep) {
    TCalculatedFields f;
    if (kind == TRecordKind::General) return f;
    const long long code = r.Int("Dev#");
    const bool tl = IsTLCode(code);
    f.device = DeviceText(code);
    f.oslTime = OslTime(r);
    f.runKind = tl ? "TL" : "OSL";
    if (kind == TRecordKind::Sad) {
        SadInfo(r, sep, f.info, f.shortInfo);
        const double time = r.Float("Irradiating time");
        if (time > 0)
            f.irradiation = IrradiationText(r.Text("Source"), time * r.Float("Dose rate"),
                                            r.Text("Dose rate unit"), r.Text("Irrad date"), sep);
        f.singleMultiple = r.Bool("Short shine") ? "single aliquot" : "";
    } else {
        DatInfo(r, sep, f.info, f.shortInfo);
        TDose dose;
        if (DatDose(r, dose))
            f.irradiation = IrradiationText(dose.source, dose.time * dose.rate, dose.unit,
                                            r.Text("Irrad date"), sep);
        f.singleMultiple = r.Bool("Single aliquot") ? "single aliquot" : "";
        f.norm = r.Bool("Normalization") ? "normalization" : "";
        f.maxTemp = (r.Int("NPT") + 1) * r.Int("Spacing");
    }
    CutAll(f);
    return f;
}

TCalculatedFields CalculateForSubtraction(TRecordKind kind, const TRecordValues& r,
                                          const TBackgroundLookup& lookup, char sep) {
    TCalculatedFields f;
    if (kind == TRecordKind::General) return f;
    const long long code = r.Int("Dev#");
    f.device = IsTLCode(code) ? "TL  " : DeviceText(code);
    std::string ignored;
    if (kind == TRecordKind::Sad)
        SadInfo(r, sep, f.info, ignored);
    else
        DatInfo(r, sep, f.info, ignored);
    if (lookup) f.shortInfo = lookup(r.Int("Run#"), r.Int("Disk#"));
    CutAll(f);
    return f;
}

}  // namespace presentation
