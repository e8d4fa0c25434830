#pragma once
// "Compute age": the dose-rate inputs of a sample, the equivalent dose (typed, the last
// solution of growth-curve mode or the last dose model of the result viewer), the dose-rate
// components and the age with its random, systematic and total uncertainty, optionally the
// age corrected for anomalous fading, and a report to copy or save as text or CSV. Numbers are
// typed and shown in the user's locale; the water content is typed in per cent of the dry
// mass. The inputs of a data file are kept beside it when an age is computed (S12.DAT:
// S12.age.json, the previous one kept as S12.age.~json); closing without computing writes
// nothing.
#include <QDialog>
#include <QString>
#include <functional>

#include "analysis/dose_rate.h"
#include "analysis/dose_rate_json.h"
#include "analysis/fading_correction.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

class TAgeDialog : public QDialog {
    Q_OBJECT
public:
    // `dataFile` is the open record file; empty when none (nothing is then kept beside it).
    explicit TAgeDialog(const QString& dataFile, QWidget* parent = nullptr);

    // The inputs file kept beside a data file: S12.DAT -> S12.age.json.
    static QString SideFilePath(const QString& dataFile);

    // Where the equivalent dose of "From growth curve" comes from: the last solution of
    // growth-curve mode, with the unit of the source's dose rate ("Gy"). The source returns
    // false while there is none. Without a source the button stays disabled. A dose in mGy,
    // cGy or kGy is converted to Gy; one in any other unit is refused.
    using TDoseSource = std::function<bool(double& dose, double& error, std::string& unit)>;
    void SetEquivalentDoseSource(TDoseSource source);
    // Where the dose of "From dose model" comes from: the last dose model computed in the
    // result viewer, with its unit and the model's one-line summary. False while there is
    // none; the button is enabled only while the source has a dose.
    using TDoseModelSource = std::function<bool(double& dose, double& error, std::string& unit,
                                                std::string& summary)>;
    void SetDoseModelSource(TDoseModelSource source);

    // The fading correction after the age (Huntley & Lamothe 2001): on, and its g-value
    // (% per decade) with its error, tc and the tc the g-value is normalised to (seconds;
    // 0: tc).
    void SetFadingCorrection(bool on, double g, double gError, double tc, double tcG);
    bool HasFadingResult() const { return hasFading_; }
    const TFadingCorrectionResult& FadingResult() const { return fading_; }

    // The inputs as the dialog shows them, and setting them into the dialog.
    TDoseRateInputs Inputs() const;
    TAgeFileExtras Extras() const;
    void SetInputs(const TDoseRateInputs& inputs, const TAgeFileExtras& extras);

    // Computes and shows the result; false (with the message shown) when an input is refused.
    bool Compute();
    const TAgeResult& Result() const { return result_; }
    bool HasResult() const { return hasResult_; }
    QString ReportText() const;
    QString ReportCsv() const;

    bool LoadInputsFile(const QString& path, QString& error);
    bool SaveInputsFile(const QString& path, QString& error) const;
    // CSV when the name ends in .csv, text otherwise.
    bool SaveReport(const QString& path, QString& error) const;

signals:
    // The Help button: the window shows the help page of the age tools.
    void helpRequested();

private:
    QDoubleSpinBox* Number(const char* name, double max, int decimals);
    void BuildUi();
    void UpdateEnabled();
    void FromGrowthCurve();
    void FromDoseModel();
    // Puts a dose in the unit of its source into the dose fields, in Gy, and names its source;
    // false (with the reason shown) when the unit cannot be converted.
    bool TakeEquivalentDose(double dose, double error, const std::string& unit,
                            const QString& source);
    TFadingCorrectionInput FadingInput() const;
    // The fading-corrected age of the age computed; false with the reason shown.
    bool CorrectAgeForFading();
    void LoadInputsAsked();
    void SaveInputsAsked();
    void SaveReportAsked();
    void CopyReport();
    void KeepInputs();
    void ShowStatus(const QString& text, bool error);

    QString dataFile_;
    TDoseSource doseSource_;
    TDoseModelSource doseModelSource_;
    TFadingCorrectionResult fading_;
    bool hasFading_ = false;
    QString deSource_;  // where the equivalent dose shown came from
    TAgeResult result_;
    bool hasResult_ = false;

    QLineEdit* sample_ = nullptr;
    QDoubleSpinBox *de_ = nullptr, *deError_ = nullptr;
    QPushButton* fromGrowth_ = nullptr;
    QPushButton* fromDoseModel_ = nullptr;
    QGroupBox* fadingBox_ = nullptr;
    QDoubleSpinBox *fadingG_ = nullptr, *fadingGError_ = nullptr, *fadingTc_ = nullptr,
                   *fadingTcG_ = nullptr;
    QComboBox* units_ = nullptr;
    QDoubleSpinBox *k_ = nullptr, *kError_ = nullptr, *u_ = nullptr, *uError_ = nullptr;
    QDoubleSpinBox *th_ = nullptr, *thError_ = nullptr, *rb_ = nullptr, *rbError_ = nullptr;
    QComboBox *factors_ = nullptr, *attenuation_ = nullptr;
    QGroupBox *grainBox_ = nullptr, *etchBox_ = nullptr, *alphaBox_ = nullptr;
    QGroupBox* internalBox_ = nullptr;
    QDoubleSpinBox *grainMin_ = nullptr, *grainMax_ = nullptr, *etchMin_ = nullptr,
                   *etchMax_ = nullptr;
    QDoubleSpinBox *water_ = nullptr, *waterError_ = nullptr, *aValue_ = nullptr,
                   *aValueError_ = nullptr;
    QDoubleSpinBox *internalK_ = nullptr, *internalKError_ = nullptr, *internalRb_ = nullptr,
                   *internalRbError_ = nullptr;
    QCheckBox *internalUCheck_ = nullptr, *internalThCheck_ = nullptr;
    QDoubleSpinBox *internalU_ = nullptr, *internalUError_ = nullptr, *internalTh_ = nullptr,
                   *internalThError_ = nullptr;
    QCheckBox *gammaRateCheck_ = nullptr, *alphaRateCheck_ = nullptr, *betaRateCheck_ = nullptr;
    QDoubleSpinBox *gammaRate_ = nullptr, *gammaRateError_ = nullptr, *alphaRate_ = nullptr,
                   *alphaRateError_ = nullptr, *betaRate_ = nullptr, *betaRateError_ = nullptr;
    QDoubleSpinBox* calibration_ = nullptr;
    QComboBox* cosmicMode_ = nullptr;
    QDoubleSpinBox *latitude_ = nullptr, *longitude_ = nullptr, *altitude_ = nullptr,
                   *depth_ = nullptr, *density_ = nullptr, *cosmic_ = nullptr,
                   *cosmicError_ = nullptr, *depthError_ = nullptr, *densityError_ = nullptr;
    QCheckBox* cosmicErrorTyped_ = nullptr;
    QSpinBox *draws_ = nullptr, *seed_ = nullptr;
    QLabel* ageLabel_ = nullptr;
    QLabel* status_ = nullptr;
    QPlainTextEdit* report_ = nullptr;
};
