#include "platform/QtShell.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include "platform/CodePage.h"

namespace {

// Openers hand the file to the program and return; a hanging one is given up on.
constexpr int kOpenerTimeoutMs = 15000;

bool Run(QStringList command, const QString& file) {
    const QString program = QStandardPaths::findExecutable(command.takeFirst());
    if (program.isEmpty()) {
        return false;
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, command << file);
    if (!process.waitForFinished(kOpenerTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        return false;
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

}  // namespace

QtShell::QtShell(QList<QStringList> openers) : m_openers(std::move(openers)) {}

bool QtShell::OpenFile(const std::string& path) {
    const QFileInfo info(ToQString(path));
    if (!info.exists()) {
        return false;
    }
    for (const QStringList& opener : m_openers) {
        if (!opener.isEmpty() && Run(opener, info.absoluteFilePath())) {
            return true;
        }
    }
    return false;
}
