#pragma once
// Opening files on a Linux desktop: the desktop's opener (xdg-open), then GIO's (gio open), each judged
// by its exit status. Neither offers an "open with" chooser of its own, so when both fail the failure
// is reported rather than guessed away.

#include <QStringList>

#include "platform/Shell.h"

class QtShell final : public Shell {
public:
    // The opener commands tried in order, each given the file as its last argument.
    explicit QtShell(QList<QStringList> openers = {{QStringLiteral("xdg-open")},
                                                   {QStringLiteral("gio"), QStringLiteral("open")}});
    bool OpenFile(const std::string& path) override;

private:
    QList<QStringList> m_openers;
};
