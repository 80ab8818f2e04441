#include "platform/WinBase.h"

#include <QCoreApplication>
#include <QThread>
#include <algorithm>
#include <vector>

namespace SC_ORVA {

namespace {

std::vector<IWinBase*>& Registered() {
    static std::vector<IWinBase*> windows;
    return windows;
}

bool IsRegistered(IWinBase* window) {
    const std::vector<IWinBase*>& windows = Registered();
    return std::find(windows.begin(), windows.end(), window) != windows.end();
}

}  // namespace

IWinBase::~IWinBase() {
    UnregisterWindow(this);
}

void RegisterWindow(IWinBase* window) {
    if (window && !IsRegistered(window)) {
        Registered().push_back(window);
    }
}

void UnregisterWindow(IWinBase* window) {
    std::vector<IWinBase*>& windows = Registered();
    windows.erase(std::remove(windows.begin(), windows.end(), window), windows.end());
}

void SetLanguageOfAllWindows() {
    QCoreApplication* application = QCoreApplication::instance();
    if (application && QThread::currentThread() != application->thread()) {
        QMetaObject::invokeMethod(
            application, [] { SetLanguageOfAllWindows(); }, Qt::QueuedConnection);
        return;
    }
    // A window's new texts may close another window, so each is looked up again before its turn.
    const std::vector<IWinBase*> windows = Registered();
    for (IWinBase* window : windows) {
        if (IsRegistered(window)) {
            window->SetLanguage();
        }
    }
}

}  // namespace SC_ORVA
