#pragma once
// TCurveEditor: the graph window in its curve-editor role ("Orvane - Edit curves"). It loads
// the current record's curve, or the curve of every selected record, into the numeric table
// and the chart, lets the user edit cells ("Edit table"), shift a subtracted TL curve along
// the temperature axis ("Shift") and scale a subtracted curve ("Divide", "Multiply"), and on
// closing with "Yes" to "Save changed data?" writes the changed columns back as one undoable
// change.
#include <QObject>
#include <QString>
#include <vector>

#include "graph/graph_role.h"
#include "tools/curve_columns.h"

class QAction;
class TCurveTableModel;
class TEditorShell;
class TGrForm1;

class TCurveEditor : public QObject, public TGraphRole {
    Q_OBJECT

public:
    enum class TOperation { None, Shift, Divide, Multiply };

    explicit TCurveEditor(TGrForm1& form);
    ~TCurveEditor() override;

    // Loads the shown view's current or selected records (with progress and Cancel for many).
    // Errors are shown; the editor then stays empty.
    void Load();

    QString Title() const override { return QStringLiteral("Orvane - Edit curves"); }
    QAbstractItemModel* TableModel() override;
    void Draw(QCustomPlot& chart, bool rescale) override;
    void ChartClicked(const QPoint& pixel) override;
    void TableColumnPicked(int column) override;
    bool HasTimeAxis() const override;
    bool IsEditor() const override { return true; }
    bool PrepareClose() override;

    const std::vector<TCurveColumn>& Columns() const { return columns_; }
    int CurrentColumn() const { return current_; }
    void SetCurrentColumn(int column);
    bool DataChanged() const { return dataChanged_; }

    // The Curve menu: choosing an operation shows its field, choosing it again hides it.
    void ChooseOperation(TOperation op);
    TOperation Operation() const { return operation_; }
    QAction* OperationAction(TOperation op) const;
    void SetTableEditing(bool on);

    // The spin edit's value as the current column's shift (Enter, its buttons).
    void ApplyShift(int shift);
    // The factor field left with value v: "Divide" takes v as the factor, "Multiply" 1 / v
    // (v above 0). A divide by 0 is refused with a message and changes nothing; false then.
    bool ApplyFactor(double v);
    // Writes every changed column back into its record as one undoable change.
    void WriteBack();

private:
    void OnFactorTextChanged(const QString& text);
    void OnCellEdited(int column, int row);
    void UpdateOperationFields();

    TGrForm1& form_;
    TEditorShell& shell_;
    std::vector<TCurveColumn> columns_;
    TCurveTableModel* model_ = nullptr;
    int current_ = 0;
    bool dataChanged_ = false;
    bool filling_ = false;
    TOperation operation_ = TOperation::None;
    QAction* shiftAction_ = nullptr;
    QAction* divideAction_ = nullptr;
    QAction* multiplyAction_ = nullptr;
    QAction* editTableAction_ = nullptr;
    bool shiftAllowed_ = false;
    bool scaleAllowed_ = false;
};

// The notes the main window gives a graph of its shown view: file name and path, the type of
// data ("TL curves" or "OSL curves", " - ", "Subtracted curves" or "Raw curves"), the time,
// and a "Comment: " line; lines end in CR LF.
QString CurveEditorNotes(TEditorShell& shell);

// The curve editor of the shown view, loaded, not yet shown.
TGrForm1* CreateCurveEditor(TEditorShell& shell);
