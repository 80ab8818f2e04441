#pragma once
// What the Nimbra client seals into the editor's credential: the address of its network-disk service and
// the current sign-on token, "http://HOST:PORT TOKEN". The editor asks that service whether the token is
// valid before it accepts a login.

#include <QString>
#include <optional>

struct SignOnTicket {
    QString serviceUrl;  // "http://host:port", without a trailing '/'
    QString token;

    // Nothing unless the text is an http:// address and a token without blanks, one blank apart.
    static std::optional<SignOnTicket> Parse(const QString& text);
};
