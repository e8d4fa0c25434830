#include "graph/viewer_role.h"

#include <qcustomplot.h>

#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTableView>
#include <climits>
#include <cmath>

#include "editor/text_locale.h"
#include "graph/graph_form.h"
#include "graph/plot_figure.h"
#include "graph/plot_style.h"

namespace {

template <class T>
T* Reference(const TGraphMessage& message) {
    return reinterpret_cast<T*>(message.WParam);
}

// What tells one run's results from another's: index, place, value, error and state of each.
std::vector<double> PlateauFingerprint(const TPlateauArray& plateau) {
    std::vector<double> values;
    values.reserve(plateau.size() * 5);
    for (const TPlateauElement& e : plateau)
        values.insert(values.end(), {static_cast<double>(e.Index), e.X, e.Value, e.Error,
                                     static_cast<double>(e.State)});
    return values;
}

// The ring around the picked result: the selected colours of the marks (blue, aqua) are
// faint on a white chart, a dark ring is seen on any of them.
const QColor kPickedRingColour(0, 40, 150);
constexpr double kPickedRingSize = 18;  // pixels across

}  // namespace

TViewerRole::TViewerRole(TGrForm1& form, TGraphDispatcher& dispatcher, std::string name,
                         QObject* dispatcherOwner)
    : form_(form),
      dispatcher_(dispatcher),
      name_(std::move(name)),
      dispatcherOwner_(dispatcherOwner),
      ownedDispatcher_(dispatcherOwner != nullptr) {
    dispatcher_.Register(name_, this);
    table_.setColumnCount(3);
    connect(form_.SpinEdit(), &QSpinBox::valueChanged, this,
            [this](int value) { ApplyIndexField(value); });
}

TViewerRole::~TViewerRole() {
    if (ownedDispatcher_ && !dispatcherOwner_) return;  // the dispatcher is gone
    if (dispatcher_.Find(name_) == this) dispatcher_.Unregister(name_);
}

QString TViewerRole::DataKindLabel(uint8_t kind) {
    switch (kind) {
        case gkTemperature:
            return QStringLiteral("Temp.");
        case gkChannel:
            return QStringLiteral("Chan.");
        case gkDisk:
            return QStringLiteral("Disk");
        default:
            return QStringLiteral("Point");
    }
}

void TViewerRole::HandleGraphMessage(TGraphMessage& message) {
    switch (message.Msg) {
        case WM_GraphicData:
            StoreItem(message);
            break;
        case WM_GraphicDraw:
            if (message.Kind() == gd_Mask && message.WParam != 0)
                DrawItems(*Reference<const TGraphicDataMask>(message));
            break;
        case WM_GraphicClear:
            if (message.Kind() == gd_Mask && message.WParam != 0)
                ClearItems(*Reference<const TGraphicDataMask>(message));
            break;
        default:
            break;  // not a viewer's message
    }
}

void TViewerRole::StoreItem(const TGraphMessage& message) {
    const auto text = [&] {
        const auto* s = Reference<const std::string>(message);
        return s ? QString::fromStdString(*s) : QString();
    };
    switch (message.LParam & 0x7F) {
        case gd_Index:
            index_ = Reference<int32_t>(message);
            break;
        case gd_Spacing:
            spacing_ = static_cast<int32_t>(message.WParam);
            form_.SpinEdit()->setSingleStep(std::max(1, spacing_));
            break;
        case gd_Kind:
            kind_ = static_cast<uint8_t>(message.WParam & 0xFF);
            if (kind_ > gkPoint) kind_ = gkPoint;
            break;
        case gd_Plot:
            plot_ = static_cast<uint8_t>(message.WParam & 0xFF);
            LayOutForPlot();
            break;
        case gd_Title:
            title_ = text();
            form_.setWindowTitle(title_);
            break;
        case gd_Caption:
            caption_ = text();
            ApplyPlotStyle(*form_.Chart(), caption_);
            break;
        case gd_XLabel:
            xLabel_ = text();
            form_.Chart()->xAxis->setLabel(xLabel_);
            break;
        case gd_YLabel:
            yLabel_ = text();
            form_.Chart()->yAxis->setLabel(yLabel_);
            break;
        case gd_Notes:
            form_.SetNotes(text());
            break;
        case gd_ViewCurves:
            curves_ = Reference<const TLookupTable>(message);
            break;
        case gd_Plateau:
            plateau_ = Reference<TPlateauArray>(message);
            break;
        case gd_Points:
            points_ = Reference<TGrowthPoints>(message);
            break;
        case gd_Line:
        case gd_Fit: {
            const auto* record = Reference<const TFitRecord>(message);
            ((message.LParam & 0x7F) == gd_Line ? line_ : fit_) = record;
            form_.SetNotes(record ? QString::fromStdString(record->Description) : QString());
            break;
        }
        default:
            break;  // gd_EditCurves carries nothing; masks are not items
    }
}

void TViewerRole::LayOutForPlot() {
    const bool table = plot_ == plEditCurves || plot_ == plPlateau;
    form_.Table()->setVisible(table);
    if (!table) {
        // Unbounded index field, a small window.
        form_.SpinEdit()->setRange(INT_MIN, INT_MAX);
        form_.resize(400, 300);
    } else {
        form_.Table()->setModel(&table_);
        form_.resize(std::max(form_.width(), 640), std::max(form_.height(), 420));
    }
    form_.UpdateCommands();
}

bool TViewerRole::SelectsIndexField() const {
    return plot_ == plViewCurves || plot_ == plPoints || plot_ == plResults;
}

void TViewerRole::ShowIndex() {
    const int32_t index = IndexValue();
    if (SelectsIndexField()) {
        const int value = kind_ == gkTemperature ? (index + 1) * spacing_ : index * spacing_;
        QSpinBox* field = form_.SpinEdit();
        field->setVisible(true);
        if (field->value() != value) {
            const QSignalBlocker quiet(field);
            field->setValue(value);
        }
        if (form_.LedgerOn()) form_.MoveLedgerTo(value);
        // The field is labelled by what its number is: "Temp.", "Chan.", "Disk", "Point".
        form_.DivMulLabel()->setText(DataKindLabel(kind_));
        form_.DivMulLabel()->setVisible(true);
    } else if (plot_ == plPlateau) {
        form_.NumberLabel()->setText(PickedResultText());
        form_.NumberLabel()->setVisible(true);
    }
}

int TViewerRole::PickedPlateauRow() const {
    if (!plateau_ || !index_) return -1;
    const auto rows = static_cast<int>(plateau_->size());
    // A ROI result shares its index with a channel or step: the row picked last decides.
    if (pickedRow_ >= 0 && pickedRow_ < rows &&
        (*plateau_)[static_cast<std::size_t>(pickedRow_)].Index == *index_)
        return pickedRow_;
    for (int row = 0; row < rows; ++row)
        if ((*plateau_)[static_cast<std::size_t>(row)].Index == *index_) return row;
    return -1;
}

QString TViewerRole::PickedResultText() const {
    const int32_t index = IndexValue();
    const int row = PickedPlateauRow();
    if (row >= 0) {
        const TPlateauElement& e = (*plateau_)[static_cast<std::size_t>(row)];
        if (e.Roi) return QStringLiteral("ROI %1\u2013%2").arg(e.RoiFirst).arg(e.RoiLast);
        if (e.State == kPlateauRoi) return QStringLiteral("ROI %1").arg(e.Index);
        if (e.IsGrain()) return QStringLiteral("Disk %1 hole %2").arg(e.GrainDisk).arg(e.GrainHole);
    }
    const int value = kind_ == gkTemperature                    ? (index + 1) * spacing_
                      : (kind_ == gkChannel || kind_ == gkDisk) ? index * spacing_
                                                                : index;
    return DataKindLabel(kind_) + QLatin1Char(' ') + QString::number(value);
}

void TViewerRole::DrawPickedRing(QCustomPlot& chart) {
    const int row = PickedPlateauRow();
    if (row < 0) return;
    const TPlateauElement& e = (*plateau_)[static_cast<std::size_t>(row)];
    // Failed results and indices without one never take the selected look.
    if (e.State != kPlateauValid && e.State != kPlateauWarning && e.State != kPlateauRoi) return;
    auto* ring = new QCPItemTracer(&chart);
    ring->setObjectName(QStringLiteral("PickedRing"));
    ring->position->setCoords(e.X, e.Value);
    ring->setStyle(QCPItemTracer::tsCircle);
    ring->setSize(kPickedRingSize);
    ring->setPen(QPen(kPickedRingColour, 2));
    ring->setBrush(Qt::NoBrush);
    ring->setSelectable(false);
}

void TViewerRole::DrawItems(TGraphicDataMask mask) {
    const auto has = [mask](TGraphicDataKind k) {
        return (mask & (TGraphicDataMask{1} << k)) != 0;
    };
    if (has(gd_Index) && index_ && plot_ != plNone && plot_ != plEditCurves) ShowIndex();
    if (has(gd_ViewCurves) && plot_ == plViewCurves && points_) {
        ranges_ = RangesFromPoints(*points_);
        if (curves_) {
            ranges_ = RangesFromCurves(*points_, *curves_);
            form_.Redraw(true);
        }
    }
    if (has(gd_Plateau) && plot_ == plPlateau && plateau_) {
        FillPlateauTable();
        ranges_ = RangesFromPlateau(*plateau_);
        // Picks and index changes send the same results again: the user's zoom stays; only
        // the results of a new run rescale the axes.
        std::vector<double> results = PlateauFingerprint(*plateau_);
        const bool newRun = results != drawnPlateau_;
        drawnPlateau_ = std::move(results);
        form_.Redraw(newRun);
        // The table has found the picked row again: name it by that row (a ROI or a channel).
        if (has(gd_Index) && index_) ShowIndex();
    }
    const bool pointsBit = has(gd_Points) && (plot_ == plPoints || plot_ == plResults);
    const bool fitBit = (has(gd_Line) || has(gd_Fit)) && plot_ == plResults;
    if ((pointsBit || fitBit) && points_) {
        ranges_ = RangesFromPoints(*points_);
        form_.Redraw(true);
    }
}

void TViewerRole::ClearItems(TGraphicDataMask mask) {
    const auto has = [mask](TGraphicDataKind k) {
        return (mask & (TGraphicDataMask{1} << k)) != 0;
    };
    QCustomPlot& chart = *form_.Chart();
    bool changed = false;
    if ((has(gd_ViewCurves) && plot_ == plViewCurves) || (has(gd_Plateau) && plot_ == plPlateau)) {
        chart.clearPlottables();
        chart.clearItems();
        pickables_.clear();
        changed = true;
    }
    if (has(gd_Points) && (plot_ == plPoints || plot_ == plResults)) {
        // The marks go; the lines (fitted curves, axes) stay.
        for (int i = chart.plottableCount() - 1; i >= 0; --i) {
            auto* curve = qobject_cast<QCPCurve*>(chart.plottable(i));
            if (curve && curve->property("itemClass").toInt() < kFitItemClass &&
                curve->lineStyle() == QCPCurve::lsNone) {
                std::erase_if(pickables_,
                              [curve](const TPickable& p) { return p.plottable == curve; });
                chart.removePlottable(curve);
            }
        }
        changed = true;
    }
    if ((has(gd_Line) || has(gd_Fit)) && plot_ == plResults) {
        ClearFittedCurve(chart, pickables_);
        changed = true;
    }
    if (changed) chart.replot();
}

void TViewerRole::Draw(QCustomPlot& chart, bool rescale) {
    switch (plot_) {
        case plViewCurves:
            if (points_ && curves_) {
                QString warning;
                DrawViewCurves(chart, *points_, *curves_, ranges_, rescale, pickables_, &warning);
                form_.SetStatusText(warning);
            }
            break;
        case plPoints:
            if (points_) {
                DrawGrowthPoints(chart, *points_, ranges_, rescale, pickables_);
                ShowGrowthLegend(chart, *points_, 0, true);
            }
            break;
        case plResults:
            if (points_) {
                DrawGrowthPoints(chart, *points_, ranges_, rescale, pickables_);
                const TFitRecord* record = fit_ ? fit_ : line_;
                if (record)
                    DrawFittedCurve(chart, *record, fit_ != nullptr, *points_, IndexValue(),
                                    rescale, pickables_);
                ShowGrowthLegend(chart, *points_, record ? record->Method : 0, true);
            }
            break;
        case plPlateau:
            if (plateau_) {
                const bool selection = !form_.NumberLabel()->isHidden() || drawPlateauSelection_;
                DrawPlateau(chart, *plateau_, kind_, selection, IndexValue(), rescale, pickables_,
                            pickedRow_);
                if (selection) DrawPickedRing(chart);
                ShowPlateauLegend(chart, true);
            }
            break;
        default:
            chart.clearPlottables();
            chart.clearItems();
            pickables_.clear();
            break;
    }
    chart.xAxis->setLabel(xLabel_);
    chart.yAxis->setLabel(yLabel_);
}

void TViewerRole::Send(TGraphicDataMask mask, bool updatedPoints) {
    if (updatedPoints)
        dispatcher_.SendUpdatedPoints(kMainWindowName);
    else
        dispatcher_.SendUpdatedData(kMainWindowName, mask);
}

void TViewerRole::ChartClicked(const QPoint& pixel) {
    QCustomPlot& chart = *form_.Chart();
    if (SelectsIndexField()) {
        if (!points_) return;
        const TPick pick = NearestPick(chart, pickables_, pixel);
        if (!pick.item) return;
        const int level = TagLevel(pick.tag);
        bool changed = false;
        for (std::size_t a = 0; a < points_->size(); ++a) {
            const uint8_t selected = static_cast<int>(a) == level ? 1 : 0;
            if ((*points_)[a].Selected != selected) {
                (*points_)[a].Selected = selected;
                changed = true;
            }
        }
        if (!changed) return;
        form_.Redraw(false);
        Send(kMaskSelectedAccepted, false);
    } else if (plot_ == plPlateau && plateau_) {
        const TPick pick = NearestPick(chart, pickables_, pixel);
        if (!pick.item) return;
        const int row = static_cast<int>(pick.item - pickables_.data());
        const bool otherRow = row != pickedRow_;
        MarkPlateauRow(row);
        // A ROI result may share its index with a channel: a new row is a pick as well.
        if (index_ && (pick.tag != *index_ || otherRow)) {
            if (plateauPicked_) plateauPicked_(row);
            *index_ = pick.tag;
            drawPlateauSelection_ = true;
            form_.Redraw(false);
            Send(kMaskIndex, false);
        }
    }
}

bool TViewerRole::ToggleAcceptAt(const QPoint& pixel) {
    if (!SelectsIndexField() || !points_) return false;
    const TPick pick = NearestPick(*form_.Chart(), pickables_, pixel);
    if (!pick.item) return false;
    const int level = TagLevel(pick.tag), point = TagPoint(pick.tag);
    if (level < 0 || level >= static_cast<int>(points_->size())) return false;
    std::vector<TGrowthPoint>& list = (*points_)[static_cast<std::size_t>(level)].Points;
    if (point < 0 || point >= static_cast<int>(list.size())) return false;
    TGrowthPoint& p = list[static_cast<std::size_t>(point)];
    if (!p.Available) return false;  // beyond the measurement's curve: nothing to accept
    p.Accepted = p.Accepted ? 0 : 1;
    Send(0, false);
    return true;
}

void TViewerRole::AddChartMenuActions(QMenu& menu, const QPoint& pixel) {
    if (!SelectsIndexField() || !points_) return;
    const TPick pick = NearestPick(*form_.Chart(), pickables_, pixel);
    if (!pick.item) return;
    menu.addAction(QStringLiteral("Toggle accept"), this, [this, pixel] { ToggleAcceptAt(pixel); });
}

void TViewerRole::ApplyIndexField(int value) {
    if (!SelectsIndexField() || !index_) return;
    int32_t index = 0;
    if (kind_ == gkTemperature) {
        if (spacing_ == 0) return;
        index = value / spacing_ - 1;
    } else if (kind_ == gkChannel || kind_ == gkDisk) {
        index = value;
    } else {
        return;  // points have no index to type
    }
    if (index == *index_) return;
    *index_ = index;
    Send(0, true);
}

std::optional<double> TViewerRole::LedgerStart() const {
    if (plot_ != plViewCurves) return std::nullopt;
    return form_.SpinEdit()->value();  // the curve viewer's cross-hair sits on the index
}

void TViewerRole::LedgerDragged(double x) {
    if (plot_ != plViewCurves || spacing_ == 0) return;
    const int value = static_cast<int>(spacing_ * std::lround(x / spacing_));
    QSpinBox* field = form_.SpinEdit();
    if (field->value() == value) return;
    {
        const QSignalBlocker quiet(field);
        field->setValue(value);
    }
    ApplyIndexField(value);
}

void TViewerRole::FillPlateauTable() {
    table_.clear();
    table_.setColumnCount(3);
    QString valueTitle;
    if (caption_ == QLatin1String("Fading test results"))
        valueTitle = QStringLiteral("Fading");
    else if (caption_ == QLatin1String("Paleodose results"))
        valueTitle = QStringLiteral("ED");
    else if (caption_ == QLatin1String("Age results"))
        valueTitle = QStringLiteral("AD");
    table_.setHorizontalHeaderLabels({DataKindLabel(kind_), valueTitle, QStringLiteral("+/-")});
    const QString prefix = kind_ == gkTemperature ? QStringLiteral("Temp ")
                           : kind_ == gkChannel   ? QStringLiteral("Chan ")
                           : kind_ == gkDisk      ? QStringLiteral("Disk ")
                                                  : QString();
    int row = 0;
    for (const TPlateauElement& e : *plateau_) {
        QString title;
        if (e.Roi) {
            title = QString::asprintf("ROI %3d-%d", e.RoiFirst, e.RoiLast);
        } else if (e.State == kPlateauRoi) {
            title = QString::asprintf("ROI %3d", e.Index);
        } else if (e.IsGrain()) {
            title = QStringLiteral("Disk %1 hole %2").arg(e.GrainDisk).arg(e.GrainHole);
        } else {
            title = prefix + QStringLiteral("%1").arg(LocaleNumber(e.X, 'g', 15), 10).left(10);
        }
        const auto cell = [](const QString& text) {
            auto* item = new QStandardItem(text);
            item->setEditable(false);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            return item;
        };
        table_.setItem(row, 0, cell(LocaleNumber(e.X, 'g', 15)));
        table_.setItem(row, 1, cell(LocaleNumber(e.Value, 'f', 2)));
        table_.setItem(row, 2, cell(LocaleNumber(e.Error, 'f', 2)));
        auto* header = new QStandardItem(title);
        header->setData(e.State, Qt::UserRole);
        table_.setVerticalHeaderItem(row, header);
        ++row;
    }
    QTableView* view = form_.Table();
    view->setModel(&table_);
    view->verticalHeader()->setMinimumWidth(95);
    view->setColumnHidden(0, true);
    view->setColumnWidth(1, 60);
    view->setColumnWidth(2, 50);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    // A table without a current cell takes the first one when it gets the focus, which would
    // look like a pick: start on the current index's row (or the first) without reporting it.
    MarkPlateauRow(std::max(0, PickedPlateauRow()));
}

void TViewerRole::MarkPlateauRow(int row) {
    QTableView* view = form_.Table();
    if (row < 0 || row >= table_.rowCount()) return;
    pickedRow_ = row;
    const QSignalBlocker quiet(view->selectionModel());
    view->selectRow(row);
    view->setCurrentIndex(table_.index(row, 1));
}

void TViewerRole::TableRowPicked(int row) {
    if (plot_ != plPlateau || !plateau_ || row < 0 || row >= static_cast<int>(plateau_->size()))
        return;
    MarkPlateauRow(row);
    const TPlateauElement& e = (*plateau_)[static_cast<std::size_t>(row)];
    if (!index_) return;
    if (plateauPicked_) plateauPicked_(row);
    *index_ = e.Index;
    drawPlateauSelection_ = true;
    form_.Redraw(false);
    Send(kMaskIndex, false);
}

bool TViewerRole::PrepareClose() {
    // The window is hidden and kept for the next plot of its role, with nothing in it.
    index_ = nullptr;
    curves_ = nullptr;
    plateau_ = nullptr;
    points_ = nullptr;
    line_ = fit_ = nullptr;
    kind_ = gkPoint;
    spacing_ = 1;
    plot_ = plNone;
    drawPlateauSelection_ = false;
    pickedRow_ = -1;
    ranges_ = {};
    drawnPlateau_.clear();
    QCustomPlot& chart = *form_.Chart();
    chart.clearPlottables();
    chart.clearItems();
    chart.replot();
    pickables_.clear();
    table_.clear();
    form_.NumberLabel()->setVisible(false);
    form_.DivMulLabel()->setVisible(false);
    return true;
}
