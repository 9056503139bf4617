#include "MainFrame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDockWidget>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>

#include <algorithm>
#include <cstring>

#include "HostParams.h"
#include "HostServices.h"
#include "HostSetup.h"
#include "PageStack.h"
#include "WindowMessage.h"
#include "f_DataVO.h"

namespace {

// The host's session object: it hears about companies the module adds or removes.
class HostSession : public TPSession {
  public:
    explicit HostSession(MainFrame& frame) : frame_(frame) {}
    void CompanyAdded(const QString& companyId) override {
        frame_.AppendLog(QStringLiteral("单位已新增：") + companyId);
    }
    void CompanyRemoved(const QString& companyId) override {
        frame_.AppendLog(QStringLiteral("单位已删除：") + companyId);
    }

  private:
    MainFrame& frame_;
};

}  // namespace

MainFrame::MainFrame(const ModuleApi& module, QWidget* parent)
    : QMainWindow(parent), module_(module) {
    // The module finds the host's main window by this name.
    setObjectName(QStringLiteral("Tfrm_MainFrame"));
    setWindowTitle(QStringLiteral("纳税申报客户端（演示宿主）"));
    resize(1024, 700);

    auto* welcome = new QLabel(QStringLiteral("请从菜单中选择功能。"));
    welcome->setObjectName(QStringLiteral("lblWelcome"));
    welcome->setAlignment(Qt::AlignCenter);
    welcome_ = welcome;
    moduleArea_ = new PageStack(welcome_, this);
    moduleArea_->setObjectName(QStringLiteral("pnlModuleArea"));
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
    savedLabel_ = new QLabel(this);
    savedLabel_->setObjectName(QStringLiteral("lblSaved"));
    statusBar()->addPermanentWidget(savedLabel_);

    QMenu* system = menuBar()->addMenu(QStringLiteral("系统(&S)"));
    QAction* closePage =
        system->addAction(QStringLiteral("关闭当前页(&W)"), this, [this] { CloseCurrentPage(); });
    closePage->setObjectName(QStringLiteral("actClosePage"));
    closePage->setShortcut(QKeySequence::Close);
    closePage->setEnabled(false);
    // Closed with its own button, the log panel comes back from here.
    QAction* showLog = logDock_->toggleViewAction();
    showLog->setText(QStringLiteral("宿主日志(&L)"));
    showLog->setObjectName(QStringLiteral("actHostLog"));
    system->addAction(showLog);
    system->addSeparator();
    system->addAction(QStringLiteral("退出(&X)"), this, &QWidget::close);
    QMenu* company = menuBar()->addMenu(QStringLiteral("单位(&C)"));
    company->setObjectName(QStringLiteral("mnuCompany"));
    company->addAction(QStringLiteral("选择单位(&L)..."), this, [this] { LogIn(); });
    company->addAction(QStringLiteral("刷新当前单位(&R)"), this, [this] { RefreshCompany(); });
    company->addSeparator();
    QAction* manager =
        company->addAction(QStringLiteral("单位管理(&M)"), this, [this] { OpenCompanyManager(); });
    manager->setObjectName(QStringLiteral("actCompanyManager"));
    QAction* info = company->addAction(QStringLiteral("单位信息(&I)"), this,
                                       [this] { OpenCurrentCompanyInfo(false); });
    info->setObjectName(QStringLiteral("actCompanyInfo"));
    QAction* infoView = company->addAction(QStringLiteral("查看单位信息(&V)"), this,
                                           [this] { OpenCurrentCompanyInfo(true); });
    infoView->setObjectName(QStringLiteral("actCompanyInfoView"));
    QAction* infoDialog = company->addAction(QStringLiteral("单位信息对话框(&D)..."), this,
                                             [this] { ShowCompanyInfoDialog(); });
    infoDialog->setObjectName(QStringLiteral("actCompanyInfoDialog"));
    // Only an agency has an agency row and served companies to switch among;
    // elsewhere these items would always come up empty.
    const bool agency = ModuleLib::CheckAgencyExist();
    if (agency) {
        QAction* switchCompany = company->addAction(QStringLiteral("切换单位(&T)..."), this,
                                                    [this] { SwitchCompany(); });
        switchCompany->setObjectName(QStringLiteral("actSwitchCompany"));
    }
    QMenu* settings = menuBar()->addMenu(QStringLiteral("设置(&O)"));
    settings->setObjectName(QStringLiteral("mnuSettings"));
    if (agency) {
        QAction* agencySettings = settings->addAction(QStringLiteral("代理机构设置(&A)"), this,
                                                      [this] { OpenAgencySettings(); });
        agencySettings->setObjectName(QStringLiteral("actAgencySettings"));
    }
    QAction* taxOfficer = settings->addAction(QStringLiteral("办税员设置(&B)"), this,
                                              [this] { OpenTaxOfficerSettings(); });
    taxOfficer->setObjectName(QStringLiteral("actTaxOfficerSettings"));
    connect(moduleArea_, &PageStack::CurrentChanged, this,
            [this, closePage] { closePage->setEnabled(moduleArea_->CurrentPage() != nullptr); });

    HostSetup::SetMainFrame(this);
    HostSetup::SetMainFrameParentForm(moduleArea_);
    HostSetup::SetCurParentForm(moduleArea_);
    HostSetup::RegisterFunction(kCompanyInfoFunc, [this](QWidget*, char* buffer, std::size_t size) {
        return OpenCompanyInfo(buffer, size);
    });
    ModuleLib::GetUserInfoVO()->SetObjValue("TPSession", new HostSession(*this));
    ShowCompany();
}

MainFrame::~MainFrame() {
    // Pages tell the main window when they go; they go while it can still hear.
    while (QWidget* page = moduleArea_->CurrentPage()) {
        delete page;
    }
    ModuleLib::GetUserInfoVO()->SetStrValue("TPSession", QString());
    HostSetup::RegisterFunction(kCompanyInfoFunc, nullptr);
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
    // Said once the choice has taken effect.
    if (!ChangeCompany(companyId)) {
        return false;
    }
    AppendLog(
        QStringLiteral("选择了单位 %1（%2）").arg(companyId, HostParams::Value(params, "QYSBH")));
    return true;
}

bool MainFrame::SwitchCompany() {
    std::string params = OperatorParams();
    if (!module_.CallWithParams("LoadAdvSwitchCompanyForm", params)) {
        AppendLog(QStringLiteral("未切换单位"));
        return false;
    }
    const QString companyId = HostParams::Value(params, "QYID");
    if (companyId.isEmpty()) {
        AppendLog(QStringLiteral("切换单位没有给出单位"));
        return false;
    }
    if (!ChangeCompany(companyId)) {
        return false;
    }
    AppendLog(
        QStringLiteral("切换到单位 %1（%2）").arg(companyId, HostParams::Value(params, "QYSBH")));
    return true;
}

bool MainFrame::ChangeCompany(const QString& companyId) {
    if (companyId != ModuleLib::GetCompanyInfoVO()->GetStrValue("QYID") && !CloseAllPages()) {
        AppendLog(QStringLiteral("有页面保留了未保存的修改，单位未切换"));
        return false;
    }
    return LoadCompany(companyId);
}

bool MainFrame::LoadCompany(const QString& companyId) {
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

QWidget* MainFrame::OpenPage(const char* entry, const QString& funcCode, const std::string& extra) {
    std::string params = OperatorParams();
    for (const auto& [name, value] : HostParams::Pairs(extra)) {
        params = HostParams::With(params, name.toUtf8().constData(), value);
    }
    params = HostParams::With(params, "ModalFormMsg", funcCode);
    QWidget* before = moduleArea_->CurrentPage();
    // The page takes the current function code as its own and names it when it goes.
    HostSetup::SetCurFuncCode(funcCode);
    if (!module_.ShowPage(entry, ModuleLib::GetAppHandle(),
                          static_cast<std::uintptr_t>(moduleArea_->winId()), params)) {
        AppendLog(QStringLiteral("模块没有入口 %1").arg(QLatin1String(entry)));
        return nullptr;
    }
    QWidget* page = moduleArea_->CurrentPage();
    if (page == nullptr || page == before) {
        AppendLog(QStringLiteral("模块没有显示页面：%1").arg(QLatin1String(entry)));
        return nullptr;
    }
    return page;
}

bool MainFrame::OpenOnce(QPointer<QWidget>& page, const char* entry, const char* funcCode) {
    if (page) {
        moduleArea_->Raise(page);
        return true;
    }
    page = OpenPage(entry, QLatin1String(funcCode), {});
    return page != nullptr;
}

bool MainFrame::OpenCompanyManager() {
    return OpenOnce(companyManager_, "ShowCompanyMgrProc", kCompanyMgrFunc);
}

bool MainFrame::OpenAgencySettings() {
    if (!ModuleLib::CheckAgencyExist()) {
        AppendLog(QStringLiteral("本机不是代理机构版，没有代理机构设置"));
        return false;
    }
    return OpenOnce(agencySettings_, "ShowGljgszProc", kAgencySettingsFunc);
}

bool MainFrame::OpenTaxOfficerSettings() {
    return OpenOnce(taxOfficer_, "ShowBsyxxszProc", kTaxOfficerFunc);
}

bool MainFrame::OpenCompanyInfo(const char* buffer, std::size_t size) {
    constexpr const char* kEntry = "ShowComapnayInfoInnerProc";
    if (module_.Symbol(kEntry) == nullptr) {
        AppendLog(QStringLiteral("本模块尚未提供单位信息页"));
        return false;
    }
    const std::string params(buffer, strnlen(buffer, size));
    return OpenPage(kEntry, QLatin1String(kCompanyInfoFunc), params) != nullptr;
}

QString MainFrame::CurrentCompanyId() {
    const QString companyId = ModuleLib::GetCompanyInfoVO()->GetStrValue("QYID");
    if (companyId.isEmpty()) {
        AppendLog(QStringLiteral("尚未选择单位"));
    }
    return companyId;
}

bool MainFrame::OpenCurrentCompanyInfo(bool viewOnly) {
    const QString companyId = CurrentCompanyId();
    return !companyId.isEmpty() && OpenCompanyInfoFor(companyId, viewOnly);
}

bool MainFrame::OpenCompanyInfoFor(const QString& companyId, bool viewOnly) {
    // Opened from the menu there is no page to go back to.
    const std::string params =
        HostParams::With(HostParams::With(HostParams::With(std::string(), "QYID", companyId),
                                          "CLOSEPREV", QStringLiteral("true")),
                         "TOVIEW", viewOnly ? QStringLiteral("true") : QStringLiteral("false"));
    return OpenPage("ShowComapnayInfoInnerProc", QLatin1String(kCompanyInfoFunc), params) !=
           nullptr;
}

bool MainFrame::ShowCompanyInfoDialog() {
    const QString companyId = CurrentCompanyId();
    if (companyId.isEmpty()) {
        return false;
    }
    constexpr const char* kEntry = "ShowComapnayInfoProc";
    if (module_.Symbol(kEntry) == nullptr) {
        AppendLog(QStringLiteral("模块没有入口 %1").arg(QLatin1String(kEntry)));
        return false;
    }
    // Its saves are noted under its own name, not the last page's.
    HostSetup::SetCurFuncCode(QLatin1String(kCompanyInfoDialogFunc));
    const bool saved = module_.CallIdFlag(kEntry, companyId.toStdString(), false);
    AppendLog(saved ? QStringLiteral("单位信息对话框已确定")
                    : QStringLiteral("单位信息对话框已关闭"));
    // A save refreshes the current company's object.
    ShowCompany();
    return saved;
}

bool MainFrame::CloseCurrentPage() {
    QWidget* page = moduleArea_->CurrentPage();
    return page != nullptr && SendHostMessage(page, HostMsg::kClosePage);
}

bool MainFrame::CloseAllPages() {
    while (QWidget* page = moduleArea_->CurrentPage()) {
        // A page that took the message but stayed would be asked forever.
        if (!SendHostMessage(page, HostMsg::kClosePage) || !page->isHidden()) {
            return false;
        }
        // A closed page deletes itself later; the one below is asked now.
        delete page;
    }
    return true;
}

void MainFrame::closeEvent(QCloseEvent* event) {
    if (!CloseAllPages()) {
        event->ignore();
        return;
    }
    QSettings settings(LayoutFile(), QSettings::IniFormat);
    settings.setValue(QStringLiteral("Window/Geometry"), saveGeometry());
    settings.setValue(QStringLiteral("Window/State"), saveState());
    QMainWindow::closeEvent(event);
}

QString MainFrame::LayoutFile() {
    return ModuleLib::GetAppPath() + QStringLiteral("taxhost.ini");
}

void MainFrame::showEvent(QShowEvent* event) {
    if (!layoutRestored_) {
        layoutRestored_ = true;
        RestoreLayout();
    }
    QMainWindow::showEvent(event);
}

void MainFrame::RestoreLayout() {
    const QSettings settings(LayoutFile(), QSettings::IniFormat);
    const QRect available = screen()->availableGeometry();
    // The first time the whole work area, with the log panel a modest strip.
    if (!restoreGeometry(settings.value(QStringLiteral("Window/Geometry")).toByteArray())) {
        // Without a window manager to maximise it, the size says as much.
        resize(available.size() - QSize(16, 16 + style()->pixelMetric(QStyle::PM_TitleBarHeight)));
        move(available.topLeft());
        setWindowState(windowState() | Qt::WindowMaximized);
        resizeDocks({logDock_}, {available.height() / 6}, Qt::Vertical);
    }
    restoreState(settings.value(QStringLiteral("Window/State")).toByteArray());
    // A window remembered on a larger screen is never larger than this one.
    if (!isMaximized() && !isFullScreen()) {
        const QRect frame = frameGeometry();
        const QSize margins = frame.size() - size();
        resize(size().boundedTo(available.size() - margins));
        move(std::clamp(frame.left(), available.left(),
                        std::max(available.left(), available.right() - frame.width() + 1)),
             std::clamp(frame.top(), available.top(),
                        std::max(available.top(), available.bottom() - frame.height() + 1)));
    }
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

void MainFrame::AppendLog(const QString& line, LogTo to) {
    if (to == LogTo::PanelAndFile) {
        log_->appendPlainText(QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss ")) +
                              line);
        // The panel follows the newest line, also after the operator scrolled.
        log_->verticalScrollBar()->setValue(log_->verticalScrollBar()->maximum());
    }
    // Operators and auditors read the file, not the panel.
    HostSetup::LogInfo(line);
}

QString MainFrame::LogText() const {
    return log_->toPlainText();
}

QString MainFrame::CompanyText() const {
    return companyLabel_->text();
}

QString MainFrame::SavedText() const {
    return savedLabel_->text();
}

void MainFrame::NoteSaved(const QString& funcCode) {
    const std::pair<const char*, const char*> names[] = {
        {kCompanyInfoFunc, "单位信息"},
        {kCompanyInfoDialogFunc, "单位信息"},
        {kAgencySettingsFunc, "代理机构设置"},
        {kTaxOfficerFunc, "办税员设置"},
    };
    QString name = funcCode;
    for (const auto& [code, text] : names) {
        if (funcCode == QLatin1String(code)) {
            name = QString::fromUtf8(text);
        }
    }
    const QString time = QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss"));
    savedLabel_->setText(QStringLiteral("%1已保存（%2）").arg(name, time));
    AppendLog(QStringLiteral("模块已保存：") + funcCode);
}

void MainFrame::SetPageMaximised(bool maximised) {
    // The page takes the log panel's room; the menus (and their Alt keys)
    // and the status bar stay. Restoring brings the panel back only when it
    // was open before.
    if (maximised && !pageMaximised_) {
        logShownBeforeMax_ = logDock_->isVisible();
        logDock_->hide();
    } else if (!maximised && pageMaximised_ && logShownBeforeMax_) {
        logDock_->show();
    }
    pageMaximised_ = maximised;
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
            AppendLog(QStringLiteral("模块窗口已嵌入：") + message->Text(), LogTo::FileOnly);
            break;
        case HostMsg::kHelp:
            AppendLog(QStringLiteral("请求帮助（F1）"));
            break;
        case HostMsg::kFormDestroyed:
            AppendLog(QStringLiteral("模块窗口已关闭：") + message->Text(), LogTo::FileOnly);
            break;
        case HostMsg::kFormSaved:
            NoteSaved(message->Text());
            break;
        default:
            break;
    }
    event->accept();
    return true;
}
