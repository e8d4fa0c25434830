// The point, curve and result viewers driven only by graph messages, as the main window sends
// them: what each draws, and what each reports back when the user picks a dose level, toggles
// a point, types an index or picks a result. A recorder stands in for the main window.
#include <qcustomplot.h>

#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableView>
#include <QtTest>
#include <cmath>

#include "analysis/graph_messages.h"
#include "editor/editor_document.h"
#include "editor/main_window.h"
#include "fitting/point_set.h"
#include "graph/graph_form.h"
#include "graph/plot_growth.h"
#include "graph/viewer_role.h"
#include "graph/viewer_windows.h"
#include "ui/sample_window_fixture.h"

namespace {

// What the main window receives from a viewer.
class TRecorder : public TGraphReceiver {
public:
    struct TReceived {
        uint32_t msg;
        TGraphicDataMask mask;  // read through WParam; 0 without one
        std::uintptr_t lParam;
    };
    std::vector<TReceived> received;
    void HandleGraphMessage(TGraphMessage& m) override {
        const TGraphicDataMask mask =
            m.WParam ? *reinterpret_cast<const TGraphicDataMask*>(m.WParam) : 0;
        received.push_back({m.Msg, mask, m.LParam});
    }
};

// Four kind-1 dose levels on the line 1000 + 50 D; the level at 20 Gy holds a point that is
// not accepted.
TGrowthPoints LinePoints() {
    TGrowthPoints points;
    for (double dose : {0.0, 10.0, 20.0, 40.0}) {
        TDosePoints level;
        level.Kind = kGrowthLevel;
        level.Dose = dose;
        for (int k = 0; k < 2; ++k) {
            TGrowthPoint p;
            p.Ordinal = k;
            p.Signal = 1000 + 50 * dose + 20 * k;
            p.Error = 30;
            p.Accepted = 1;
            level.Points.push_back(p);
        }
        points.push_back(level);
    }
    points[2].Points[1].Accepted = 0;
    return points;
}

int CountPlottablesOfClass(QCustomPlot& chart, int itemClass) {
    int n = 0;
    for (int i = 0; i < chart.plottableCount(); ++i)
        if (chart.plottable(i)->property("itemClass").toInt() == itemClass) ++n;
    return n;
}

QPoint PixelOf(QCustomPlot& chart, double x, double y) {
    return QPoint(static_cast<int>(std::lround(chart.xAxis->coordToPixel(x))),
                  static_cast<int>(std::lround(chart.yAxis->coordToPixel(y))));
}

}  // namespace

class GraphViewersTest : public QObject, TSampleWindowFixture {
    Q_OBJECT

    TRecorder main_;
    TGrowthPoints points_;
    TLookupTable table_;
    int32_t index_ = 0;
    TFitRecord fit_;

    TGraphDispatcher& Messages() { return form_->Document().GraphMessages(); }

    // The point viewer's messages in their order, then the draw request.
    TGrForm1* OpenPointViewer(uint8_t kind = gkChannel, int spacing = 1) {
        TGrForm1* viewer = ShowGraphViewer(*form_, kPointViewer);
        TGraphDispatcher& m = Messages();
        m.SendValue(kPointViewer, gd_Plot, plPoints);
        m.SendText(kPointViewer, gd_Title, "Orvane - View points");
        m.SendValue(kPointViewer, gd_Kind, kind);
        m.SendText(kPointViewer, gd_Caption, "Growth data");
        m.SendText(kPointViewer, gd_XLabel, "Dose, Gy");
        m.SendText(kPointViewer, gd_YLabel, "Intensity");
        m.SendText(kPointViewer, gd_Notes, "S12.DAT");
        m.SendValue(kPointViewer, gd_Spacing, spacing);
        m.SendReference(kPointViewer, gd_Points, &points_);
        m.SendReference(kPointViewer, gd_Index, &index_);
        m.SendDraw(kPointViewer, kMaskIndexPoints);
        QCoreApplication::processEvents();
        return viewer;
    }
    TViewerRole& RoleOf(TGrForm1* viewer) { return *static_cast<TViewerRole*>(viewer->Role()); }
    // The viewer as the user sees it, kept when ORVANE_SHOTS names a folder.
    static void SaveShot(QWidget* window, const QString& name) {
        QCoreApplication::processEvents();
        const QImage shot = window->grab().toImage();
        QVERIFY(!shot.isNull());
        if (qEnvironmentVariableIsSet("ORVANE_SHOTS"))
            shot.save(qEnvironmentVariable("ORVANE_SHOTS") + QLatin1Char('/') + name);
    }

private slots:
    void init() {
        QVERIFY(SetUp());
        points_ = LinePoints();
        table_.clear();
        index_ = 0;
        main_.received.clear();
        Messages().Register(kMainWindowName, &main_);
    }
    void cleanup() {
        Messages().Unregister(kMainWindowName);
        TearDown();
    }

    void pointViewerDrawsEveryPointAndLaysItselfOut() {
        TGrForm1* viewer = OpenPointViewer(gkChannel, 1);
        index_ = 7;
        Messages().SendDraw(kPointViewer, kMaskIndexPoints);
        QCOMPARE(viewer->windowTitle(), QStringLiteral("Orvane - View points"));
        QVERIFY(viewer->Table()->isHidden());
        QCOMPARE(viewer->size(), QSize(400, 300));
        QVERIFY(viewer->SpinEdit()->isVisible());
        QCOMPARE(viewer->SpinEdit()->value(), 7);
        QCOMPARE(viewer->Notes(), QStringLiteral("S12.DAT"));
        QCustomPlot& chart = *viewer->Chart();
        QCOMPARE(chart.xAxis->label(), QStringLiteral("Dose, Gy"));
        // Eight marks in all, one of them not accepted; x from 0 to past 1.05 x 40 Gy.
        int marks = 0;
        for (const TPickable& p : RoleOf(viewer).Pickables()) marks += int(p.tags.size());
        QCOMPARE(marks, 8);
        QVERIFY(chart.xAxis->range().lower < 0 && chart.xAxis->range().lower > -2);
        QVERIFY(chart.xAxis->range().upper > 42 && chart.xAxis->range().upper < 44);
        QVERIFY(chart.yAxis->range().upper > 1.05 * 3020);
        // The same viewer is reused for the next plot of its role.
        QCOMPARE(ShowGraphViewer(*form_, kPointViewer), viewer);
    }

    void clickingAPointSelectsItsDoseLevelOnceAndOnlyNearby() {
        TGrForm1* viewer = OpenPointViewer();
        QCustomPlot& chart = *viewer->Chart();
        const QPoint at = PixelOf(chart, 20, 2000);
        // 11 pixels away: nothing selected, nothing sent.
        QTest::mouseClick(&chart, Qt::LeftButton, {}, at + QPoint(11, 0));
        QVERIFY(main_.received.empty());
        QTest::mouseClick(&chart, Qt::LeftButton, {}, at + QPoint(3, 2));
        QCOMPARE(int(main_.received.size()), 1);
        QCOMPARE(main_.received[0].msg, uint32_t(WM_UpdatedData));
        QCOMPARE(main_.received[0].mask, kMaskSelectedAccepted);
        for (std::size_t a = 0; a < points_.size(); ++a)
            QCOMPARE(int(points_[a].Selected), a == 2 ? 1 : 0);
        // The level already selected: nothing changes, nothing is sent.
        QTest::mouseClick(&chart, Qt::LeftButton, {}, at);
        QCOMPARE(int(main_.received.size()), 1);
    }

    void toggleAcceptFlipsThePointAndTellsTheMainWindow() {
        TGrForm1* viewer = OpenPointViewer();
        QCustomPlot& chart = *viewer->Chart();
        QVERIFY(RoleOf(viewer).ToggleAcceptAt(PixelOf(chart, 20, 2020)));
        QCOMPARE(int(points_[2].Points[1].Accepted), 1);
        QCOMPARE(int(main_.received.size()), 1);
        QCOMPARE(main_.received[0].msg, uint32_t(WM_UpdatedData));
        QCOMPARE(main_.received[0].lParam, std::uintptr_t(0));
        QCOMPARE(main_.received[0].mask, TGraphicDataMask(0));
        // Far from any point there is nothing to toggle.
        QVERIFY(!RoleOf(viewer).ToggleAcceptAt(PixelOf(chart, 30, 1000)));
        QCOMPARE(int(main_.received.size()), 1);
    }

    // Spacing 5 and index 9 show 50 degC; 75 typed means index 14; 50 again means no change.
    void theIndexFieldTurnsTemperaturesIntoIndexes() {
        index_ = 9;
        TGrForm1* viewer = OpenPointViewer(gkTemperature, 5);
        QSpinBox* field = viewer->SpinEdit();
        QCOMPARE(field->value(), 50);
        QCOMPARE(field->singleStep(), 5);
        // Without the focus the field takes the inactive-caption colour, with it the window's.
        viewer->activateWindow();
        viewer->Chart()->setFocusPolicy(Qt::StrongFocus);
        viewer->Chart()->setFocus();
        QTRY_VERIFY(!field->hasFocus());
        const QColor unfocused = field->palette().color(QPalette::Base);
        QVERIFY(unfocused != QApplication::palette().color(QPalette::Base));
        field->setFocus();
        QTRY_VERIFY(field->hasFocus());
        QCOMPARE(field->palette().color(QPalette::Base),
                 QApplication::palette().color(QPalette::Base));
        field->selectAll();
        QTest::keyClicks(field, QStringLiteral("50"));
        QTest::keyClick(field, Qt::Key_Return);
        QVERIFY(main_.received.empty());
        field->selectAll();
        QTest::keyClicks(field, QStringLiteral("75"));
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(index_, 14);
        QCOMPARE(int(main_.received.size()), 1);
        QCOMPARE(main_.received[0].msg, uint32_t(WM_UpdatedPoints));
        // Points have no index to type.
        main_.received.clear();
        Messages().SendValue(kPointViewer, gd_Kind, gkPoint);
        RoleOf(viewer).ApplyIndexField(3);
        QVERIFY(main_.received.empty());
    }

    void curveViewerDrawsTheCurvesBehindThePointsToTheNextHundred() {
        // Two OSL measurements whose curves end at channel 430.
        for (int k = 0; k < 2; ++k) {
            TLookupRecord r;
            r.Key.Device = 20;
            r.Key.Spacing = 1;
            r.LastChannel = 430;
            r.Curve.assign(431, 0.0);
            for (int c = 1; c <= 430; ++c) r.Curve[c] = 5000.0 * std::exp(-c / 50.0) + k;
            table_.push_back(r);
        }
        TGrForm1* viewer = ShowGraphViewer(*form_, kCurveViewer);
        TGraphDispatcher& m = Messages();
        m.SendValue(kCurveViewer, gd_Plot, plViewCurves);
        m.SendValue(kCurveViewer, gd_Kind, gkChannel);
        m.SendText(kCurveViewer, gd_Caption, "OSL shine down curves");
        // Without points nothing is drawn.
        m.SendReference(kCurveViewer, gd_ViewCurves, &table_);
        m.SendDraw(kCurveViewer, kMaskViewCurvesPoints);
        QCOMPARE(viewer->Chart()->plottableCount(), 0);
        m.SendReference(kCurveViewer, gd_Points, &points_);
        m.SendReference(kCurveViewer, gd_Index, &index_);
        m.SendDraw(kCurveViewer, kMaskIndexViewCurves);
        QCustomPlot& chart = *viewer->Chart();
        QCOMPARE(chart.xAxis->range().upper, 500.0);
        QCOMPARE(chart.xAxis->range().lower, 0.0);
        QVERIFY(std::fabs(chart.yAxis->range().upper - 1.05 * (5000.0 * std::exp(-1 / 50.0) + 1)) <
                1e-6);
        // One curve per measured point (eight), the not accepted one dotted.
        QCOMPARE(CountPlottablesOfClass(chart, 0) + CountPlottablesOfClass(chart, 1) +
                     CountPlottablesOfClass(chart, 2) + CountPlottablesOfClass(chart, 3),
                 8);
        int dotted = 0;
        for (int i = 0; i < chart.plottableCount(); ++i)
            if (chart.plottable(i)->pen().style() == Qt::DotLine) ++dotted;
        QCOMPARE(dotted, 1);
        // The cross-hair starts on the index field's channel; dragging it to about channel
        // 120 makes that the index.
        index_ = 40;
        m.SendDraw(kCurveViewer, kMaskIndexViewCurves);
        QAction* ledger = viewer->GraphAction(QStringLiteral("Show ledger"));
        QVERIFY(ledger->isEnabled());
        ledger->trigger();
        QVERIFY(viewer->LedgerOn());
        QCOMPARE(viewer->SpinEdit()->value(), 40);
        const QPoint from = PixelOf(chart, 40, 100), to = PixelOf(chart, 120, 100);
        QTest::mousePress(&chart, Qt::LeftButton, {}, from);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), chart.mapToGlobal(QPointF(to)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&chart, &move);
        QTest::mouseRelease(&chart, Qt::LeftButton, {}, to);
        // A pixel spans more than one channel here: the channel under the pixel, spacing 1.
        const int channel = int(std::lround(chart.xAxis->pixelToCoord(to.x())));
        QVERIFY(std::abs(channel - 120) <= 2);
        QCOMPARE(viewer->SpinEdit()->value(), channel);
        QCOMPARE(index_, channel);
        QCOMPARE(main_.received.back().msg, uint32_t(WM_UpdatedPoints));
    }

    // A fitted line of the regenerative method: the curve, and the dose mark at D = 20 Gy on
    // the line F(D) = 1000 + 50 D = 2000.
    void resultsViewerDrawsTheFitAndTheDoseMarkOnlyAtItsIndex() {
        fit_ = TFitRecord{};
        fit_.Description = "Regenerative, linear";
        fit_.Method = dmRegenerative;
        fit_.Code2 = kLinearFunction;
        fit_.NParams2 = 2;
        fit_.Params2[0] = 1000;
        fit_.Params2[1] = 50;
        fit_.ED = 20;
        fit_.EDError = 2;
        fit_.Channel = 0;
        TGrForm1* viewer = ShowGraphViewer(*form_, kPointViewer);
        TGraphDispatcher& m = Messages();
        m.SendValue(kPointViewer, gd_Plot, plResults);
        m.SendValue(kPointViewer, gd_Kind, gkChannel);
        m.SendValue(kPointViewer, gd_Spacing, 1);
        m.SendReference(kPointViewer, gd_Points, &points_);
        m.SendReference(kPointViewer, gd_Index, &index_);
        m.SendDraw(kPointViewer, kMaskIndexPoints);
        m.SendReference(kPointViewer, gd_Fit, &fit_);
        QCOMPARE(viewer->Notes(), QStringLiteral("Regenerative, linear"));
        m.SendDraw(kPointViewer, kMaskIndexPointsFit);
        QCustomPlot& chart = *viewer->Chart();
        // The curve and its two error lines, and the mark: the level line and tick, the bar.
        QCOMPARE(CountPlottablesOfClass(chart, kFitItemClass), 5);
        // The level line of the mark runs from (0, 2000) to (20, 2000).
        bool levelLine = false;
        for (int i = 0; i < chart.plottableCount(); ++i) {
            auto* c = qobject_cast<QCPCurve*>(chart.plottable(i));
            if (!c || c->property("itemClass").toInt() != kFitItemClass || c->dataCount() < 2)
                continue;
            const auto a = c->data()->at(0), b = c->data()->at(1);
            if (a->key == 0 && a->value == 2000 && b->key == 20 && b->value == 2000)
                levelLine = true;
        }
        QVERIFY(levelLine);
        SaveShot(viewer, QStringLiteral("results_viewer.png"));
        // A fit of another index: the points only.
        fit_.Channel = 3;
        m.SendDraw(kPointViewer, kMaskIndexPointsFit);
        QCOMPARE(CountPlottablesOfClass(chart, kFitItemClass), 0);
        // A fit that failed: its curve, no mark.
        fit_.Channel = 0;
        fit_.ResultCode = -12;
        m.SendDraw(kPointViewer, kMaskIndexPointsFit);
        QCOMPARE(CountPlottablesOfClass(chart, kFitItemClass), 3);
        // Clearing the fit clears its notes.
        m.SendReference(kPointViewer, gd_Fit, nullptr);
        QVERIFY(viewer->Notes().isEmpty());
    }

    void plateauViewerListsResultsAndReportsThePickedOne() {
        TPlateauArray plateau = {{0, 1, 0, 40.5, 2.25, kPlateauValid},
                                 {1, 2, 0, 41.0, 3.0, kPlateauFailed},
                                 {2, 3, 0, 39.75, 2.5, kPlateauWarning}};
        TGrForm1* viewer = ShowGraphViewer(*form_, kGraphEditor);
        TGraphDispatcher& m = Messages();
        m.SendValue(kGraphEditor, gd_Plot, plPlateau);
        m.SendValue(kGraphEditor, gd_Kind, gkChannel);
        m.SendText(kGraphEditor, gd_Caption, "Paleodose results");
        m.SendValue(kGraphEditor, gd_Spacing, 1);
        m.SendReference(kGraphEditor, gd_Index, &index_);
        m.SendReference(kGraphEditor, gd_Plateau, &plateau);
        m.SendDraw(kGraphEditor, kMaskPlateau);
        QTableView* table = viewer->Table();
        QVERIFY(!table->isHidden());
        QAbstractItemModel* model = table->model();
        QCOMPARE(model->rowCount(), 3);
        QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("ED"));
        QCOMPARE(model->headerData(2, Qt::Horizontal).toString(), QStringLiteral("+/-"));
        QCOMPARE(model->headerData(0, Qt::Vertical).toString(), QStringLiteral("Chan          1"));
        QCOMPARE(model->index(0, 1).data().toString(), QLocale().toString(40.5, 'f', 2));
        QVERIFY(table->isColumnHidden(0));
        SaveShot(viewer, QStringLiteral("plateau_viewer.png"));
        // The failed result is a grey cross and never takes the selected colour.
        index_ = 1;
        m.SendDraw(kGraphEditor, kMaskIndexPlateau);
        QVERIFY(viewer->NumberLabel()->isVisible());
        QCOMPARE(viewer->NumberLabel()->text(), QStringLiteral("Chan. 1"));
        QCustomPlot& chart = *viewer->Chart();
        const QColor grey(110, 110, 110);
        int greyCrosses = 0;
        for (const TPickable& p : RoleOf(viewer).Pickables()) {
            const auto* mark = static_cast<const QCPCurve*>(p.plottable);
            if (mark->pen().color() == grey &&
                mark->scatterStyle().shape() == QCPScatterStyle::ssCross)
                ++greyCrosses;
        }
        QCOMPARE(greyCrosses, 1);
        // Picking the third row writes its index and tells the main window.
        table->setCurrentIndex(model->index(2, 1));
        QCOMPARE(index_, 2);
        QCOMPARE(int(main_.received.size()), 1);
        QCOMPARE(main_.received[0].mask, kMaskIndex);
        // A click on the first mark picks it.
        QTest::mouseClick(&chart, Qt::LeftButton, {}, PixelOf(chart, 1, 40.5));
        QCOMPARE(index_, 0);
        QCOMPARE(int(main_.received.size()), 2);
    }

    // The axis spans the valid results; the user's zoom survives picks and the index the main
    // window sends back, and only the results of a new run rescale. The legend can be hidden.
    void plateauZoomSurvivesPicksAndANewRunRescales() {
        TPlateauArray plateau = {{1, 1, 0, 40.0, 2.0, kPlateauValid},
                                 {2, 2, 0, 44.0, 3.0, kPlateauValid},
                                 {3, 3, 0, -40.0, 7240.0, kPlateauWarning}};
        TGrForm1* viewer = ShowGraphViewer(*form_, kGraphEditor);
        TGraphDispatcher& m = Messages();
        m.SendValue(kGraphEditor, gd_Plot, plPlateau);
        m.SendValue(kGraphEditor, gd_Kind, gkChannel);
        m.SendText(kGraphEditor, gd_Caption, "Paleodose results");
        m.SendValue(kGraphEditor, gd_Spacing, 1);
        index_ = 1;
        m.SendReference(kGraphEditor, gd_Index, &index_);
        m.SendReference(kGraphEditor, gd_Plateau, &plateau);
        m.SendDraw(kGraphEditor, kMaskPlateau);
        QCustomPlot& chart = *viewer->Chart();
        // 0 to 1.05 x (44 + 3): the warning's 7240 stays out.
        QCOMPARE(chart.yAxis->range().lower, 0.0);
        QVERIFY(std::fabs(chart.yAxis->range().upper - 1.05 * 47) < 1e-9);
        QVERIFY(chart.legend->visible());
        // The user zooms; a pick in the table and the main window's answer keep the zoom.
        chart.yAxis->setRange(35, 50);
        chart.xAxis->setRange(0.5, 2.5);
        viewer->Table()->setCurrentIndex(viewer->Table()->model()->index(1, 1));
        QCOMPARE(index_, 2);
        m.SendDraw(kGraphEditor, kMaskIndexPlateau);
        QCOMPARE(chart.yAxis->range(), QCPRange(35, 50));
        QCOMPARE(chart.xAxis->range(), QCPRange(0.5, 2.5));
        // A new run with other results rescales.
        plateau[1].Value = 80;
        m.SendDraw(kGraphEditor, kMaskIndexPlateau);
        QVERIFY(std::fabs(chart.yAxis->range().upper - 1.05 * 83) < 1e-9);
        // "Show legend" off hides it and keeps it hidden through redraws.
        QAction* legend = viewer->GraphAction(QStringLiteral("Show legend"));
        QVERIFY(legend);
        legend->setChecked(false);
        QVERIFY(!chart.legend->visible());
        m.SendDraw(kGraphEditor, kMaskIndexPlateau);
        QVERIFY(!chart.legend->visible());
        legend->setChecked(true);
        QVERIFY(chart.legend->visible());
    }

    // The index field of the point viewer is labelled by what its number is.
    void theIndexFieldIsLabelledByTheDataKind_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("label");
        QTest::addRow("temperature") << int(gkTemperature) << QStringLiteral("Temp.");
        QTest::addRow("channel") << int(gkChannel) << QStringLiteral("Chan.");
        QTest::addRow("disk") << int(gkDisk) << QStringLiteral("Disk");
        QTest::addRow("point") << int(gkPoint) << QStringLiteral("Point");
    }
    void theIndexFieldIsLabelledByTheDataKind() {
        QFETCH(int, kind);
        QFETCH(QString, label);
        TGrForm1* viewer = OpenPointViewer(uint8_t(kind), 5);
        QVERIFY(viewer->DivMulLabel()->isVisible());
        QCOMPARE(viewer->DivMulLabel()->text(), label);
        // It stands just left of the field.
        QVERIFY(viewer->DivMulLabel()->geometry().right() <= viewer->SpinEdit()->geometry().left());
        viewer->reject();
        QVERIFY(!viewer->DivMulLabel()->isVisibleTo(viewer));
    }

    // The number label of a result plot names the picked result: a ROI by its bounds (it
    // shares its index with a temperature step), else the step, channel or disk. The picked
    // result gets a dark ring, seen on white whatever its mark's colour.
    void aPickedResultIsNamedAndRinged_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("label");
        QTest::addRow("TL step") << int(gkTemperature) << 0 << QStringLiteral("Temp. 10");
        QTest::addRow("TL ROI") << int(gkTemperature) << 2 << QStringLiteral("ROI 300\u2013350");
        QTest::addRow("OSL channel") << int(gkChannel) << 0 << QStringLiteral("Chan. 1");
        QTest::addRow("OSL ROI") << int(gkChannel) << 2 << QStringLiteral("ROI 2\u20135");
        QTest::addRow("warning result") << int(gkChannel) << 1 << QStringLiteral("Chan. 2");
    }
    void aPickedResultIsNamedAndRinged() {
        QFETCH(int, kind);
        QFETCH(int, row);
        QFETCH(QString, label);
        const bool tl = kind == gkTemperature;
        TPlateauArray plateau = {{1, tl ? 10.0 : 1.0, 0, 40.5, 2.25, kPlateauValid},
                                 {2, tl ? 15.0 : 2.0, 0, 39.0, 3.0, kPlateauWarning},
                                 {1, tl ? 325.0 : 3.5, tl ? 25.0 : 1.5, 41.0, 1.5, kPlateauRoi}};
        plateau[2].Roi = true;
        plateau[2].RoiFirst = tl ? 300 : 2;
        plateau[2].RoiLast = tl ? 350 : 5;
        TGrForm1* viewer = ShowGraphViewer(*form_, kGraphEditor);
        TGraphDispatcher& m = Messages();
        m.SendValue(kGraphEditor, gd_Plot, plPlateau);
        m.SendValue(kGraphEditor, gd_Kind, uint8_t(kind));
        m.SendText(kGraphEditor, gd_Caption, "Paleodose results");
        m.SendValue(kGraphEditor, gd_Spacing, tl ? 5 : 1);
        m.SendReference(kGraphEditor, gd_Index, &index_);
        m.SendReference(kGraphEditor, gd_Plateau, &plateau);
        m.SendDraw(kGraphEditor, kMaskPlateau);
        QCustomPlot& chart = *viewer->Chart();
        const TPlateauElement& e = plateau[std::size_t(row)];
        // The pick goes to the main window, which answers as it does: index and plateau.
        QTest::mouseClick(&chart, Qt::LeftButton, {}, PixelOf(chart, e.X, e.Value));
        QCOMPARE(index_, e.Index);
        m.SendDraw(kGraphEditor, kMaskIndexPlateau);
        QCOMPARE(viewer->NumberLabel()->text(), label);
        QCOMPARE(viewer->Table()->currentIndex().row(), row);
        const QCPItemTracer* ring = nullptr;
        for (int i = 0; i < chart.itemCount(); ++i)
            if (auto* t = qobject_cast<QCPItemTracer*>(chart.item(i))) ring = t;
        QVERIFY(ring);
        QCOMPARE(ring->position->coords(), QPointF(e.X, e.Value));
        // Dark enough to be seen on white.
        QVERIFY(qGray(ring->pen().color().rgb()) < 100);
        SaveShot(viewer, QStringLiteral("plateau_pick_%1_%2.png").arg(kind).arg(row));
    }

    void closingEmptiesTheViewerAndAFallbackIgnoresForeignBits() {
        TGrForm1* viewer = OpenPointViewer();
        // A curve-view bit sent to a point viewer is ignored; the points are redrawn.
        Messages().SendDraw(kPointViewer, kMaskViewCurvesPoints);
        QVERIFY(viewer->Chart()->plottableCount() > 0);
        viewer->reject();
        QVERIFY(viewer->isHidden());
        QCOMPARE(viewer->Chart()->plottableCount(), 0);
        QCOMPARE(int(RoleOf(viewer).Plot()), int(plNone));
        QCOMPARE(int(RoleOf(viewer).DataKind()), int(gkPoint));
        // Shown again for its role: still registered under its name.
        QCOMPARE(ShowGraphViewer(*form_, kPointViewer), viewer);
        QVERIFY(Messages().Find(kPointViewer) != nullptr);
    }
};

QTEST_MAIN(GraphViewersTest)
#include "graph_viewers_test.moc"
