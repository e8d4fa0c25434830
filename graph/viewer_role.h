#pragma once
// The graph window as point, curve and result viewer: it keeps the items the main window
// sends through the graph messages (plot kind, texts, references to the index, growth
// points, measurement table, plateau, line and fit), draws them on request, and reports the
// user's picks back: a dose level picked, a point's acceptance toggled, a new index typed or
// a result picked. It keeps no data of its own beyond these items and the data ranges.
#include <QObject>
#include <QPointer>
#include <QStandardItemModel>
#include <functional>
#include <string>
#include <vector>

#include "analysis/graph_messages.h"
#include "graph/graph_role.h"
#include "graph/plot_growth.h"

class TGrForm1;

class TViewerRole : public QObject, public TGraphRole, public TGraphReceiver {
    Q_OBJECT

public:
    // Registers the window under `name` with the dispatcher for as long as the role lives.
    // `dispatcherOwner`, when given, owns the dispatcher: once it is gone the role leaves the
    // dispatcher alone.
    TViewerRole(TGrForm1& form, TGraphDispatcher& dispatcher, std::string name,
                QObject* dispatcherOwner = nullptr);
    ~TViewerRole() override;

    // TGraphReceiver
    void HandleGraphMessage(TGraphMessage& message) override;

    // TGraphRole
    QString Title() const override { return title_; }
    QString Caption() const override { return caption_; }
    QAbstractItemModel* TableModel() override { return &table_; }
    void Draw(QCustomPlot& chart, bool rescale) override;
    void ChartClicked(const QPoint& pixel) override;
    void TableRowPicked(int row) override;
    void AddChartMenuActions(QMenu& menu, const QPoint& pixel) override;
    bool OffersLedger() const override { return plot_ == plViewCurves; }
    void LedgerDragged(double x) override;
    std::optional<double> LedgerStart() const override;
    double MinimumYRange() const override { return 10; }
    bool PrepareClose() override;

    // "Toggle accept" at a chart pixel: flips the acceptance of the point drawn nearest
    // (within 10 pixels) and tells the main window; false when there is none.
    bool ToggleAcceptAt(const QPoint& pixel);
    // The user confirmed `value` in the index field.
    void ApplyIndexField(int value);

    uint8_t Plot() const { return plot_; }
    uint8_t DataKind() const { return kind_; }
    int32_t Spacing() const { return spacing_; }
    const TPickables& Pickables() const { return pickables_; }
    // The label of the index field for the data kind: "Temp.", "Chan.", "Disk", "Point".
    static QString DataKindLabel(uint8_t kind);

    // Told the row of the plateau element the user picks (in the chart or the table) just
    // before the pick is reported, so that the main window can tell a ROI result from the
    // channel or temperature of the same index.
    void SetPlateauPicked(std::function<void(int row)> callback) {
        plateauPicked_ = std::move(callback);
    }

private:
    void StoreItem(const TGraphMessage& message);
    void DrawItems(TGraphicDataMask mask);
    void ClearItems(TGraphicDataMask mask);
    void LayOutForPlot();
    void ShowIndex();
    void FillPlateauTable();
    void MarkPlateauRow(int row);
    // The plateau row of the current index: the row picked last when it has that index (a ROI
    // result shares its index with a channel or step), else the first such row; -1 for none.
    int PickedPlateauRow() const;
    // The number label of a result plot: "ROI 300-350" (with an en dash) for a ROI result,
    // "Disk 3 hole 12" for a grain, else the data kind's label and the index's value.
    QString PickedResultText() const;
    // A dark ring around the picked result's mark.
    void DrawPickedRing(QCustomPlot& chart);
    bool SelectsIndexField() const;
    int32_t IndexValue() const { return index_ ? *index_ : 0; }
    void Send(TGraphicDataMask mask, bool updatedPoints);

    TGrForm1& form_;
    TGraphDispatcher& dispatcher_;
    std::string name_;
    QPointer<QObject> dispatcherOwner_;
    bool ownedDispatcher_ = false;

    // The window state kept from the items.
    int32_t* index_ = nullptr;
    int32_t spacing_ = 1;
    uint8_t kind_ = gkPoint;
    uint8_t plot_ = plNone;
    QString title_, caption_, xLabel_, yLabel_;
    const TLookupTable* curves_ = nullptr;
    TPlateauArray* plateau_ = nullptr;
    TGrowthPoints* points_ = nullptr;
    const TFitRecord* line_ = nullptr;
    const TFitRecord* fit_ = nullptr;

    TViewRanges ranges_;
    std::vector<double> drawnPlateau_;  // the results drawn last (a new run rescales)
    TPickables pickables_;
    QStandardItemModel table_;
    bool drawPlateauSelection_ = false;
    std::function<void(int)> plateauPicked_;
    int pickedRow_ = -1;  // the plateau row marked last
};
