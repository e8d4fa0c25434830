#pragma once
// "Fading test" mode: the record form gives way to the fading panel, the grid shows the TL
// runs the record filter lets through, and records dragged from the grid fill the lists
// "Faded records" and "Fresh records". "Check fading" computes the ratio of the two groups'
// mean curves (analysis/fading_test.h) and shows it in the result viewer ("GraphEditor");
// "Fit g-value" fits the fading rate to the listed records (analysis/fading_g_value.h).
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <optional>

#include "analysis/fading_correction.h"
#include "analysis/fading_test.h"
#include "analysis/graph_messages.h"
#include "analysis/plateau_array.h"
#include "editor/editor_mode.h"
#include "editor/fading_panel.h"

class TEditorShell;

class TFadingMode : public QObject, public TEditorMode {
    Q_OBJECT

public:
    explicit TFadingMode(TEditorShell& shell);
    ~TFadingMode() override;

    TActionId Command() const override { return TActionId::ComputeFading; }
    TModeGroup Group() const override { return TModeGroup::Compute; }
    void Enter() override;
    void Leave() override;
    QWidget* Panel() override;
    std::function<bool(TBinDataSet&)> GridFilter() override;
    QString StatusText() const override;

    // "Apply filter": the grid shows the records the panel's filter lets through.
    void ApplyFilter();
    // Adds the selected grid rows (clearing the selection), or else the current record, to
    // `list`: what a drop of grid records on the list does.
    void AddGridRecords(TFadingList* list);
    // "Check fading": nothing when a list is empty; a group without curve data is reported
    // in the panel and shows nothing.
    void CheckFading();
    // "Fit g-value": the g-value of the listed records with the panel's delay and tc, shown
    // in the panel; false with the reason shown there.
    bool FitGValue();
    const TGValueResult& GValue() const { return gValue_; }

    TFadingPanel* FadingPanel() const { return panel_.data(); }
    // The ratios of the last "Check fading" (empty before and after the mode).
    const TPlateauArray& Result() const { return result_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::string Notes() const;
    TFadingTexts Texts() const;
    void ReleaseViewer();

    TEditorShell& shell_;
    TGraphDispatcher& messages_;
    QPointer<TFadingPanel> panel_;  // the mode's; the window's stack holds it while shown
    TFadingFilter filter_;
    TFadingTexts texts_;    // record kind and text locale of the shown view
    TPlateauArray result_;  // read by the result viewer through its address
    TGValueResult gValue_;
    bool resultShown_ = false;
    std::optional<int32_t> remembered_;
    QPoint pressAt_;
    bool pressed_ = false;
    bool on_ = false;
};
