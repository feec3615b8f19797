#pragma once

// Runs zylctl (found through the ZYLCTL environment variable) with the program's folder
// ZYL_HOME set, and collects its exit code, output and running time.

#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace zyl::test {

struct CliRun {
    int exitCode = -1; // -1 when it crashed or had to be killed
    QString out, err;
    qint64 ms = 0;
};

inline CliRun Zylctl(const QString& home, const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ZYL_HOME", home);
    p.setProcessEnvironment(env);
    QElapsedTimer timer;
    timer.start();
    p.start(qEnvironmentVariable("ZYLCTL"), args);
    if (!p.waitForFinished(30000)) p.kill();
    p.waitForFinished(1000);
    CliRun r;
    r.ms = timer.elapsed();
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

} // namespace zyl::test
