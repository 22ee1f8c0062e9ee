#pragma once
// A command runner that records what it is asked to run and answers with canned output.

#include "platform/command_runner.h"

#include <QByteArray>
#include <QStringList>
#include <mutex>
#include <vector>

class CRecordingCommandRunner : public CCommandRunner {
public:
    struct Call {
        bool bDetached;
        QStringList listArgv; ///< program first
        int nTimeoutMs;
    };

    bool StartDetached(const QString& strProgram, const QStringList& listArgs) override {
        std::lock_guard<std::mutex> guard(m_lock);
        m_vecCalls.push_back({true, QStringList{strProgram} + listArgs, 0});
        return m_bStartResult;
    }
    bool RunAndCapture(const QString& strProgram, const QStringList& listArgs, int nTimeoutMs,
                       QByteArray& outData) override {
        std::lock_guard<std::mutex> guard(m_lock);
        m_vecCalls.push_back({false, QStringList{strProgram} + listArgs, nTimeoutMs});
        outData = m_bCaptureResult ? m_captureOutput : QByteArray();
        return m_bCaptureResult;
    }
    std::vector<Call> Calls() {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_vecCalls;
    }

    bool m_bStartResult = true;
    bool m_bCaptureResult = true;
    QByteArray m_captureOutput;

private:
    std::mutex m_lock;
    std::vector<Call> m_vecCalls;
};
