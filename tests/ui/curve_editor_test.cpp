// The curve editor on the sample: "Graph current record" opens it on the current record, shift
// and scale change the chart, a cell edit and the operations go back into the record as one
// undoable change that touches only their bytes, a divide by 0 is refused, and the chart
// prints to a PDF and exports to PNG and SVG files that open.
#include <qcustomplot.h>

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QTableView>
#include <QTimer>
#include <QUndoStack>
#include <QtTest>
#include <memory>

#include "editor/editor_actions.h"
#include "editor/editor_document.h"
#include "editor/main_window.h"
#include "editor/text_locale.h"
#include "graph/curve_editor.h"
#include "graph/curve_table_model.h"
#include "graph/graph_form.h"
#include "graph/graph_printer.h"
#include "graph/print_option_dialog.h"
#include "record_store/bin_data_set.h"
#include "record_store/curve_access.h"
#include "record_store/measurement_access.h"
#include "ui/plot_image.h"
#include "ui/sample_window_fixture.h"

namespace {

std::vector<std::vector<uint8_t>> AllBytes(const TBinDataSet& view) {
    std::vector<std::vector<uint8_t>> out;
    for (int i = 0; i < view.RecordCount(); ++i) {
        const TBinRecord& r = view.RecordAt(i);
        out.emplace_back(r.data.begin(), r.data.begin() + view.MainSize() + view.SubSize());
    }
    return out;
}

// Records and byte positions where two snapshots differ.
std::vector<std::pair<int, int>> Differences(const std::vector<std::vector<uint8_t>>& a,
                                             const std::vector<std::vector<uint8_t>>& b) {
    std::vector<std::pair<int, int>> out;
    for (std::size_t r = 0; r < a.size(); ++r)
        for (std::size_t i = 0; i < a[r].size(); ++i)
            if (a[r][i] != b[r][i]) out.emplace_back(static_cast<int>(r), static_cast<int>(i));
    return out;
}

QCPCurve* CurrentCurve(QCustomPlot* chart) {
    // The current column is drawn last, on top.
    for (int i = chart->plottableCount() - 1; i >= 0; --i)
        if (auto* c = qobject_cast<QCPCurve*>(chart->plottable(i))) return c;
    return nullptr;
}

}  // namespace

class CurveEditorTest : public QObject, TSampleWindowFixture {
    Q_OBJECT

private:
    QString Dat() const { return dir_ + QStringLiteral("/S12.DAT"); }
    TBinDataSet* View() { return form_->Document().ShownView(); }

    // Goes to the first TL sample glow curve of the sample (5 degC steps); its 1-based position.
    int FindTLSample() {
        TBinDataSet* view = View();
        for (int n = 1; n <= view->RecordCount(); ++n) {
            form_->GoToRecord(n);
            if (IsTLRecord(*view) && view->AsBoolean("TL run") && view->AsInteger("Spacing") == 5 &&
                !view->AsBoolean("Single aliquot") && view->AsInteger("NPT") > 20)
                return n;
        }
        return 0;
    }

    // The first TL sample record gets a known subtracted curve (10, 20, ... 100 with
    // "Normalization factor" 1 and "Shift" 3.4); its 1-based position.
    int PrepareSubtractedTL() {
        TBinDataSet* view = View();
        if (const int n = FindTLSample()) {
            TFloatArray sub(98, 0.0);
            for (int k = 0; k < 10; ++k) sub[k] = 10.0 * (k + 1);
            WriteSubtractedCurve(*view, sub, 3.4, 1.0);
            return n;
        }
        return 0;
    }

    std::unique_ptr<TGrForm1> OpenEditor() {
        std::unique_ptr<TGrForm1> form(CreateCurveEditor(*form_));
        form->resize(900, 600);
        form->show();
        return form;
    }

    static TCurveEditor* Editor(TGrForm1& form) { return dynamic_cast<TCurveEditor*>(form.Role()); }

private slots:
    void init() { QVERIFY(SetUp()); }
    void cleanup() { TearDown(); }

    void graphCurrentRecordOpensTheEditorOnIt() {
        QVERIFY(form_->OpenFile(Dat()));
        form_->GoToRecord(2);
        QAction* graph = form_->Action(TActionId::RecToGraph);
        QVERIFY(graph->isEnabled());
        QCOMPARE(graph->text(), QStringLiteral("Graph current record"));
        int columns = -1;
        QString title, header;
        QTimer::singleShot(0, [&] {
            auto* editor = qobject_cast<TGrForm1*>(QApplication::activeModalWidget());
            if (!editor) return;
            title = editor->windowTitle();
            columns = editor->Table()->model()->columnCount();
            header = editor->Table()->model()->headerData(0, Qt::Horizontal).toString();
            editor->reject();
        });
        graph->trigger();
        QCOMPARE(title, QStringLiteral("Orvane - Edit curves"));
        QCOMPARE(columns, 1);
        // "Halcyon files" mode titles a column by the record's "ShortInfo".
        QCOMPARE(header, QString::fromStdString(View()->AsString("ShortInfo")));
        QVERIFY(!form_->Document().Modified());

        // With rows selected the command graphs them, one column each in selection order (raw
        // curves: background runs too).
        form_->Action(TActionId::CurvesSub)->trigger();
        form_->Action(TActionId::RowSelect)->trigger();
        form_->Action(TActionId::SelectTL)->trigger();
        const std::vector<int32_t> selected = form_->Document().SelectedRecords();
        QVERIFY(selected.size() > 1);
        QCOMPARE(graph->text(), QStringLiteral("Graph selected records"));
        std::vector<int32_t> loaded;
        QTimer::singleShot(0, [&] {
            auto* editor = qobject_cast<TGrForm1*>(QApplication::activeModalWidget());
            if (!editor) return;
            for (const TCurveColumn& c : Editor(*editor)->Columns()) loaded.push_back(c.bookmark);
            editor->reject();
        });
        graph->trigger();
        QCOMPARE(loaded, selected);
    }

    void shiftAndScaleChangeTheChartAndGoBackAsOneUndoableChange() {
        QVERIFY(form_->OpenFile(Dat()));
        const int n = PrepareSubtractedTL();
        QVERIFY(n > 0);
        const int32_t id = *View()->GetBookmark();
        const auto before = AllBytes(*View());
        QUndoStack& undo = form_->Document().UndoStack();
        const int commands = undo.count();

        std::unique_ptr<TGrForm1> form = OpenEditor();
        TCurveEditor* editor = Editor(*form);
        QCOMPARE(editor->Columns().size(), std::size_t{1});
        QAbstractItemModel* table = form->Table()->model();
        QCOMPARE(table->data(table->index(0, 0)).toDouble(), 0.0);
        QCOMPARE(table->data(table->index(2, 0)).toDouble(), 10.0);
        // Row 3 is drawn at 3 x 5 + 3 - 3.4 degC.
        QCPCurve* curve = CurrentCurve(form->Chart());
        QVERIFY(curve);
        QCOMPARE(curve->data()->at(2)->key, 14.6);
        QCOMPARE(curve->data()->at(2)->value, 10.0);

        // "Shift": the spin edit moves the curve by 10 degC.
        QVERIFY(editor->OperationAction(TCurveEditor::TOperation::Shift)->isEnabled());
        editor->OperationAction(TCurveEditor::TOperation::Shift)->trigger();
        QVERIFY(form->SpinEdit()->isVisible());
        QCOMPARE(form->SpinEdit()->value(), 3);
        form->SpinEdit()->setValue(13);
        curve = CurrentCurve(form->Chart());
        QCOMPARE(curve->data()->at(2)->key, 24.6);

        // "Divide" by 2: the drawing halves.
        editor->OperationAction(TCurveEditor::TOperation::Divide)->trigger();
        QVERIFY(form->FactorField()->isVisible());
        QCOMPARE(form->FactorField()->text(), QLocale().toString(1.0, 'f', 4));
        form->FactorField()->setText(QStringLiteral("2"));
        curve = CurrentCurve(form->Chart());
        QCOMPARE(curve->data()->at(3)->value, 10.0);  // row 4: 20 / 2

        // Closing with Yes writes back: "Shift" 13, factor 2, the elements moved by 2 steps
        // and halved; no other record changes.
        prompts_->saveAnswers = {TUserPrompts::TAnswer::Yes};
        form->reject();
        QCOMPARE(prompts_->saveQuestions, 1);
        QVERIFY(!form->isVisible());
        QCOMPARE(undo.count(), commands + 1);
        QCOMPARE(undo.undoText(), QStringLiteral("Edit curves (1 record)"));
        View()->GotoBookmark(id);
        QCOMPARE(View()->AsFloat("Shift"), 13.0);
        QCOMPARE(View()->AsFloat("Normalization factor"), 2.0);
        const TFloatArray sub = ReadSubtractedCurve(*View());
        QCOMPARE(sub[2 + 0], 0.0);
        QCOMPARE(sub[2 + 1], 0.0);
        QCOMPARE(sub[2 + 2], 5.0);  // element 0's 10, halved, two steps of 5 degC on
        QCOMPARE(sub[2 + 11], 50.0);
        const auto after = AllBytes(*View());
        for (const auto& [record, byte] : Differences(before, after)) QCOMPARE(record, n - 1);

        undo.undo();
        QVERIFY(Differences(before, AllBytes(*View())).empty());
        undo.redo();
        QVERIFY(Differences(after, AllBytes(*View())).empty());
    }

    void cellEditChangesExactlyTheBytesOfThatValue() {
        QVERIFY(form_->OpenFile(Dat()));
        form_->Action(TActionId::CurvesSub)->trigger();  // raw curves
        QVERIFY(!form_->SubtractedCurves());
        const int n = FindTLSample();
        QVERIFY(n > 0);
        const auto before = AllBytes(*View());
        std::unique_ptr<TGrForm1> form = OpenEditor();
        TCurveEditor* editor = Editor(*form);
        QVERIFY(editor->Columns().at(0).PointCount() > 10);
        // Without "Edit table" the table takes nothing.
        QAbstractItemModel* table = form->Table()->model();
        QVERIFY(!table->setData(table->index(5, 0), 1234.5, Qt::EditRole));
        form->GraphAction(QStringLiteral("Edit table"))->trigger();
        QVERIFY(table->setData(table->index(5, 0), 1234.5, Qt::EditRole));
        QVERIFY(editor->DataChanged());
        editor->WriteBack();
        const auto diff = Differences(before, AllBytes(*View()));
        QVERIFY(!diff.empty());
        QVERIFY(diff.size() <= 8);
        QCOMPARE(diff.front().first, n - 1);
        QVERIFY(diff.back().second - diff.front().second < 8);
        form_->GoToRecord(n);
        QCOMPARE(ReadRawCurve(*View())[5], 1234.5);  // row 6 of a TL curve is element 5
        form_->Document().UndoStack().undo();
        QVERIFY(Differences(before, AllBytes(*View())).empty());
    }

    // A cell is edited as text in the user's locale holding every digit its record stores,
    // and takes a typed number as the record will hold it; a number that leaves the stored
    // value as it was changes nothing.
    void cellTextsFollowTheStoredTypeAndTheLocale_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<double>("stored");
        QTest::addColumn<double>("typed");  // typed as the locale writes it
        QTest::addColumn<QString>("editText");
        QTest::addColumn<double>("held");
        QTest::addColumn<bool>("changed");
        const auto T = [](TCurveElementType t) { return static_cast<int>(t); };
        QTest::addRow("double, all digits, confirmed")
            << T(TCurveElementType::Double) << 1234.56789012 << 1234.56789012
            << LocaleNumber(1234.56789012, 'g', 12) << 1234.56789012 << false;
        QTest::addRow("double, new value")
            << T(TCurveElementType::Double) << 1234.56789012 << 1234.5 << LocaleNumber(1234.56789012, 'g', 12)
            << 1234.5 << true;
        // 0.1 as a single is 0.100000001490116...: shown as 0.1, and 0.1 typed is no change.
        QTest::addRow("single, shown shortest, confirmed")
            << T(TCurveElementType::Single) << double(0.1f) << 0.1 << LocaleNumber(0.1) << double(0.1f)
            << false;
        QTest::addRow("single, new value held as a single")
            << T(TCurveElementType::Single) << double(0.1f) << 0.3 << LocaleNumber(0.1) << double(0.3f)
            << true;
        QTest::addRow("word, no decimals, 12.7 held as 13")
            << T(TCurveElementType::Word) << 12.0 << 12.7 << QStringLiteral("12") << 13.0 << true;
        QTest::addRow("word, 12.4 is still 12")
            << T(TCurveElementType::Word) << 12.0 << 12.4 << QStringLiteral("12") << 12.0 << false;
    }
    void cellTextsFollowTheStoredTypeAndTheLocale() {
        QFETCH(int, type);
        QFETCH(double, stored);
        QFETCH(double, typed);
        QFETCH(QString, editText);
        QFETCH(double, held);
        QFETCH(bool, changed);
        std::vector<TCurveColumn> columns(1);
        TCurveColumn& c = columns[0];
        c.curve.entry.elementType = static_cast<TCurveElementType>(type);
        c.rows = {stored, 5.0};
        TCurveTableModel model(columns);
        model.Reset();
        int edits = 0;
        model.cellEdited = [&edits](int, int) { ++edits; };
        model.SetEditable(true);
        const QModelIndex cell = model.index(0, 0);
        QCOMPARE(model.data(cell, Qt::EditRole).toString(), editText);
        QVERIFY(model.setData(cell, LocaleNumber(typed, 'g', 15), Qt::EditRole));
        QCOMPARE(c.rows[0], held);
        QCOMPARE(c.changed, changed);
        QCOMPARE(edits, changed ? 1 : 0);
    }

    // The real table editor: a cell opened and confirmed with Enter leaves the data unchanged
    // (Close asks nothing); a value typed in the locale changes it.
    void confirmingACellWithoutAChangeDoesNotMarkTheData() {
        QVERIFY(form_->OpenFile(Dat()));
        TBinDataSet* view = View();
        const int n = FindTLSample();
        QVERIFY(n > 0);
        TFloatArray sub(98, 0.0);
        for (int k = 0; k < 10; ++k) sub[k] = 10.123456789 * (k + 1);
        WriteSubtractedCurve(*view, sub, 0, 1.0);
        std::unique_ptr<TGrForm1> form = OpenEditor();
        TCurveEditor* editor = Editor(*form);
        form->GraphAction(QStringLiteral("Edit table"))->trigger();
        QTableView* table = form->Table();
        const QModelIndex cell = table->model()->index(2, 0);  // row 3: element 0
        auto editCell = [&](const QString* text) {
            table->setCurrentIndex(cell);
            table->edit(cell);
            QCoreApplication::processEvents();
            auto* field = table->findChild<QLineEdit*>();
            QVERIFY(field);
            QCOMPARE(field->text(), LocaleNumber(10.123456789, 'g', 12));
            if (text) {
                field->selectAll();
                QTest::keyClicks(field, *text);
            }
            QTest::keyClick(field, Qt::Key_Return);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QCoreApplication::processEvents();
        };
        editCell(nullptr);
        QVERIFY(!editor->DataChanged());
        QVERIFY(!editor->Columns().at(0).changed);
        QCOMPARE(editor->Columns().at(0).rows[2], 10.123456789);
        const QString typed = LocaleNumber(12.5);
        editCell(&typed);
        QVERIFY(editor->DataChanged());
        QCOMPARE(editor->Columns().at(0).rows[2], 12.5);
    }

    void divideByZeroIsRefusedAndChangesNothing() {
        QVERIFY(form_->OpenFile(Dat()));
        QVERIFY(PrepareSubtractedTL() > 0);
        const auto before = AllBytes(*View());
        const int commands = form_->Document().UndoStack().count();
        std::unique_ptr<TGrForm1> form = OpenEditor();
        TCurveEditor* editor = Editor(*form);
        editor->ChooseOperation(TCurveEditor::TOperation::Divide);
        QVERIFY(!editor->ApplyFactor(0));
        QCOMPARE(prompts_->errors.size(), 1);
        QVERIFY(prompts_->errors.front().contains(QStringLiteral("divided by 0")));
        QCOMPARE(editor->Columns().at(0).currentFactor, 1.0);
        QCOMPARE(form->FactorField()->text(), QLocale().toString(1.0, 'f', 4));
        QCOMPARE(CurrentCurve(form->Chart())->data()->at(2)->value, 10.0);
        editor->WriteBack();
        QVERIFY(Differences(before, AllBytes(*View())).empty());
        QCOMPARE(form_->Document().UndoStack().count(), commands);
    }

    void zoomLedgerAndLogarithmicTimeAxis() {
        QVERIFY(form_->OpenFile(Dat()));
        QVERIFY(PrepareSubtractedTL() > 0);
        std::unique_ptr<TGrForm1> form = OpenEditor();
        QCPAxis* x = form->Chart()->xAxis;
        QCOMPARE(x->range().lower, 0.0);
        QCOMPARE(x->range().upper, 60.0);  // the curve ends at 59.6 degC
        // Zoom in: a third of the range around the value; zoom out: three times it.
        form->ZoomAxis(true, 30, true);
        QCOMPARE(x->range().lower, 20.0);
        QCOMPARE(x->range().upper, 40.0);
        form->ZoomAxis(true, 35, false);
        QCOMPARE(x->range().lower, 5.0);
        QCOMPARE(x->range().upper, 65.0);
        form->GraphAction(QStringLiteral("Restore"))->trigger();
        QCOMPARE(x->range().lower, 0.0);
        QCOMPARE(x->range().upper, 60.0);

        QVERIFY(!form->NumberLabel()->isVisible());
        form->GraphAction(QStringLiteral("Show ledger"))->trigger();
        QVERIFY(form->LedgerOn());
        QVERIFY(form->NumberLabel()->isVisible());
        QCOMPARE(form->GraphAction(QStringLiteral("Hide ledger"))->text(),
                 QStringLiteral("Hide ledger"));
        form->Table()->setFocus();
        QTest::keyClick(form->Table(), Qt::Key_End);
        QCOMPARE(form->NumberLabel()->text(), QStringLiteral("Point 60"));
        form->SetLedger(false);
        QVERIFY(!form->NumberLabel()->isVisible());

        // A glow curve has no time axis to make logarithmic; a shine-down curve has.
        QAction* log = form->GraphAction(QStringLiteral("Logarithmic time axis"));
        QVERIFY(!log->isEnabled());
        form_->Action(TActionId::CurvesSub)->trigger();
        TBinDataSet* view = View();
        for (int n = 1; n <= view->RecordCount(); ++n) {
            form_->GoToRecord(n);
            if (!IsTLRecord(*view)) break;
        }
        std::unique_ptr<TGrForm1> osl = OpenEditor();
        log = osl->GraphAction(QStringLiteral("Logarithmic time axis"));
        QVERIFY(log->isEnabled());
        log->trigger();
        QCOMPARE(osl->Chart()->xAxis->scaleType(), QCPAxis::stLogarithmic);
        QVERIFY(osl->Chart()->xAxis->range().lower > 0);
    }

    void printsToAPdfAndExportsPngAndSvg() {
        QVERIFY(form_->OpenFile(Dat()));
        QVERIFY(PrepareSubtractedTL() > 0);
        std::unique_ptr<TGrForm1> form = OpenEditor();
        QTemporaryDir out;
        const QString pdf = out.filePath(QStringLiteral("graph.pdf"));
        QPrinter printer(QPrinter::ScreenResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        form->SetNotes(form->Notes() + QStringLiteral("a comment"));
        form->PrintTo(printer);
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.read(5) == "%PDF-");
        file.close();
        // The page, rendered, carries ink and the red current curve.
        const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
        if (!pdftoppm.isEmpty()) {
            QProcess p;
            p.start(pdftoppm, {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("50"),
                               QStringLiteral("-singlefile"), QStringLiteral("-f"),
                               QStringLiteral("1"), pdf, out.filePath(QStringLiteral("page"))});
            QVERIFY(p.waitForFinished(30000));
            QImage page(out.filePath(QStringLiteral("page.png")));
            QVERIFY(!page.isNull());
            QVERIFY(page.height() > page.width());  // layout 0: portrait
            const auto [ink, red] = InkAndRed(page);
            QVERIFY(ink > 1000);
            QCOMPARE(red, 0);  // black and white by default
        }

        const QString png = out.filePath(QStringLiteral("plot.png"));
        QVERIFY(form->SavePlot(png, 800, 600));
        const QImage image(png);
        QCOMPARE(image.size(), QSize(800, 600));
        const auto [ink, red] = InkAndRed(image);
        QVERIFY(ink > 2000);
        QVERIFY(red > 20);

        const QString svg = out.filePath(QStringLiteral("plot.svg"));
        QVERIFY(form->SavePlot(svg, 800, 600));
        QSvgRenderer renderer(svg);
        QVERIFY(renderer.isValid());
        QCOMPARE(renderer.viewBox(), QRect(0, 0, 800, 600));
        if (qEnvironmentVariableIsSet("ORVANE_SHOTS")) {
            const QString shots = qEnvironmentVariable("ORVANE_SHOTS");
            form->grab().save(shots + QStringLiteral("/curve_editor.png"));
            QFile::copy(png, shots + QStringLiteral("/curve_plot.png"));
            QFile::copy(pdf, shots + QStringLiteral("/curve_print.pdf"));
        }

        QVERIFY(!form->SavePlot(out.filePath(QStringLiteral("plot.bmpx"))));
        QCOMPARE(prompts_->errors.size(), 1);
    }

    // "Print graph" with "print to file": a cancelled file dialog prints nothing; a chosen file
    // gets the page in the layout picked, and the window keeps layout, colour and notes.
    void printGraphToFileKeepsTheWindowsChoices() {
        QVERIFY(form_->OpenFile(Dat()));
        QVERIFY(PrepareSubtractedTL() > 0);
        std::unique_ptr<TGrForm1> form = OpenEditor();
        QTemporaryDir out;
        const QString pdf = out.filePath(QStringLiteral("landscape.pdf"));
        auto answer = [&](bool toFile, int layout, bool colour, const QString& comment) {
            QTimer::singleShot(0, [=] {
                auto* dialog = qobject_cast<TPrintOptionDlg*>(QApplication::activeModalWidget());
                if (!dialog) return;
                dialog->SetPrintToFile(toFile);
                dialog->Layouts()->button(layout)->click();
                dialog->BlackAndWhite()->setChecked(!colour);
                for (QPushButton* b : dialog->findChildren<QPushButton*>())
                    if (b->text() == QStringLiteral("Edit notes")) b->click();
                dialog->NotesEdit()->insertPlainText(comment);
                for (QDialogButtonBox* box : dialog->findChildren<QDialogButtonBox*>())
                    if (box->parentWidget() != dialog) box->button(QDialogButtonBox::Ok)->click();
                dialog->accept();
            });
            form->GraphAction(QStringLiteral("Print graph"))->trigger();
        };
        answer(true, 2, true, QStringLiteral("first"));  // the file dialog is cancelled
        QCOMPARE(prompts_->dialogs.back().title, QStringLiteral("Select file for graphic output"));
        QVERIFY(!QFile::exists(pdf));
        prompts_->saveNames = {pdf};
        answer(true, 2, true, QStringLiteral(" second"));
        QVERIFY(QFile::exists(pdf));
        QCOMPARE(form->PrintOptions().layout, 2);
        QVERIFY(!form->PrintOptions().blackAndWhite);
        QVERIFY(form->Notes().endsWith(QStringLiteral("Comment: first second")));
        const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
        if (!pdftoppm.isEmpty()) {
            QProcess p;
            p.start(pdftoppm,
                    {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("40"),
                     QStringLiteral("-singlefile"), pdf, out.filePath(QStringLiteral("page"))});
            QVERIFY(p.waitForFinished(30000));
            const QImage page(out.filePath(QStringLiteral("page.png")));
            QVERIFY(page.width() > page.height());  // landscape
            QVERIFY(InkAndRed(page).second > 0);    // in colour: the red curve
        }
    }

    void printDialogNamesPaperAndKeepsTheLayout() {
        const struct {
            int code;
            const char* name;
        } papers[] = {{9, "A4 Sheet (210x297mm)"},
                      {29, "C3 Envelope  (324x458mm)"},
                      {41, "German Legal Fanfold (8 1/2 x 13\")"},
                      {0, "not detected"},
                      {256, "not detected"},
                      {-3, "Custom size"}};
        for (const auto& p : papers)
            QCOMPARE(TPrintOptionDlg::PaperName(p.code), QString::fromUtf8(p.name));

        TPrintOptionDlg dialog;
        QPrinter printer(QPrinter::ScreenResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(QPageSize::A4));
        TPrintOptions options;
        QString notes = QStringLiteral("File name: S12.DAT\r\nComment: ");
        dialog.Prepare(printer, options, notes);
        QCOMPARE(dialog.PaperLabel()->text(), QStringLiteral("Paper: A4 Sheet (210x297mm)"));
        QVERIFY(dialog.BlackAndWhite()->isChecked());
        dialog.Layouts()->button(1)->click();
        dialog.BlackAndWhite()->setChecked(false);
        dialog.Take(options, notes);
        QCOMPARE(options.layout, 1);
        QVERIFY(!options.blackAndWhite);
    }
};

QTEST_MAIN(CurveEditorTest)
#include "curve_editor_test.moc"
