#include "editor/growth_panel.h"

#include "editor/growth_curves_model.h"
#include "editor/sa_limits_widget.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabBar>
#include <QTableWidget>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

constexpr int kMethodColumnWidth = 140;
constexpr int kBleachingColumnWidth = 70;
// Marks beside the "*" of a possible method: still possible with the irradiations and
// accepted records now chosen, or no longer.
const QString kStillPossible = QStringLiteral("* \u2713");
const QString kNoLongerPossible = QStringLiteral("* \u2717");

struct TListItem {
    const char* text;
    int object;
};

QLabel* Caption(const QString& text, QWidget* buddy) {
    auto* label = new QLabel(text);
    label->setBuddy(buddy);
    return label;
}

QTableWidgetItem* FixedCell(const QString& text, const QPalette& palette) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled);
    item->setBackground(palette.button());
    item->setForeground(palette.buttonText());
    return item;
}

}  // namespace

TGrowthPanel::TGrowthPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("GrowthPanel"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);

    tabs_ = new QTabBar;
    tabs_->setObjectName(QStringLiteral("DeviceTabControl"));
    tabs_->setExpanding(false);
    tabs_->setUsesScrollButtons(true);
    tabs_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    layout->addWidget(tabs_);
    connect(tabs_, &QTabBar::currentChanged, this, [this](int index) {
        if (!filling_ && index >= 0) emit deviceChanged(index);
    });

    grid_ = new QTableWidget;
    grid_->setObjectName(QStringLiteral("MethodStringGrid"));
    grid_->horizontalHeader()->hide();
    grid_->verticalHeader()->hide();
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
    grid_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    grid_->setMinimumHeight(80);
    // The grid and the irradiation list side by side.
    auto* top = new QHBoxLayout;
    top->addWidget(grid_);
    auto* irradiationColumn = new QVBoxLayout;
    top->addLayout(irradiationColumn, 1);
    layout->addLayout(top, 3);
    connect(grid_, &QTableWidget::currentCellChanged, this, [this](int row, int column) {
        if (filling_ || row < 1 || column < 1) return;
        if (row - 1 >= static_cast<int>(gridMethods_.size())) return;
        emit cellChosen(column - 1, gridMethods_[static_cast<std::size_t>(row - 1)]);
    });

    irradiations_ = new QListWidget;
    irradiations_->setObjectName(QStringLiteral("IrradsListBox"));
    irradiations_->setToolTip(QStringLiteral("Select multiple items from the list"));
    irradiations_->setSelectionMode(QAbstractItemView::MultiSelection);
    irradiationColumn->addWidget(Caption(QStringLiteral("Select irradiation"), irradiations_));
    irradiationColumn->addWidget(irradiations_, 1);
    connect(irradiations_, &QListWidget::itemSelectionChanged, this, [this] {
        if (!filling_ && irradiations_->count() > 1) emit irradiationsChanged();
    });

    lower_ = new QStackedWidget;
    layout->addWidget(lower_, 6);

    // The fitting options with the solution box.
    fitBox_ = new QGroupBox(QStringLiteral(" Curve fitting options "));
    fitBox_->setObjectName(QStringLiteral("FitGroupBox"));
    fitBox_->setTitle(QStringLiteral("Curve fitting option"));
    auto* fit = new QGridLayout(fitBox_);
    first_ = new QSpinBox;
    first_->setObjectName(QStringLiteral("SpinEdit1"));
    second_ = new QSpinBox;
    second_->setObjectName(QStringLiteral("SpinEdit2"));
    firstLabel_ = Caption(QStringLiteral("For channel"), first_);
    firstLabel_->setObjectName(QStringLiteral("SpinEdit1Label"));
    toLabel_ = Caption(QStringLiteral("  to "), second_);
    fit->addWidget(firstLabel_, 0, 0);
    fit->addWidget(first_, 0, 1);
    fit->addWidget(toLabel_, 0, 2);
    fit->addWidget(second_, 0, 3);
    auto* modes = new QHBoxLayout;
    single_ = new QRadioButton(QStringLiteral("Single"));
    range_ = new QRadioButton(QStringLiteral("Range"));
    all_ = new QRadioButton(QStringLiteral("All"));
    single_->setChecked(true);
    for (QRadioButton* b : {single_, range_, all_}) modes->addWidget(b);
    modes->addSpacing(24);
    useRois_ = new QCheckBox(QStringLiteral("use ROIs"));
    useRois_->setObjectName(QStringLiteral("UseRoisBox"));
    modes->addWidget(useRois_);
    modes->addStretch();
    fit->addLayout(modes, 1, 0, 1, 5);
    connect(single_, &QRadioButton::clicked, this,
            [this] { emit indexModeChosen(TIndexMode::Single); });
    connect(range_, &QRadioButton::clicked, this,
            [this] { emit indexModeChosen(TIndexMode::Range); });
    connect(all_, &QRadioButton::clicked, this, [this] { emit indexModeChosen(TIndexMode::All); });
    connect(first_, &QSpinBox::valueChanged, this, [this](int v) {
        if (!filling_) emit firstValueChanged(v);
    });
    connect(second_, &QSpinBox::valueChanged, this, [this](int v) {
        if (!filling_) emit secondValueChanged(v);
    });

    // A list with its caption, and the number field that goes with one of its items.
    auto optionRow = [fit](int row, const QString& caption, const char* listName,
                           const QString& fieldCaption, const char* fieldName, int maximum,
                           int value, QComboBox*& list, QLabel*& fieldLabel, QSpinBox*& field) {
        list = new QComboBox;
        list->setObjectName(QLatin1String(listName));
        field = new QSpinBox;
        field->setObjectName(QLatin1String(fieldName));
        field->setRange(0, maximum);
        field->setValue(value);
        fieldLabel = Caption(fieldCaption, field);
        fit->addWidget(Caption(caption, list), row, 0);
        fit->addWidget(list, row, 1);
        fit->addWidget(fieldLabel, row, 2);
        fit->addWidget(field, row, 3);
    };
    optionRow(2, QStringLiteral("Function"), "ComboBox4", QStringLiteral("degree"), "SpinEdit3", 14,
              4, function_, degreeLabel_, degree_);
    optionRow(3, QStringLiteral("Error model"), "ComboBox5", QStringLiteral("%"), "SpinEdit4", 1000,
              100, errorModel_, percentLabel_, percent_);

    depletion_ = new QComboBox;
    depletion_->setObjectName(QStringLiteral("ComboBox6"));
    depletionLabel_ = Caption(QStringLiteral("depletion fit"), depletion_);
    fit->addWidget(depletionLabel_, 4, 0);
    fit->addWidget(depletion_, 4, 1);

    // The Monte Carlo error beside the analytic one: the points drawn within their errors
    // and refitted this many times.
    monteCarlo_ = new QCheckBox(QStringLiteral("Monte Carlo error"));
    monteCarlo_->setObjectName(QStringLiteral("MonteCarloBox"));
    monteCarloDraws_ = new QSpinBox;
    monteCarloDraws_->setObjectName(QStringLiteral("MonteCarloDraws"));
    monteCarloDraws_->setRange(10, 100000);
    monteCarloDraws_->setSingleStep(100);
    monteCarloDraws_->setValue(1000);
    monteCarloDraws_->setSuffix(QStringLiteral(" draws"));
    monteCarloDraws_->setEnabled(false);
    connect(monteCarlo_, &QCheckBox::toggled, monteCarloDraws_, &QWidget::setEnabled);
    fit->addWidget(monteCarlo_, 4, 2);
    fit->addWidget(monteCarloDraws_, 4, 3);

    solution_ = new QTextEdit;
    solution_->setObjectName(QStringLiteral("RichEdit1"));
    solution_->setReadOnly(true);
    solution_->setLineWrapMode(QTextEdit::NoWrap);
    solution_->setContextMenuPolicy(Qt::NoContextMenu);  // the panel's menu
    QFont fixed(QStringLiteral("monospace"));
    fixed.setStyleHint(QFont::TypeWriter);
    solution_->setFont(fixed);
    fit->addWidget(Caption(QStringLiteral("Solution"), solution_), 5, 0, 1, 6);
    fit->addWidget(solution_, 6, 0, 1, 6);
    // Beside the options, where the panel has room: below the solution box the group would be
    // squeezed by the record grid.
    saLimits_ = new TSaLimitsWidget;
    saLimits_->setVisible(false);
    fit->addWidget(saLimits_, 2, 4, 3, 1, Qt::AlignLeft | Qt::AlignTop);
    fit->setRowStretch(6, 1);
    fit->setColumnStretch(4, 1);
    lower_->addWidget(fitBox_);

    for (QComboBox* box : {function_, errorModel_}) {
        connect(box, &QComboBox::activated, this, [this, box] {
            UpdateOptionFields();
            QWidget* field = box == function_ ? static_cast<QWidget*>(degree_) : percent_;
            if (field->isVisibleTo(this)) field->setFocus();
        });
    }

    // The curves list.
    auto* curvesPage = new QWidget;
    auto* curvesLayout = new QVBoxLayout(curvesPage);
    curvesLayout->setContentsMargins(0, 0, 0, 0);
    curves_ = new QTreeView;
    curves_->setObjectName(QStringLiteral("CurvesListBox"));
    curves_->setToolTip(QStringLiteral("Select or deselect curves for computations"));
    curvesModel_ = new TGrowthCurvesModel(this);
    curvesModel_->SetFonts(curves_->font(), palette().color(QPalette::Text),
                           palette().color(QPalette::Disabled, QPalette::Text));
    curves_->setModel(curvesModel_);
    curves_->setRootIsDecorated(false);
    curves_->setAllColumnsShowFocus(true);
    curves_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    curves_->setUniformRowHeights(true);
    curves_->setSelectionMode(QAbstractItemView::MultiSelection);
    curves_->setTextElideMode(Qt::ElideRight);
    curves_->installEventFilter(this);
    curvesLayout->addWidget(Caption(QStringLiteral("Select curves"), curves_));
    curvesLayout->addWidget(curves_);
    lower_->addWidget(curvesPage);

    auto* help = new QPushButton(QStringLiteral("Help"));
    help->setObjectName(QStringLiteral("GrowthHelpButton"));
    connect(help, &QPushButton::clicked, this, &TGrowthPanel::helpRequested);
    fit->addWidget(help, 0, 5);
    qApp->installEventFilter(this);

    FillFitLists(0);
    ShowIndexMode(TIndexMode::Single, 1, 1);
}

void TGrowthPanel::SetDevices(const QStringList& texts, int current) {
    filling_ = true;
    while (tabs_->count() > 0) tabs_->removeTab(0);
    for (const QString& t : texts) tabs_->addTab(t);
    tabs_->setCurrentIndex(current);
    tabs_->setMinimumHeight(tabs_->sizeHint().height());
    filling_ = false;
}

void TGrowthPanel::SetMethodGrid(const TMethodGrid& grid, const QStringList& bleachings,
                                 int bleaching, int method) {
    filling_ = true;
    gridMethods_ = grid.Methods;
    grid_->clear();
    grid_->setRowCount(static_cast<int>(grid.Methods.size()) + 1);
    grid_->setColumnCount(static_cast<int>(bleachings.size()) + 1);
    const QPalette& p = palette();
    grid_->setItem(0, 0, FixedCell(QStringLiteral("Methods"), p));
    grid_->setColumnWidth(0, kMethodColumnWidth);
    for (int c = 0; c < bleachings.size(); ++c) {
        QTableWidgetItem* head = FixedCell(bleachings[c], p);
        head->setToolTip(bleachings[c]);
        grid_->setItem(0, c + 1, head);
        grid_->setColumnWidth(c + 1, kBleachingColumnWidth);
    }
    for (std::size_t r = 0; r < grid.Methods.size(); ++r)
        grid_->setItem(static_cast<int>(r) + 1, 0,
                       FixedCell(QString::fromStdString(MethodLongName(grid.Methods[r])), p));
    RedrawMethodGrid(grid);
    // As wide as its columns; as high as its rows, up to a dozen.
    const int frame = 2 * grid_->frameWidth();
    int width = frame;
    for (int c = 0; c < grid_->columnCount(); ++c) width += grid_->columnWidth(c);
    grid_->setFixedWidth(width + grid_->verticalScrollBar()->sizeHint().width());
    const int rows = std::min(grid_->rowCount(), 12);
    grid_->setMaximumHeight(frame + rows * grid_->verticalHeader()->defaultSectionSize() + 2);
    const auto row = std::find(gridMethods_.begin(), gridMethods_.end(), method);
    if (row != gridMethods_.end() && bleaching >= 0)
        grid_->setCurrentCell(static_cast<int>(row - gridMethods_.begin()) + 1, bleaching + 1);
    filling_ = false;
}

void TGrowthPanel::RedrawMethodGrid(const TMethodGrid& grid) {
    for (std::size_t r = 0; r < grid.Methods.size(); ++r) {
        const int m = grid.Methods[r];
        for (std::size_t c = 0; c < grid.Possible.size(); ++c) {
            const auto& flags = grid.Possible[c][static_cast<std::size_t>(m)];
            const QString text =
                !flags[0] ? QString() : (flags[1] ? kStillPossible : kNoLongerPossible);
            const int row = static_cast<int>(r) + 1;
            const int column = static_cast<int>(c) + 1;
            if (QTableWidgetItem* item = grid_->item(row, column)) {
                item->setText(text);
            } else {
                auto* cell = new QTableWidgetItem(text);
                cell->setTextAlignment(Qt::AlignCenter);
                grid_->setItem(row, column, cell);
            }
        }
    }
}

void TGrowthPanel::SetIrradiations(const QStringList& texts) {
    filling_ = true;
    irradiations_->clear();
    irradiations_->addItems(texts);
    for (int i = 0; i < irradiations_->count(); ++i) irradiations_->item(i)->setSelected(true);
    filling_ = false;
}

std::vector<bool> TGrowthPanel::IrradiationSelection() const {
    std::vector<bool> selected;
    for (int i = 0; i < irradiations_->count(); ++i)
        selected.push_back(irradiations_->item(i)->isSelected());
    return selected;
}

void TGrowthPanel::SetCurves(const TLookupTable* table) {
    curvesModel_->SetTable(table);
}

void TGrowthPanel::RedrawCurves() {
    curvesModel_->Redraw();
}

void TGrowthPanel::SelectCurve(int ordinal, bool selected) {
    const QModelIndex at = curvesModel_->index(ordinal, 0);
    if (!at.isValid()) return;
    curves_->selectionModel()->select(
        at, (selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) |
                QItemSelectionModel::Rows);
}

void TGrowthPanel::FocusCurve(int ordinal) {
    const QModelIndex at = curvesModel_->index(ordinal, 0);
    if (at.isValid()) curves_->selectionModel()->setCurrentIndex(at, QItemSelectionModel::NoUpdate);
}

void TGrowthPanel::FillFitLists(int method) {
    static const TListItem kFunctions[] = {{"Linear", 1},
                                           {"Quadratic", 2},
                                           {"Cubic", 3},
                                           {"Saturating exponential", 4},
                                           {"Linear + sat.exponent.", 5},
                                           {"Polynomial ", 6}};
    static const TListItem kErrorModels[] = {{"Equal errors", 0},
                                             {"Calculated errors", 2},
                                             {"Fixed % errors", 3},
                                             {"Fixed % variances", 4}};
    static const TListItem kDepletion[] = {{"Linear", 1},
                                           {"1 exponent", 49},
                                           {"2 exponents", 50},
                                           {"3 exponents", 51},
                                           {"4 exponents", 52}};
    const bool singleAliquot = method == kSaAdditive || method == kSaRegenerative;
    filling_ = true;
    // The first fill starts at "Saturating exponential"; later fills keep the choice when
    // the list still holds it.
    const int previous = function_->count() == 0 ? 3 : function_->currentIndex();
    function_->clear();
    for (const TListItem& i : kFunctions) function_->addItem(QString::fromLatin1(i.text), i.object);
    if (method == kSaAdditive) function_->addItem(QStringLiteral("Exponential decay"), 8);
    function_->setCurrentIndex(previous >= 0 && previous < function_->count() ? previous : 0);
    errorModel_->clear();
    for (const TListItem& i : kErrorModels) {
        if (singleAliquot && i.object == 2) continue;
        errorModel_->addItem(QString::fromLatin1(i.text), i.object);
    }
    errorModel_->setCurrentIndex(0);
    // The single-aliquot computations always weigh their points by their own (arbitrary)
    // errors: the list has nothing to choose for them.
    errorModel_->setEnabled(!singleAliquot);
    errorModel_->setToolTip(singleAliquot
                                ? QStringLiteral("Single-aliquot methods use the points' own errors")
                                : QString());
    depletion_->clear();
    for (const TListItem& i : kDepletion)
        depletion_->addItem(QString::fromLatin1(i.text), i.object);
    depletion_->setCurrentIndex(1);
    depletion_->setVisible(method == kSaAdditive);
    depletionLabel_->setVisible(method == kSaAdditive);
    saLimits_->setVisible(method == kSaRegenerative);
    filling_ = false;
    UpdateOptionFields();
}

void TGrowthPanel::UpdateOptionFields() {
    const bool polynomial = function_->currentData().toInt() == 6;
    degree_->setVisible(polynomial);
    degreeLabel_->setVisible(polynomial);
    const bool percent = errorModel_->currentData().toInt() == 3;
    percent_->setVisible(percent);
    percentLabel_->setVisible(percent);
}

TFitOptions TGrowthPanel::FitOptions() const {
    TFitOptions o;
    o.FunctionObject = function_->currentData().toInt();
    o.Degree = degree_->value();
    o.ErrorModel = errorModel_->currentData().toInt();
    o.Percent = percent_->value();
    return o;
}

int TGrowthPanel::MonteCarloDraws() const {
    return monteCarlo_->isChecked() ? monteCarloDraws_->value() : 0;
}

QString TGrowthPanel::FunctionText() const {
    return function_->currentText();
}

void TGrowthPanel::SetIndexFields(const TIndexFields& fields) {
    filling_ = true;
    unitWord_ = QString::fromStdString(fields.UnitWord);
    for (QSpinBox* box : {first_, second_}) {
        box->setRange(fields.Minimum, fields.Maximum);
        box->setSingleStep(std::max(fields.Step, 1));
    }
    filling_ = false;
}

void TGrowthPanel::ShowIndexMode(TIndexMode mode, int first, int second) {
    filling_ = true;
    (mode == TIndexMode::Single  ? single_
     : mode == TIndexMode::Range ? range_
                                 : all_)
        ->setChecked(true);
    const bool single = mode == TIndexMode::Single;
    firstLabel_->setText((single ? QStringLiteral("For ") : QStringLiteral("From ")) + unitWord_);
    toLabel_->setVisible(!single);
    second_->setVisible(!single);
    first_->setValue(first);
    if (!single) second_->setValue(second);
    filling_ = false;
}

TIndexMode TGrowthPanel::IndexMode() const {
    return single_->isChecked()  ? TIndexMode::Single
           : range_->isChecked() ? TIndexMode::Range
                                 : TIndexMode::All;
}

int TGrowthPanel::FirstValue() const {
    return first_->value();
}

int TGrowthPanel::SecondValue() const {
    return second_->value();
}

void TGrowthPanel::SetFirstValueValid(bool valid) {
    QPalette p = first_->palette();
    p.setColor(QPalette::Text,
               palette().color(valid ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    first_->setPalette(p);
}

void TGrowthPanel::AppendSolution(const QString& line) {
    solution_->append(line);
}

QString TGrowthPanel::Solutions() const {
    return solution_->toPlainText();
}

void TGrowthPanel::ClearSolutions() {
    solution_->clear();
}

void TGrowthPanel::ShowRecords(bool records) {
    lower_->setCurrentIndex(records ? 1 : 0);
}

bool TGrowthPanel::eventFilter(QObject* watched, QEvent* event) {
    // F1 anywhere in the panel opens its help page (before the window's own F1 command).
    const auto type = event->type();
    if ((type == QEvent::ShortcutOverride || type == QEvent::KeyPress) &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1 && isVisible()) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && (widget == this || isAncestorOf(widget))) {
            event->accept();
            if (type == QEvent::KeyPress) emit helpRequested();
            return true;
        }
    }
    if (watched == curves_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        const QModelIndex current = curves_->currentIndex();
        if (current.isValid()) emit acceptKeyPressed(current.data(Qt::UserRole).toInt());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TGrowthPanel::contextMenuEvent(QContextMenuEvent* event) {
    int ordinal = -1;
    const QPoint inList = curves_->viewport()->mapFromGlobal(event->globalPos());
    const bool onCurves = curves_->isVisible() && curves_->viewport()->rect().contains(inList);
    if (onCurves) {
        const QModelIndex at = curves_->indexAt(inList);
        if (at.isValid()) ordinal = at.data(Qt::UserRole).toInt();
    }
    emit menuRequested(event->globalPos(), onCurves, ordinal);
    event->accept();
}

int TGrowthPanel::DepletionObject() const {
    return depletion_->currentData().isValid() ? depletion_->currentData().toInt() : 1;
}
