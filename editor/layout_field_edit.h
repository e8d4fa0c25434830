#pragma once
// An edit of the general record form bound to one field of the shown view's current record.
#include <QLineEdit>
#include <string>

#include "record_store/presentation_conversions.h"
#include "record_store/presentation_record.h"

class TBinDataSet;
class TEditorDocument;

class TLayoutFieldEdit : public QLineEdit {
    Q_OBJECT

public:
    TLayoutFieldEdit(TBinDataSet& view, TRecordKind kind, const std::string& field,
                     QWidget* parent = nullptr);

    const std::string& Field() const { return field_; }
    // Significant digits of a float field.
    void SetPrecision(int precision) { precision_ = precision; }
    int Precision() const { return precision_; }
    void SetBooleanTexts(const presentation::TBooleanTexts& texts) { booleans_ = texts; }
    void SetTextLocale(const presentation::TTextLocale& locale) { locale_ = locale; }
    // Edits go onto the document's undo stack (none: they are made without undo).
    void SetDocument(TEditorDocument* document) { document_ = document; }
    // Shows the field of the current record.
    void Refresh();
    // Stores the text into the current record (as typing it and leaving the edit does).
    bool StoreText();

signals:
    void recordEdited();
    void entryFailed(const QString& message);

private:
    TBinDataSet& view_;
    TEditorDocument* document_ = nullptr;
    TRecordKind kind_;
    std::string field_;
    int precision_ = 4;
    presentation::TBooleanTexts booleans_;
    presentation::TTextLocale locale_;
};
