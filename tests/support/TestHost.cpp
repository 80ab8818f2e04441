#include "TestHost.h"

#include "platform/WindowMessage.h"

namespace testhost {

bool RecordingWindow::event(QEvent* event) {
    if (WindowMessageEvent* message = WindowMessageEvent::From(event)) {
        messages.push_back({message->Message(), message->WParam(), message->LParam()});
        return true;
    }
    return QWidget::event(event);
}

MainWnd::MainWnd() : HostComponent(IID_IUICMainWnd) {}

long MainWnd::CallFlash(const std::string& request, std::string& reply) {
    flashRequests.push_back(request);
    reply = flashReply;
    return flashStatus;
}

long MainWnd::ApplySkin(long skinId) {
    skinsApplied.push_back(skinId);
    return 0;
}

NetDisk::NetDisk() : HostComponent(IID_IUICNetDisk) {}

long NetDisk::CallFlash(const std::string& request, std::string& reply) {
    flashRequests.push_back(request);
    reply = flashReply;
    return 0;
}

TestHost::TestHost() {
    Offer(IID_IUICMainWnd, &mainWnd);
    Offer(IID_IUICNetDisk, &netDisk);
}

}  // namespace testhost
