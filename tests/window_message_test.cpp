// Window messages are delivered synchronously, to a window on the sending
// thread only; anything else is refused, not queued or lost silently.
#include <gtest/gtest.h>

#include <QEvent>
#include <QObject>
#include <QThread>

#include "WindowMessage.h"

namespace {

// Accepts every host message and keeps the last one.
class TReceiver : public QObject {
  public:
    bool event(QEvent* event) override {
        if (const THostMessageEvent* message = THostMessageEvent::Cast(event)) {
            code = message->Code();
            text = message->Text();
            return true;
        }
        return QObject::event(event);
    }
    int code = 0;
    QString text;
};

TEST(WindowMessages, ReachOnlyATargetOnTheSendingThread) {
    EXPECT_FALSE(SendHostMessage(nullptr, HostMsg::kClosePage));
    EXPECT_FALSE(SendHostText(nullptr, HostMsg::kFormShown, QStringLiteral("x")));

    TReceiver here;
    EXPECT_TRUE(SendHostText(&here, HostMsg::kFormShown, QStringLiteral("page|1")));
    EXPECT_EQ(here.code, HostMsg::kFormShown);
    EXPECT_EQ(here.text, "page|1");

    // A receiver living on another thread would be called from this one.
    QThread other;
    TReceiver elsewhere;
    elsewhere.moveToThread(&other);
    EXPECT_FALSE(SendHostMessage(&elsewhere, HostMsg::kApplySkin));
    EXPECT_EQ(elsewhere.code, 0);
}

TEST(WindowMessages, OtherEventsAreNoHostMessages) {
    QEvent other(QEvent::User);
    EXPECT_EQ(THostMessageEvent::Cast(&other), nullptr);
    EXPECT_EQ(THostMessageEvent::Cast(nullptr), nullptr);
    THostMessageEvent message(HostMsg::kHelp, 0, 0);
    EXPECT_EQ(THostMessageEvent::Cast(&message), &message);
}

}  // namespace
