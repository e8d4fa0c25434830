#include "editor/age_plateau_dialog.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "analysis/graph_messages.h"
#include "editor/editor_document.h"
#include "editor/editor_shell.h"
#include "graph/viewer_windows.h"

TAgePlateauDialog::TAgePlateauDialog(TEditorShell& shell, const TDoseRateInputs& inputs,
                                     QWidget* parent)
    : QDialog(parent), shell_(shell), inputs_(inputs) {
    setWindowTitle(QStringLiteral("Age plateau"));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(
        QStringLiteral("The ages of the last plateau computation of growth-curve mode, and "
                       "their weighted mean over the range below."),
        this);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    auto* form = new QFormLayout;
    from_ = new QDoubleSpinBox(this);
    to_ = new QDoubleSpinBox(this);
    for (QDoubleSpinBox* field : {from_, to_}) {
        field->setRange(-1e6, 1e6);
        field->setDecimals(1);
        field->setKeyboardTracking(false);
        connect(field, &QDoubleSpinBox::valueChanged, this, [this] { UpdateMean(); });
    }
    from_->setObjectName(QStringLiteral("AgeFrom"));
    to_->setObjectName(QStringLiteral("AgeTo"));
    const TEditorDocument::TLastPlateau* last = shell_.Document().LastPlateau();
    const QString unit =
        last && last->DataKind == gkTemperature ? QStringLiteral(" degC") : QString();
    form->addRow(QStringLiteral("Mean from") + unit, from_);
    form->addRow(QStringLiteral("to") + unit, to_);
    layout->addLayout(form);
    result_ = new QLabel(this);
    result_->setObjectName(QStringLiteral("AgeMean"));
    result_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    result_->setWordWrap(true);
    layout->addWidget(result_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close | QDialogButtonBox::Help, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, &TAgePlateauDialog::helpRequested);
    layout->addWidget(buttons);
    resize(420, 220);
}

bool TAgePlateauDialog::Compute() {
    const TEditorDocument::TLastPlateau* last = shell_.Document().LastPlateau();
    if (!last) {
        shell_.ShowError(QStringLiteral(
            "No plateau to turn into ages: compute a Range or All in growth-curve mode first."));
        return false;
    }
    std::string message;
    if (!ComputeAgePlateau(last->Doses, inputs_, plateau_, message)) {
        shell_.ShowError(QString::fromStdString(message));
        return false;
    }
    // The range starts as the whole plateau.
    double low = 0, high = 0;
    bool first = true;
    for (const TPlateauElement& e : plateau_.Ages) {
        low = first ? e.X : std::min(low, e.X);
        high = first ? e.X : std::max(high, e.X);
        first = false;
    }
    SetRange(low, high);
    SendToViewer();
    return true;
}

void TAgePlateauDialog::SetRange(double from, double to) {
    {
        const QSignalBlocker a(from_), b(to_);
        from_->setValue(from);
        to_->setValue(to);
    }
    UpdateMean();
}

QString TAgePlateauDialog::MeanText() const {
    if (!hasMean_) return meanMessage_;
    const TWeightedMeanAge& m = mean_;
    const QLocale locale;
    const auto number = [&locale](double v) { return locale.toString(v, 'f', 2); };
    return QStringLiteral(
               "Weighted mean age: %1 \u00b1 %2 ka (random), \u00b1 %3 ka "
               "(systematic), \u00b1 %4 ka in all; %5 results, MSWD %6. The mean keeps the "
               "mean error of its results (the standard error would be \u00b1 %7 ka): the "
               "results share their aliquots.")
        .arg(number(m.Age), number(m.ErrorRandom), number(m.ErrorSystematic), number(m.ErrorTotal),
             locale.toString(m.Count), number(m.Mswd), number(m.StandardError));
}

void TAgePlateauDialog::UpdateMean() {
    const TEditorDocument::TLastPlateau* last = shell_.Document().LastPlateau();
    std::string message;
    hasMean_ = last &&
               WeightedMeanAge(plateau_, last->Doses, from_->value(), to_->value(), mean_, message);
    meanMessage_ = QString::fromStdString(message);
    result_->setText(MeanText());
}

void TAgePlateauDialog::SendToViewer() {
    TEditorDocument& document = shell_.Document();
    const TEditorDocument::TLastPlateau* last = document.LastPlateau();
    document.AgePlateauShown() = plateau_.Ages;
    document.AgePlateauIndex() = 0;
    TGraphDispatcher& m = document.GraphMessages();
    ShowGraphViewer(shell_, kGraphEditor);
    m.SendValue(kGraphEditor, gd_Plot, plPlateau);
    m.SendText(kGraphEditor, gd_Title, "Orvane - View results");
    m.SendValue(kGraphEditor, gd_Kind, last->DataKind);
    m.SendText(kGraphEditor, gd_Caption, "Age results");
    m.SendText(kGraphEditor, gd_XLabel, last->XLabel);
    m.SendText(kGraphEditor, gd_YLabel, "Age, ka");
    m.SendText(kGraphEditor, gd_Notes,
               "Dose rate: " + std::to_string(plateau_.DoseRate.Total.Value) + " +/- " +
                   std::to_string(plateau_.DoseRate.Total.Error) + " Gy/ka");
    m.SendValue(kGraphEditor, gd_Spacing, last->Spacing);
    m.SendReference(kGraphEditor, gd_Index, &document.AgePlateauIndex());
    m.SendReference(kGraphEditor, gd_Plateau, &document.AgePlateauShown());
    m.SendDraw(kGraphEditor, kMaskPlateau);
}
