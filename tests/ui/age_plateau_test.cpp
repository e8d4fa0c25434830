// "Age plateau": the ages of the last plateau of equivalent doses in the result viewer, and the
// weighted mean over the range picked; refused with a message while there is no plateau.
#include <qcustomplot.h>

#include <QDoubleSpinBox>
#include <QLabel>
#include <QTableView>
#include <QtTest>

#include "analysis/graph_messages.h"
#include "editor/age_plateau_dialog.h"
#include "editor/editor_document.h"
#include "editor/main_window.h"
#include "editor/scripted_prompts.h"
#include "graph/graph_form.h"
#include "graph/viewer_windows.h"
#include "ui/sample_window_fixture.h"

namespace {

// A dose rate of exactly 2 Gy/ka: a typed cosmic dose rate without error.
TDoseRateInputs TwoGrayPerKa() {
    TDoseRateInputs in;
    in.HasCosmic = true;
    in.Cosmic = 2.0;
    in.HasCosmicError = true;
    in.CosmicError = 0.0;
    return in;
}

}  // namespace

class AgePlateauTest : public QObject, TSampleWindowFixture {
    Q_OBJECT

private slots:
    void init() { QVERIFY(SetUp()); }
    void cleanup() { TearDown(); }

    void withoutAPlateauTheCommandSaysWhatToDoFirst() {
        QVERIFY(form_->OpenFile(dir_ + QStringLiteral("/S12.DAT")));
        QAction* plateau = form_->Action(TActionId::AgePlateau);
        QVERIFY(plateau->isEnabled());
        plateau->trigger();
        QCOMPARE(prompts_->errors.size(), 1);
        QVERIFY(prompts_->errors.front().contains(QStringLiteral("Range or All")));
    }

    // Doses 40 +- 2, 44 +- 4 and 38 +- 2 Gy at 300, 305 and 310 degC over 2 Gy/ka: ages 20,
    // 22 and 19 ka; their weighted mean 178/9 = 19.78 ka, the mean of 300..305 alone
    // (20 + 22/4) / 1.25 = 20.40 ka.
    void agesInTheResultViewerAndTheirWeightedMean() {
        QVERIFY(form_->OpenFile(dir_ + QStringLiteral("/S12.DAT")));
        TEditorDocument& document = form_->Document();
        document.SetLastPlateau({{{59, 300, 0, 40, 2, kPlateauValid},
                                  {60, 305, 0, 44, 4, kPlateauValid},
                                  {61, 310, 0, 38, 2, kPlateauValid}},
                                 gkTemperature,
                                 5,
                                 "Glow temperature, C"});
        TAgePlateauDialog dialog(*form_, TwoGrayPerKa(), form_);
        QVERIFY(dialog.Compute());
        QVERIFY(dialog.HasMean());
        QCOMPARE(dialog.Mean().Count, 3);
        QVERIFY(std::fabs(dialog.Mean().Age - 178.0 / 9.0) < 1e-9);
        QVERIFY(dialog.MeanText().contains(QLocale().toString(178.0 / 9.0, 'f', 2)));
        dialog.SetRange(300, 305);
        QVERIFY(std::fabs(dialog.Mean().Age - 25.5 / 1.25) < 1e-9);
        QVERIFY(dialog.findChild<QLabel*>(QStringLiteral("AgeMean"))
                    ->text()
                    .contains(QLocale().toString(20.4, 'f', 2)));
        // The viewer shows the ages, titled as ages.
        TGrForm1* viewer = FindGraphViewer(*form_, kGraphEditor);
        QVERIFY(viewer && viewer->isVisible());
        QAbstractItemModel* table = viewer->Table()->model();
        QCOMPARE(table->rowCount(), 3);
        QCOMPARE(table->headerData(1, Qt::Horizontal).toString(), QStringLiteral("AD"));
        QCOMPARE(table->index(0, 1).data().toString(), QLocale().toString(20.0, 'f', 2));
        QCOMPARE(table->index(1, 1).data().toString(), QLocale().toString(22.0, 'f', 2));
        QCOMPARE(viewer->Chart()->yAxis->label(), QStringLiteral("Age, ka"));
        // A range without results says so.
        dialog.SetRange(400, 450);
        QVERIFY(!dialog.HasMean());
        QVERIFY(dialog.MeanText().contains(QStringLiteral("No age")));
    }
};

QTEST_MAIN(AgePlateauTest)
#include "age_plateau_test.moc"
