#pragma once
// The scripted host with windows: a main window and a network-disk page that record the Flash requests
// and the window messages they receive.

#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "TestHostCore.h"

namespace testhost {

struct ReceivedMessage {
    unsigned message;
    WPARAM wParam;
    LPARAM lParam;
};

// A top-level window that records every window message sent or posted to it.
class RecordingWindow final : public QWidget {
public:
    std::vector<ReceivedMessage> messages;

protected:
    bool event(QEvent* event) override;
};

class MainWnd final : public HostComponent<IUICMainWnd> {
public:
    MainWnd();
    long CallFlash(const std::string& request, std::string& reply) override;
    long ApplySkin(long skinId) override;
    HWND GetComponentHwnd() override { return &window; }

    RecordingWindow window;
    std::vector<std::string> flashRequests;
    std::string flashReply = "<result/>";
    long flashStatus = 0;
    std::vector<long> skinsApplied;
};

class NetDisk final : public HostComponent<IUICNetDisk> {
public:
    NetDisk();
    long CallFlash(const std::string& request, std::string& reply) override;
    void ShowSpaceInsufficient() override { ++spaceNotices; }
    HWND GetComponentHwnd() override { return &window; }

    RecordingWindow window;
    std::vector<std::string> flashRequests;
    std::string flashReply;
    int spaceNotices = 0;
};

class TestHost final : public TestHostCore {
public:
    TestHost();

    MainWnd mainWnd;
    NetDisk netDisk;
};

}  // namespace testhost
