#pragma once
// A nimbra-diskd that the host starts and stops itself: from the executable's folder, on 127.0.0.1 with
// a free port, reporting the address it printed once it listens.

#include <QProcess>
#include <QString>
#include <QStringList>

namespace nimbra::app {

class EmbeddedService final {
public:
    EmbeddedService() = default;
    ~EmbeddedService() { Stop(); }
    EmbeddedService(const EmbeddedService&) = delete;
    EmbeddedService& operator=(const EmbeddedService&) = delete;

    // Starts `program --data dataDir --listen 127.0.0.1:0 extraArguments...` and waits until it listens.
    bool Start(const QString& program, const QString& dataDir, const QStringList& extraArguments);
    void Stop();

    const QString& BaseUrl() const { return m_baseUrl; }
    const QString& Error() const { return m_error; }

private:
    QProcess m_process;
    QString m_baseUrl;
    QString m_error;
};

}  // namespace nimbra::app
