#include "HostFrame.h"

#include "HostSetup.h"
#include "WindowMessage.h"

THostFrame::THostFrame(bool registered) {
    setObjectName(QStringLiteral("Tfrm_MainFrame"));
    if (registered) {
        HostSetup::SetMainFrame(this);
    }
}

THostFrame::~THostFrame() = default;

std::vector<THostFrame::Message> THostFrame::MessagesWith(int code) const {
    std::vector<Message> found;
    for (const Message& message : messages_) {
        if (message.code == code) {
            found.push_back(message);
        }
    }
    return found;
}

int THostFrame::Count(int code) const {
    return static_cast<int>(MessagesWith(code).size());
}

QStringList THostFrame::Texts(int code) const {
    QStringList texts;
    for (const Message& message : messages_) {
        if (message.code == code && message.copyData) {
            texts << message.text;
        }
    }
    return texts;
}

bool THostFrame::event(QEvent* event) {
    if (const THostMessageEvent* message = THostMessageEvent::Cast(event)) {
        messages_.push_back({message->Code(), message->WParam(), message->LParam(),
                             message->IsCopyData(), message->Text()});
        if (onMessage) {
            onMessage(messages_.back());
        }
        return true;
    }
    return QWidget::event(event);
}
