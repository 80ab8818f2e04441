#include "SignOnCheck.h"

#include <QNetworkReply>
#include <QNetworkRequest>

SignOnCheck::SignOnCheck(QObject* parent) : QObject(parent) {
    m_network.setTransferTimeout(kTimeoutMs);
}

void SignOnCheck::Check(const SignOnTicket& ticket, std::function<void(bool)> done) {
    QNetworkRequest request(QUrl(ticket.serviceUrl + "/lumenoApp/catalog"));
    request.setRawHeader("Authorization", "Bearer " + ticket.token.toUtf8());
    QNetworkReply* reply = m_network.get(request);
    connect(reply, &QNetworkReply::finished, this, [reply, done = std::move(done)] {
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        reply->deleteLater();
        done(reply->error() == QNetworkReply::NoError && status == 200);
    });
}
