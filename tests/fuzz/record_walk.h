#pragma once
// Walks every record of an open view the way the editor reads it: every field as text and as
// bytes, the presentation's shown texts (calculated fields included) for the maker's views,
// the measurement fields and the maker's DOUBLE curves, and every field read as a curve.
// A failure the user would see is a TEditorError; each one is counted with its message.
// Anything else (another exception, a sanitizer report) is a fault of the reader.
#include <functional>
#include <string>
#include <vector>

#include "record_store/bin_data_set.h"
#include "record_store/curve_access.h"
#include "record_store/curve_fields.h"
#include "record_store/editor_error.h"
#include "record_store/measurement_access.h"
#include "record_store/presentation_record.h"
#include "record_store/views.h"

namespace record_fuzz {

struct TWalkReport {
    long long records = 0;
    long long reads = 0;     // field, curve and measurement reads attempted
    long long failures = 0;  // reads that ended in a TEditorError
    long long emptyMessages = 0;
};

inline TRecordKind RecordKindFor(TViewKind kind) {
    switch (kind) {
    case TViewKind::Dat: return TRecordKind::Dat;
    case TViewKind::Sad: return TRecordKind::Sad;
    case TViewKind::Das: return TRecordKind::Das;
    case TViewKind::General: break;
    }
    return TRecordKind::General;
}

// Opens `view` on the files in the view's field list; the calculation callback as the editor
// installs it for the maker's views.
inline void ConfigureWalkedView(TBinDataSet& view, TViewKind kind, const std::string& recordPath,
                                const std::string& schemaPath) {
    ConfigureView(view, kind);
    view.SetFileName(recordPath);
    view.SetSchemaFileName(schemaPath);
    if (kind != TViewKind::General)
        view.SetOnCalcFields(presentation::MakeCalculationCallback(RecordKindFor(kind)));
}

inline void Attempt(TWalkReport& report, const std::function<void()>& read) {
    ++report.reads;
    try {
        read();
    } catch (const TEditorError& e) {
        ++report.failures;
        if (std::string(e.what()).empty()) ++report.emptyMessages;
    }
}

// Every field tried as a curve: the layout file that marks the curve fields may mark any.
inline TCurveFieldList EveryFieldAsCurve(const TBinDataSet& view, TWalkReport& report) {
    TCurveFieldList curves;
    for (const TBinField& field : view.Fields()) {
        if (field.calculated) continue;
        Attempt(report, [&] { curves.push_back(ReadCurveFieldInfo(view, field.name)); });
    }
    return curves;
}

// `markedCurves`: the curve fields a layout file marks; nullptr tries every field.
inline TWalkReport WalkView(TBinDataSet& view, TViewKind kind,
                            const TCurveFieldList* markedCurves = nullptr) {
    TWalkReport report;
    const TCurveFieldList curves = markedCurves ? *markedCurves : EveryFieldAsCurve(view, report);
    const presentation::TBooleanTexts booleans;
    for (bool ok = view.First(); ok; ok = view.Next()) {
        ++report.records;
        for (int i = 0; i < view.FieldCount(); ++i) {
            Attempt(report, [&] {
                (void)view.AsString(i);
                (void)view.FieldBytes(i);
            });
        }
        if (kind != TViewKind::General) {
            const presentation::TViewRecordValues values(view, RecordKindFor(kind), std::nullopt);
            for (const TBinField& field : view.Fields()) {
                Attempt(report, [&] { (void)values.ShownText(field.name, booleans); });
            }
        }
        if (kind == TViewKind::Dat || kind == TViewKind::Sad) {
            Attempt(report, [&] {
                (void)IsTLRecord(view);
                (void)DeviceOf(view);
                (void)ReadTimeBases(view);
                (void)SampleTemperature(view);
                (void)OslBackgroundRate(view);
            });
            Attempt(report, [&] { (void)ReadRawCurve(view); });
            Attempt(report, [&] { (void)ReadSubtractedCurve(view); });
        }
        for (const TCurveFieldInfo& curve : curves) {
            if (!markedCurves) Attempt(report, [&] { (void)ReadCurveValues(view, curve); });
            Attempt(report, [&] {
                const TLocatedCurve located = LocateCurve(view, {curve}, TCurveChoice::First);
                (void)ReadCurveSequence(view, located);
            });
        }
        if (!curves.empty()) {
            Attempt(report, [&] {
                const TLocatedCurve located = LocateCurve(view, curves, TCurveChoice::Subtracted);
                (void)ReadCurveSequence(view, located);
            });
        }
    }
    return report;
}

}  // namespace record_fuzz
