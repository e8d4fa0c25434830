#include "editor/fading_mode.h"

#include <QApplication>
#include <QDateTime>
#include <QDrag>
#include <QFileInfo>
#include <QLocale>
#include <QMimeData>
#include <QMouseEvent>

#include "analysis/fading_g_value.h"
#include "editor/bin_data_grid.h"
#include "editor/bin_data_model.h"
#include "editor/editor_document.h"
#include "editor/editor_shell.h"
#include "graph/graph_form.h"
#include "graph/viewer_windows.h"
#include "record_store/bin_data_set.h"
#include "record_store/editor_error.h"

namespace {

constexpr const char* kLineEnd = "\r\n";

}  // namespace

TFadingMode::TFadingMode(TEditorShell& shell)
    : shell_(shell), messages_(shell.Document().GraphMessages()) {
    panel_ = new TFadingPanel;
    connect(panel_, &TFadingPanel::applyFilterClicked, this, &TFadingMode::ApplyFilter);
    connect(panel_, &TFadingPanel::checkFadingClicked, this, &TFadingMode::CheckFading);
    connect(panel_, &TFadingPanel::fitGValueClicked, this, [this] { FitGValue(); });
    for (TFadingList* list : {panel_->FadedList(), panel_->FreshList()}) {
        // A drag over a list gives the grid the focus, so that its rows stay the ones dragged.
        connect(list, &TFadingList::dragEntered, this, [this] {
            if (on_) shell_.Grid()->setFocus();
        });
        connect(list, &TFadingList::recordsDropped, this, [this, list] { AddGridRecords(list); });
    }
}

TFadingMode::~TFadingMode() {
    // The panel is ours to delete, unless the window's stack took it along as it closed.
    delete panel_.data();
}

QWidget* TFadingMode::Panel() {
    return panel_;
}

std::function<bool(TBinDataSet&)> TFadingMode::GridFilter() {
    // Until Enter has filled the panel's lists: every TL run.
    filter_ = {};
    texts_ = Texts();
    // Called as the mode starts, before the filter moves the cursor: the record to come back to.
    if (const TBinDataSet* view = shell_.Document().ShownView()) remembered_ = view->GetBookmark();
    return [this](TBinDataSet& view) {
        return PassesFadingFilter(view, view.CursorIndex(), filter_, texts_);
    };
}

QString TFadingMode::StatusText() const {
    return QStringLiteral(" - computing fading factor");
}

void TFadingMode::Enter() {
    TBinDataSet* view = shell_.Document().ShownView();
    if (!view) return;
    on_ = true;
    result_.clear();
    resultShown_ = false;
    panel_->ClearLists();
    texts_ = Texts();
    panel_->SetDates(FadingDateList(*view, texts_));
    panel_->SetDevices(FadingDeviceList(*view));
    filter_ = panel_->Filter();
    // The grid's rows are dragged onto the lists.
    shell_.Grid()->viewport()->installEventFilter(this);
}

void TFadingMode::Leave() {
    on_ = false;
    pressed_ = false;
    shell_.Grid()->viewport()->removeEventFilter(this);
    ReleaseViewer();
    result_.clear();
    panel_->ClearLists();
    panel_->SetDevices({});
    // The record that was current before the mode, with every record visible again.
    if (TBinDataSet* view = shell_.Document().ShownView()) {
        view->SetFiltered(false);
        if (remembered_ && view->BookmarkValid(*remembered_)) view->GotoBookmark(*remembered_);
    }
    remembered_.reset();
}

void TFadingMode::ReleaseViewer() {
    if (!resultShown_) return;
    resultShown_ = false;
    // The viewer lets go of the result before it is freed, and closes.
    messages_.SendReference(kGraphEditor, gd_Plateau, nullptr);
    if (TGrForm1* viewer = FindGraphViewer(shell_, kGraphEditor)) viewer->reject();
}

void TFadingMode::ApplyFilter() {
    if (!on_) return;
    filter_ = panel_->Filter();
    shell_.RefreshView();
}

void TFadingMode::AddGridRecords(TFadingList* list) {
    TEditorDocument& document = shell_.Document();
    TBinDataSet* view = document.ShownView();
    if (!on_ || !view || !list) return;
    const std::vector<int32_t> selected = document.SelectedRecords();
    std::vector<int32_t> ids = selected;
    if (ids.empty())
        if (const std::optional<int32_t> current = view->GetBookmark()) ids.push_back(*current);
    // Records are read by position: the grid's filter stays as it is.
    for (int32_t id : ids) {
        const int at = view->IndexOfId(id);
        if (at >= 0) list->AddRecord(QString::fromStdString(FadingItemText(*view, at, texts_)), id);
    }
    if (!selected.empty()) document.Selection().Clear();
    shell_.RefreshView();
}

TFadingTexts TFadingMode::Texts() const {
    TFadingTexts texts;
    texts.Kind = shell_.Document().ShownRecordKind();
    texts.Locale = shell_.Grid()->Model()->TextLocale();
    return texts;
}

std::string TFadingMode::Notes() const {
    const QFileInfo file(shell_.Document().FileName());
    std::string notes = "File name: " + file.fileName().toStdString() + kLineEnd;
    notes += "Full path: " + file.absolutePath().toStdString() + kLineEnd;
    notes +=
        std::string("Type of data: ") + (shell_.TLCurves() ? "TL curves" : "OSL curves") + kLineEnd;
    notes += "Printed on: " +
             QLocale().toString(QTime::currentTime(), QLocale::LongFormat).toStdString() + kLineEnd;
    notes += "Comment: ";
    return notes;
}

void TFadingMode::CheckFading() {
    TBinDataSet* view = shell_.Document().ShownView();
    if (!on_ || !view) return;
    const std::vector<int32_t> faded = panel_->FadedList()->RecordIds();
    const std::vector<int32_t> fresh = panel_->FreshList()->RecordIds();
    if (faded.empty() || fresh.empty()) return;
    const std::string problem = FadingRecordsProblem(*view, faded, fresh);
    if (!problem.empty()) {
        ReleaseViewer();
        result_.clear();
        panel_->SetMessage(QString::fromStdString(problem));
        return;
    }
    TFadingResult r = ::CheckFading(*view, faded, fresh);
    if (r.Code != TFadingCode::Ok) {
        ReleaseViewer();
        result_.clear();
        panel_->SetMessage(QString::fromStdString(FadingMessage(r.Code)));
        return;
    }
    result_ = std::move(r.Points);
    panel_->SetMessage(QStringLiteral("%1 faded and %2 fresh records, %3 points.")
                           .arg(r.FadedCount)
                           .arg(r.FreshCount)
                           .arg(result_.size()));

    TGrForm1* viewer = ShowGraphViewer(shell_, kGraphEditor);
    resultShown_ = true;
    const bool tl = shell_.TLCurves();
    messages_.SendValue(kGraphEditor, gd_Plot, plPlateau);
    messages_.SendText(kGraphEditor, gd_Title, "Orvane - View results");
    messages_.SendValue(kGraphEditor, gd_Kind, tl ? gkTemperature : gkChannel);
    messages_.SendText(kGraphEditor, gd_Caption, "Fading test results");
    messages_.SendText(kGraphEditor, gd_XLabel, tl ? "Glow temperature, C" : "OSL channel");
    messages_.SendText(kGraphEditor, gd_YLabel, "Fading factor");
    messages_.SendText(kGraphEditor, gd_Notes, Notes());
    // The data's spacing: that of the first faded record.
    messages_.SendValue(kGraphEditor, gd_Spacing, r.Step);
    // The ratios have no current index: a pick in the viewer must not write into the index
    // another result (the paleodose plot) left with it.
    messages_.SendReference(kGraphEditor, gd_Index, nullptr);
    messages_.SendReference(kGraphEditor, gd_Plateau, &result_);
    messages_.SendDraw(kGraphEditor, kMaskPlateau);
    if (viewer) {
        viewer->raise();
        viewer->activateWindow();
        viewer->setFocus();
    }
}

bool TFadingMode::FitGValue() {
    TBinDataSet* view = shell_.Document().ShownView();
    gValue_ = {};
    if (!on_ || !view) return false;
    const std::vector<int32_t> faded = panel_->FadedList()->RecordIds();
    const std::vector<int32_t> fresh = panel_->FreshList()->RecordIds();
    const TGValueRecords records = FadingGValuePoints(*view, faded, fresh, panel_->Delay());
    if (!records.Problem.empty()) {
        panel_->SetGValueText(QString::fromStdString(records.Problem));
        return false;
    }
    TGValueOptions options;
    options.Tc = panel_->Tc();
    const TGValueResult r = ::FitGValue(records.Points, options);
    if (r.Code != TFadingFitCode::Ok) {
        QString text = QString::fromLatin1(FadingCodeMessage(r.Code));
        if (r.BadIndex >= 0 && r.BadIndex < static_cast<int>(records.RecordIndex.size())) {
            text = QStringLiteral("Record %1: ")
                       .arg(records.RecordIndex[static_cast<std::size_t>(r.BadIndex)] + 1) +
                   text;
        }
        panel_->SetGValueText(text);
        return false;
    }
    gValue_ = r;
    const QLocale locale;
    const auto number = [&locale](double v, int digits) { return locale.toString(v, 'f', digits); };
    panel_->SetGValueText(
        QStringLiteral("g = %1 \u00b1 %2 %/decade (tc = %3 s), g2days = %4 \u00b1 %5 "
                       "%/decade; %6 records, errors from %7 Monte Carlo draws")
            .arg(number(r.G, 2), number(r.GError, 2), number(r.Tc, 1), number(r.G2Days, 2),
                 number(r.G2DaysError, 2))
            .arg(locale.toString(static_cast<int>(records.Points.size())))
            .arg(locale.toString(options.Draws)));
    return true;
}

bool TFadingMode::eventFilter(QObject* watched, QEvent* event) {
    // A drag of the grid's rows: press the left button on the grid and move.
    if (!on_) return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::MouseButtonPress) {
        auto* press = static_cast<QMouseEvent*>(event);
        pressed_ = press->button() == Qt::LeftButton;
        pressAt_ = press->position().toPoint();
    } else if (event->type() == QEvent::MouseButtonRelease) {
        pressed_ = false;
    } else if (event->type() == QEvent::MouseMove && pressed_) {
        auto* move = static_cast<QMouseEvent*>(event);
        if (!(move->buttons() & Qt::LeftButton)) {
            pressed_ = false;
        } else if ((move->position().toPoint() - pressAt_).manhattanLength() >=
                   QApplication::startDragDistance()) {
            pressed_ = false;
            auto* data = new QMimeData;
            data->setData(QLatin1String(TFadingList::kMimeType), QByteArray());
            auto* drag = new QDrag(shell_.Grid());
            drag->setMimeData(data);
            drag->exec(Qt::CopyAction);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
