#pragma once
// Files for the analysis tests: the bundled sample written into a temporary folder, and the
// measurement table of one of its files.
#include <memory>
#include <string>

#include "analysis/lookup_table.h"
#include "temp_folder.h"
#include "tools/tool_test_files.h"

namespace analysis_test {

// The sample written once per test into its own folder.
class TSampleFiles {
public:
    TSampleFiles() { MakeSample(folder_.path().string()); }
    std::string File(const std::string& name) const { return folder_.File(name); }
    std::unique_ptr<TBinDataSet> Open(const std::string& name, TViewKind kind,
                                      const std::string& schema) const {
        return tool_test::OpenView(File(name), kind, File(schema));
    }

private:
    TTempFolder folder_;
};

// Writes DAT.sch and T.DAT/.SUB with the given records; returns the record file's path.
inline std::string WriteDat(const TTempFolder& folder, const std::vector<TSampleRecord>& records) {
    const std::string schema = folder / "DAT.sch";
    std::FILE* f = std::fopen(schema.c_str(), "wb");
    const std::string text = SchemaTextOf(DatSampleFields(), "test");
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    const std::string path = folder / "T.DAT";
    WriteSampleRecords(path, schema, DatSampleFields(), records);
    return path;
}

// An OSL record of device 21 with the given time bases and "NPT"; its subtracted values are
// 100, 99, 98, ... (channel 2 on; "Shift" holds channel 1).
inline TSampleRecord OslRecord(int disk, std::array<int, 4> bases, int npt) {
    tool_test::TRecordFixture s;
    s.disk = disk;
    s.dev = 2100;
    s.npt = npt;
    s.timeBases = bases;
    for (int i = 0; i < npt; ++i) s.subtracted.push_back(100.0 - i);
    TSampleRecord r = tool_test::MakeRecord(s);
    r.Set("Nat TL", true);
    r.Set("Ramp", 90.0);
    return r;
}

// A bare table entry for tests of the algorithms that work on the table alone.
inline TLookupRecord Entry(TDeviceKey key, double dose, TRadiation radiation, bool natural,
                           double bleachTime = 0, uint16_t methods = 0) {
    TLookupRecord e;
    e.Key = key;
    e.Irradiation.Dose = dose;
    e.Irradiation.Radiation = dose > 0 ? radiation : TRadiation::None;
    e.Irradiation.IrradDate = 46097;  // 2026-03-16
    e.Irradiation.DoseUnit = "Gy";
    e.Natural = natural;
    e.Bleaching.BleachTime = bleachTime;
    e.Methods = methods;
    return e;
}

inline TDeviceKey OslKey() {
    TDeviceKey k;
    k.Device = 21;
    k.Spacing = 1;
    k.SampleTemp = 125;
    k.TimeBase = {20, 30, 40, 0};
    k.Power = 230;
    return k;
}

inline TDeviceKey TLKey(int spacing = 5) {
    TDeviceKey k;
    k.Spacing = spacing;
    k.Ramp = 5;
    k.EndTemp = 500;
    return k;
}

}  // namespace analysis_test
