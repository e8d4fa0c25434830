#pragma once
// What a graph window does in one of its roles (the curve editor, later the point, curve and
// result viewers): it fills the table and the chart and answers clicks. TGrForm1 owns the
// layout and the commands every role shares and asks its role for the rest.
#include <QString>
#include <optional>

class QAbstractItemModel;
class QCustomPlot;
class QMenu;
class QPoint;

// The least span of a chart axis.
inline constexpr double kLeastAxisRange = 1e-10;

class TGraphRole {
public:
    virtual ~TGraphRole() = default;
    virtual QString Title() const = 0;
    // The chart's caption.
    virtual QString Caption() const { return QStringLiteral("Luminescence"); }
    // The table beside the chart; nullptr hides it.
    virtual QAbstractItemModel* TableModel() { return nullptr; }
    // Draws the chart; `rescale` sets both axes to the data.
    virtual void Draw(QCustomPlot& chart, bool rescale) = 0;
    // A left click in the chart with no mouse mode on, in widget pixels.
    virtual void ChartClicked(const QPoint& /*pixel*/) {}
    // A table cell was picked (column and row of the model).
    virtual void TableColumnPicked(int /*column*/) {}
    virtual void TableRowPicked(int /*row*/) {}
    // Adds the role's commands to the chart's pop-up menu opened at `pixel` over the plot.
    virtual void AddChartMenuActions(QMenu& /*menu*/, const QPoint& /*pixel*/) {}
    // The cross-hair readout ("Show ledger") is offered.
    virtual bool OffersLedger() const { return IsEditor(); }
    // Where the cross-hair starts when it is turned on; none: the middle of the chart.
    virtual std::optional<double> LedgerStart() const { return std::nullopt; }
    // The least span of the y axis (box zoom is offered above five times it).
    virtual double MinimumYRange() const { return kLeastAxisRange; }
    // The user dragged the cross-hair to `x`.
    virtual void LedgerDragged(double /*x*/) {}
    // The curves are shine-down curves: their time axis may be made logarithmic.
    virtual bool HasTimeAxis() const { return false; }
    // The curve editor: "Edit table" and the Curve menu apply.
    virtual bool IsEditor() const { return false; }
    // Asked before the window closes; false keeps it open.
    virtual bool PrepareClose() { return true; }
};
