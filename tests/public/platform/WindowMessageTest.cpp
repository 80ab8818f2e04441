#include "platform/WindowMessage.h"

#include <gtest/gtest.h>

#include "CoreApp.h"

#include <QCoreApplication>
#include <QThread>
#include <string>
#include <vector>

namespace {

constexpr unsigned kStartDownload = 0x2B12;
constexpr unsigned kHostMessage = 0x400 + 10002;

// A window that records the messages it receives and answers with a result of its own.
class Receiver : public QObject {
public:
    struct Received {
        unsigned message;
        WPARAM wParam;
        LPARAM lParam;
        QThread* thread;
    };

    Receiver() {
        m_map.On(kStartDownload, [this](WPARAM w, LPARAM l) { return Record(kStartDownload, w, l); });
        m_map.On(kHostMessage, [this](WPARAM w, LPARAM l) { return Record(kHostMessage, w, l); });
    }
    bool event(QEvent* e) override { return m_map.Dispatch(e) || QObject::event(e); }

    std::vector<Received> received;

private:
    LRESULT Record(unsigned message, WPARAM w, LPARAM l) {
        received.push_back({message, w, l, QThread::currentThread()});
        return static_cast<LRESULT>(w) + l;
    }
    WindowMessageMap m_map;
};

class WindowMessage : public ::testing::Test {
protected:
    void SetUp() override { CoreApp(); }
};

TEST_F(WindowMessage, PostedMessageArrivesLaterWithItsParameters) {
    Receiver receiver;
    std::string param = "<DownloadList/>";
    ASSERT_TRUE(PostMessage(&receiver, kStartDownload, reinterpret_cast<WPARAM>(&param), -3));
    EXPECT_TRUE(receiver.received.empty());

    QCoreApplication::processEvents();
    ASSERT_EQ(receiver.received.size(), 1u);
    EXPECT_EQ(receiver.received[0].message, kStartDownload);
    EXPECT_EQ(*reinterpret_cast<std::string*>(receiver.received[0].wParam), "<DownloadList/>");
    EXPECT_EQ(receiver.received[0].lParam, -3);
}

TEST_F(WindowMessage, SentMessageIsHandledAtOnceAndReturnsTheResult) {
    Receiver receiver;
    EXPECT_EQ(SendMessage(&receiver, kHostMessage, 40, 2), 42);
    ASSERT_EQ(receiver.received.size(), 1u);
    EXPECT_EQ(receiver.received[0].message, kHostMessage);
    // A message nobody handles answers 0.
    EXPECT_EQ(SendMessage(&receiver, 0x0BBE, 1, 1), 0);
}

TEST_F(WindowMessage, NumbersBelowTheUserRangeAndMissingReceiversAreRefused) {
    Receiver receiver;
    EXPECT_FALSE(PostMessage(&receiver, 999, 0, 0));
    EXPECT_FALSE(PostMessage(nullptr, kStartDownload, 0, 0));
    EXPECT_EQ(SendMessage(nullptr, kStartDownload, 1, 1), 0);
    EXPECT_FALSE(PostMessage(&receiver, 70000, 0, 0));
    QCoreApplication::processEvents();
    EXPECT_TRUE(receiver.received.empty());
}

TEST_F(WindowMessage, SendingToAnotherThreadWaitsForItsHandler) {
    QThread worker;
    worker.start();
    Receiver receiver;
    receiver.moveToThread(&worker);

    EXPECT_EQ(SendMessage(&receiver, kStartDownload, 5, 6), 11);
    ASSERT_EQ(receiver.received.size(), 1u);
    EXPECT_EQ(receiver.received[0].thread, &worker);

    worker.quit();
    worker.wait();
}

}  // namespace
