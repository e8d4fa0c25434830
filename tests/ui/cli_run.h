#pragma once
// Running orvane-cli from a UI test as on a machine without a display: no platform chosen, no
// display set; its status, standard output and error.
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

struct TCliRun {
    int status = -1;
    QString out, err;
};

inline TCliRun RunCli(const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QLatin1String(name));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(ORVANE_CLI_PATH), args);
    TCliRun run;
    if (!p.waitForFinished(120000)) return run;
    run.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.out = QString::fromUtf8(p.readAllStandardOutput());
    run.err = QString::fromUtf8(p.readAllStandardError());
    return run;
}
