#include "EmbeddedService.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QRegularExpression>

#include <sys/prctl.h>

#include <csignal>

namespace nimbra::app {

namespace {

// Seeding the demo account and opening the database take well under a second; this only bounds a hang.
constexpr int kStartTimeoutMs = 15000;

}  // namespace

bool EmbeddedService::Start(const QString& program, const QString& dataDir,
                            const QStringList& extraArguments) {
    if (!QDir().mkpath(dataDir)) {
        m_error = QString("cannot create the data folder %1").arg(dataDir);
        return false;
    }
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    // The service must not outlive the host, however the host ends (a signal skips every destructor).
    m_process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_process.setProgram(program);
    m_process.setArguments(QStringList{"--data", dataDir, "--listen", "127.0.0.1:0"} + extraArguments);
    m_process.start();
    if (!m_process.waitForStarted(kStartTimeoutMs)) {
        m_error = QString("cannot start %1: %2").arg(program, m_process.errorString());
        return false;
    }
    static const QRegularExpression listening("listening on (http://\\S+)");
    QByteArray output;
    const QDeadlineTimer deadline(kStartTimeoutMs);
    while (!deadline.hasExpired()) {
        if (const auto match = listening.match(QString::fromUtf8(output)); match.hasMatch()) {
            m_baseUrl = match.captured(1);
            return true;
        }
        if (m_process.state() == QProcess::NotRunning)
            break;
        m_process.waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
        output += m_process.readAllStandardOutput();
    }
    m_error = QString("%1 did not start listening: %2")
                  .arg(program, QString::fromUtf8(m_process.readAllStandardError()).trimmed());
    Stop();
    return false;
}

void EmbeddedService::Stop() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(2000);
    }
}

}  // namespace nimbra::app
