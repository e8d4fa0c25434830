#include "editor/import_command.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QLocale>
#include <QProgressDialog>

#include "editor/editor_shell.h"
#include "editor/user_prompts.h"
#include "tools/binx_import.h"

namespace {

const QString kTitle = QStringLiteral("File type conversion");

// The dose rate typed in the locale's notation; empty: none given. False after the error.
bool ReadDoseRate(TEditorShell& shell, const QString& text, TBinxImportOptions& options) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) return true;
    bool ok = false;
    const double rate = QLocale().toDouble(trimmed, &ok);
    if (!ok || !(rate > 0)) {
        shell.ShowError(QStringLiteral("'%1' is not a dose rate in Gy/s").arg(trimmed));
        return false;
    }
    options.doseRate = rate;
    return true;
}

void RunImport(TEditorShell& shell) {
    TUserPrompts& prompts = shell.Prompts();
    const QString bin = prompts.OpenFileName(
        shell.Window(), QStringLiteral("Convert a BIN/BINX file"),
        QString::fromStdString(shell.DataDirectory()),
        QStringLiteral("BIN/BINX files (*.bin *.binx *.BIN *.BINX);;All files (*)"));
    if (bin.isEmpty()) return;
    const std::optional<QString> rateText = prompts.AskText(
        shell.Window(), kTitle,
        QStringLiteral("Dose rate of the beta source in Gy/s (leave empty to use the file's):"),
        QString());
    if (!rateText) return;
    TBinxImportOptions options;
    if (!ReadDoseRate(shell, *rateText, options)) return;

    const std::string folder = QFileInfo(bin).absolutePath().toStdString();
    QProgressDialog progress(QStringLiteral("Converting %1...").arg(QFileInfo(bin).fileName()),
                             QStringLiteral("Cancel"), 0, 100, shell.Window());
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    const TImportProgress report = [&progress](double done, double total) {
        progress.setValue(static_cast<int>(100.0 * done / total));
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        return !progress.wasCanceled();
    };
    TBinxImportResult result;
    try {
        try {
            result = ImportBinxFile(bin.toStdString(), folder, options, false, report);
        } catch (const TImportTargetExists& exists) {
            progress.hide();
            QStringList names;
            for (const std::string& path : exists.Paths()) names << QString::fromStdString(path);
            const QString question =
                QStringLiteral("%1 exists already.\nReplace it? The old file is kept as a backup.")
                    .arg(names.join(QStringLiteral(", ")));
            if (!prompts.Confirm(shell.Window(), kTitle, question)) return;
            progress.reset();
            progress.show();
            result = ImportBinxFile(bin.toStdString(), folder, options, true, report);
        }
    } catch (const TEditorError& e) {
        progress.close();
        if (QString::fromUtf8(e.what()) != QLatin1String(kImportCancelled))
            shell.ShowError(QString::fromStdString(e.what()));
        return;
    }
    progress.close();
    if (result.written.empty() || !shell.OpenFile(QString::fromStdString(result.written.front())))
        return;
    if (!result.warnings.empty()) {
        QStringList lines;
        for (const std::string& w : result.warnings) lines << QString::fromStdString(w);
        prompts.ShowWarning(shell.Window(), lines.join(QLatin1Char('\n')));
    }
}

}  // namespace

void InstallImportCommand(TEditorShell& shell) {
    QObject::connect(shell.Action(TActionId::ToolsConvert), &QAction::triggered, shell.Window(),
                     [&shell] { RunImport(shell); });
}
