#pragma once
// Asks the network-disk service whether a sign-on token is valid: a request that needs the token
// (GET /lumenoApp/catalog) is answered 200 only then.

#include <QNetworkAccessManager>
#include <QObject>
#include <functional>

#include "SignOnTicket.h"

class SignOnCheck final : public QObject {
    Q_OBJECT
public:
    // A service that does not answer within this time refuses the login.
    static constexpr int kTimeoutMs = 10000;

    explicit SignOnCheck(QObject* parent = nullptr);
    // done(true) once the service accepted the token; done(false) for any other answer or none.
    void Check(const SignOnTicket& ticket, std::function<void(bool)> done);

private:
    QNetworkAccessManager m_network;
};
