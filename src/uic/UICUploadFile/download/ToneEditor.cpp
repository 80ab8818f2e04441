#include "uic/UICUploadFile/download/ToneEditor.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>

#include "platform/CodePage.h"
#include "platform/ToneEditorBus.h"

namespace {

// The editor checks a login with its service before it answers.
constexpr int kCallTimeoutMs = 20000;

class CBusToneEditor final : public IToneEditor {
public:
    explicit CBusToneEditor(QDBusConnection bus) : m_bus(std::move(bus)) {}

    long Login(const std::string& account, const std::string& credential) override {
        const QDBusReply<int> reply =
            Call("Login", {ToQString(account), QString::fromLatin1(credential.c_str())});
        return reply.isValid() ? reply.value() : -1;
    }

    void Open(const std::string& path) override { Call("Open", {ToQString(path)}); }

private:
    QDBusMessage Call(const char* method, const QVariantList& arguments) {
        QDBusMessage message =
            QDBusMessage::createMethodCall(kToneEditorService, kToneEditorPath, kToneEditorInterface, method);
        message.setArguments(arguments);
        return m_bus.call(message, QDBus::Block, kCallTimeoutMs);
    }

    QDBusConnection m_bus;
};

std::unique_ptr<IToneEditor> ReachOnSessionBus() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    QDBusConnectionInterface* daemon = bus.isConnected() ? bus.interface() : nullptr;
    if (!daemon) {
        return nullptr;
    }
    // Activation answers once the editor holds its name, or with an error when it cannot be started.
    if (!daemon->isServiceRegistered(kToneEditorService).value() &&
        !daemon->startService(kToneEditorService).isValid()) {
        return nullptr;
    }
    return std::make_unique<CBusToneEditor>(bus);
}

ToneEditorFactory& Factory() {
    static ToneEditorFactory factory;
    return factory;
}

}  // namespace

std::unique_ptr<IToneEditor> CreateToneEditor() {
    return Factory() ? Factory()() : ReachOnSessionBus();
}

void SetToneEditorFactory(ToneEditorFactory factory) {
    Factory() = std::move(factory);
}
