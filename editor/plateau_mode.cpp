#include "editor/plateau_mode.h"

#include "editor/growth_mode.h"
#include "record_store/editor_error.h"

TPlateauMode::TPlateauMode(TGrowthMode& growth) : growth_(&growth) {}

void TPlateauMode::Enter() {
    if (!growth_) throw TEditorError("The plateau test needs growth-curve mode.");
    growth_->EnterAs(Command(), TIndexMode::All);
}

void TPlateauMode::Leave() {
    if (growth_) growth_->Leave();
}

QWidget* TPlateauMode::Panel() {
    return growth_ ? growth_->Panel() : nullptr;
}

QString TPlateauMode::StatusText() const {
    return growth_ ? growth_->StatusText() : QString();
}
