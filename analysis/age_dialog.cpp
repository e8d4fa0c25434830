#include "analysis/age_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>
#include <tuple>

#include "analysis/age_report.h"

namespace {

enum TCosmicMode { kCosmicNone, kCosmicSite, kCosmicTyped };

QString FromStd(const std::string& text) {
    return QString::fromUtf8(text.c_str());
}

// Writes bytes through a temporary file, so that a failed write leaves the old file whole.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString& error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        error = QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

QHBoxLayout* Pair(QWidget* a, QWidget* b) {
    auto* row = new QHBoxLayout;
    row->addWidget(a);
    row->addWidget(new QLabel(QStringLiteral("±")));
    row->addWidget(b);
    return row;
}

// The two ends of a range of sizes.
QHBoxLayout* Span(QWidget* a, QWidget* b) {
    auto* row = new QHBoxLayout;
    row->addWidget(a);
    row->addWidget(new QLabel(QStringLiteral("\u2013")));
    row->addWidget(b);
    return row;
}

// A number as the user reads it: the report's rounding, the locale's decimal sign.
QString Shown(double value, double error) {
    return QString::fromStdString(FormatMeasured(value, error))
        .replace(QLatin1Char('.'), QLocale().decimalPoint());
}

}  // namespace

TAgeDialog::TAgeDialog(const QString& dataFile, QWidget* parent)
    : QDialog(parent), dataFile_(dataFile) {
    setObjectName(QStringLiteral("AgeDialog"));
    setWindowTitle(QStringLiteral("Compute age"));
    BuildUi();
    if (!dataFile_.isEmpty()) {
        sample_->setText(QFileInfo(dataFile_).completeBaseName());
        const QString side = SideFilePath(dataFile_);
        if (QFileInfo::exists(side)) {
            QString error;
            if (LoadInputsFile(side, error)) {
                ShowStatus(QStringLiteral("Inputs read from %1").arg(side), false);
            } else {
                ShowStatus(error, true);
            }
        }
    }
    UpdateEnabled();
}

QString TAgeDialog::SideFilePath(const QString& dataFile) {
    const QFileInfo info(dataFile);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".age.json"));
}

QDoubleSpinBox* TAgeDialog::Number(const char* name, double max, int decimals) {
    auto* box = new QDoubleSpinBox(this);
    box->setObjectName(QLatin1String(name));
    box->setRange(0.0, max);
    box->setDecimals(decimals);
    box->setAccelerated(true);
    return box;
}

void TAgeDialog::BuildUi() {
    auto* form = new QWidget;
    auto* column = new QVBoxLayout(form);

    auto* sampleBox = new QGroupBox(QStringLiteral("Sample and equivalent dose"));
    auto* sampleForm = new QFormLayout(sampleBox);
    sample_ = new QLineEdit;
    sample_->setObjectName(QStringLiteral("sampleEdit"));
    sampleForm->addRow(QStringLiteral("Sample"), sample_);
    de_ = Number("deEdit", 1e6, 3);
    deError_ = Number("deErrorEdit", 1e6, 3);
    sampleForm->addRow(QStringLiteral("Equivalent dose (Gy)"), Pair(de_, deError_));
    calibration_ = Number("calibrationEdit", 100.0, 1);
    calibration_->setSuffix(QStringLiteral(" %"));
    calibration_->setToolTip(
        QStringLiteral("The uncertainty of the beta source's calibration: systematic, in the "
                       "age's systematic uncertainty only"));
    sampleForm->addRow(QStringLiteral("Source calibration uncertainty"), calibration_);
    fromGrowth_ = new QPushButton(QStringLiteral("From growth curve"));
    fromGrowth_->setObjectName(QStringLiteral("fromGrowthButton"));
    fromGrowth_->setToolTip(QStringLiteral("The last solution of growth-curve mode"));
    fromDoseModel_ = new QPushButton(QStringLiteral("From dose model"));
    fromDoseModel_->setObjectName(QStringLiteral("fromDoseModelButton"));
    fromDoseModel_->setToolTip(
        QStringLiteral("The dose of the last dose model computed in the result viewer"));
    auto* sources = new QHBoxLayout;
    sources->addWidget(fromGrowth_);
    sources->addWidget(fromDoseModel_);
    sampleForm->addRow(QString(), sources);
    column->addWidget(sampleBox);

    auto* contentsBox = new QGroupBox(QStringLiteral("Radionuclides"));
    auto* contentsForm = new QFormLayout(contentsBox);
    units_ = new QComboBox;
    units_->setObjectName(QStringLiteral("unitsCombo"));
    units_->addItems(
        {QStringLiteral("Contents (K %, U and Th ppm)"), QStringLiteral("Activities (Bq/kg)")});
    contentsForm->addRow(QStringLiteral("Given as"), units_);
    k_ = Number("kEdit", 1e5, 4);
    kError_ = Number("kErrorEdit", 1e5, 4);
    u_ = Number("uEdit", 1e5, 4);
    uError_ = Number("uErrorEdit", 1e5, 4);
    th_ = Number("thEdit", 1e5, 4);
    thError_ = Number("thErrorEdit", 1e5, 4);
    rb_ = Number("rbEdit", 1e5, 2);
    rbError_ = Number("rbErrorEdit", 1e5, 2);
    contentsForm->addRow(QStringLiteral("K"), Pair(k_, kError_));
    contentsForm->addRow(QStringLiteral("U"), Pair(u_, uError_));
    contentsForm->addRow(QStringLiteral("Th"), Pair(th_, thError_));
    contentsForm->addRow(QStringLiteral("Rb (ppm)"), Pair(rb_, rbError_));
    factors_ = new QComboBox;
    factors_->setObjectName(QStringLiteral("factorsCombo"));
    for (auto table : {TConversionTable::Guerin2011, TConversionTable::AdamiecAitken1998,
                       TConversionTable::Liritzis2013, TConversionTable::Cresswell2018}) {
        factors_->addItem(FromStd(std::string(ConversionTableCitation(table))),
                          FromStd(std::string(ConversionTableKey(table))));
    }
    contentsForm->addRow(QStringLiteral("Conversion factors"), factors_);
    column->addWidget(contentsBox);

    grainBox_ = new QGroupBox(QStringLiteral("Grain size (µm)"));
    grainBox_->setObjectName(QStringLiteral("grainBox"));
    grainBox_->setCheckable(true);
    grainBox_->setChecked(false);
    auto* grainForm = new QFormLayout(grainBox_);
    grainMin_ = Number("grainMinEdit", kMaxGrainDiameter, 1);
    grainMax_ = Number("grainMaxEdit", kMaxGrainDiameter, 1);
    grainForm->addRow(QStringLiteral("Diameter"), Span(grainMin_, grainMax_));
    attenuation_ = new QComboBox;
    attenuation_->setObjectName(QStringLiteral("attenuationCombo"));
    for (auto table :
         {TBetaAttenuationTable::Guerin2012Quartz, TBetaAttenuationTable::Guerin2012Feldspar,
          TBetaAttenuationTable::Mejdahl1979}) {
        attenuation_->addItem(FromStd(std::string(BetaAttenuationCitation(table))),
                              FromStd(std::string(BetaAttenuationKey(table))));
    }
    grainForm->addRow(QStringLiteral("Beta attenuation"), attenuation_);
    column->addWidget(grainBox_);

    etchBox_ = new QGroupBox(QStringLiteral("Etch depth (µm)"));
    etchBox_->setObjectName(QStringLiteral("etchBox"));
    etchBox_->setCheckable(true);
    etchBox_->setChecked(false);
    auto* etchForm = new QFormLayout(etchBox_);
    etchMin_ = Number("etchMinEdit", kMaxEtchDepth, 1);
    etchMax_ = Number("etchMaxEdit", kMaxEtchDepth, 1);
    etchForm->addRow(QStringLiteral("Depth"), Span(etchMin_, etchMax_));
    column->addWidget(etchBox_);

    auto* waterBox = new QGroupBox(QStringLiteral("Water content (% of dry mass)"));
    auto* waterForm = new QFormLayout(waterBox);
    water_ = Number("waterEdit", 100.0, 2);
    waterError_ = Number("waterErrorEdit", 100.0, 2);
    water_->setSuffix(QStringLiteral(" %"));
    waterError_->setSuffix(QStringLiteral(" %"));
    waterForm->addRow(QStringLiteral("W"), Pair(water_, waterError_));
    column->addWidget(waterBox);

    alphaBox_ = new QGroupBox(QStringLiteral("Alpha dose: a-value"));
    alphaBox_->setToolTip(
        QStringLiteral("Fine grains (up to 15 µm) take the whole alpha dose, coarse grains the "
                       "part that reaches them, grains etched 20 µm or more no external alpha"));
    alphaBox_->setObjectName(QStringLiteral("alphaBox"));
    alphaBox_->setCheckable(true);
    alphaBox_->setChecked(false);
    auto* alphaForm = new QFormLayout(alphaBox_);
    aValue_ = Number("aValueEdit", 1.0, 3);
    aValueError_ = Number("aValueErrorEdit", 1.0, 3);
    alphaForm->addRow(QStringLiteral("a-value"), Pair(aValue_, aValueError_));
    column->addWidget(alphaBox_);

    internalBox_ = new QGroupBox(QStringLiteral("Internal contents of the grains"));
    internalBox_->setObjectName(QStringLiteral("internalBox"));
    internalBox_->setCheckable(true);
    internalBox_->setChecked(false);
    auto* internalForm = new QFormLayout(internalBox_);
    internalK_ = Number("internalKEdit", 20.0, 2);
    internalKError_ = Number("internalKErrorEdit", 20.0, 2);
    internalRb_ = Number("internalRbEdit", 10000.0, 1);
    internalRbError_ = Number("internalRbErrorEdit", 10000.0, 1);
    internalK_->setValue(12.5);
    internalKError_->setValue(0.5);
    internalRb_->setValue(400);
    internalRbError_->setValue(100);
    internalForm->addRow(QStringLiteral("K (%)"), Pair(internalK_, internalKError_));
    internalForm->addRow(QStringLiteral("Rb (ppm)"), Pair(internalRb_, internalRbError_));
    internalU_ = Number("internalUEdit", 10000.0, 3);
    internalUError_ = Number("internalUErrorEdit", 10000.0, 3);
    internalTh_ = Number("internalThEdit", 10000.0, 3);
    internalThError_ = Number("internalThErrorEdit", 10000.0, 3);
    internalUCheck_ = new QCheckBox(QStringLiteral("U (ppm)"));
    internalUCheck_->setObjectName(QStringLiteral("internalUCheck"));
    internalThCheck_ = new QCheckBox(QStringLiteral("Th (ppm)"));
    internalThCheck_->setObjectName(QStringLiteral("internalThCheck"));
    internalForm->addRow(internalUCheck_, Pair(internalU_, internalUError_));
    internalForm->addRow(internalThCheck_, Pair(internalTh_, internalThError_));
    column->addWidget(internalBox_);

    auto* measuredBox = new QGroupBox(QStringLiteral("Measured dose rates (Gy/ka, used as given)"));
    auto* measuredForm = new QFormLayout(measuredBox);
    const auto measuredRow = [&](const char* check, const QString& text, const char* value,
                                 const char* error, QCheckBox*& box, QDoubleSpinBox*& v,
                                 QDoubleSpinBox*& e) {
        box = new QCheckBox(text);
        box->setObjectName(QLatin1String(check));
        v = Number(value, 100.0, 4);
        e = Number(error, 100.0, 4);
        measuredForm->addRow(box, Pair(v, e));
        connect(box, &QCheckBox::toggled, this, [this] { UpdateEnabled(); });
    };
    measuredRow("gammaRateCheck", QStringLiteral("Gamma, in situ"), "gammaRateEdit",
                "gammaRateErrorEdit", gammaRateCheck_, gammaRate_, gammaRateError_);
    measuredRow("alphaRateCheck", QStringLiteral("Alpha"), "alphaRateEdit", "alphaRateErrorEdit",
                alphaRateCheck_, alphaRate_, alphaRateError_);
    measuredRow("betaRateCheck", QStringLiteral("Beta"), "betaRateEdit", "betaRateErrorEdit",
                betaRateCheck_, betaRate_, betaRateError_);
    column->addWidget(measuredBox);

    auto* cosmicBox = new QGroupBox(QStringLiteral("Cosmic dose rate"));
    auto* cosmicForm = new QFormLayout(cosmicBox);
    cosmicMode_ = new QComboBox;
    cosmicMode_->setObjectName(QStringLiteral("cosmicCombo"));
    cosmicMode_->addItems(
        {QStringLiteral("None"), QStringLiteral("From the site"), QStringLiteral("Typed (Gy/ka)")});
    cosmicForm->addRow(QStringLiteral("Cosmic"), cosmicMode_);
    latitude_ = Number("latitudeEdit", 90, 4);
    latitude_->setMinimum(-90);
    longitude_ = Number("longitudeEdit", 360, 4);
    longitude_->setMinimum(-180);
    altitude_ = Number("altitudeEdit", 9000, 0);
    altitude_->setMinimum(-500);
    depth_ = Number("depthEdit", 1000, 2);
    density_ = Number("densityEdit", 5, 2);
    density_->setMinimum(0.5);
    density_->setValue(1.8);
    depthError_ = Number("depthErrorEdit", 1000, 2);
    densityError_ = Number("densityErrorEdit", 5, 2);
    cosmicForm->addRow(QStringLiteral("Latitude (°)"), latitude_);
    cosmicForm->addRow(QStringLiteral("Longitude (°)"), longitude_);
    cosmicForm->addRow(QStringLiteral("Altitude (m)"), altitude_);
    cosmicForm->addRow(QStringLiteral("Depth (m)"), Pair(depth_, depthError_));
    cosmicForm->addRow(QStringLiteral("Density (g/cm³)"), Pair(density_, densityError_));
    cosmic_ = Number("cosmicEdit", 10, 4);
    cosmicError_ = Number("cosmicErrorEdit", 10, 4);
    cosmicErrorTyped_ = new QCheckBox(QStringLiteral("Own uncertainty (else 10 %)"));
    cosmicErrorTyped_->setObjectName(QStringLiteral("cosmicErrorCheck"));
    cosmicForm->addRow(QStringLiteral("Typed"), Pair(cosmic_, cosmicError_));
    cosmicForm->addRow(QString(), cosmicErrorTyped_);
    column->addWidget(cosmicBox);

    auto* mcBox = new QGroupBox(QStringLiteral("Monte Carlo comparison"));
    auto* mcForm = new QFormLayout(mcBox);
    draws_ = new QSpinBox;
    draws_->setObjectName(QStringLiteral("drawsEdit"));
    // A million draws take about half a second: the dialog stays responsive without a
    // progress bar. Longer runs are for orvane-cli.
    draws_->setRange(0, 1000000);
    draws_->setSpecialValueText(QStringLiteral("off"));
    seed_ = new QSpinBox;
    seed_->setObjectName(QStringLiteral("seedEdit"));
    seed_->setRange(0, 2147483647);
    seed_->setValue(1);
    mcForm->addRow(QStringLiteral("Draws"), draws_);
    mcForm->addRow(QStringLiteral("Seed"), seed_);
    column->addWidget(mcBox);

    fadingBox_ = new QGroupBox(QStringLiteral("Fading correction (Huntley && Lamothe 2001)"));
    fadingBox_->setObjectName(QStringLiteral("fadingBox"));
    fadingBox_->setCheckable(true);
    fadingBox_->setChecked(false);
    fadingBox_->setToolTip(QStringLiteral(
        "The age corrected for anomalous fading; valid for doses on the linear part of the "
        "growth curve only"));
    auto* fadingForm = new QFormLayout(fadingBox_);
    fadingG_ = Number("fadingGEdit", 50.0, 2);
    fadingGError_ = Number("fadingGErrorEdit", 50.0, 2);
    fadingG_->setSuffix(QStringLiteral(" %/decade"));
    fadingGError_->setSuffix(QStringLiteral(" %/decade"));
    fadingForm->addRow(QStringLiteral("g-value"), Pair(fadingG_, fadingGError_));
    fadingTc_ = Number("fadingTcEdit", 1e9, 1);
    fadingTc_->setSuffix(QStringLiteral(" s"));
    fadingTc_->setValue(172800.0);
    fadingTc_->setToolTip(QStringLiteral("Time between irradiation and measurement in the "
                                         "laboratory"));
    fadingForm->addRow(QStringLiteral("tc"), fadingTc_);
    fadingTcG_ = Number("fadingTcGEdit", 1e9, 1);
    fadingTcG_->setSuffix(QStringLiteral(" s"));
    fadingTcG_->setSpecialValueText(QStringLiteral("tc"));
    fadingTcG_->setToolTip(QStringLiteral("The time the g-value is normalised to (0: tc)"));
    fadingForm->addRow(QStringLiteral("tc of g"), fadingTcG_);
    column->addWidget(fadingBox_);
    column->addStretch();

    auto* scroll = new QScrollArea;
    scroll->setWidget(form);
    scroll->setWidgetResizable(true);
    scroll->setMinimumWidth(form->sizeHint().width() + 24);

    ageLabel_ = new QLabel(QStringLiteral("Age: press Compute"));
    ageLabel_->setObjectName(QStringLiteral("ageLabel"));
    QFont big = ageLabel_->font();
    big.setPointSizeF(big.pointSizeF() * 1.3);
    big.setBold(true);
    ageLabel_->setFont(big);
    ageLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    ageLabel_->setWordWrap(true);
    ageLabel_->setMinimumHeight(QFontMetrics(big).lineSpacing() * 2 + 4);
    report_ = new QPlainTextEdit;
    report_->setObjectName(QStringLiteral("reportView"));
    report_->setReadOnly(true);
    report_->setMinimumWidth(420);
    status_ = new QLabel;
    status_->setObjectName(QStringLiteral("statusLabel"));
    status_->setWordWrap(true);

    auto* results = new QVBoxLayout;
    results->addWidget(ageLabel_);
    results->addWidget(report_, 1);
    results->addWidget(status_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close | QDialogButtonBox::Help);
    auto* compute = buttons->addButton(QStringLiteral("&Compute"), QDialogButtonBox::ActionRole);
    compute->setObjectName(QStringLiteral("computeButton"));
    compute->setDefault(true);
    auto* load =
        buttons->addButton(QStringLiteral("&Load inputs..."), QDialogButtonBox::ActionRole);
    load->setObjectName(QStringLiteral("loadButton"));
    auto* save =
        buttons->addButton(QStringLiteral("Save &inputs..."), QDialogButtonBox::ActionRole);
    save->setObjectName(QStringLiteral("saveInputsButton"));
    auto* copy = buttons->addButton(QStringLiteral("Co&py report"), QDialogButtonBox::ActionRole);
    copy->setObjectName(QStringLiteral("copyButton"));
    auto* saveReport =
        buttons->addButton(QStringLiteral("Save &report..."), QDialogButtonBox::ActionRole);
    saveReport->setObjectName(QStringLiteral("saveReportButton"));

    auto* top = new QHBoxLayout;
    top->addWidget(scroll);
    top->addLayout(results, 1);
    auto* main = new QVBoxLayout(this);
    main->addLayout(top, 1);
    main->addWidget(buttons);

    resize(1000, 760);
    connect(compute, &QPushButton::clicked, this, [this] { Compute(); });
    connect(load, &QPushButton::clicked, this, [this] { LoadInputsAsked(); });
    connect(save, &QPushButton::clicked, this, [this] { SaveInputsAsked(); });
    connect(copy, &QPushButton::clicked, this, [this] { CopyReport(); });
    connect(saveReport, &QPushButton::clicked, this, [this] { SaveReportAsked(); });
    connect(fromGrowth_, &QPushButton::clicked, this, [this] { FromGrowthCurve(); });
    connect(fromDoseModel_, &QPushButton::clicked, this, [this] { FromDoseModel(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, &TAgeDialog::helpRequested);
    connect(cosmicMode_, &QComboBox::currentIndexChanged, this, [this] { UpdateEnabled(); });
    connect(cosmicErrorTyped_, &QCheckBox::toggled, this, [this] { UpdateEnabled(); });
    connect(units_, &QComboBox::currentIndexChanged, this, [this] { UpdateEnabled(); });
    connect(internalUCheck_, &QCheckBox::toggled, this, [this] { UpdateEnabled(); });
    connect(internalThCheck_, &QCheckBox::toggled, this, [this] { UpdateEnabled(); });
    for (QDoubleSpinBox* box : {de_, deError_}) {
        connect(box, &QDoubleSpinBox::valueChanged, this,
                [this] { deSource_ = QStringLiteral("typed"); });
    }
}

void TAgeDialog::UpdateEnabled() {
    const int mode = cosmicMode_->currentIndex();
    for (QWidget* w : {static_cast<QWidget*>(latitude_), static_cast<QWidget*>(longitude_),
                       static_cast<QWidget*>(altitude_), static_cast<QWidget*>(depth_),
                       static_cast<QWidget*>(density_)}) {
        w->setEnabled(mode == kCosmicSite);
    }
    depthError_->setEnabled(mode == kCosmicSite);
    densityError_->setEnabled(mode == kCosmicSite);
    internalU_->setEnabled(internalUCheck_->isChecked());
    internalUError_->setEnabled(internalUCheck_->isChecked());
    internalTh_->setEnabled(internalThCheck_->isChecked());
    internalThError_->setEnabled(internalThCheck_->isChecked());
    for (auto [check, value, error] : {std::tuple{gammaRateCheck_, gammaRate_, gammaRateError_},
                                       std::tuple{alphaRateCheck_, alphaRate_, alphaRateError_},
                                       std::tuple{betaRateCheck_, betaRate_, betaRateError_}}) {
        value->setEnabled(check->isChecked());
        error->setEnabled(check->isChecked());
    }
    cosmic_->setEnabled(mode == kCosmicTyped);
    cosmicErrorTyped_->setEnabled(mode == kCosmicTyped);
    cosmicError_->setEnabled(mode == kCosmicTyped && cosmicErrorTyped_->isChecked());
    const bool activities = units_->currentIndex() == 1;
    const QString unit = activities ? QStringLiteral(" Bq/kg") : QString();
    k_->setSuffix(activities ? unit : QStringLiteral(" %"));
    for (QDoubleSpinBox* box : {u_, th_})
        box->setSuffix(activities ? unit : QStringLiteral(" ppm"));
    for (QDoubleSpinBox* box : {kError_, uError_, thError_}) box->setSuffix(unit);
    fromGrowth_->setEnabled(static_cast<bool>(doseSource_));
    double modelDose = 0.0, modelError = 0.0;
    std::string modelUnit, modelSummary;
    fromDoseModel_->setEnabled(doseModelSource_ &&
                               doseModelSource_(modelDose, modelError, modelUnit, modelSummary));
}

void TAgeDialog::SetEquivalentDoseSource(TDoseSource source) {
    doseSource_ = std::move(source);
    UpdateEnabled();
}

void TAgeDialog::SetDoseModelSource(TDoseModelSource source) {
    doseModelSource_ = std::move(source);
    UpdateEnabled();
}

bool TAgeDialog::TakeEquivalentDose(double dose, double error, const std::string& unit,
                                    const QString& source) {
    TMeasured gray;
    std::string message;
    if (!EquivalentDoseInGray({dose, error}, unit, gray, message)) {
        ShowStatus(FromStd(message), true);
        return false;
    }
    de_->setValue(gray.Value);
    deError_->setValue(gray.Error);
    deSource_ = source;
    if (unit != "Gy") deSource_ += QStringLiteral(", converted from %1").arg(FromStd(unit));
    return true;
}

void TAgeDialog::FromDoseModel() {
    double dose = 0.0, error = 0.0;
    std::string unit, summary;
    if (!doseModelSource_ || !doseModelSource_(dose, error, unit, summary)) {
        ShowStatus(QStringLiteral("No dose model yet: compute one with \"Dose models\" in the "
                                  "result viewer."),
                   true);
        return;
    }
    if (!TakeEquivalentDose(dose, error, unit, QStringLiteral("dose model, ") + FromStd(summary)))
        return;
    ShowStatus(QStringLiteral("Equivalent dose taken from the dose model: %1 %2")
                   .arg(QLocale().toString(dose, 'g', 6), FromStd(unit)),
               false);
}

void TAgeDialog::SetFadingCorrection(bool on, double g, double gError, double tc, double tcG) {
    fadingBox_->setChecked(on);
    fadingG_->setValue(g);
    fadingGError_->setValue(gError);
    fadingTc_->setValue(tc);
    fadingTcG_->setValue(tcG);
}

TFadingCorrectionInput TAgeDialog::FadingInput() const {
    TFadingCorrectionInput in;
    in.Age = result_.Age;
    in.AgeError = result_.ErrorTotal;
    in.G = fadingG_->value();
    in.GError = fadingGError_->value();
    in.Tc = fadingTc_->value();
    in.TcG = fadingTcG_->value();
    in.Seed = static_cast<std::uint64_t>(seed_->value());
    return in;
}

bool TAgeDialog::CorrectAgeForFading() {
    hasFading_ = false;
    if (!fadingBox_->isChecked()) return true;
    const TFadingCorrectionResult r = CorrectForFading(FadingInput());
    if (r.Code != TFadingFitCode::Ok) {
        ShowStatus(QStringLiteral("Fading correction: ") + QLatin1String(FadingCodeMessage(r.Code)),
                   true);
        return false;
    }
    fading_ = r;
    hasFading_ = true;
    return true;
}

void TAgeDialog::FromGrowthCurve() {
    double dose = 0.0, error = 0.0;
    std::string unit;
    if (!doseSource_ || !doseSource_(dose, error, unit)) {
        ShowStatus(
            QStringLiteral("Growth-curve mode has no solution yet: type the equivalent dose."),
            true);
        return;
    }
    if (!TakeEquivalentDose(dose, error, unit,
                            QStringLiteral("growth curve, the last solution of growth-curve mode")))
        return;
    ShowStatus(QStringLiteral("Equivalent dose taken from the last growth-curve solution."), false);
}

TDoseRateInputs TAgeDialog::Inputs() const {
    TDoseRateInputs in;
    const bool activities = units_->currentIndex() == 1;
    if (activities) {
        in.HasKActivity = in.HasUActivity = in.HasThActivity = true;
        in.KActivity = {k_->value(), kError_->value()};
        in.UActivity = {u_->value(), uError_->value()};
        in.ThActivity = {th_->value(), thError_->value()};
    } else {
        in.K = {k_->value(), kError_->value()};
        in.U = {u_->value(), uError_->value()};
        in.Th = {th_->value(), thError_->value()};
    }
    in.Rb = {rb_->value(), rbError_->value()};
    ParseConversionTable(factors_->currentData().toString().toStdString(), in.Factors);
    ParseBetaAttenuationTable(attenuation_->currentData().toString().toStdString(), in.Attenuation);
    in.HasGrainSize = grainBox_->isChecked();
    in.GrainSize = {grainMin_->value(), grainMax_->value()};
    in.HasEtch = etchBox_->isChecked();
    in.Etch = {etchMin_->value(), etchMax_->value()};
    in.Water = {water_->value() / 100.0, waterError_->value() / 100.0};
    in.SourceCalibrationError = calibration_->value();
    in.HasAValue = alphaBox_->isChecked();
    in.AValue = {aValue_->value(), aValueError_->value()};
    in.HasInternalK = in.HasInternalRb = internalBox_->isChecked();
    in.InternalK = {internalK_->value(), internalKError_->value()};
    in.InternalRb = {internalRb_->value(), internalRbError_->value()};
    in.HasInternalU = internalBox_->isChecked() && internalUCheck_->isChecked();
    in.InternalU = {internalU_->value(), internalUError_->value()};
    in.HasInternalTh = internalBox_->isChecked() && internalThCheck_->isChecked();
    in.InternalTh = {internalTh_->value(), internalThError_->value()};
    in.HasGammaRate = gammaRateCheck_->isChecked();
    in.GammaRate = {gammaRate_->value(), gammaRateError_->value()};
    in.HasAlphaRate = alphaRateCheck_->isChecked();
    in.AlphaRate = {alphaRate_->value(), alphaRateError_->value()};
    in.HasBetaRate = betaRateCheck_->isChecked();
    in.BetaRate = {betaRate_->value(), betaRateError_->value()};
    const int mode = cosmicMode_->currentIndex();
    in.HasSite = mode == kCosmicSite;
    in.Site = {latitude_->value(), longitude_->value(), altitude_->value(), depth_->value(),
               density_->value()};
    if (in.HasSite) {
        in.DepthError = depthError_->value();
        in.DensityError = densityError_->value();
    }
    in.HasCosmic = mode == kCosmicTyped;
    in.Cosmic = cosmic_->value();
    in.HasCosmicError = in.HasCosmic && cosmicErrorTyped_->isChecked();
    in.CosmicError = cosmicError_->value();
    in.MonteCarloDraws = draws_->value();
    in.Seed = static_cast<std::uint64_t>(seed_->value());
    return in;
}

TAgeFileExtras TAgeDialog::Extras() const {
    TAgeFileExtras extras;
    extras.Sample = sample_->text().toStdString();
    extras.HasDe = true;
    extras.De = {de_->value(), deError_->value()};
    extras.DeSource = deSource_.toStdString();
    return extras;
}

void TAgeDialog::SetInputs(const TDoseRateInputs& in, const TAgeFileExtras& extras) {
    const bool activities = in.HasKActivity || in.HasUActivity || in.HasThActivity;
    units_->setCurrentIndex(activities ? 1 : 0);
    const TMeasured k = activities ? in.KActivity : in.K;
    const TMeasured u = activities ? in.UActivity : in.U;
    const TMeasured th = activities ? in.ThActivity : in.Th;
    k_->setValue(k.Value);
    kError_->setValue(k.Error);
    u_->setValue(u.Value);
    uError_->setValue(u.Error);
    th_->setValue(th.Value);
    thError_->setValue(th.Error);
    rb_->setValue(in.Rb.Value);
    rbError_->setValue(in.Rb.Error);
    factors_->setCurrentIndex(
        factors_->findData(FromStd(std::string(ConversionTableKey(in.Factors)))));
    attenuation_->setCurrentIndex(
        attenuation_->findData(FromStd(std::string(BetaAttenuationKey(in.Attenuation)))));
    grainBox_->setChecked(in.HasGrainSize);
    grainMin_->setValue(in.GrainSize.Min);
    grainMax_->setValue(in.GrainSize.Max);
    etchBox_->setChecked(in.HasEtch);
    etchMin_->setValue(in.Etch.Min);
    etchMax_->setValue(in.Etch.Max);
    water_->setValue(in.Water.Value * 100.0);
    waterError_->setValue(in.Water.Error * 100.0);
    calibration_->setValue(in.SourceCalibrationError);
    alphaBox_->setChecked(in.HasAValue);
    aValue_->setValue(in.AValue.Value);
    aValueError_->setValue(in.AValue.Error);
    internalBox_->setChecked(in.HasInternalK || in.HasInternalRb || in.HasInternalU ||
                             in.HasInternalTh);
    internalUCheck_->setChecked(in.HasInternalU);
    internalU_->setValue(in.InternalU.Value);
    internalUError_->setValue(in.InternalU.Error);
    internalThCheck_->setChecked(in.HasInternalTh);
    internalTh_->setValue(in.InternalTh.Value);
    internalThError_->setValue(in.InternalTh.Error);
    gammaRateCheck_->setChecked(in.HasGammaRate);
    gammaRate_->setValue(in.GammaRate.Value);
    gammaRateError_->setValue(in.GammaRate.Error);
    alphaRateCheck_->setChecked(in.HasAlphaRate);
    alphaRate_->setValue(in.AlphaRate.Value);
    alphaRateError_->setValue(in.AlphaRate.Error);
    betaRateCheck_->setChecked(in.HasBetaRate);
    betaRate_->setValue(in.BetaRate.Value);
    betaRateError_->setValue(in.BetaRate.Error);
    if (in.HasInternalK) {
        internalK_->setValue(in.InternalK.Value);
        internalKError_->setValue(in.InternalK.Error);
    }
    if (in.HasInternalRb) {
        internalRb_->setValue(in.InternalRb.Value);
        internalRbError_->setValue(in.InternalRb.Error);
    }
    cosmicMode_->setCurrentIndex(in.HasSite     ? kCosmicSite
                                 : in.HasCosmic ? kCosmicTyped
                                                : kCosmicNone);
    latitude_->setValue(in.Site.Latitude);
    longitude_->setValue(in.Site.Longitude);
    altitude_->setValue(in.Site.Altitude);
    depth_->setValue(in.Site.Depth);
    if (in.HasSite) density_->setValue(in.Site.Density);
    depthError_->setValue(in.DepthError);
    densityError_->setValue(in.DensityError);
    cosmic_->setValue(in.Cosmic);
    cosmicErrorTyped_->setChecked(in.HasCosmicError);
    cosmicError_->setValue(in.CosmicError);
    draws_->setValue(in.MonteCarloDraws);
    seed_->setValue(static_cast<int>(std::min<std::uint64_t>(in.Seed, 2147483647)));
    if (!extras.Sample.empty()) sample_->setText(FromStd(extras.Sample));
    if (extras.HasDe) {
        de_->setValue(extras.De.Value);
        deError_->setValue(extras.De.Error);
        deSource_ = extras.DeSource.empty() ? QStringLiteral("typed") : FromStd(extras.DeSource);
    }
    UpdateEnabled();
}

bool TAgeDialog::Compute() {
    const TDoseRateInputs inputs = Inputs();
    std::string message;
    TAgeResult result;
    if (!ComputeAge({de_->value(), deError_->value()}, inputs, result, message)) {
        hasResult_ = false;
        hasFading_ = false;
        ageLabel_->setText(QStringLiteral("Age: not computed"));
        report_->clear();
        ShowStatus(FromStd(message), true);
        return false;
    }
    result_ = result;
    hasResult_ = true;
    const QLocale locale;
    QString text =
        QStringLiteral("Age: %1 ka\nrandom %2 ka, systematic %3 ka")
            .arg(Shown(result.Age, result.ErrorTotal), locale.toString(result.ErrorRandom, 'f', 2),
                 locale.toString(result.ErrorSystematic, 'f', 2));
    const TMonteCarloSummary& mc = result.DoseRate.MonteCarlo;
    if (result.DoseRate.HasMonteCarlo && mc.HasAge) {
        text += QStringLiteral("\nMonte Carlo: %1 ka").arg(Shown(mc.Age.Value, mc.Age.Error));
    }
    ShowStatus(QString(), false);
    if (CorrectAgeForFading() && hasFading_) {
        text += QStringLiteral("\nFading-corrected: %1 ka (g = %2 %/decade)")
                    .arg(Shown(fading_.Age, fading_.AgeError),
                         Shown(fading_.G, fading_.GError));
        if (fading_.DrawsRefused > 0) {
            ShowStatus(QStringLiteral("Fading correction: %1 Monte Carlo draws lie beyond the "
                                      "model and are left out of the error.")
                           .arg(QLocale().toString(fading_.DrawsRefused)),
                       true);
        }
    }
    ageLabel_->setText(text);
    report_->setPlainText(ReportText());
    KeepInputs();
    return true;
}

QString TAgeDialog::ReportText() const {
    if (!hasResult_) return QString();
    std::string text = AgeReportText({sample_->text().toStdString(), deSource_.toStdString()},
                                     Inputs(), {de_->value(), deError_->value()}, result_);
    if (hasFading_) text += FadingReportText(FadingInput(), fading_);
    return FromStd(text);
}

QString TAgeDialog::ReportCsv() const {
    if (!hasResult_) return QString();
    std::string text = AgeReportCsv({sample_->text().toStdString(), deSource_.toStdString()},
                                    Inputs(), {de_->value(), deError_->value()}, result_);
    if (hasFading_) text += FadingReportCsv(FadingInput(), fading_);
    return FromStd(text);
}

bool TAgeDialog::LoadInputsFile(const QString& path, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("Cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    const QByteArray bytes = file.read(static_cast<qint64>(kMaxDoseRateJsonSize) + 1);
    TDoseRateInputs inputs;
    TAgeFileExtras extras;
    std::string message;
    if (!ParseDoseRateInputsJson(std::string_view(bytes.constData(), bytes.size()), inputs, extras,
                                 message)) {
        error = QStringLiteral("%1: %2").arg(path, FromStd(message));
        return false;
    }
    SetInputs(inputs, extras);
    return true;
}

bool TAgeDialog::SaveInputsFile(const QString& path, QString& error) const {
    const TAgeFileExtras extras = Extras();
    return WriteFileAtomically(
        path, QByteArray::fromStdString(DoseRateInputsJson(Inputs(), &extras)), error);
}

bool TAgeDialog::SaveReport(const QString& path, QString& error) const {
    if (!hasResult_) {
        error = QStringLiteral("Compute the age first.");
        return false;
    }
    const bool csv = path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive);
    return WriteFileAtomically(path, (csv ? ReportCsv() : ReportText()).toUtf8(), error);
}

// The inputs of the data file, kept beside it after a computation; the previous file becomes
// S12.age.~json.
void TAgeDialog::KeepInputs() {
    if (dataFile_.isEmpty()) return;
    const QString side = SideFilePath(dataFile_);
    const TAgeFileExtras extras = Extras();
    const QByteArray bytes = QByteArray::fromStdString(DoseRateInputsJson(Inputs(), &extras));
    QFile current(side);
    if (current.open(QIODevice::ReadOnly) && current.readAll() == bytes) return;
    current.close();
    if (QFileInfo::exists(side)) {
        const QString backup = side.left(side.size() - 4) + QStringLiteral("~json");
        QFile::remove(backup);
        QFile::copy(side, backup);
    }
    QString error;
    if (!WriteFileAtomically(side, bytes, error)) ShowStatus(error, true);
}

void TAgeDialog::LoadInputsAsked() {
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("Load dose-rate inputs"), QFileInfo(dataFile_).absolutePath(),
        QStringLiteral("Dose-rate inputs (*.json);;All files (*)"));
    if (path.isEmpty()) return;
    QString error;
    if (LoadInputsFile(path, error)) {
        ShowStatus(QStringLiteral("Inputs read from %1").arg(path), false);
    } else {
        ShowStatus(error, true);
    }
}

void TAgeDialog::SaveInputsAsked() {
    const QString path =
        QFileDialog::getSaveFileName(this, QStringLiteral("Save dose-rate inputs"),
                                     dataFile_.isEmpty() ? QString() : SideFilePath(dataFile_),
                                     QStringLiteral("Dose-rate inputs (*.json)"));
    if (path.isEmpty()) return;
    QString error;
    if (SaveInputsFile(path, error)) {
        ShowStatus(QStringLiteral("Inputs saved to %1").arg(path), false);
    } else {
        ShowStatus(error, true);
    }
}

void TAgeDialog::SaveReportAsked() {
    QString filter;
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Save age report"), QFileInfo(dataFile_).absolutePath(),
        QStringLiteral("Text (*.txt);;CSV (*.csv)"), &filter);
    if (path.isEmpty()) return;
    QString target = path;
    if (QFileInfo(target).suffix().isEmpty()) {
        target += filter.contains(QStringLiteral("csv")) ? QStringLiteral(".csv")
                                                         : QStringLiteral(".txt");
    }
    QString error;
    if (SaveReport(target, error)) {
        ShowStatus(QStringLiteral("Report saved to %1").arg(target), false);
    } else {
        ShowStatus(error, true);
    }
}

void TAgeDialog::CopyReport() {
    if (!hasResult_) {
        ShowStatus(QStringLiteral("Compute the age first."), true);
        return;
    }
    QApplication::clipboard()->setText(ReportText());
    ShowStatus(QStringLiteral("Report copied."), false);
}

void TAgeDialog::ShowStatus(const QString& text, bool error) {
    status_->setText(text);
    status_->setStyleSheet(error ? QStringLiteral("color: #b00020;") : QString());
}
