// orvane-editor [FILE] [--screenshot PNG]
// Starts the editor; a FILE named on the command line is opened at start. With --screenshot
// the main window is laid out (with the file when given), saved as a PNG picture, and the
// program ends.
#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QScreen>
#include <QTimer>
#include <cstdio>

#include "editor/main_window.h"
#include "editor/qt_settings_store.h"
#include "editor/user_prompts.h"

namespace {

// Unattended runs (--screenshot) print what a message box would show, answer Cancel and
// cancel every file dialog.
class TConsolePrompts : public TUserPrompts {
public:
    QString OpenFileName(QWidget*, const QString&, const QString&, const QString&) override {
        return {};
    }
    QString SaveFileName(QWidget*, const QString&, const QString&, const QString&,
                         const QString&) override {
        return {};
    }
    TAnswer AskSaveChanges(QWidget*) override { return TAnswer::Cancel; }
    void ShowError(QWidget*, const QString& message) override {
        std::fprintf(stderr, "%s\n", qPrintable(message));
    }
};

// The dialogs are made once at start, after the main window, in this order: "Deglitching
// curve data", "System parameters" (TRoiSetsDlg), "Change intensity", "Orvane - Printing
// options", the general OK dialog "Dialog", "Select normalization scheme", "Normalize TL
// glow curves", "Select fields for conversion". Each is added here when its part is built.
void CreateDialogs(TMainWindow& /*form*/) {}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Halcyon Systems"));
    QApplication::setApplicationName(QStringLiteral("Orvane Editor"));
    QApplication::setApplicationDisplayName(QStringLiteral("Orvane Editor"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Orvane Editor"));
    parser.addHelpOption();
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"), QStringLiteral("Save a picture of the main window and exit."),
        QStringLiteral("PNG"));
    parser.addOption(screenshot);
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("Record file to open."));
    parser.process(app);

    TQtSettingsStore settings;
    TConsolePrompts console;
    TMainWindow form(settings, parser.isSet(screenshot) ? &console : nullptr);
    CreateDialogs(form);
    form.show();
    const QStringList files = parser.positionalArguments();
    if (!files.isEmpty()) form.OpenFile(files.constFirst());

    if (parser.isSet(screenshot)) {
        const QString png = parser.value(screenshot);
        QApplication::processEvents();
        const QPixmap shot = form.grab();
        if (!shot.save(png, "PNG")) {
            std::fprintf(stderr, "orvane-editor: cannot write %s\n", qPrintable(png));
            return 1;
        }
        return 0;
    }
    return app.exec();
}
