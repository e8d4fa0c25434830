// "Fading test" mode on the sample after TL background subtraction: entering shows the panel
// and the record filter, the check boxes exclude each other, dropped grid records fill the
// lists (the selection, else the current record; each text once), Delete removes a line,
// "Check fading" shows the ratios in the result viewer, leaving puts the window back, and
// "Fit g-value" fits the listed records' signals against their times since irradiation.
#include <qcustomplot.h>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <numeric>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

#include "analysis/graph_messages.h"
#include "analysis/fading_correction.h"
#include "editor/bin_data_grid.h"
#include "editor/bin_data_model.h"
#include "editor/editor_document.h"
#include "editor/fading_mode.h"
#include "editor/fading_panel.h"
#include "editor/main_window.h"
#include "editor/mode_switcher.h"
#include "graph/graph_form.h"
#include "record_store/bin_data_set.h"
#include "ui/sample_window_fixture.h"

class FadingModeTest : public QObject, TSampleWindowFixture {
    Q_OBJECT

private:
    TFadingMode* Mode() const { return dynamic_cast<TFadingMode*>(form_->Modes().Active()); }
    TFadingPanel* Panel() const { return Mode()->FadingPanel(); }
    QCheckBox* Box(const QString& text) const {
        for (QCheckBox* box : Panel()->findChildren<QCheckBox*>())
            if (box->text() == text) return box;
        return nullptr;
    }
    int32_t IdOf(int record) const {  // 1-based record number
        return form_->Document().ShownView()->RecordAt(record - 1).id;
    }
    // A drag of grid records entering `list` and dropped on it.
    static bool Drop(TFadingList* list, const char* format = TFadingList::kMimeType) {
        QMimeData data;
        data.setData(QLatin1String(format), QByteArray());
        const QPoint at = list->viewport()->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &enter);
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &drop);
        return enter.isAccepted() && drop.isAccepted();
    }
    static QStringList Lines(const TFadingList* list) {
        QStringList lines;
        for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
        return lines;
    }

private slots:
    void init() {
        QVERIFY(SetUp());
        // The fading test reads subtracted curves.
        QProcess cli;
        cli.start(QStringLiteral(ORVANE_CLI_PATH),
                  {QStringLiteral("subtract"), dir_ + QStringLiteral("/S12.DAT"),
                   QStringLiteral("--curves"), QStringLiteral("tl")});
        QVERIFY(cli.waitForFinished(30000) && cli.exitCode() == 0);
    }
    void cleanup() { TearDown(); }

    void enterDropCheckAndLeave() {
        QVERIFY(form_->OpenFile(dir_ + QStringLiteral("/S12.DAT")));
        TBinDataSet* view = form_->Document().ShownView();
        form_->GoToRecord(20);
        QAction* command = form_->Action(TActionId::ComputeFading);
        QVERIFY(command->isEnabled());
        command->trigger();
        QVERIFY(Mode());
        QVERIFY(prompts_->errors.isEmpty());
        QVERIFY(command->isChecked());
        QVERIFY(Panel()->isVisible());
        QCOMPARE(form_->findChild<QLabel*>(QStringLiteral("StatusMode"))->text(),
                 QStringLiteral("Halcyon files - computing fading factor"));
        QVERIFY(!form_->Action(TActionId::EditUndo)->isEnabled());

        // The lists of the filter end in their "any" entries; the devices start with TL.
        auto* dates = Panel()->findChild<QComboBox*>(QStringLiteral("ComboBox2"));
        auto* devices = Panel()->findChild<QComboBox*>(QStringLiteral("ComboBox3"));
        QCOMPARE(dates->itemText(dates->count() - 1), QStringLiteral("any irrad date"));
        QCOMPARE(devices->itemText(devices->count() - 1), QStringLiteral("any device"));
        QCOMPARE(devices->currentText(), QStringLiteral("TL 5deg 5/s"));

        // Check boxes: "N + D" and "D" against "no irradiation"; one radiation at a time.
        Box(QStringLiteral("N + D"))->click();
        Box(QStringLiteral("no irradiation"))->click();
        QVERIFY(!Box(QStringLiteral("N + D"))->isChecked());
        Box(QStringLiteral("D"))->click();
        QVERIFY(!Box(QStringLiteral("no irradiation"))->isChecked());
        Box(QStringLiteral("alpha"))->click();
        Box(QStringLiteral("gamma"))->click();
        QVERIFY(!Box(QStringLiteral("alpha"))->isChecked());
        Box(QStringLiteral("gamma"))->click();
        Box(QStringLiteral("D"))->click();

        // TL runs of any date without irradiation: disks 1-4 (natural) and 17-19 (bleached)
        // of the TL run 5.
        dates->setCurrentIndex(dates->count() - 1);
        Box(QStringLiteral("no irradiation"))->click();
        Panel()->findChild<QPushButton*>(QStringLiteral("ApplyFilterButton"))->click();
        TBinDataModel* model = form_->Grid()->Model();
        QCOMPARE(model->rowCount(), 7);
        for (int row = 0; row < model->rowCount(); ++row) {
            const int record = model->RecordIndexOfRow(row) + 1;
            QVERIFY2(record >= 113 && record <= 140, qPrintable(QString::number(record)));
        }

        // The current record onto the faded list, once however often it is dropped.
        TFadingList* faded = Panel()->FadedList();
        TFadingList* fresh = Panel()->FreshList();
        form_->GoToRecord(model->RowOfRecordIndex(112) + 1);  // record 113: a grid row
        QCOMPARE(view->GetBookmark(), std::optional<int32_t>(IdOf(113)));
        QVERIFY(Drop(faded));
        QVERIFY(Drop(faded));
        QCOMPARE(faded->count(), 1);
        QCOMPARE(Lines(faded).first(), QStringLiteral("r# 5 d# 1; N; ") + dates->itemText(0));
        QCOMPARE(faded->item(0)->data(Qt::UserRole).toInt(), IdOf(113));
        // Only drags of grid records are taken.
        QVERIFY(!Drop(fresh, "text/plain"));
        QCOMPARE(fresh->count(), 0);

        // Selected rows go together and the selection is cleared.
        TEditorDocument& document = form_->Document();
        document.SetRowSelection(true);
        document.Selection().Add(IdOf(115));
        document.Selection().Add(IdOf(116));
        QVERIFY(Drop(fresh));
        QCOMPARE(fresh->count(), 2);
        QVERIFY(document.SelectedRecords().empty());
        document.Selection().Add(IdOf(114));
        QVERIFY(Drop(faded));
        QCOMPARE(faded->RecordIds(), (std::vector<int32_t>{IdOf(113), IdOf(114)}));

        // Delete removes the focused line.
        fresh->setCurrentRow(0);
        QTest::keyClick(fresh, Qt::Key_Delete);
        QCOMPARE(fresh->RecordIds(), (std::vector<int32_t>{IdOf(116)}));
        document.Selection().Add(IdOf(115));
        QVERIFY(Drop(fresh));
        QCOMPARE(fresh->count(), 2);

        // "Check fading": the ratios in the result viewer, from 200 degC.
        Panel()->findChild<QPushButton*>(QStringLiteral("CheckFadingButton"))->click();
        QVERIFY(prompts_->errors.isEmpty());
        const TPlateauArray& result = Mode()->Result();
        QVERIFY(result.size() > 40);
        QCOMPARE(result.front().X, 200.0);
        auto* viewer = form_->findChild<TGrForm1*>(QStringLiteral("GraphEditor"));
        QVERIFY(viewer && viewer->isVisible());
        QCOMPARE(viewer->windowTitle(), QStringLiteral("Orvane - View results"));
        QCOMPARE(viewer->Table()->model()->rowCount(), static_cast<int>(result.size()));
        QVERIFY(viewer->Chart()->plottableCount() > 0);
        // A pick in the results table is harmless: the ratios have no index to write.
        viewer->Table()->selectRow(3);
        QTest::mouseClick(
            viewer->Table()->viewport(), Qt::LeftButton, {},
            viewer->Table()->visualRect(viewer->Table()->model()->index(3, 1)).center());
        QCOMPARE(static_cast<int>(Mode()->Result().size()), viewer->Table()->model()->rowCount());
        const QString shot = dir_ + QStringLiteral("/fading.png");
        QVERIFY(viewer->grab().save(shot));
        if (qEnvironmentVariableIsSet("ORVANE_KEEP_SHOTS")) {
            viewer->grab().save(QStringLiteral("/tmp/fading-viewer.png"));
            form_->grab().save(QStringLiteral("/tmp/fading-window.png"));
        }

        // Leaving: every record in the grid, the record of before current, the viewer closed.
        command->trigger();
        QVERIFY(!form_->Modes().Active());
        QVERIFY(!view->Filtered());
        QCOMPARE(model->rowCount(), view->RecordCount());
        QCOMPARE(view->RecNo(), 20);
        QVERIFY(!viewer->isVisible());
        QVERIFY(form_->Action(TActionId::EditUndo)->isEnabled() ||
                form_->Document().UndoStack().count() == 0);

        // Entering again starts with empty lists.
        command->trigger();
        QVERIFY(Mode());
        QCOMPARE(Panel()->FadedList()->count() + Panel()->FreshList()->count(), 0);
        QVERIFY(Mode()->Result().empty());
        command->trigger();
    }

    // "Fit g-value" over records 113 to 115 (faded, irradiated 10, 5 and 2 days before the
    // last) and 116 (fresh): each record's signal, the sum of its subtracted curve, over the
    // fresh record's, at the delay plus the days between the irradiation dates, fitted by
    // FitGValue; orvane-cli g-value gives the same from a CSV of those points.
    void gValueOfTheListedRecords() {
        const QString file = dir_ + QStringLiteral("/S12.DAT");
        const struct {
            int record;
            const char* date;
            int daysBeforeLast;
        } records[] = {{113, "2026-03-06", 10}, {114, "2026-03-11", 5}, {115, "2026-03-14", 2},
                       {116, "2026-03-16", 0}};
        for (const auto& r : records) {
            QVERIFY(RunCli({QStringLiteral("set"), file, QStringLiteral("--record"),
                            QString::number(r.record), QStringLiteral("--field"),
                            QStringLiteral("Irrad date"), QStringLiteral("--value"),
                            QLatin1String(r.date)}));
        }
        QVERIFY(form_->OpenFile(file));
        form_->Action(TActionId::ComputeFading)->trigger();
        QVERIFY(Mode());
        TEditorDocument& document = form_->Document();
        document.SetRowSelection(true);
        for (int record : {113, 114, 115}) document.Selection().Add(IdOf(record));
        QVERIFY(Drop(Panel()->FadedList()));
        document.Selection().Add(IdOf(116));
        QVERIFY(Drop(Panel()->FreshList()));
        const double delay = 3600.0;
        Panel()->SetDelay(delay);
        Panel()->findChild<QPushButton*>(QStringLiteral("FitGValueButton"))->click();
        const QString shown = Panel()->GValueText();
        QVERIFY2(shown.startsWith(QStringLiteral("g = ")), qPrintable(shown));
        if (qEnvironmentVariableIsSet("ORVANE_SHOTS"))
            form_->grab().save(qEnvironmentVariable("ORVANE_SHOTS") +
                               QStringLiteral("/fading_g_value.png"));

        // The points by hand from the records' curves and the dates written above.
        const TBinDataSet& view = *document.ShownView();
        std::vector<double> sums;
        for (const auto& r : records) {
            const std::optional<TFadingCurve> curve = ReadFadingCurve(view, r.record - 1);
            QVERIFY(curve);
            sums.push_back(std::accumulate(curve->Values.begin(), curve->Values.end(), 0.0));
        }
        const double fresh = sums.back();
        std::vector<TFadingPoint> points;
        QString csv = QStringLiteral("LxTx,LxTxError,TimeSinceIrradiation\n");
        for (std::size_t i = 0; i < sums.size(); ++i) {
            const TFadingPoint p{sums[i] / fresh, std::sqrt(std::fabs(sums[i])) / fresh,
                                 delay + 86400.0 * records[i].daysBeforeLast};
            points.push_back(p);
            csv += QStringLiteral("%1,%2,%3\n")
                       .arg(p.LxTx, 0, 'g', 17)
                       .arg(p.Error, 0, 'g', 17)
                       .arg(p.Time, 0, 'g', 17);
        }
        const TGValueResult expected = FitGValue(points, TGValueOptions{});
        QCOMPARE(static_cast<int>(expected.Code), static_cast<int>(TFadingFitCode::Ok));
        const TGValueResult& got = Mode()->GValue();
        QCOMPARE(got.G, expected.G);
        QCOMPARE(got.GError, expected.GError);
        QCOMPARE(got.Tc, delay);
        QCOMPARE(got.G2Days, expected.G2Days);
        QVERIFY2(shown.contains(QLocale().toString(expected.G, 'f', 2)), qPrintable(shown));

        // The same points through orvane-cli g-value.
        const QString table = dir_ + QStringLiteral("/fading.csv");
        QFile out(table);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(csv.toUtf8());
        out.close();
        QByteArray json;
        QVERIFY(RunCli({QStringLiteral("g-value"), table}, &json));
        const QJsonObject cli = QJsonDocument::fromJson(json).object();
        QCOMPARE(cli.value(QStringLiteral("g")).toDouble(), got.G);
        QCOMPARE(cli.value(QStringLiteral("g_error")).toDouble(), got.GError);
        QCOMPARE(cli.value(QStringLiteral("g_2days")).toDouble(), got.G2Days);

        // No delay: refused in the panel, nothing fitted.
        Panel()->SetDelay(0.0);
        Panel()->findChild<QPushButton*>(QStringLiteral("FitGValueButton"))->click();
        QVERIFY(Panel()->GValueText().contains(QStringLiteral("above 0 s")));
        form_->Action(TActionId::ComputeFading)->trigger();
    }

    // OSL curves: the OSL device of the sample's run 3, channel results from channel 1 on.
    void oslRatiosByChannel() {
        QProcess cli;
        cli.start(QStringLiteral(ORVANE_CLI_PATH),
                  {QStringLiteral("subtract"), dir_ + QStringLiteral("/S12.DAT"),
                   QStringLiteral("--curves"), QStringLiteral("osl")});
        QVERIFY(cli.waitForFinished(30000) && cli.exitCode() == 0);
        QVERIFY(form_->OpenFile(dir_ + QStringLiteral("/S12.DAT")));
        form_->Action(TActionId::CurvesOSL)->trigger();
        form_->Action(TActionId::ComputeFading)->trigger();
        QVERIFY(Mode());
        auto* dates = Panel()->findChild<QComboBox*>(QStringLiteral("ComboBox2"));
        auto* devices = Panel()->findChild<QComboBox*>(QStringLiteral("ComboBox3"));
        dates->setCurrentIndex(dates->count() - 1);
        // 90 % of 255 is 229.5, rounded to 230: 90.2 %.
        const int osl = devices->findText(QStringLiteral("OSL#1 90.2% @125 43.20s"));
        QVERIFY(osl >= 0);
        devices->setCurrentIndex(osl);
        Panel()->findChild<QPushButton*>(QStringLiteral("ApplyFilterButton"))->click();
        TBinDataModel* model = form_->Grid()->Model();
        QCOMPARE(model->rowCount(), 28);  // run 3, records 57..84
        QCOMPARE(model->RecordIndexOfRow(0), 56);

        TEditorDocument& document = form_->Document();
        document.SetRowSelection(true);
        document.Selection().Add(IdOf(57));
        document.Selection().Add(IdOf(58));
        QVERIFY(Drop(Panel()->FadedList()));
        document.Selection().Add(IdOf(59));
        document.Selection().Add(IdOf(60));
        QVERIFY(Drop(Panel()->FreshList()));
        Panel()->findChild<QPushButton*>(QStringLiteral("CheckFadingButton"))->click();
        const TPlateauArray& result = Mode()->Result();
        QVERIFY(result.size() > 80);
        // Channel 1 holds "Shift", the subtracted curves from channel 2 on.
        QCOMPARE(result.front().Index, 1);
        QCOMPARE(result.front().X, 1.0);
        QCOMPARE(result[1].X, 2.0);
        QCOMPARE(result[1].State, uint8_t{kPlateauValid});
        auto* viewer = form_->findChild<TGrForm1*>(QStringLiteral("GraphEditor"));
        QVERIFY(viewer && viewer->isVisible());
        QCOMPARE(viewer->Chart()->xAxis->label(), QStringLiteral("OSL channel"));
        QCOMPARE(viewer->Chart()->yAxis->label(), QStringLiteral("Fading factor"));
        form_->Action(TActionId::ComputeFading)->trigger();
        QVERIFY(!viewer->isVisible());
    }

    void checkFadingNeedsBothLists() {
        QVERIFY(form_->OpenFile(dir_ + QStringLiteral("/S12.DAT")));
        form_->Action(TActionId::ComputeFading)->trigger();
        QVERIFY(Mode());
        form_->GoToRecord(1);
        QVERIFY(Drop(Panel()->FadedList()));
        Panel()->findChild<QPushButton*>(QStringLiteral("CheckFadingButton"))->click();
        QVERIFY(Mode()->Result().empty());
        QVERIFY(!form_->findChild<TGrForm1*>(QStringLiteral("GraphEditor")));
        form_->Action(TActionId::ComputeFading)->trigger();
    }
};

QTEST_MAIN(FadingModeTest)
#include "fading_mode_test.moc"
