#include "editor/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QDate>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include "editor/age_commands.h"
#include "editor/bin_data_grid.h"
#include "editor/bin_data_model.h"
#include "editor/curve_tool_commands.h"
#include "editor/import_command.h"
#include "editor/fading_mode.h"
#include "editor/growth_mode.h"
#include "editor/help_window.h"
#include "editor/layout_controller.h"
#include "editor/mode_switcher.h"
#include "editor/plateau_mode.h"
#include "editor/record_form.h"
#include "editor/record_navigator.h"
#include "editor/roi_commands.h"
#include "editor/selection_controller.h"
#include "editor/splash_widget.h"
#include "editor/subtract_mode.h"
#include "editor/text_locale.h"
#include "graph/graph_commands.h"
#include "graph/graph_form.h"
#include "graph/viewer_windows.h"
#include "platform/settings_store.h"
#include "record_store/bin_data_set.h"

TMainWindow::TMainWindow(TSettingsStore& settings, TUserPrompts* prompts, QWidget* parent)
    : QMainWindow(parent),
      settings_(settings),
      document_(new TEditorDocument(this)),
      actions_(this) {
    setObjectName(QStringLiteral("EdForm1"));
    if (prompts == nullptr) {
        ownPrompts_ = std::make_unique<TDialogPrompts>();
        prompts = ownPrompts_.get();
    }
    prompts_ = prompts;
    setWindowTitle(QStringLiteral("Orvane"));
    help_ = new THelpWindow(this);
    help_->hide();

    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    CreateCentralArea();
    setMinimumSize(300, 280);
    ShowFilePanels(false);
    UpdateActions();

    connect(document_, &TEditorDocument::opened, this, &TMainWindow::viewOpened);
    connect(document_, &TEditorDocument::closing, this, &TMainWindow::viewClosing);
    connect(document_, &TEditorDocument::viewModeChanged, this, &TMainWindow::modeChanged);
    connect(document_, &TEditorDocument::currentRecordChanged, this,
            &TMainWindow::currentRecordChanged);
    connect(document_, &TEditorDocument::modifiedChanged, this, [this] { UpdateStatus(); });
    connect(document_, &TEditorDocument::recordsChanged, this, [this] { RefreshView(); });

    // In this order: the layout file is applied to an opened view before a mode that was on
    // is entered again for it.
    layout_ = new TLayoutController(*this);
    selection_ = new TSelectionController(*this);
    selection_->SetLayoutController(layout_);
    roiDialog_ = InstallRoiCommands(*this);
    InstallAgeCommands(*this);
    InstallCurveToolCommands(*this);
    InstallImportCommand(*this);
    InstallGraphCommands(*this);
    modes_ = new TModeSwitcher(*this, *document_, this);
    modes_->Register(std::make_unique<TSubtractMode>(*this));
    auto growth = std::make_unique<TGrowthMode>(*this);
    // The mode's previews and results open the viewer windows, one per name, on demand.
    growth->SetViewerHooks(
        [this](const std::string& name) -> QWidget* { return ShowGraphViewer(*this, name); },
        [this](const std::string& name) {
            if (TGrForm1* viewer = FindGraphViewer(*this, name); viewer && viewer->isVisible())
                viewer->reject();
        });
    // "Plateau test" is the growth-curve workflow opened with "All".
    modes_->Register(std::make_unique<TPlateauMode>(modes_->Register(std::move(growth))));
    modes_->Register(std::make_unique<TFadingMode>(*this));
    UpdateActions();
}

TMainWindow::~TMainWindow() {
    // Helpers that other editor parts attach to the window watch its widgets and call back
    // into it: they go first, while the window is still whole. The document goes last.
    const QObjectList helpers = children();
    for (QObject* child : helpers) {
        if (child != document_ && !child->isWidgetType() && !qobject_cast<QLayout*>(child) &&
            !qobject_cast<QAction*>(child) && !qobject_cast<QActionGroup*>(child))
            delete child;
    }
    modes_ = nullptr;
    layout_ = nullptr;
    selection_ = nullptr;
    // The widgets outlive the views (they are destroyed by the base class): unbind them.
    recordForm_->SetView(nullptr, TRecordKind::Dat);
    grid_->Clear();
    // A view still open writes its changes as it closes; a failure cannot be shown any more.
    document_->CloseAllViews();
}

QSize TMainWindow::DefaultSize(const QSize& available) {
    const double scale = std::max(1.0, available.width() / 1024.0);
    QSize size(static_cast<int>(648 * scale), static_cast<int>(526 * scale));
    // The classic size was made for a few fields of a 1024-pixel screen: today's form needs
    // more room; never more than the screen offers.
    size = size.expandedTo(QSize(1024, 720));
    return size.boundedTo(QSize(available.width() * 92 / 100, available.height() * 90 / 100))
        .expandedTo(QSize(300, 280));
}

void TMainWindow::CreateStatusBar() {
    statusRecord_ = new QLabel(this);
    statusRecord_->setObjectName(QStringLiteral("StatusRecord"));
    statusRecord_->setMinimumWidth(60);
    statusMode_ = new QLabel(this);
    statusMode_->setObjectName(QStringLiteral("StatusMode"));
    statusBar()->addWidget(statusRecord_, 1);
    statusBar()->addPermanentWidget(statusMode_);
}

void TMainWindow::CreateCentralArea() {
    central_ = new QWidget(this);
    auto* outer = new QVBoxLayout(central_);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    splash_ = new TSplashWidget(central_);
    outer->addWidget(splash_, 0, Qt::AlignCenter);

    filePage_ = new QWidget(central_);
    auto* page = new QVBoxLayout(filePage_);
    page->setContentsMargins(4, 2, 4, 2);
    page->setSpacing(2);
    fileLabel_ = new QLabel(filePage_);
    fileLabel_->setObjectName(QStringLiteral("FileLabel"));
    QFont bold = fileLabel_->font();
    bold.setBold(true);
    fileLabel_->setFont(bold);
    page->addWidget(fileLabel_);

    auto* splitter = new QSplitter(Qt::Vertical, filePage_);
    splitter->setChildrenCollapsible(false);
    formStack_ = new QStackedWidget(splitter);
    recordForm_ = new TRecordForm(formStack_);
    formStack_->addWidget(recordForm_);
    generalArea_ = new QScrollArea(formStack_);
    generalArea_->setObjectName(QStringLiteral("GeneralFormArea"));
    generalArea_->setWidgetResizable(true);
    generalForm_ = new QWidget;
    generalForm_->setObjectName(QStringLiteral("GeneralForm"));
    generalArea_->setWidget(generalForm_);
    formStack_->addWidget(generalArea_);

    auto* lower = new QWidget(splitter);
    auto* lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    lowerLayout->setSpacing(0);
    navigator_ = new TRecordNavigator(lower);
    grid_ = new TBinDataGrid(lower);
    lowerLayout->addWidget(navigator_);
    lowerLayout->addWidget(grid_, 1);
    splitter->addWidget(formStack_);
    splitter->addWidget(lower);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter_ = splitter;
    page->addWidget(splitter, 1);
    outer->addWidget(filePage_, 1);
    setCentralWidget(central_);

    connect(grid_, &TBinDataGrid::currentRowChanged, this,
            [this](int row) { OnCurrentRowChanged(row); });
    connect(navigator_, &TRecordNavigator::moveRequested, this, [this](int pos) {
        if (CommitPendingEdit()) GoToRecord(pos);
    });
    connect(grid_->Model(), &TBinDataModel::recordEdited, this, [this](int) { OnRecordEdited(); });
    connect(grid_->Model(), &TBinDataModel::entryFailed, this,
            [this](const QString& m) { ShowError(m); });
    connect(recordForm_, &TRecordForm::recordEdited, this, [this] {
        const int row = grid_->CurrentRow();
        if (row >= 0)
            emit grid_->Model()->dataChanged(
                grid_->Model()->index(row, 0),
                grid_->Model()->index(row, grid_->Model()->columnCount() - 1));
        OnRecordEdited();
    });
    connect(recordForm_, &TRecordForm::entryFailed, this,
            [this](const QString& m) { ShowError(m); });
    grid_->Model()->SetDocument(document_);
    recordForm_->SetDocument(document_);
    const presentation::TTextLocale locale = TextLocale();
    grid_->Model()->SetTextLocale(locale);
    recordForm_->SetTextLocale(locale);
}

void TMainWindow::ShowFilePanels(bool show) {
    splash_->setVisible(!show);
    filePage_->setVisible(show);
    toolBar_->setVisible(show);
    statusBar()->setVisible(show);
    if (show) {
        setMinimumSize(300, 280);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
        resize(DefaultSize(screen ? screen->availableGeometry().size() : QSize(1280, 900)));
        // The form gets the room it needs, the grid the rest.
        const int formHeight = formStack_->currentWidget()->sizeHint().height();
        splitter_->setSizes({formHeight, std::max(200, height() - formHeight)});
    } else {
        // The window fits the picture while no file is open.
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        const QSize picture = splash_->sizeHint();
        const int extra = menuBar()->sizeHint().height();
        setFixedSize(picture.width(), picture.height() + extra);
    }
}

presentation::TTextLocale TMainWindow::TextLocale() const {
    return SystemTextLocale();
}

TBinDataGrid* TMainWindow::Grid() const {
    return grid_;
}

QWidget* TMainWindow::GeneralFormArea() const {
    return generalForm_;
}

TSettingsStore& TMainWindow::Settings() {
    return settings_;
}

std::string TMainWindow::ReadSetting(const char* name) const {
    return settings_.ReadString("", name).value_or(std::string());
}

void TMainWindow::WriteSetting(const char* name, const std::string& value) {
    settings_.WriteString("", name, value);  // a failed write is ignored
}

std::string TMainWindow::DataDirectory() const {
    std::string dir = ReadSetting("Data directory");
    if (!dir.empty() && dir.back() != '/' && dir.back() != '\\') dir += '/';
    return dir;
}

void TMainWindow::SetBooleanDisplay(const QString& yesNo) {
    booleanDisplay_ = yesNo;
    const auto texts = presentation::TBooleanTexts::Parse(yesNo.toStdString());
    grid_->Model()->SetBooleanTexts(texts);
    recordForm_->SetBooleanTexts(texts);
}

QString TMainWindow::BooleanDisplay() const {
    return booleanDisplay_;
}

void TMainWindow::RefreshView() {
    TBinDataSet* view = ShownView();
    const int current = view ? view->RecNo() - 1 : -1;
    grid_->Model()->Reload();
    int row = grid_->Model()->RowOfRecordIndex(current);
    // A record deleted at the end: the row before takes its place.
    if (row < 0 && current >= 0) row = std::min(current, grid_->Model()->rowCount() - 1);
    if (row >= 0) grid_->SelectRecord(row);
    if (view) view->Refresh();
    recordForm_->Refresh();
    document_->NotifyCurrentRecordChanged();
    UpdateActions();
}

void TMainWindow::ShowError(const QString& message) {
    ++errorsShown_;
    prompts_->ShowError(this, message);
}

QString TMainWindow::FileLabelText() const {
    return fileLabel_->text();
}

void TMainWindow::GoToRecord(int position) {
    TBinDataSet* view = ShownView();
    if (!view || position < 1 || position > grid_->Model()->rowCount()) return;
    grid_->SelectRecord(position - 1);
    if (view->RecNo() != grid_->Model()->RecordIndexOfRow(position - 1) + 1)
        OnCurrentRowChanged(position - 1);
}

void TMainWindow::OnCurrentRowChanged(int row) {
    TBinDataSet* view = ShownView();
    const int at = grid_->Model()->RecordIndexOfRow(row);
    if (!view || at < 0) return;
    if (view->State() != TDataSetState::Browse) view->Cancel();
    if (view->RecNo() != at + 1) view->SetRecNo(at + 1);
    recordForm_->Refresh();
    UpdateStatus();
    document_->NotifyCurrentRecordChanged();
}

void TMainWindow::OnRecordEdited() {
    recordForm_->Refresh();
    UpdateStatus();
}

void TMainWindow::UpdateStatus() {
    TBinDataSet* view = ShownView();
    const QString fileName = document_->FileName();
    if (fileName.isEmpty()) {
        statusRecord_->clear();
        navigator_->SetPosition(0, 0);
        return;
    }
    const QString name = QFileInfo(fileName).fileName();
    const QString kind = document_->FileKind();
    if (!view) {
        statusRecord_->setText(QStringLiteral("%1: no view for %2 files in this mode")
                                   .arg(name, kind.isEmpty() ? QStringLiteral("these") : kind));
        navigator_->SetPosition(0, 0);
        return;
    }
    const int count = view->RecordCount();
    const int pos = view->RecNo();
    // The navigator counts the grid's rows (the records a mode's filter lets through).
    const TBinDataModel* model = grid_->Model();
    navigator_->SetPosition(model->RowOfRecordIndex(pos - 1) + 1, model->rowCount());
    statusRecord_->setText(
        QStringLiteral("%1%2: record %3 of %4")
            .arg(name, view->Modified() ? QStringLiteral(" (changed)") : QString())
            .arg(std::max(pos, 0))
            .arg(count));
}

void TMainWindow::ShowPanel(QWidget* panel) {
    if (panel_ && panel_ != panel) formStack_->removeWidget(panel_);
    panel_ = panel;
    if (panel) {
        if (formStack_->indexOf(panel) < 0) formStack_->addWidget(panel);
        formStack_->setCurrentWidget(panel);
    } else {
        formStack_->setCurrentWidget(IsGeneralMode() ? static_cast<QWidget*>(generalArea_)
                                                     : recordForm_);
    }
}

bool TMainWindow::CommandBlocked(TActionId id) const {
    return modes_ && modes_->CommandBlocked(id);
}

void TMainWindow::SetModeStatus(const QString& text) {
    modeStatus_ = text;
    UpdateModeCaptions();
}

void TMainWindow::OnHelpTopic(const QString& topic) {
    help_->ShowTopic(topic);
}

void TMainWindow::ShowHelpContext(int context) {
    help_->ShowContext(context);
}

void TMainWindow::closeEvent(QCloseEvent* event) {
    // The close box asks about unsaved changes exactly as Exit does.
    if (!exiting_ && !PrepareExit()) {
        event->ignore();
        return;
    }
    help_->close();
    event->accept();
}
