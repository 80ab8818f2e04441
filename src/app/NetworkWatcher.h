#pragma once
// Watches whether the network-disk service can be reached: a cheap request to the service every few
// seconds, and one at once whenever the system's view of the network changes (Qt's network information,
// where a backend is available). A local service stays reachable when the system reports no network, so
// only the answers decide: lost after two unanswered requests in a row, back after one answered.

#include <QNetworkAccessManager>
#include <QNetworkInformation>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>

class QNetworkReply;

namespace nimbra::app {

class NetworkWatcher final : public QObject {
    Q_OBJECT
public:
    static constexpr int kProbeIntervalMs = 5000;
    // After an unanswered request, the next one comes sooner, to tell a blip from a loss.
    static constexpr int kRecheckIntervalMs = 1000;
    // While lost, often enough that the return is noticed soon.
    static constexpr int kLostIntervalMs = 2000;
    static constexpr int kProbeTimeoutMs = 3000;
    static constexpr int kMissesForLoss = 2;

    explicit NetworkWatcher(QObject* parent = nullptr);

    // Watches the service at baseUrl ("http://host:port"), reachable as of now.
    void Start(const QString& baseUrl);
    void Stop();
    // Asks the service now; the answer (or its absence) arrives through the event loop.
    void Probe();
    bool Reachable() const { return m_reachable; }
    // The outcome of one request: any HTTP answer counts, whatever its status.
    void OnProbeOutcome(bool answered);

signals:
    void reachabilityChanged(bool reachable);

private:
    void OnSystemChange(QNetworkInformation::Reachability reachability);

    QNetworkAccessManager m_network;
    QTimer m_timer;
    QUrl m_url;
    QPointer<QNetworkReply> m_pending;
    bool m_reachable = true;
    int m_misses = 0;
};

}  // namespace nimbra::app
