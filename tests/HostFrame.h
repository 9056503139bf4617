// A host main window for tests: a top-level widget named "Tfrm_MainFrame"
// that records every window message the module sends it.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <vector>

class THostFrame : public QWidget {
  public:
    struct Message {
        int code = 0;
        qintptr wParam = 0;
        qintptr lParam = 0;
        bool copyData = false;
        QString text;
    };

    // With registered set, the reference host names this window as its main
    // window (GetMainFrameHandle); otherwise the module finds it by name.
    explicit THostFrame(bool registered = true);
    ~THostFrame() override;

    const std::vector<Message>& Messages() const { return messages_; }
    std::vector<Message> MessagesWith(int code) const;
    int Count(int code) const;
    // Texts of the copy-data messages with the code, in order.
    QStringList Texts(int code) const;
    void Clear() { messages_.clear(); }

    // Runs as each message arrives, after it was recorded.
    std::function<void(const Message&)> onMessage;

  protected:
    bool event(QEvent* event) override;

  private:
    std::vector<Message> messages_;
};
