#include "graph/dose_model_dialog.h"

#include <qcustomplot.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "analysis/graph_messages.h"
#include "editor/editor_document.h"
#include "editor/editor_shell.h"
#include "editor/user_prompts.h"
#include "graph/plot_export.h"
#include "graph/plot_radial.h"
#include "graph/plot_style.h"

namespace {

const TDoseModelKind kKinds[] = {TDoseModelKind::Central, TDoseModelKind::Common,
                                 TDoseModelKind::Minimum3, TDoseModelKind::Minimum4,
                                 TDoseModelKind::WeightedMean};
const char* const kKindNames[] = {"Central age model", "Common age model",
                                  "Minimum age model, 3 parameters",
                                  "Minimum age model, 4 parameters", "Weighted mean"};

bool IsMinimum(TDoseModelKind kind) {
    return kind == TDoseModelKind::Minimum3 || kind == TDoseModelKind::Minimum4;
}

// Digits after the point that show an error to two significant figures.
int DigitsFor(double error) {
    if (!(error > 0.0) || !std::isfinite(error)) return 2;
    return std::clamp(1 - static_cast<int>(std::floor(std::log10(error))), 0, 8);
}

QString Number(double value, int digits) {
    if (!std::isfinite(value)) return QStringLiteral("n/a");
    return QLocale().toString(value, 'f', digits);
}

}  // namespace

QString DoseModelResultText(const TDoseModelResult& r, const TModelDoses& doses,
                            const QString& unit) {
    const int d = DigitsFor(r.DeError);
    const QString pm = QStringLiteral(" \u00b1 ");
    QString text = QStringLiteral("%1 (n = %2): De = %3%4%5 %6")
                       .arg(QLatin1String(kKindNames[static_cast<int>(r.Kind)]))
                       .arg(QLocale().toString(r.N))
                       .arg(Number(r.De, d), pm, Number(r.DeError, d), unit);
    if (r.Kind == TDoseModelKind::Central) {
        text += QStringLiteral("\nOverdispersion: %1%2%3 %4 (%5%6%7 %)")
                    .arg(Number(r.OD, DigitsFor(r.ODError)), pm,
                         Number(r.ODError, DigitsFor(r.ODError)), unit,
                         Number(r.RelOD, DigitsFor(r.RelODError)), pm,
                         Number(r.RelODError, DigitsFor(r.RelODError)));
    }
    if (IsMinimum(r.Kind)) {
        text += QStringLiteral("\n95 % interval: %1 to %2 %3")
                    .arg(Number(r.DeLower, d), Number(r.DeUpper, d), unit);
        text += QStringLiteral("\nsigma = %1, p0 = %2").arg(Number(r.Sigma, 3), Number(r.P0, 3));
        if (r.Kind == TDoseModelKind::Minimum4)
            text += QStringLiteral(", mu = %1 %2").arg(Number(r.Mu, d), unit);
        text += QStringLiteral("; Lmax = %1, BIC = %2").arg(Number(r.Lmax, 3), Number(r.BIC, 3));
    }
    text += QStringLiteral("\n") + QString::fromStdString(ModelDosesSummary(doses));
    if (!r.Warning.empty())
        text += QStringLiteral("\nWarning: ") + QString::fromStdString(r.Warning);
    return text;
}

TDoseModelDialog::TDoseModelDialog(TEditorShell& shell, QWidget* parent)
    : QDialog(parent), shell_(shell) {
    setWindowTitle(QStringLiteral("Dose models"));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(
        QStringLiteral("One dose from the accepted aliquots or grains of the last Range or All "
                       "run; aliquots that fail a criterion and results without a defined dose "
                       "are left out."),
        this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto* row = new QHBoxLayout;
    auto* form = new QFormLayout;
    model_ = new QComboBox(this);
    model_->setObjectName(QStringLiteral("doseModel"));
    for (const char* name : kKindNames) model_->addItem(QLatin1String(name));
    form->addRow(QStringLiteral("Model"), model_);
    sigmaB_ = new QDoubleSpinBox(this);
    sigmaB_->setObjectName(QStringLiteral("sigmaB"));
    sigmaB_->setRange(0.0, 2.0);
    sigmaB_->setDecimals(3);
    sigmaB_->setSingleStep(0.01);
    sigmaB_->setValue(0.1);
    sigmaB_->setToolTip(QStringLiteral(
        "The relative spread a well-bleached sample shows, added in quadrature to each dose's "
        "relative error (minimum age models)."));
    form->addRow(QStringLiteral("\u03c3b (relative)"), sigmaB_);
    row->addLayout(form);
    auto* compute = new QPushButton(QStringLiteral("&Compute"), this);
    compute->setObjectName(QStringLiteral("computeButton"));
    row->addWidget(compute, 0, Qt::AlignTop);
    row->addStretch(1);
    layout->addLayout(row);

    resultLabel_ = new QLabel(this);
    resultLabel_->setObjectName(QStringLiteral("doseModelResult"));
    resultLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    resultLabel_->setWordWrap(true);
    layout->addWidget(resultLabel_);
    message_ = new QLabel(this);
    message_->setObjectName(QStringLiteral("doseModelMessage"));
    message_->setWordWrap(true);
    layout->addWidget(message_);

    chart_ = new QCustomPlot(this);
    chart_->setObjectName(QStringLiteral("radialPlot"));
    chart_->setMinimumSize(560, 380);
    ApplyPlotStyle(*chart_, QStringLiteral("Radial plot"));
    layout->addWidget(chart_, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close | QDialogButtonBox::Help, this);
    save_ = buttons->addButton(QStringLiteral("&Save plot as..."), QDialogButtonBox::ActionRole);
    save_->setObjectName(QStringLiteral("savePlotButton"));
    auto* copy = buttons->addButton(QStringLiteral("Co&py plot"), QDialogButtonBox::ActionRole);
    copy->setObjectName(QStringLiteral("copyPlotButton"));
    layout->addWidget(buttons);

    connect(compute, &QPushButton::clicked, this, [this] { Compute(); });
    connect(save_, &QPushButton::clicked, this, [this] { SavePlotAsked(); });
    connect(copy, &QPushButton::clicked, this, [this] {
        if (hasResult_) CopyPlotToClipboard(*chart_);
    });
    connect(model_, &QComboBox::currentIndexChanged, this, [this] { UpdateEnabled(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, &TDoseModelDialog::helpRequested);
    resize(820, 720);
    UpdateEnabled();
}

void TDoseModelDialog::SetModel(TDoseModelKind kind) {
    for (int i = 0; i < static_cast<int>(std::size(kKinds)); ++i) {
        if (kKinds[i] == kind) model_->setCurrentIndex(i);
    }
}

void TDoseModelDialog::SetSigmaB(double sigmaB) {
    sigmaB_->setValue(sigmaB);
}

void TDoseModelDialog::UpdateEnabled() {
    sigmaB_->setEnabled(IsMinimum(kKinds[model_->currentIndex()]));
    save_->setEnabled(hasResult_);
}

void TDoseModelDialog::ShowMessage(const QString& text, bool error) {
    message_->setText(text);
    message_->setStyleSheet(error ? QStringLiteral("color: #b00020;") : QString());
}

bool TDoseModelDialog::Compute() {
    TEditorDocument& document = shell_.Document();
    const TEditorDocument::TLastPlateau* last = document.LastPlateau();
    hasResult_ = false;
    resultLabel_->clear();
    // No plot of an earlier result stays beside a refusal.
    chart_->clearPlottables();
    chart_->clearItems();
    chart_->replot();
    if (!last || last->DataKind != gkDisk) {
        ShowMessage(QStringLiteral("No doses of aliquots to combine: compute a Range or All "
                                   "over aliquots in growth-curve mode first."),
                    true);
        UpdateEnabled();
        return false;
    }
    doses_ = CollectModelDoses(last->Doses);
    unit_ = QString::fromStdString(last->DoseUnit);
    TDoseModelOptions options;
    options.Kind = kKinds[model_->currentIndex()];
    if (IsMinimum(options.Kind)) options.SigmaB = sigmaB_->value();
    std::string message;
    const TDoseModelResult result = FitModelDoses(doses_, options, message);
    if (result.Code != TDoseModelCode::Ok) {
        ShowMessage(QString::fromStdString(message), true);
        UpdateEnabled();
        return false;
    }
    result_ = result;
    hasResult_ = true;
    resultLabel_->setText(ResultText());
    ShowMessage(QString(), false);
    const QString shortText = ResultText().section(QLatin1Char('\n'), 0, 0);
    DrawRadialPlot(*chart_, doses_.Used, doses_.Rejected, result_.De, shortText);
    document.SetLastDoseModel(
        {result_.De, result_.DeError, last->DoseUnit, shortText.toStdString()});
    UpdateEnabled();
    layout()->activate();  // the result's lines get their room before the next paint
    return true;
}

QString TDoseModelDialog::ResultText() const {
    if (!hasResult_) return QString();
    return DoseModelResultText(result_, doses_, unit_);
}

bool TDoseModelDialog::SavePlot(const QString& path, QString* error) {
    if (!hasResult_) {
        if (error) *error = QStringLiteral("Compute a dose model first.");
        return false;
    }
    return SavePlotFile(*chart_, path, 0, 0, error);
}

void TDoseModelDialog::SavePlotAsked() {
    const QString path = shell_.Prompts().SaveFileName(
        this, QStringLiteral("Save plot as"), QString(), PlotFileFilter(), QStringLiteral("png"));
    if (path.isEmpty()) return;
    QString error;
    if (SavePlot(path, &error)) {
        ShowMessage(QStringLiteral("Plot saved to %1").arg(path), false);
    } else {
        ShowMessage(error, true);
    }
}
