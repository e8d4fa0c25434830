// "Dose models" of the result viewer after SA Regenerative over every disc of SAR12.DAT, in
// the C and a comma-decimal locale: the command opens the dialog, the central age model runs
// over the accepted discs only (the same dose as the model fitted to the plateau elements the
// test picks itself), the radial plot and its density are drawn and saved as PNG, and "Compute
// age" then takes the model's dose ("From dose model").
#include <qcustomplot.h>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTimer>
#include <QtTest>

#include "analysis/age_dialog.h"
#include "analysis/dose_models.h"
#include "analysis/graph_messages.h"
#include "editor/editor_document.h"
#include "editor/growth_mode.h"
#include "editor/growth_panel.h"
#include "editor/main_window.h"
#include "editor/mode_switcher.h"
#include "graph/dose_model_dialog.h"
#include "graph/graph_form.h"
#include "graph/viewer_windows.h"
#include "ui/sample_window_fixture.h"

class DoseModelDialogTest : public QObject, TSampleWindowFixture {
    Q_OBJECT

private:
    TGrowthMode* Mode() const { return dynamic_cast<TGrowthMode*>(form_->Modes().Active()); }
    TGrowthPanel* Panel() const { return Mode()->GrowthPanel(); }

    // SA Regenerative over every disc of SAR12.DAT with the sample's windows.
    void ComputeAllDiscs() {
        QVERIFY(form_->OpenFile(dir_ + QStringLiteral("/SAR12.DAT")));
        form_->Action(TActionId::ComputeGrowth)->trigger();
        QVERIFY(Mode());
        QTabBar* tabs = Panel()->DeviceTabs();
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->tabText(i).startsWith(QStringLiteral("OSL#1"))) tabs->setCurrentIndex(i);
        const double windows[] = {0, 0.8, 30, 40};
        for (int n = 0; n < 4; ++n)
            Panel()
                ->findChild<QDoubleSpinBox*>(QStringLiteral("NumIO%1").arg(n + 3))
                ->setValue(windows[n]);
        for (QRadioButton* b : Panel()->findChildren<QRadioButton*>())
            if (b->text() == QStringLiteral("All")) b->click();
        form_->Action(TActionId::GrowthCompute)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!Mode()->RangeRunning(), 60000);
        QVERIFY2(prompts_->errors.isEmpty(), qPrintable(prompts_->errors.join(QLatin1Char('|'))));
    }

private slots:
    void init() {
        if (QByteArray(QTest::currentDataTag()).startsWith("German"))
            QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QVERIFY(SetUp());
    }
    void cleanup() {
        TearDown();
        QLocale::setDefault(QLocale::c());
    }

    void centralAgeModelOverTheAcceptedDiscs_data() {
        QTest::addColumn<int>("dummy");
        QTest::newRow("C") << 0;
        QTest::newRow("German") << 0;
    }
    void centralAgeModelOverTheAcceptedDiscs() {
        ComputeAllDiscs();
        TGrForm1* viewer = FindGraphViewer(*form_, kGraphEditor);
        QVERIFY(viewer);
        auto* command = viewer->findChild<QAction*>(QStringLiteral("DoseModels"));
        QVERIFY(command);
        emit viewer->GraphMenu()->aboutToShow();
        QVERIFY(command->isEnabled());
        command->trigger();
        auto* dialog = viewer->findChild<TDoseModelDialog*>(QStringLiteral("DoseModelDialog"));
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());

        // The minimum age model needs sigma_b: the field is on for it only.
        auto* sigmaB = dialog->findChild<QDoubleSpinBox*>(QStringLiteral("sigmaB"));
        dialog->SetModel(TDoseModelKind::Minimum3);
        QVERIFY(sigmaB->isEnabled());
        dialog->SetModel(TDoseModelKind::Central);
        QVERIFY(!sigmaB->isEnabled());
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("computeButton")),
                          Qt::LeftButton);
        QVERIFY(dialog->HasResult());

        // The doses the test picks: discs 1 to 8 pass every criterion, 9 to 13 fail one.
        std::vector<TDoseValue> accepted;
        for (const TPlateauElement& e : Mode()->Plateau()) {
            QCOMPARE(e.Rejected, e.Index >= 9);
            if (!e.Rejected && e.State == kPlateauValid) accepted.push_back({e.Value, e.Error});
        }
        QCOMPARE(static_cast<int>(accepted.size()), 8);
        TDoseModelOptions options;
        options.Kind = TDoseModelKind::Central;
        const TDoseModelResult expected = FitDoseModel(accepted, options);
        QCOMPARE(dialog->Result().N, 8);
        QCOMPARE(dialog->Result().De, expected.De);
        QCOMPARE(dialog->Result().RelOD, expected.RelOD);

        // The text in the window's locale: De with the locale's decimal sign, the discs left out.
        const QString text = dialog->findChild<QLabel*>(QStringLiteral("doseModelResult"))->text();
        const QString de = QLocale().toString(expected.De, 'f', 2);
        QVERIFY2(text.contains(QStringLiteral("De = ") + de.left(de.size() - 1)), qPrintable(text));
        QVERIFY2(
            text.contains(QStringLiteral("8 aliquots used; excluded: 5 rejected by the criteria")),
            qPrintable(text));

        // The radial plot and the density beside it, saved as a PNG with content.
        QCustomPlot* chart = dialog->Chart();
        QCOMPARE(chart->axisRectCount(), 2);
        QVERIFY(chart->plottableCount() > 0);
        const QString png = dir_ + QStringLiteral("/radial.png");
        prompts_->saveNames.push_back(png);
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("savePlotButton")),
                          Qt::LeftButton);
        QImage image(png);
        QVERIFY(!image.isNull());
        int dark = 0;
        for (int y = 0; y < image.height(); y += 2)
            for (int x = 0; x < image.width(); x += 2) dark += qGray(image.pixel(x, y)) < 128;
        QVERIFY(dark > 500);
        if (qEnvironmentVariableIsSet("ORVANE_SHOTS"))
            dialog->grab().save(qEnvironmentVariable("ORVANE_SHOTS") +
                                QStringLiteral("/dose_models_") +
                                QLatin1String(QTest::currentDataTag()) + QStringLiteral(".png"));

        // The document keeps the dose; "Compute age" (after growth-curve mode) takes it.
        const TEditorDocument::TLastDoseModel* kept = form_->Document().LastDoseModel();
        QVERIFY(kept);
        QCOMPARE(kept->De, expected.De);
        dialog->close();
        form_->Action(TActionId::ComputeGrowth)->trigger();
        QVERIFY(!Mode());
        double de_shown = -1, error_shown = -1;
        bool enabled = false;
        QTimer::singleShot(0, this, [&] {
            auto* age = qobject_cast<TAgeDialog*>(QApplication::activeModalWidget());
            if (!age) return;
            auto* button = age->findChild<QPushButton*>(QStringLiteral("fromDoseModelButton"));
            enabled = button->isEnabled();
            button->click();
            de_shown = age->findChild<QDoubleSpinBox*>(QStringLiteral("deEdit"))->value();
            error_shown = age->findChild<QDoubleSpinBox*>(QStringLiteral("deErrorEdit"))->value();
            age->reject();
        });
        form_->Action(TActionId::AgeCompute)->trigger();
        QVERIFY(enabled);
        // The field shows three decimals.
        QVERIFY(std::abs(de_shown - expected.De) <= 0.0005);
        QVERIFY(std::abs(error_shown - expected.DeError) <= 0.0005);
    }
};

QTEST_MAIN(DoseModelDialogTest)
#include "dose_model_dialog_test.moc"
