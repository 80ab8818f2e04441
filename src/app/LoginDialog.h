#pragma once
// Asks for the service address, the account and the password, and signs in with them.

#include <QDialog>
#include <QLabel>
#include <QLineEdit>

#include "HostSession.h"

namespace nimbra::app {

class LoginDialog final : public QDialog {
    Q_OBJECT
public:
    LoginDialog(HostSession& session, const QString& serviceUrl, const QString& account,
                QWidget* parent = nullptr);

    void SetError(const QString& error);
    // Signs in; the dialog stays open with the reason when the service refuses.
    void accept() override;

private:
    HostSession& m_session;
    QLineEdit* m_service;
    QLineEdit* m_account;
    QLineEdit* m_password;
    QLabel* m_error;
};

}  // namespace nimbra::app
