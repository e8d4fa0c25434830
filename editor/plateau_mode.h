#pragma once
// "Plateau test": a compute mode without a panel of its own. It is the growth-curve workflow
// opened for the plateau test: the growth panel with "All" chosen as index mode (the user may
// switch to "Range"), so that "Compute" runs the dose at every channel or temperature step
// and then over the ROIs. The growth-curve mode does the work; this mode only gives it the
// command "Plateau test", so that the switcher turns the two on and off like any pair of
// compute modes.
#include <QPointer>

#include "editor/editor_mode.h"

class TGrowthMode;

class TPlateauMode : public TEditorMode {
public:
    explicit TPlateauMode(TGrowthMode& growth);

    TActionId Command() const override { return TActionId::ComputePlateau; }
    TModeGroup Group() const override { return TModeGroup::Compute; }
    void Enter() override;
    void Leave() override;
    QWidget* Panel() override;
    QString StatusText() const override;

    // The growth-curve mode that does the work (nullptr once it is gone).
    TGrowthMode* Growth() const { return growth_.data(); }

private:
    QPointer<TGrowthMode> growth_;
};
