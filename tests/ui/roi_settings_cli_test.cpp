// `orvane-cli analyse --settings FILE` and `export-ascii --settings FILE`: the ROI sets are the
// user's, read from a settings file written by the editor's own settings store with a TL set
// of the user's besides the default one. The plateau test over the sample computes exactly
// that set's ROIs; without a name the set current in the window counts; "Default ROIs" is
// always known; an unknown name names the sets there are, a missing settings file is named.
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "cli/json_value.h"
#include "editor/qt_settings_store.h"
#include "roi/roi_sets.h"

namespace {

struct TCliRun {
    int status = -1;
    QByteArray out, err;
};

TCliRun RunCli(const QStringList& args) {
    QProcess cli;
    cli.start(QStringLiteral(ORVANE_CLI_PATH), args);
    TCliRun run;
    if (!cli.waitForFinished(120000)) return run;
    run.status = cli.exitCode();
    run.out = cli.readAllStandardOutput();
    run.err = cli.readAllStandardError();
    return run;
}

struct TRoiEntry {
    std::string from, to;
    bool operator==(const TRoiEntry&) const = default;
};

}  // namespace

class RoiSettingsCliTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir tmp_;
    QString dat_, settings_;

    QStringList Analyse(const QStringList& more) const {
        QStringList args = {QStringLiteral("analyse"),     dat_,
                            QStringLiteral("--device"),    QStringLiteral("0"),
                            QStringLiteral("--method"),    QStringLiteral("1"),
                            QStringLiteral("--bleaching"), QStringLiteral("0"),
                            QStringLiteral("--function"),  QStringLiteral("exp"),
                            QStringLiteral("--all")};
        return args + more;
    }
    // The ROI solutions of an analyse run, in order.
    static std::vector<TRoiEntry> RoiSolutions(const TCliRun& run) {
        std::vector<TRoiEntry> rois;
        const TJson json = TJsonReader::Parse(run.out.toStdString());
        for (const TJson& s : json["solutions"].items)
            if (s["kind"].text == "ROI T.") rois.push_back({s["from"].text, s["to"].text});
        return rois;
    }

private slots:
    void initTestCase() {
        QVERIFY(tmp_.isValid());
        QVERIFY(RunCli({QStringLiteral("make-sample"), tmp_.path()}).status == 0);
        dat_ = tmp_.filePath(QStringLiteral("S12.DAT"));
        QVERIFY(RunCli({QStringLiteral("subtract"), dat_, QStringLiteral("--curves"),
                        QStringLiteral("tl")})
                    .status == 0);
        // The settings as the window stores them: the default set first, then the user's
        // "Peak windows" (three ROIs), with the default set the current one.
        settings_ = tmp_.filePath(QStringLiteral("Orvane Editor.conf"));
        TQtSettingsStore store(settings_);
        TROIKindSets tl(TROIKind::TL);
        tl.Load(store);
        TROISet peaks{};
        peaks[0] = {ROIName(0), 300, 400};
        peaks[1] = {ROIName(1), 310, 340};
        peaks[4] = {ROIName(4), 200, 220};
        tl.Append("Peak windows", peaks);
        tl.Choose(0);
        QVERIFY(tl.Store(store));
    }

    void theNamedSetOfTheSettingsFileGivesItsRois() {
        struct Case {
            const char* name;
            QStringList options;
            std::vector<TRoiEntry> rois;
        } cases[] = {
            {"user's set",
             {QStringLiteral("--roi-set"), QStringLiteral("Peak windows"),
              QStringLiteral("--settings"), settings_},
             {{"300", "400"}, {"310", "340"}, {"200", "220"}}},
            {"current set", {QStringLiteral("--settings"), settings_}, {{"200", "500"}}},
            {"default set by name",
             {QStringLiteral("--roi-set"), QStringLiteral("Default ROIs"),
              QStringLiteral("--settings"), settings_},
             {{"200", "500"}}},
            {"without settings", {}, {{"200", "500"}}},
        };
        for (const Case& c : cases) {
            const TCliRun run = RunCli(Analyse(c.options));
            QVERIFY2(run.status == 0, run.err.constData());
            QVERIFY2(RoiSolutions(run) == c.rois, c.name);
        }
    }

    void unknownSetsAndUnreadableFilesAreNamed() {
        const QString missing = tmp_.filePath(QStringLiteral("none.conf"));
        const QString ascii = tmp_.filePath(QStringLiteral("S12.ascii"));
        struct Case {
            QStringList args;
            int status;
            QString message;
        } cases[] = {
            {Analyse({QStringLiteral("--roi-set"), QStringLiteral("Peaks"),
                      QStringLiteral("--settings"), settings_}),
             2,
             QStringLiteral("ROI set 'Peaks' not found: the TL ROI sets in %1 are "
                            "'Default ROIs', 'Peak windows'")
                 .arg(settings_)},
            {Analyse({QStringLiteral("--roi-set"), QStringLiteral("Peak windows")}), 2,
             QStringLiteral("without --settings FILE the command-line tool knows only "
                            "'Default ROIs'")},
            {Analyse({QStringLiteral("--roi-set"), QStringLiteral("Peak windows"),
                      QStringLiteral("--settings"), missing}),
             1, QStringLiteral("Cannot read the settings file %1: no such file").arg(missing)},
            {Analyse({QStringLiteral("--settings"), tmp_.path()}), 1,
             QStringLiteral("Cannot read the settings file %1: not a file").arg(tmp_.path())},
            {{QStringLiteral("export-ascii"), dat_, QStringLiteral("--fields"),
              QStringLiteral("Run#"), QStringLiteral("--roi-set-tl"), QStringLiteral("Peaks"),
              QStringLiteral("--settings"), settings_},
             2,
             QStringLiteral("ROI set 'Peaks' not found: the TL ROI sets in %1 are").arg(settings_)},
        };
        for (const Case& c : cases) {
            const TCliRun run = RunCli(c.args);
            QCOMPARE(run.status, c.status);
            QVERIFY2(QString::fromUtf8(run.err).contains(c.message), run.err.constData());
        }
        QVERIFY(!QFile::exists(ascii));  // refused before anything was written
        // The export takes the user's set as well.
        const TCliRun run =
            RunCli({QStringLiteral("export-ascii"), dat_, QStringLiteral("--fields"),
                    QStringLiteral("Run#"), QStringLiteral("--roi"), QStringLiteral("--roi-set-tl"),
                    QStringLiteral("Peak windows"), QStringLiteral("--settings"), settings_,
                    QStringLiteral("--records"), QStringLiteral("2")});
        QVERIFY2(run.status == 0, run.err.constData());
    }
};

QTEST_MAIN(RoiSettingsCliTest)
#include "roi_settings_cli_test.moc"
