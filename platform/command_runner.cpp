#include "platform/command_runner.h"

#include <QProcess>

bool CProcessCommandRunner::StartDetached(const QString& strProgram, const QStringList& listArgs) {
    QProcess process;
    process.setProgram(strProgram);
    process.setArguments(listArgs);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    // startDetached runs the program in a new session, so it has no controlling terminal.
    return process.startDetached();
}

bool CProcessCommandRunner::RunAndCapture(const QString& strProgram, const QStringList& listArgs,
                                          int nTimeoutMs, QByteArray& outData) {
    outData.clear();
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(strProgram, listArgs, QIODevice::ReadOnly);
    if (!process.waitForStarted(nTimeoutMs))
        return false;
    if (!process.waitForFinished(nTimeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        return false;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return false;
    outData = process.readAllStandardOutput();
    return true;
}
