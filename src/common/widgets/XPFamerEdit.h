// The host's skinned edit: a line edit that carries the input-method mode and
// the name of the input method to use while it has the focus, and an enter
// handler that runs whenever the focus moves into it. In a .ui file, promote a
// QLineEdit to TXPFamerEdit (header "XPFamerEdit.h"); imeMode can be set there.
#pragma once

#include <QLineEdit>

#include <functional>

class TXPFamerEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(ImeMode imeMode READ imeMode WRITE setImeMode)
    Q_PROPERTY(QString imeName READ imeName WRITE setImeName)

  public:
    enum ImeMode {
        imDontCare,  // leave the input method as the platform has it
        imDisable,   // no input method at all
        imClose,     // Latin input
        imOpen,      // the operator's input method
        imChinese,   // Chinese input: treated as open
    };
    Q_ENUM(ImeMode)

    using EnterHandler = std::function<void(TXPFamerEdit*)>;

    explicit TXPFamerEdit(QWidget* parent = nullptr);

    ImeMode imeMode() const { return imeMode_; }
    // Closed mode asks the platform input method for Latin input only.
    void setImeMode(ImeMode mode);
    // Names the input method the operator chose; the platform picks the
    // actual one, so this is what the host and tests read back.
    const QString& imeName() const { return imeName_; }
    void setImeName(const QString& name);

    // Runs on focus-in, except when the focus only comes back with the window
    // or from a popup. What the handler throws is dropped.
    const EnterHandler& enterHandler() const { return enterHandler_; }
    bool hasEnterHandler() const { return static_cast<bool>(enterHandler_); }
    void setEnterHandler(EnterHandler handler) { enterHandler_ = std::move(handler); }

  protected:
    void focusInEvent(QFocusEvent* event) override;

  private:
    ImeMode imeMode_ = imDontCare;
    QString imeName_;
    EnterHandler enterHandler_;
};
