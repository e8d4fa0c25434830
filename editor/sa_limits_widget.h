#pragma once
// The group " Select limits " of the growth panel for the single-aliquot methods: the signal
// and background windows of the shine (s), "use always own bgd", the test-dose
// " Normalization " (No, OSL, TL, NCF) and the "TL norm limits" (degC). "use always own bgd"
// shows for OSL and NCF, the TL limits for TL and NCF, "Set NCF template" for NCF. The group
// The row "Reject, %:" below them holds the five SAR thresholds in percent (typed in the
// user's locale).
#include <QGroupBox>

#include "analysis/single_aliquot.h"

class QButtonGroup;
class QCheckBox;
class QDoubleSpinBox;
class QPushButton;

class TSaLimitsWidget : public QGroupBox {
    Q_OBJECT

public:
    explicit TSaLimitsWidget(QWidget* parent = nullptr);
    TSaLimits Limits() const;
    // Shows limits (the rewritten channel boundaries, a normalisation that fell back).
    void ShowLimits(const TSaLimits& limits);

signals:
    // "Set NCF template" was clicked.
    void ncfTemplateRequested();
    // "Toggle accept" was clicked: the aliquot of the index field is accepted whatever its
    // criteria, or no longer.
    void acceptToggleRequested();

private:
    void UpdateVisibility();

    QDoubleSpinBox* numIO_[8] = {};  // NumIO3 .. NumIO10
    QCheckBox* ownBackground_ = nullptr;
    QButtonGroup* normalization_ = nullptr;
    QWidget* tlLimits_ = nullptr;  // "TL norm limits"
    QPushButton* setNcf_ = nullptr;
    // Recycling, recuperation, test dose error, dose error, IR depletion (percent).
    QDoubleSpinBox* criteria_[5] = {};
};
