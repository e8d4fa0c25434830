#pragma once
// The measurement fields of the current record of a view, read and written through their
// encodings (device code, time bases, sample temperature, background rate).
#include "record_store/measurement_codes.h"

class TBinDataSet;

// "Dev#" < 1000.
bool IsTLRecord(const TBinDataSet& view);
// "Dev#" integer-divided by 100.
int DeviceOf(const TBinDataSet& view);
// The four time-base fields.
TTimeBases ReadTimeBases(const TBinDataSet& view);
// 256 x "Sample temp hi" + "Sample temp", degC.
int SampleTemperature(const TBinDataSet& view);
// "OSL BGD" with its bytes exchanged, / 10: counts per second.
double OslBackgroundRate(const TBinDataSet& view);
// Stores round(rate x 10) byte-exchanged into "OSL BGD" in one posted edit.
void SetOslBackgroundRate(TBinDataSet& view, double rate);
// The same without the edit and post, for a caller that is already editing the record.
void StoreOslBackgroundRate(TBinDataSet& view, double rate);

// Puts the current record into edit unless it is already being edited or inserted. With no
// current record it throws TEditorError rather than insert a new record.
void BeginRecordEdit(TBinDataSet& view);
