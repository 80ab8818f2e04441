// nimbra: the desktop client. By default it starts its own nimbra-diskd with the demo account and opens
// the window signed in to it; --service/--account/--password sign in elsewhere; --script runs the
// scripted round trip without a person.
#include <curl/curl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTextStream>
#include <algorithm>
#include <csignal>
#include <string>

#include "EmbeddedService.h"
#include "HostSession.h"
#include "LoginDialog.h"
#include "MainWindow.h"
#include "ScriptedRun.h"
#include "platform/ProgramDir.h"

using namespace nimbra::app;

namespace {

int g_stopSignalPair[2] = {-1, -1};

void OnStopSignal(int) {
    const char byte = 1;
    (void)!write(g_stopSignalPair[0], &byte, 1);
}

// Ctrl+C or SIGTERM quit through the event loop, so that the component hears of the logout and the
// embedded service is stopped like on a normal close.
void QuitOnStopSignals() {
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, g_stopSignalPair) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_stopSignalPair[1], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, &QCoreApplication::quit);
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

QString DefaultLanguage() {
    return QLocale().name().startsWith("zh") ? "zh_CN" : "en";
}

// Offers the windows to the component for the life of the session and withdraws them before they go.
class WindowRegistration {
public:
    WindowRegistration(HostSession& session, MainWindow& window) : m_session(session) {
        session.Offer(IID_IUICMainWnd, &window);
        session.Offer(IID_IUICNetDisk, &window.Page());
    }
    ~WindowRegistration() {
        if (m_session.Login().SignedIn())
            m_session.SignOut();
        m_session.Offer(IID_IUICMainWnd, nullptr);
        m_session.Offer(IID_IUICNetDisk, nullptr);
    }

private:
    HostSession& m_session;
};

int RunScript(HostSession& session, const QCommandLineParser& options) {
    MainWindow window(session);
    WindowRegistration registration(session, window);
    QTextStream out(stdout);
    ScriptedRun run(session, window, out);
    const QString account = options.isSet("account") ? options.value("account") : "demo";
    const QString password = options.isSet("password") ? options.value("password") : "demo";
    return run.Run({options.value("service"), account, password});
}

int RunInteractive(HostSession& session, const QCommandLineParser& options) {
    const QString programDir = QString::fromStdString(session.ProgramDir());
    EmbeddedService service;
    QString serviceUrl = options.value("service");
    if (serviceUrl.isEmpty()) {
        const QString dataDir =
            options.isSet("data") ? options.value("data") : QDir::homePath() + "/.local/share/nimbra/disk";
        if (!service.Start(programDir + "nimbra-diskd", dataDir, {"--demo"})) {
            QMessageBox::critical(nullptr, "Nimbra", service.Error());
            return 1;
        }
        serviceUrl = service.BaseUrl();
    }
    MainWindow window(session);
    WindowRegistration registration(session, window);
    if (!session.LoadComponent()) {
        QMessageBox::warning(nullptr, session.Texts().Host("IDS_HOST_TITLE"),
                             session.Texts().Host("IDS_HOST_COMPONENT_MISSING") + "\n\n" +
                                 QString::fromStdString(session.ComponentError()));
    }
    const QString account = options.isSet("account") ? options.value("account") : "demo";
    const QString password = options.isSet("password") ? options.value("password") : "demo";
    std::string error;
    const auto signInInteractively = [&](const QString& reason) {
        LoginDialog dialog(session, serviceUrl, account);
        if (!reason.isEmpty())
            dialog.SetError(reason);
        return dialog.exec() == QDialog::Accepted;
    };
    if (!session.SignIn(serviceUrl.toStdString(), account.toStdString(), password.toStdString(), error) &&
        !signInInteractively(QString::fromStdString(error)))
        return 1;
    QObject::connect(&window, &MainWindow::signOutRequested, &window, [&] {
        session.SignOut();
        window.hide();
        if (signInInteractively({})) {
            window.ShowSignedIn();
            window.show();
        } else {
            qApp->quit();
        }
    });
    window.ShowSignedIn();
    window.show();
    QuitOnStopSignals();
    return QApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
    // Before any thread exists: the engine's workers use libcurl too.
    curl_global_init(CURL_GLOBAL_DEFAULT);
    const bool script =
        std::any_of(argv + 1, argv + argc, [](const char* a) { return std::string(a) == "--script"; });
    // The scripted run needs no screen; without one it draws off screen.
    if (script && qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName("nimbra");
    QApplication::setOrganizationName("Nimbra");

    QCommandLineParser options;
    options.setApplicationDescription("Nimbra network-disk client");
    options.addHelpOption();
    options.addOptions({
        {"service", "Sign in to the service at URL instead of starting the embedded one.", "URL"},
        {"account", "Account to sign in with (default: demo).", "ACCOUNT"},
        {"password", "Password of the account (default: demo).", "PASSWORD"},
        {"data", "Data folder of the embedded service (default: ~/.local/share/nimbra/disk).", "DIR"},
        {"lang", "Language: zh_CN or en (default: from the system).", "LANG"},
        {"script", "Run the scripted round trip without user interaction and exit."},
    });
    options.process(app);

    HostSession session(ProgramDirUtf8(), options.isSet("lang") ? options.value("lang") : DefaultLanguage());
    const int result = script ? RunScript(session, options) : RunInteractive(session, options);
    curl_global_cleanup();
    return result;
}
