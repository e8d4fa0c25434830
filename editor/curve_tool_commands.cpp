#include "editor/curve_tool_commands.h"

#include <QAction>
#include <exception>
#include <optional>

#include "editor/bin_data_grid.h"
#include "editor/bin_data_model.h"
#include "editor/editor_document.h"
#include "editor/editor_shell.h"
#include "editor/records_snapshot_command.h"
#include "editor/run_progress.h"
#include "editor/user_prompts.h"
#include "record_store/bin_data_set.h"
#include "roi/roi_sets.h"
#include "tools/ascii_export.h"
#include "tools/ascii_export_dialog.h"
#include "tools/background_subtraction.h"
#include "tools/deglitch.h"
#include "tools/deglitch_dialog.h"
#include "tools/normalization.h"
#include "tools/raw_intensity_dialog.h"
#include "tools/tl_norm_dialog.h"

namespace {

const int kNormalizeHelp = 151;
const int kDeglitchHelp = 152;

// The dialogs of "Normalize", kept for the life of the window so that their values persist.
struct TNormalizeDialogs {
    TTLNorm* tl;
    TSecretNormDlg* raw;
};

// "Normalize": the TL glow curves of every disk when the file holds two or more TL
// normalisation runs, otherwise the raw curves of the selected (or the current) records.
void RunNormalize(TEditorShell& shell, const TNormalizeDialogs& dialogs) {
    TEditorDocument& document = shell.Document();
    TBinDataSet* view = document.ShownView();
    if (!view || view->IsEmpty()) return;
    const bool tl = ChooseNormalization(*view) == TNormalizeOperation::TLGlowCurves;
    QDialog* dialog = tl ? static_cast<QDialog*>(dialogs.tl) : dialogs.raw;
    if (dialog->exec() != QDialog::Accepted) return;
    TNormalizationReport report;
    try {
        if (tl) {
            const std::vector<int32_t> ids = AllRecordIds(*view);
            const TRecordsChange change(&document, QStringLiteral("Normalize TL glow curves"), ids);
            report = NormalizeTLGlowCurves(*view, document.CurveFields(), dialogs.tl->Window());
        } else {
            const std::vector<int32_t> ids = document.SelectedOrCurrentRecords();
            const TRecordsChange change(
                &document, QStringLiteral("Change raw intensity (%1)").arg(RecordsText(ids.size())),
                ids);
            report = ChangeRawIntensity(*view, document.CurveFields(), dialogs.raw->Factor(),
                                        document.SelectedRecords());
        }
    } catch (const std::exception& e) {
        shell.ShowError(QString::fromStdString(e.what()));
    }
    shell.RefreshView();
    document.NotifyRecordsChanged();
    shell.UpdateActions();
    shell.SetToolStatus(QStringLiteral("Normalized %1").arg(RecordsText(report.changed.size())));
}

void RunDeglitch(TEditorShell& shell, TSmoothRangeDlg& dialog) {
    TEditorDocument& document = shell.Document();
    TBinDataSet* view = document.ShownView();
    if (!view || view->IsEmpty()) return;
    dialog.SetView(shell.TLCurves());
    if (dialog.exec() != QDialog::Accepted) return;
    const TDeglitchSettings settings = dialog.Settings();
    const std::vector<int32_t> selection = document.SelectedRecords();
    const std::vector<int32_t> ids = document.SelectedOrCurrentRecords();
    TDeglitchReport report;
    try {
        TRunProgress progress(shell.Window(), QStringLiteral("Deglitching curves..."),
                              static_cast<int>(ids.size()));
        const TRecordsChange change(
            &document, QStringLiteral("Deglitch curves (%1)").arg(RecordsText(ids.size())), ids);
        report = DeglitchRecords(*view, document.CurveFields(), settings, selection,
                                 progress.Callback());
    } catch (const std::exception& e) {
        shell.ShowError(QString::fromStdString(e.what()));
    }
    shell.RefreshView();
    document.NotifyRecordsChanged();
    shell.UpdateActions();
    shell.SetToolStatus(QStringLiteral("Deglitched %1, %2 value(s) repaired%3")
                            .arg(RecordsText(report.processed.size()))
                            .arg(report.repaired.size())
                            .arg(report.cancelled ? QStringLiteral(" (cancelled)") : QString()));
    if (!report.warnings.empty()) {
        QStringList lines;
        for (const std::string& w : report.warnings) lines << QString::fromStdString(w);
        shell.Prompts().ShowWarning(shell.Window(), lines.join(QLatin1Char('\n')));
    }
}

void RunAsciiExport(TEditorShell& shell, TConvASCIIDlg& dialog) {
    TEditorDocument& document = shell.Document();
    TBinDataSet* view = document.ShownView();
    if (!view || view->IsEmpty()) return;
    const TBinDataModel* model = shell.Grid()->Model();
    // The file's columns, not those a mode that is on shows (the subtraction shows seven).
    std::vector<std::pair<std::string, int>> columns;
    const QStringList fields = NormalGridColumns(view, document.ShownRecordKind());
    for (int c = 0; c < fields.size(); ++c) {
        if (view->FindField(fields.at(c).toStdString()))
            columns.emplace_back(fields.at(c).toStdString(), c);
    }
    dialog.FillFields(columns);
    if (dialog.exec() != QDialog::Accepted) return;
    TAsciiExportSettings settings = dialog.Settings();
    if (settings.items.empty()) return;
    settings.tlSet = ProgramROISets().CurrentTL();
    settings.oslSet = ProgramROISets().CurrentOSL();
    settings.kind = document.ShownRecordKind();
    settings.locale = model->TextLocale();
    try {
        const std::vector<int32_t> records = document.SelectedRecords();
        const TAsciiTable table = BuildAsciiTable(*view, document.CurveFields(), settings, records);
        const std::string path = AsciiExportPath(document.FileName().toStdString());
        AppendAsciiExport(
            path, FormatAsciiTable(table, DelimiterText(settings.delimiter), settings.arrange));
        shell.SetToolStatus(QStringLiteral("%1 written to %2")
                                .arg(RecordsText(table.size() - 1), QString::fromStdString(path)));
    } catch (const std::exception& e) {
        shell.ShowError(QString::fromStdString(e.what()));
    }
}

}  // namespace

void InstallCurveToolCommands(TEditorShell& shell) {
    const TNormalizeDialogs normalize{new TTLNorm(shell.Window()),
                                      new TSecretNormDlg(shell.Window())};
    QObject::connect(normalize.raw, &TSecretNormDlg::helpRequested, normalize.raw,
                     [&shell] { shell.ShowHelpContext(kNormalizeHelp); });
    QObject::connect(shell.Action(TActionId::ToolsNormalize), &QAction::triggered, normalize.tl,
                     [&shell, normalize] { RunNormalize(shell, normalize); });

    auto* deglitch = new TSmoothRangeDlg(shell.Window());
    QObject::connect(deglitch, &TSmoothRangeDlg::helpRequested, deglitch,
                     [&shell] { shell.ShowHelpContext(kDeglitchHelp); });
    QObject::connect(shell.Action(TActionId::ToolsDeglitch), &QAction::triggered, deglitch,
                     [&shell, deglitch] { RunDeglitch(shell, *deglitch); });

    auto* ascii = new TConvASCIIDlg(shell.Window());
    QObject::connect(shell.Action(TActionId::ToolsASCII), &QAction::triggered, ascii,
                     [&shell, ascii] { RunAsciiExport(shell, *ascii); });
}
