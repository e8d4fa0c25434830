#include "graph/graph_form.h"

#include <qcustomplot.h>

#include <optional>

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPrinter>
#include <QScreen>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QVBoxLayout>
#include <climits>
#include <cmath>

#include "editor/editor_shell.h"
#include "editor/user_prompts.h"
#include "graph/graph_printer.h"
#include "graph/graph_role.h"
#include "graph/plot_export.h"
#include "graph/plot_style.h"
#include "graph/print_option_dialog.h"

namespace {

// The colour of a field without the focus (the inactive window caption of the classic desktop).
const QColor kInactiveCaptionColour(191, 205, 219);


enum TMouseMode { kPlain, kZoomWindow, kPan };

const int kGraphHelp = 144;

// The window's size on a screen of the given width: 648 x 526 on a 1024-pixel screen.
QSize InitialSize(int screenWidth) {
    const double s = screenWidth / 1024.0;
    return {static_cast<int>(std::lround(648 * s)), static_cast<int>(std::lround(526 * s))};
}

}  // namespace

TGrForm1::TGrForm1(TEditorShell& shell, QWidget* parent)
    : QDialog(parent), shell_(shell), printOptions_(std::make_unique<TPrintOptions>()) {
    setObjectName(QStringLiteral("GraphEditor"));
    setWindowTitle(QStringLiteral("Orvane - Edit curves"));
    setMinimumSize(400, 300);
    const QScreen* screen = parent ? parent->screen() : QApplication::primaryScreen();
    resize(InitialSize(screen ? screen->geometry().width() : 1024));
    setSizeGripEnabled(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    menuBar_ = new QMenuBar(this);
    layout->setMenuBar(menuBar_);

    // The strip above table and chart.
    auto* strip = new QWidget(this);
    strip->setFixedHeight(32);
    auto* stripLayout = new QHBoxLayout(strip);
    stripLayout->setContentsMargins(6, 2, 6, 2);
    numLab_ = new QLabel(strip);
    numLab_->setObjectName(QStringLiteral("NumLab"));
    numLab_->setVisible(false);
    divMulLabel_ = new QLabel(strip);
    divMulLabel_->setObjectName(QStringLiteral("DivMulLabel"));
    numIO1_ = new QLineEdit(QStringLiteral("1.0"), strip);
    numIO1_->setObjectName(QStringLiteral("NumIO1"));
    numIO1_->setValidator(new QDoubleValidator(-1000, 1000, 6, numIO1_));
    numIO1_->setMaximumWidth(110);
    spinEdit1_ = new QSpinBox(strip);
    spinEdit1_->setObjectName(QStringLiteral("SpinEdit1"));
    spinEdit1_->setRange(INT_MIN, INT_MAX);
    spinEdit1_->setKeyboardTracking(false);
    spinEdit1_->setMaximumWidth(110);
    for (QWidget* w : {static_cast<QWidget*>(divMulLabel_), static_cast<QWidget*>(numIO1_),
                       static_cast<QWidget*>(spinEdit1_)})
        w->setVisible(false);
    // The fields show whether they have the focus: the window colour while focused, the
    // inactive-caption colour otherwise.
    for (QWidget* field : {static_cast<QWidget*>(numIO1_), static_cast<QWidget*>(spinEdit1_)}) {
        field->installEventFilter(this);
        SetFieldFocusColour(field, false);
    }
    stripLayout->addWidget(numLab_);
    stripLayout->addStretch(1);
    stripLayout->addWidget(divMulLabel_);
    stripLayout->addWidget(numIO1_);
    stripLayout->addWidget(spinEdit1_);
    layout->addWidget(strip);

    splitter_ = new QSplitter(Qt::Horizontal, this);
    table_ = new QTableView(splitter_);
    table_->setObjectName(QStringLiteral("NTabEd1"));
    table_->horizontalHeader()->setDefaultSectionSize(120);
    table_->verticalHeader()->setDefaultSectionSize(20);
    table_->verticalHeader()->setMinimumWidth(40);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->installEventFilter(this);
    // The picked row stays marked in the selection colour when the chart has the focus.
    QPalette tablePalette = table_->palette();
    tablePalette.setColor(QPalette::Inactive, QPalette::Highlight,
                          tablePalette.color(QPalette::Active, QPalette::Highlight));
    tablePalette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                          tablePalette.color(QPalette::Active, QPalette::HighlightedText));
    table_->setPalette(tablePalette);
    chart_ = new QCustomPlot(splitter_);
    chart_->setObjectName(QStringLiteral("RChart1"));
    chart_->setMinimumSize(200, 150);
    ApplyPlotStyle(*chart_, QStringLiteral("Luminescence"));
    chart_->setInteractions(QCP::iRangeZoom);
    chart_->setContextMenuPolicy(Qt::CustomContextMenu);
    splitter_->addWidget(table_);
    splitter_->addWidget(chart_);
    splitter_->setStretchFactor(1, 1);
    layout->addWidget(splitter_, 1);
    status_ = new QStatusBar(this);
    status_->setSizeGripEnabled(false);
    layout->addWidget(status_);

    connect(chart_, &QCustomPlot::mousePress, this, &TGrForm1::OnChartMousePress);
    connect(chart_, &QCustomPlot::mouseMove, this, &TGrForm1::OnChartMouseMove);
    connect(chart_, &QCustomPlot::mouseRelease, this, [this] { draggingLedger_ = false; });
    connect(chart_, &QWidget::customContextMenuRequested, this, &TGrForm1::OnChartContextMenu);
    // The top and right axes follow the bottom and left ones.
    connect(chart_->xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), chart_->xAxis2,
            qOverload<const QCPRange&>(&QCPAxis::setRange));
    connect(chart_->yAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), chart_->yAxis2,
            qOverload<const QCPRange&>(&QCPAxis::setRange));
    CreateMenus();
}

TGrForm1::~TGrForm1() = default;

void TGrForm1::CreateMenus() {
    QMenu* main = menuBar_->addMenu(QStringLiteral("&Graph window"));
    QAction* save = main->addAction(QStringLiteral("Save plot as..."), this, &TGrForm1::OnSavePlot);
    save->setShortcut(QKeySequence::SaveAs);
    main->addAction(QStringLiteral("Copy plot"), this, [this] { CopyPlotToClipboard(*chart_); })
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    printAction_ = main->addAction(QStringLiteral("Print graph"), this, &TGrForm1::OnPrint);
    printAction_->setShortcut(QKeySequence::Print);
    main->addSeparator();
    main->addAction(QStringLiteral("Close"), this, &TGrForm1::Close);

    graphMenu_ = menuBar_->addMenu(QStringLiteral("Graph"));
    graphMenu_->addAction(QStringLiteral("Restore"), this, [this] { Redraw(true); })
        ->setShortcut(QKeySequence(Qt::Key_R));
    zoomAction_ = graphMenu_->addAction(QStringLiteral("Zoom"));
    zoomAction_->setCheckable(true);
    connect(zoomAction_, &QAction::toggled, this,
            [this](bool on) { SetMouseMode(on ? kZoomWindow : kPlain); });
    panAction_ = graphMenu_->addAction(QStringLiteral("Pan"));
    panAction_->setCheckable(true);
    connect(panAction_, &QAction::toggled, this,
            [this](bool on) { SetMouseMode(on ? kPan : kPlain); });
    ledgerAction_ = graphMenu_->addAction(QStringLiteral("Show ledger"));
    connect(ledgerAction_, &QAction::triggered, this, [this] { SetLedger(!LedgerOn()); });
    logAction_ = graphMenu_->addAction(QStringLiteral("Logarithmic time axis"));
    logAction_->setCheckable(true);
    connect(logAction_, &QAction::toggled, this, [this] { Redraw(true); });
    // The legend of a figure: the point sets, the fitted curve and the dose, or the kinds of
    // results; hidden for a figure that explains them in its caption.
    legendAction_ = graphMenu_->addAction(QStringLiteral("Show legend"));
    legendAction_->setCheckable(true);
    legendAction_->setChecked(true);
    connect(legendAction_, &QAction::toggled, this, [this] { Redraw(false); });
    graphMenu_->addAction(printAction_);

    curveMenu_ = menuBar_->addMenu(QStringLiteral("Curve"));
    QMenu* help = menuBar_->addMenu(QStringLiteral("Help"));
    help->addAction(QStringLiteral("Graph window help"), this,
                    [this] { shell_.ShowHelpContext(kGraphHelp); })
        ->setShortcut(QKeySequence::HelpContents);
}

QAction* TGrForm1::GraphAction(const QString& caption) const {
    for (QMenu* menu : {graphMenu_, curveMenu_})
        for (QAction* a : menu->actions())
            if (a->text() == caption) return a;
    if (caption == QLatin1String("Hide ledger") || caption == QLatin1String("Show ledger"))
        return ledgerAction_;
    return nullptr;
}

void TGrForm1::SetRole(std::unique_ptr<TGraphRole> role) {
    role_ = std::move(role);
    setWindowTitle(role_->Title());
    ApplyPlotStyle(*chart_, role_->Caption());
    QAbstractItemModel* model = role_->TableModel();
    table_->setModel(model);
    table_->setVisible(model != nullptr);
    if (model) {
        connect(table_->selectionModel(), &QItemSelectionModel::currentChanged, this,
                [this](const QModelIndex& index) {
                    if (!index.isValid() || !role_) return;
                    role_->TableColumnPicked(index.column());
                    role_->TableRowPicked(index.row());
                });
        connect(table_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
            if (role_) role_->TableColumnPicked(column);
        });
    }
    UpdateCommands();
    resizeEvent(nullptr);
    Redraw(true);
}

void TGrForm1::UpdateCommands() {
    const bool editor = role_ && role_->IsEditor();
    curveMenu_->menuAction()->setVisible(editor);
    ledgerAction_->setEnabled(role_ && role_->OffersLedger());
    logAction_->setEnabled(role_ && role_->HasTimeAxis());
    if (!logAction_->isEnabled()) logAction_->setChecked(false);
    printAction_->setEnabled(chart_->isVisible() || !isVisible());
}

void TGrForm1::Redraw(bool rescale) {
    if (!role_) return;
    const bool ledger = LedgerOn();
    const double ledgerX = ledger ? ledger_->point1->coords().x() : 0;
    ledger_ = nullptr;  // the role clears the chart's items
    role_->Draw(*chart_, rescale);
    if (!LegendShown()) chart_->legend->setVisible(false);
    if (ledger) {
        SetLedger(true);
        MoveLedger(ledgerX);
    }
    chart_->replot();
}

bool TGrForm1::LegendShown() const {
    return legendAction_ && legendAction_->isChecked();
}

bool TGrForm1::LogTimeAxis() const {
    return logAction_->isChecked() && logAction_->isEnabled();
}

void TGrForm1::SetLogTimeAxis(bool on) {
    logAction_->setChecked(on);
}

void TGrForm1::SetStatusText(const QString& text) {
    status_->showMessage(text);
}

QString TGrForm1::StatusText() const {
    return status_->currentMessage();
}

void TGrForm1::resizeEvent(QResizeEvent* event) {
    if (event) QDialog::resizeEvent(event);
    // The table takes 0.39 of the width when shown.
    const int w = width();
    if (table_->isVisibleTo(this))
        splitter_->setSizes(
            {static_cast<int>(std::lround(0.39 * w)), w - static_cast<int>(std::lround(0.39 * w))});
}

void TGrForm1::SetMouseMode(int mode) {
    // Zoom window and Pan exclude each other.
    {
        const QSignalBlocker z(zoomAction_), p(panAction_);
        zoomAction_->setChecked(mode == kZoomWindow);
        panAction_->setChecked(mode == kPan);
    }
    chart_->setSelectionRectMode(mode == kZoomWindow ? QCP::srmZoom : QCP::srmNone);
    QCP::Interactions i = QCP::iRangeZoom;
    if (mode == kPan) i |= QCP::iRangeDrag;
    chart_->setInteractions(i);
    chart_->setCursor(mode == kPan          ? Qt::OpenHandCursor
                      : mode == kZoomWindow ? Qt::CrossCursor
                                            : Qt::ArrowCursor);
}

void TGrForm1::SetLedger(bool on) {
    if (on == LedgerOn()) return;
    ledgerAction_->setText(on ? QStringLiteral("Hide ledger") : QStringLiteral("Show ledger"));
    if (on) {
        ledger_ = new QCPItemStraightLine(chart_);
        ledger_->setPen(QPen(Qt::black, 1, Qt::DashLine));
        ledger_->setSelectable(false);
        const std::optional<double> start = role_ ? role_->LedgerStart() : std::nullopt;
        MoveLedger(start.value_or(chart_->xAxis->range().center()));
    } else {
        chart_->removeItem(ledger_);
        ledger_ = nullptr;
        numLab_->setVisible(false);
    }
    numLab_->setVisible(on);
    chart_->replot();
}

void TGrForm1::MoveLedger(double x) {
    if (!ledger_) return;
    ledger_->point1->setCoords(x, 0);
    ledger_->point2->setCoords(x, 1);
    numLab_->setText(QStringLiteral("Point %1").arg(QString::number(x, 'f', 0)));
    chart_->replot(QCustomPlot::rpQueuedReplot);
}

void TGrForm1::ZoomAxis(bool xAxis, double around, bool in) {
    QCPAxis* axis = xAxis ? chart_->xAxis : chart_->yAxis;
    const double f = in ? 1.0 / 6.0 : 1.5;
    const double half = f * axis->range().size();
    axis->setRange(around - half, around + half);
    chart_->replot();
}

void TGrForm1::OnChartMousePress(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    if (zoomAction_->isChecked() || panAction_->isChecked()) return;
    if (LedgerOn()) {
        draggingLedger_ = true;
        MoveLedger(chart_->xAxis->pixelToCoord(event->position().x()));
        return;
    }
    if (role_ && chart_->axisRect()->rect().contains(event->position().toPoint()))
        role_->ChartClicked(event->position().toPoint());
}

void TGrForm1::OnChartMouseMove(QMouseEvent* event) {
    if (draggingLedger_ && (event->buttons() & Qt::LeftButton)) {
        MoveLedger(chart_->xAxis->pixelToCoord(event->position().x()));
        if (role_) role_->LedgerDragged(chart_->xAxis->pixelToCoord(event->position().x()));
    }
}

void TGrForm1::OnChartContextMenu(const QPoint& pos) {
    popupPos_ = pos;
    const QRect plot = chart_->axisRect()->rect();
    QMenu menu(this);
    const bool overLeft = pos.x() < plot.left() && pos.y() <= plot.bottom();
    const bool overBottom = pos.y() > plot.bottom() && pos.x() >= plot.left();
    if (overLeft || overBottom) {
        // Over an axis: zoom that axis around the clicked value.
        const double value =
            overLeft ? chart_->yAxis->pixelToCoord(pos.y()) : chart_->xAxis->pixelToCoord(pos.x());
        menu.addAction(QStringLiteral("Zoom in"), this,
                       [this, overBottom, value] { ZoomAxis(overBottom, value, true); });
        menu.addAction(QStringLiteral("Zoom out"), this,
                       [this, overBottom, value] { ZoomAxis(overBottom, value, false); });
    } else {
        if (role_) {
            role_->AddChartMenuActions(menu, pos);
            if (!menu.isEmpty()) menu.addSeparator();
        }
        menu.addAction(graphMenu_->actions().at(0));  // Restore
        // Box zoom only while each axis spans more than five times its least range.
        const double yLeast = role_ ? role_->MinimumYRange() : kLeastAxisRange;
        if (chart_->xAxis->range().size() > 5 * kLeastAxisRange &&
            chart_->yAxis->range().size() > 5 * yLeast)
            menu.addAction(zoomAction_);
        menu.addAction(panAction_);
        if (ledgerAction_->isEnabled()) menu.addAction(ledgerAction_);
        menu.addSeparator();
        menu.addAction(QStringLiteral("Copy plot"), this, [this] { CopyPlotToClipboard(*chart_); });
    }
    menu.exec(chart_->mapToGlobal(pos));
}

void TGrForm1::SetFieldFocusColour(QWidget* field, bool focused) {
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, focused ? QApplication::palette().color(QPalette::Base)
                                             : kInactiveCaptionColour);
    field->setPalette(palette);
    field->setAutoFillBackground(true);
}

bool TGrForm1::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == numIO1_ || watched == spinEdit1_) &&
        (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut))
        SetFieldFocusColour(static_cast<QWidget*>(watched), event->type() == QEvent::FocusIn);
    // With the readout on, the table's End, Home, Left and Right move the cross-hair.
    if (watched == table_ && LedgerOn() && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QCPRange range = chart_->xAxis->range();
        const double pixel = range.size() / std::max(1, chart_->axisRect()->width());
        const double step = (key->modifiers() & Qt::ControlModifier) ? 10 * pixel : pixel;
        const double x = ledger_->point1->coords().x();
        switch (key->key()) {
            case Qt::Key_End:
                MoveLedger(range.upper);
                return true;
            case Qt::Key_Home:
                MoveLedger(range.lower);
                return true;
            case Qt::Key_Right:
                MoveLedger(x + step);
                return true;
            case Qt::Key_Left:
                MoveLedger(x - step);
                return true;
            default:
                break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool TGrForm1::SavePlot(const QString& path, int width, int height) {
    QString error;
    if (SavePlotFile(*chart_, path, width, height, &error)) return true;
    shell_.Prompts().ShowError(this, error);
    return false;
}

void TGrForm1::OnSavePlot() {
    const QString path = shell_.Prompts().SaveFileName(
        this, QStringLiteral("Save plot as"), QString(), PlotFileFilter(), QStringLiteral("png"));
    if (!path.isEmpty()) SavePlot(path);
}

void TGrForm1::PrintTo(QPrinter& printer) {
    if (!PrintGraph(printer, *chart_, windowTitle(), notes_, *printOptions_))
        shell_.Prompts().ShowError(this, QStringLiteral("The printer could not start printing."));
}

void TGrForm1::OnPrint() {
    TPrintOptionDlg& dialog = TPrintOptionDlg::Instance(this);
    QPrinter printer(QPrinter::ScreenResolution);
    if (!dialog.Run(printer, *printOptions_, notes_)) return;
    if (dialog.PrintToFile()) {
        const QString path = shell_.Prompts().SaveFileName(
            this, QStringLiteral("Select file for graphic output"), QString(),
            QStringLiteral("PDF files (*.pdf);;All files (*)"), QStringLiteral("pdf"));
        if (path.isEmpty()) return;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        printer.setDocName(windowTitle());
    }
    PrintTo(printer);
}

void TGrForm1::Close() {
    if (role_ && !role_->PrepareClose()) return;
    closing_ = true;
    QDialog::reject();
    // A viewer is hidden, not destroyed: its next close asks its role again.
    closing_ = false;
}

void TGrForm1::reject() {
    if (closing_) {
        QDialog::reject();
        return;
    }
    Close();
}
