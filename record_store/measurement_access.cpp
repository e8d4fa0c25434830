#include "record_store/measurement_access.h"

#include <cstdint>

#include "record_store/bin_data_set.h"
#include "record_store/editor_error.h"
#include "record_store/measurement_fields.h"

namespace {

// The low 16 bits of a WORD field as stored.
std::uint16_t Word(const TBinDataSet& view, const char* name) {
    return static_cast<std::uint16_t>(view.AsInteger(name) & 0xFFFF);
}

// An integer field's value, kept inside int (device codes and temperatures are small).
int IntegerField(const TBinDataSet& view, const char* name) {
    const std::int64_t v = view.AsInteger(name);
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<int>(v);
}

}  // namespace

bool IsTLRecord(const TBinDataSet& view) {
    return IsTLDeviceCode(IntegerField(view, fields::kDevNo));
}

int DeviceOf(const TBinDataSet& view) {
    return DeviceOfCode(IntegerField(view, fields::kDevNo));
}

TTimeBases ReadTimeBases(const TBinDataSet& view) {
    return TTimeBases{Word(view, fields::kTimeBase10), Word(view, fields::kTimeBase100),
                      Word(view, fields::kTimeBase1000), Word(view, fields::kTimeBase10000)};
}

int SampleTemperature(const TBinDataSet& view) {
    return SampleTemperatureOf(Word(view, fields::kSampleTempHi), Word(view, fields::kSampleTemp));
}

double OslBackgroundRate(const TBinDataSet& view) {
    return OslBgdToRate(Word(view, fields::kOslBgd));
}

void StoreOslBackgroundRate(TBinDataSet& view, double rate) {
    view.SetAsInteger(fields::kOslBgd, RateToOslBgd(rate));
}

void SetOslBackgroundRate(TBinDataSet& view, double rate) {
    const int field = view.FieldByName(fields::kOslBgd).index;
    BeginRecordEdit(view);
    view.SetAsInteger(field, RateToOslBgd(rate));
    view.Post();
}

void BeginRecordEdit(TBinDataSet& view) {
    const TDataSetState state = view.State();
    if (state == TDataSetState::Edit || state == TDataSetState::Insert) return;
    // Editing without a current record would insert a new one holding only the written field.
    if (view.Active() && !view.GetBookmark()) {
        throw TEditorError("Cannot perform this operation on an empty dataset");
    }
    view.Edit();
}
