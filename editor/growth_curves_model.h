#pragma once
// The curves list of growth-curve mode as a model over the measurement table: one row per
// measurement (its record number and description), drawn in italics when the measurement is
// not in the selection, in bold when it is in the selection and accepted, and in grey when it
// is not accepted. The rows are read from the table as they are drawn, so a file at the
// record limit lists at once and a change of flags is one redraw.
#include <QAbstractTableModel>
#include <QColor>
#include <QFont>

#include "analysis/aliquot_types.h"

class TGrowthCurvesModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit TGrowthCurvesModel(QObject* parent = nullptr);

    // The table the rows show (nullptr: none); it must stay in place while it is shown.
    void SetTable(const TLookupTable* table);
    // The flags of the measurements changed: every row is drawn again.
    void Redraw();
    void SetFonts(const QFont& font, const QColor& text, const QColor& grey);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const TLookupTable* table_ = nullptr;
    QFont font_;
    QColor text_;
    QColor grey_;
};
