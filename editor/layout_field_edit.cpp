#include "editor/layout_field_edit.h"

#include "editor/main_window.h"
#include "editor/records_snapshot_command.h"
#include "record_store/bin_data_set.h"
#include "record_store/presentation_entry.h"
#include "record_store/presentation_format.h"

TLayoutFieldEdit::TLayoutFieldEdit(TBinDataSet& view, TRecordKind kind, const std::string& field,
                                   QWidget* parent)
    : QLineEdit(parent), view_(view), kind_(kind), field_(field) {
    connect(this, &QLineEdit::editingFinished, this, [this] {
        // Focus leaves the edit also while the main window is being destroyed, after its
        // views are gone: only a live window stores.
        if (isModified() && qobject_cast<TMainWindow*>(window())) StoreText();
    });
}

void TLayoutFieldEdit::Refresh() {
    QString text;
    const TBinField* f = view_.Active() ? view_.FindField(field_) : nullptr;
    if (f && view_.RecNo() > 0) {
        if (f->type == TFieldType::Float) {
            text = QString::fromStdString(presentation::FormatGeneral(
                view_.AsFloat(f->index), locale_.decimalSeparator, precision_));
        } else {
            const presentation::TViewRecordValues record(view_, kind_, std::nullopt, locale_);
            text = QString::fromStdString(
                record.PlainText(field_, booleans_.trueText, booleans_.falseText));
        }
    }
    setText(text);
    setModified(false);
}

bool TLayoutFieldEdit::StoreText() {
    if (!view_.Active() || view_.RecNo() < 1) return false;
    try {
        const TRecordsChange change(document_,
                                    QStringLiteral("Edit ") + QString::fromStdString(field_),
                                    {view_.GetBookmark().value_or(0)});
        presentation::ApplyEntry(view_, kind_, field_, text().toStdString(), booleans_, locale_);
    } catch (const std::exception& e) {
        emit entryFailed(QString::fromStdString(e.what()));
        Refresh();
        return false;
    }
    Refresh();
    emit recordEdited();
    return true;
}
