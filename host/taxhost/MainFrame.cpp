#include "MainFrame.h"

#include <QApplication>
#include <QDateTime>
#include <QDockWidget>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QVBoxLayout>

#include "HostParams.h"
#include "HostServices.h"
#include "HostSetup.h"
#include "WindowMessage.h"
#include "f_DataVO.h"

MainFrame::MainFrame(const ModuleApi& module, QWidget* parent)
    : QMainWindow(parent), module_(module) {
    // The module finds the host's main window by this name.
    setObjectName(QStringLiteral("Tfrm_MainFrame"));
    setWindowTitle(QStringLiteral("纳税申报客户端（演示宿主）"));
    resize(1024, 700);

    moduleArea_ = new QWidget(this);
    moduleArea_->setObjectName(QStringLiteral("pnlModuleArea"));
    auto* areaLayout = new QVBoxLayout(moduleArea_);
    areaLayout->setContentsMargins(0, 0, 0, 0);
    auto* welcome = new QLabel(QStringLiteral("请从菜单中选择功能。"), moduleArea_);
    welcome->setAlignment(Qt::AlignCenter);
    areaLayout->addWidget(welcome);
    setCentralWidget(moduleArea_);

    log_ = new QPlainTextEdit(this);
    log_->setReadOnly(true);
    log_->setObjectName(QStringLiteral("edtHostLog"));
    logDock_ = new QDockWidget(QStringLiteral("宿主日志"), this);
    logDock_->setObjectName(QStringLiteral("dockHostLog"));
    logDock_->setWidget(log_);
    addDockWidget(Qt::BottomDockWidgetArea, logDock_);

    operatorLabel_ = new QLabel(this);
    companyLabel_ = new QLabel(this);
    statusBar()->addWidget(operatorLabel_);
    statusBar()->addWidget(companyLabel_, 1);

    QMenu* system = menuBar()->addMenu(QStringLiteral("系统(&S)"));
    system->addAction(QStringLiteral("退出(&X)"), this, &QWidget::close);
    QMenu* company = menuBar()->addMenu(QStringLiteral("单位(&C)"));
    company->setObjectName(QStringLiteral("mnuCompany"));
    company->addAction(QStringLiteral("选择单位(&L)..."), this, [this] { LogIn(); });
    company->addAction(QStringLiteral("刷新当前单位(&R)"), this, [this] { RefreshCompany(); });

    HostSetup::SetMainFrame(this);
    HostSetup::SetMainFrameParentForm(moduleArea_);
    HostSetup::SetCurParentForm(moduleArea_);
    ShowCompany();
}

std::string MainFrame::OperatorParams() const {
    const TDataVO* user = ModuleLib::GetUserInfoVO();
    return HostParams::OperatorParams(user->GetStrValue("CZY_DM"), user->GetStrValue("CZY_LB"));
}

bool MainFrame::LogIn() {
    std::string params = OperatorParams();
    if (!module_.CallWithParams("LoadSelectCompanyForm", params)) {
        const QString reason = HostParams::Value(params, "ResultMsgStr");
        AppendLog(QStringLiteral("未选择单位") + (reason.isEmpty() ? QString() : "：" + reason));
        return false;
    }
    const QString companyId = HostParams::Value(params, "QYID");
    AppendLog(
        QStringLiteral("选择了单位 %1（%2）").arg(companyId, HostParams::Value(params, "QYSBH")));
    std::string init = HostParams::With(OperatorParams(), "QYID", companyId);
    const bool loaded = module_.CallWithParams("InitGlobalCompanyInfo", init);
    if (!loaded) {
        AppendLog(QStringLiteral("载入单位失败：") + HostParams::Value(init, "ResultMsgStr"));
    }
    ShowCompany();
    return loaded;
}

bool MainFrame::RefreshCompany() {
    const bool refreshed = module_.CallNoArgs("RefreshCurrentCompanyInfo");
    AppendLog(refreshed ? QStringLiteral("当前单位已刷新") : QStringLiteral("刷新当前单位失败"));
    ShowCompany();
    return refreshed;
}

void MainFrame::ShowCompany() {
    const TDataVO* user = ModuleLib::GetUserInfoVO();
    operatorLabel_->setText(QStringLiteral("操作员：%1（类别 %2）")
                                .arg(user->GetStrValue("CZY_DM"), user->GetStrValue("CZY_LB")));
    const TDataVO* company = ModuleLib::GetCompanyInfoVO();
    const QString name = company->GetStrValue("QYMC");
    companyLabel_->setText(
        name.isEmpty()
            ? QStringLiteral("当前单位：（未选择）")
            : QStringLiteral("当前单位：%1（%2）").arg(name, company->GetStrValue("QYSBH")));
}

void MainFrame::AppendLog(const QString& line) {
    log_->appendPlainText(QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss ")) +
                          line);
}

QString MainFrame::LogText() const {
    return log_->toPlainText();
}

void MainFrame::SetPageMaximised(bool maximised) {
    menuBar()->setVisible(!maximised);
    statusBar()->setVisible(!maximised);
    logDock_->setVisible(!maximised);
}

bool MainFrame::event(QEvent* event) {
    const THostMessageEvent* message = THostMessageEvent::Cast(event);
    if (message == nullptr) {
        return QMainWindow::event(event);
    }
    switch (message->Code()) {
        case HostMsg::kPageState:
            SetPageMaximised(message->Text() == QLatin1String("max"));
            break;
        case HostMsg::kFormShown:
            AppendLog(QStringLiteral("模块窗口已嵌入：") + message->Text());
            break;
        case HostMsg::kHelp:
            AppendLog(QStringLiteral("请求帮助（F1）"));
            break;
        case HostMsg::kFormDestroyed:
            AppendLog(QStringLiteral("模块窗口已关闭：") + message->Text());
            break;
        default:
            break;
    }
    event->accept();
    return true;
}
