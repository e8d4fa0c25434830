// Growth-curve mode, "Set NCF template": the natural-signal normalisation template of the
// disk in the first index field, shown in "Select normalization scheme", and the TL pair the
// user chooses there for that disk or for every disk.
#include <QMessageBox>

#include "analysis/ncf_template_dialog.h"
#include "editor/editor_document.h"
#include "editor/editor_shell.h"
#include "editor/growth_mode.h"
#include "editor/user_prompts.h"
#include "record_store/bin_data_set.h"
#include "record_store/field_value.h"

namespace {

// "r#" + "Run#" + ": " + "Device" + " " + "Info" of a disk's element, or "not found".
QString ElementText(const TBinDataSet* view, const TLookupTable& table, const TDiskList& disk,
                    int element) {
    if (view == nullptr || element < 0 || element >= static_cast<int>(disk.Elements.size()))
        return QStringLiteral("not found");
    const TLookupRecord& e =
        table[static_cast<std::size_t>(disk.Elements[static_cast<std::size_t>(element)].Ordinal)];
    const auto text = [&](const char* name) {
        const int field = view->FieldIndex(name);
        if (field < 0) return QString();
        return QString::fromStdString(ValueAsString(view->ValueAt(e.RecordIndex, field))).trimmed();
    };
    return QStringLiteral("r#%1: %2 %3").arg(text("Run#"), text("Device"), text("Info"));
}

}  // namespace

void TGrowthMode::SetNcfTemplate() {
    if (!on_ || !hasPlatter_ || RangeRunning()) return;
    const int number = panel_->FirstValue();
    const auto found = platter_.Disks.find(number);
    if (found == platter_.Disks.end()) return;
    const TBinDataSet* view = shell_.Document().ShownView();

    const TDiskList& disk = found->second;
    const auto text = [&](int element) { return ElementText(view, table_, disk, element); };

    TNcfTolerances tolerances = ncfTolerances_;
    TNCFTemplateDlg dialog(tolerances, shell_.Window());
    dialog.SetCurrentDisk(QString::number(number));
    dialog.SetNatural(text(disk.NcfNatural));
    dialog.SetNormalization(text(disk.NcfReference));
    dialog.SetCorrection(disk.NcfScale);
    dialog.ClearLists();
    // The lists start with "select record" and "1.0": the measurements follow them.
    const TNcfBlocks blocks = NcfTLBlocks(disk);
    for (std::size_t n = 0; n < blocks.first.size(); ++n) {
        dialog.AddDenominator(text(blocks.first[n]), blocks.first[n]);
        if (blocks.first[n] == disk.NcfFirstTL) dialog.SelectDenominator(static_cast<int>(n) + 2);
    }
    for (std::size_t n = 0; n < blocks.second.size(); ++n) {
        dialog.AddNumerator(text(blocks.second[n]), blocks.second[n]);
        if (blocks.second[n] == disk.NcfSecondTL) dialog.SelectNumerator(static_cast<int>(n) + 2);
    }
    if (!disk.NcfFound) {
        shell_.Prompts().ShowWarning(
            shell_.Window(), QStringLiteral("Measurements do not follow NCF template\n\r   or "
                                            "parameters are too restrictive."));
    }
    const int answer = dialog.exec();
    if (answer == TNCFTemplateDlg::kCancel) return;
    const std::optional<int> numerator = dialog.NumeratorObject();
    const std::optional<int> denominator = dialog.DenominatorObject();
    // New tolerances recognise the templates again before the choice is applied.
    const bool retolerated = tolerances.firstTL != ncfTolerances_.firstTL ||
                             tolerances.sumToReference != ncfTolerances_.sumToReference;
    ncfTolerances_ = tolerances;
    if (retolerated) RecognizeNcfSchemes(platter_, table_, ncfTolerances_);
    const bool toAll = answer == TNCFTemplateDlg::kApplyToAll;
    if (!disk.NcfFound && numerator && denominator) {
        shell_.SetModeStatus(QStringLiteral("Disk %1 does not follow the NCF template; nothing "
                                            "was changed.")
                                 .arg(number));
        return;
    }
    const std::vector<std::int32_t> unfit =
        ApplyNcfTemplate(platter_, number, numerator, denominator, toAll);
    if (!unfit.empty()) {
        QStringList disks;
        for (std::int32_t d : unfit) disks << QString::number(d);
        shell_.Prompts().ShowWarning(
            shell_.Window(),
            QStringLiteral("The chosen TL measurements have no counterpart on disk(s) %1; these "
                           "disks are left without NCF correction.")
                .arg(disks.join(QStringLiteral(", "))));
    }
}
