#include "SignOnTicket.h"

#include <QUrl>

std::optional<SignOnTicket> SignOnTicket::Parse(const QString& text) {
    const QStringList parts = text.split(' ');
    if (parts.size() != 2 || parts[1].isEmpty()) {
        return std::nullopt;
    }
    const QUrl url(parts[0], QUrl::StrictMode);
    // Only the service's root: the editor builds the paths it asks for itself.
    if (!url.isValid() || url.scheme() != "http" || url.host().isEmpty() ||
        !url.path(QUrl::FullyEncoded).isEmpty() || url.hasQuery() || url.hasFragment() ||
        !url.userInfo().isEmpty()) {
        return std::nullopt;
    }
    return SignOnTicket{parts[0], parts[1]};
}
