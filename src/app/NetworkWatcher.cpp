#include "NetworkWatcher.h"

#include <QNetworkReply>
#include <QNetworkRequest>

namespace nimbra::app {

NetworkWatcher::NetworkWatcher(QObject* parent) : QObject(parent) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &NetworkWatcher::Probe);
    if (QNetworkInformation::loadDefaultBackend()) {
        connect(QNetworkInformation::instance(), &QNetworkInformation::reachabilityChanged, this,
                &NetworkWatcher::OnSystemChange);
    }
}

void NetworkWatcher::Start(const QString& baseUrl) {
    m_url = QUrl(baseUrl + "/");
    m_reachable = true;
    m_misses = 0;
    m_timer.start(kProbeIntervalMs);
}

void NetworkWatcher::Stop() {
    m_timer.stop();
    m_url.clear();
    if (m_pending) {
        m_pending->abort();
    }
}

void NetworkWatcher::OnSystemChange(QNetworkInformation::Reachability) {
    if (m_url.isValid()) {
        Probe();
    }
}

void NetworkWatcher::Probe() {
    if (m_pending || !m_url.isValid()) {
        return;  // one request at a time; its outcome plans the next
    }
    QNetworkRequest request(m_url);
    request.setTransferTimeout(kProbeTimeoutMs);
    m_pending = m_network.head(request);
    connect(m_pending, &QNetworkReply::finished, this, [this, reply = m_pending.data()] {
        reply->deleteLater();
        m_pending = nullptr;
        if (m_url.isValid()) {  // else stopped meanwhile
            OnProbeOutcome(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid());
        }
    });
}

void NetworkWatcher::OnProbeOutcome(bool answered) {
    m_misses = answered ? 0 : m_misses + 1;
    const bool reachable = answered || (m_reachable && m_misses < kMissesForLoss);
    if (m_url.isValid()) {
        m_timer.start(!reachable ? kLostIntervalMs : answered ? kProbeIntervalMs : kRecheckIntervalMs);
    }
    if (reachable != m_reachable) {
        m_reachable = reachable;
        emit reachabilityChanged(reachable);
    }
}

}  // namespace nimbra::app
