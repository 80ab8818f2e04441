#pragma once
// The fixture of the host's end-to-end tests: the reference host over the real component, engine and a
// nimbra-diskd of its own (loaded from the build's program folder as `nimbra` loads them), signed in to a
// fresh account, with a ModalAnswerer so that no window waits for a person. Set up once per test suite.

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

#include "EmbeddedService.h"
#include "EventLoopWait.h"
#include "HostSession.h"
#include "MainWindow.h"
#include "ModalAnswerer.h"

namespace nimbra::app {

// A download is complete once the engine has given it its name (it receives into "<file>.part").
inline bool Downloaded(const QString& path) {
    return WaitFor([&] { return QFileInfo::exists(path) && !QFileInfo::exists(path + ".part"); });
}

inline QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class HostStackTest : public ::testing::Test {
protected:
    static constexpr const char* kPassword = "pass";

    // The account is "<accountPrefix>-<pid>"; serviceOptions go to nimbra-diskd besides the account.
    static void StartHost(const QString& accountPrefix, const QStringList& serviceOptions = {});
    static void StopHost();

    static std::unique_ptr<QTemporaryDir> work;
    static std::unique_ptr<EmbeddedService> service;
    static std::unique_ptr<HostSession> session;
    static std::unique_ptr<MainWindow> window;
    static std::unique_ptr<ModalAnswerer> answerer;
    static QString account;
};

}  // namespace nimbra::app
