#pragma once
// Table model over a record store: one row per record, one column per field of the column
// list. Rows are read on demand from the store (no copy of the records); a read does not
// move the store's cursor. Edits go through the entry conversions of the maker's fields.
#include <QAbstractTableModel>
#include <QStringList>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "record_store/presentation_conversions.h"
#include "record_store/presentation_record.h"

class TBinDataSet;
class TEditorDocument;

class TBinDataModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit TBinDataModel(QObject* parent = nullptr);

    // Shows `view` (may be null) with the given columns (field names of the view).
    void SetView(TBinDataSet* view, TRecordKind kind, const QStringList& columns);
    TBinDataSet* View() const { return view_; }
    TRecordKind Kind() const { return kind_; }
    QString FieldOfColumn(int column) const;
    // Rows and records: while the view is filtered, row r shows the r-th record the filter
    // lets through. The record's 0-based position in the view for a row (-1 outside), and the
    // row of a position (-1 when the record is not shown).
    int RecordIndexOfRow(int row) const;
    int RowOfRecordIndex(int index) const;
    int ColumnOfField(const QString& field) const;
    void SetBooleanTexts(const presentation::TBooleanTexts& texts);
    const presentation::TBooleanTexts& BooleanTexts() const { return booleans_; }
    // Column titles by field name (a layout file's captions); a field without one shows its
    // display label. Kept until replaced: a reload of the rows keeps them.
    void SetColumnTitles(std::map<std::string, std::string> titles);
    const std::map<std::string, std::string>& ColumnTitles() const { return titles_; }
    void SetTextLocale(const presentation::TTextLocale& locale);
    // The background assignment shown while background subtraction is on; empty: none.
    void SetBackgroundLookup(presentation::TBackgroundLookup lookup) {
        lookup_ = std::move(lookup);
    }
    // Edits go onto the document's undo stack (none: they are made without undo).
    void SetDocument(TEditorDocument* document) { document_ = document; }
    const presentation::TTextLocale& TextLocale() const { return locale_; }
    // Re-reads everything (after the store changed behind the model's back).
    void Reload();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The text shown for a field of a stored record (0-based row).
    QString DisplayText(int row, const QString& field) const;
    QString EditText(int row, const QString& field) const;

signals:
    // An entry could not be stored; `message` is for the user.
    void entryFailed(const QString& message);
    // A record was changed through the model.
    void recordEdited(int row);

private:
    bool ColumnEditable(int column) const;
    QString ShownText(int row, const QString& field, bool forEdit) const;

    TBinDataSet* view_ = nullptr;
    TEditorDocument* document_ = nullptr;
    TRecordKind kind_ = TRecordKind::General;
    QStringList columns_;
    std::vector<int> fieldIndexes_;  // view field index per column, -1 when absent
    bool filtered_ = false;          // the view was filtered when last loaded
    std::vector<int> rows_;          // record positions shown, ascending (filtered only)
    presentation::TBooleanTexts booleans_;
    presentation::TTextLocale locale_;
    std::map<std::string, std::string> titles_;
    presentation::TBackgroundLookup lookup_;
};
