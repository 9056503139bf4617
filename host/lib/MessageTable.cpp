// The host's numbered message texts and how a message reaches the operator:
// a scripted responder, a message box, or (without a screen) a confirmation.
#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>

#include "ServiceState.h"

namespace {

struct MessageEntry {
    int code;
    const char* text;  // "%1" stands for the extra text
    bool question;
};

const MessageEntry kMessages[] = {
    {106002, "没有找到您可以使用的单位，请先增加单位或联系管理员分配权限。", false},
    {106003, "读取单位信息失败。", false},
    {106004, "请先选择一个单位。", false},
    {106005, "单位信息已经存在。", false},
    {106006, "读取单位列表失败。", false},
    {106007, "不能删除当前正在使用的单位。", false},
    {106008, "确定要删除单位[%1]吗？删除后该单位的所有数据将无法恢复。", true},
    {106009, "单位已经删除。", false},
    {106010, "删除单位失败。", false},
    {106011, "保存代理机构信息失败。", false},
    {106012, "保存办税员信息失败。", false},
    {106013, "企业识别号不能为空，请输入。", false},
    {106014, "单位名称不能为空，请输入。", false},
    {106015, "联系电话只能由数字、括号和“-”组成。", false},
    {106016, "新增单位失败。", false},
    {106017, "单位已经新增。", false},
    {106018, "保存单位信息失败。", false},
    {106019, "单位信息已经保存。", false},
    {106020, "更新当前单位信息失败。", false},
    {106021, "企业识别号不能为空。", false},
    {106022, "联系电话只能由数字、括号和“-”组成，请重新输入。", false},
    {106023, "传真号码只能由数字、括号和“-”组成，请重新输入。", false},
    {106024, "电子邮箱格式不正确，请重新输入。", false},
};

const MessageEntry* FindMessage(int code) {
    for (const MessageEntry& entry : kMessages) {
        if (entry.code == code) {
            return &entry;
        }
    }
    return nullptr;
}

QString ComposeText(const MessageEntry* entry, int code, const QString& extra) {
    if (entry == nullptr) {
        return extra.isEmpty() ? QStringLiteral("[%1]").arg(code)
                               : QStringLiteral("[%1] %2").arg(code).arg(extra);
    }
    QString text = QString::fromUtf8(entry->text);
    if (text.contains(QLatin1String("%1"))) {
        return text.arg(extra);
    }
    if (!extra.isEmpty()) {
        text += QStringLiteral("\n错误代码：") + extra;
    }
    return text;
}

bool CanAskOperator() {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        return false;
    }
    if (ServiceState::Get().askOffscreen) {
        return true;
    }
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

int AskOperator(const HostSetup::THostMessage& message) {
    // Over a dialog the box is the dialog's: one of the main window's would
    // raise the main window above the dialog it asks about.
    QWidget* parent = QApplication::activeModalWidget();
    if (parent == nullptr) {
        parent = ServiceState::Get().mainFrame.data();
    }
    const QString title = QStringLiteral("提示");
    switch (message.buttons) {
        case HostSetup::THostMessage::YesNo:
            // A question may delete or add for good: Enter alone does neither.
            return QMessageBox::question(parent, title, message.text,
                                         QMessageBox::Yes | QMessageBox::No,
                                         QMessageBox::No) == QMessageBox::Yes
                       ? 1
                       : 2;
        case HostSetup::THostMessage::YesNoCancel: {
            // Cancel leaves everything as it is.
            const auto answer = QMessageBox::question(
                parent, title, message.text,
                QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel);
            return answer == QMessageBox::Yes ? 1 : answer == QMessageBox::No ? 2 : 3;
        }
        case HostSetup::THostMessage::Ok:
            break;
    }
    QMessageBox::information(parent, title, message.text);
    return 1;
}

int Deliver(HostSetup::THostMessage message) {
    ServiceState::State& state = ServiceState::Get();
    if (state.responder) {
        message.answer = state.responder(message);
    } else if (CanAskOperator()) {
        message.answer = AskOperator(message);
    } else {
        message.answer = 1;
    }
    if (state.recording) {
        state.messages.push_back(message);
    }
    return message.answer;
}

}  // namespace

namespace ModuleLib {

int InforMsg(int code, const QString& extra, int /*buttons*/) {
    const MessageEntry* entry = FindMessage(code);
    HostSetup::THostMessage message;
    message.kind = HostSetup::THostMessage::Numbered;
    message.code = code;
    message.extra = extra.left(255);
    message.text = ComposeText(entry, code, message.extra);
    message.buttons = entry != nullptr && entry->question ? HostSetup::THostMessage::YesNo
                                                          : HostSetup::THostMessage::Ok;
    return Deliver(message);
}

int InfoMsgBox(const QString& text, int flags) {
    HostSetup::THostMessage message;
    message.kind = HostSetup::THostMessage::Plain;
    message.text = text;
    if (flags == HostSetup::THostMessage::YesNo || flags == HostSetup::THostMessage::YesNoCancel) {
        message.buttons = static_cast<HostSetup::THostMessage::Buttons>(flags);
    }
    return Deliver(message);
}

}  // namespace ModuleLib

namespace HostSetup {

QString MessageText(int code) {
    const MessageEntry* entry = FindMessage(code);
    return entry == nullptr ? QString() : QString::fromUtf8(entry->text);
}

}  // namespace HostSetup
