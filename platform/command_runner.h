#pragma once
// Starting other programs: always with an argument vector, never through a shell.

#include <QByteArray>
#include <QString>
#include <QStringList>

class CCommandRunner {
public:
    virtual ~CCommandRunner() = default;

    /// Starts the program detached in a session of its own (no terminal), standard streams on /dev/null.
    /// Does not wait for it; true when it started.
    virtual bool StartDetached(const QString& strProgram, const QStringList& listArgs) = 0;

    /// Runs the program and waits at most nTimeoutMs for it to end; a program still running then is killed.
    /// True, with its standard output in outData, only when it ended by itself with exit code 0.
    virtual bool RunAndCapture(const QString& strProgram, const QStringList& listArgs, int nTimeoutMs,
                               QByteArray& outData) = 0;
};

/// QProcess-based runner.
class CProcessCommandRunner : public CCommandRunner {
public:
    bool StartDetached(const QString& strProgram, const QStringList& listArgs) override;
    bool RunAndCapture(const QString& strProgram, const QStringList& listArgs, int nTimeoutMs,
                       QByteArray& outData) override;
};
