#include "record_store/presentation_columns.h"

namespace presentation {

namespace {

using Columns = std::vector<TGridColumn>;

void Add(Columns& c, std::initializer_list<const char*> names, bool hidden = false) {
    for (const char* n : names) c.push_back({n, hidden});
}

void AddTimeBases(Columns& c) {
    Add(c, {"Time base 10", "Time base 100", "Time base 1000", "Time base 10000", "Sample temp hi"},
        true);
}

void AddRadiations(Columns& c) {
    Add(c,
        {"Gamma rate", "Beta rate", "Alpha rate", "Gamma time", "Beta time", "Alpha time",
         "Gamma unit", "Beta unit", "Alpha unit", "Gamma source", "Beta source", "Alpha source",
         "Irrad date"},
        true);
}

Columns MakeDat() {
    Columns c;
    Add(c, {"Run#", "Disk#", "Device", "Info", "Nat TL", "TL run", "Single aliquot", "Before irrad",
            "Normalization", "Ramp", "OSL time"});
    AddTimeBases(c);
    Add(c, {"OSL BGD", "Sample temp", "Bleach time", "Bleach filter", "Irradiation"});
    AddRadiations(c);
    Add(c, {"Normalization factor", "Shift", "Remark", "NPT"});
    Add(c, {"Spacing", "Dev#", "Max point", "Raw data", "Subtracted data", "Second"}, true);
    return c;
}

Columns MakeSad() {
    Columns c;
    Add(c, {"Run#", "Disk#", "Device", "Info", "Nat TL", "TL run"});
    Add(c, {"Short shine", "Before irrad", "Normalization"}, true);
    Add(c, {"DeviceNum", "DeviceInfo", "Power", "OSL time"});
    AddTimeBases(c);
    Add(c, {"OSL BGD", "Sample temp", "Irradiation"});
    Add(c,
        {"Irradiator", "Source", "Dose rate", "Irradiating time", "Dose rate unit", "Irrad date"},
        true);
    Add(c, {"Preheat temperature", "Preheat time", "Remark", "NPT"});
    Add(c, {"Spacing", "Dev#", "Max point", "Raw data", "Subtracted data"}, true);
    return c;
}

Columns MakeDas() {
    Columns c;
    Add(c, {"Run#", "Disk#", "Hole#", "Device", "Info", "Nat TL", "TL run", "Single aliquot",
            "Before irrad", "Normalization", "Ramp", "OSL time"});
    AddTimeBases(c);
    Add(c, {"OSL BGD", "Sample temp", "Bleach time", "Bleach filter", "Irradiation"});
    AddRadiations(c);
    Add(c, {"Remark", "NPT"});
    Add(c, {"Spacing", "Dev#", "Max point", "Raw data", "Second"}, true);
    return c;
}

}  // namespace

const std::vector<TGridColumn>& GridColumns(TRecordKind kind) {
    static const Columns dat = MakeDat(), sad = MakeSad(), das = MakeDas(), none;
    switch (kind) {
        case TRecordKind::Dat:
            return dat;
        case TRecordKind::Sad:
            return sad;
        case TRecordKind::Das:
            return das;
        default:
            return none;
    }
}

}  // namespace presentation
