#include "LoginDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace nimbra::app {

LoginDialog::LoginDialog(HostSession& session, const QString& serviceUrl, const QString& account,
                         QWidget* parent)
    : QDialog(parent),
      m_session(session),
      m_service(new QLineEdit(serviceUrl, this)),
      m_account(new QLineEdit(account, this)),
      m_password(new QLineEdit(this)),
      m_error(new QLabel(this)) {
    LanguageTexts& texts = session.Texts();
    setWindowTitle(texts.Host("IDS_HOST_LOGIN_TITLE"));
    m_password->setEchoMode(QLineEdit::Password);
    m_error->setObjectName("Notice");
    m_error->setWordWrap(true);
    m_error->hide();
    auto* form = new QFormLayout;
    form->addRow(texts.Host("IDS_HOST_LOGIN_SERVICE"), m_service);
    form->addRow(texts.Host("IDS_HOST_LOGIN_ACCOUNT"), m_account);
    form->addRow(texts.Host("IDS_HOST_LOGIN_PASSWORD"), m_password);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(texts.Text("GLOBAL", "IDS_GLOBAL_BUTTON_OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(texts.Text("GLOBAL", "IDS_GLOBAL_BUTTON_CANCEL"));
    connect(buttons, &QDialogButtonBox::accepted, this, &LoginDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &LoginDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_error);
    layout->addWidget(buttons);
    setMinimumWidth(420);
    (account.isEmpty() ? m_account : m_password)->setFocus();
}

void LoginDialog::SetError(const QString& error) {
    m_error->setText(m_session.Texts().Host("IDS_HOST_LOGIN_FAILED").arg(error));
    m_error->show();
}

void LoginDialog::accept() {
    std::string error;
    if (!m_session.SignIn(m_service->text().trimmed().toStdString(), m_account->text().toStdString(),
                          m_password->text().toStdString(), error)) {
        SetError(QString::fromStdString(error));
        return;
    }
    QDialog::accept();
}

}  // namespace nimbra::app
