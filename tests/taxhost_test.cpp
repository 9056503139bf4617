// The demo host: its main window's answers to the module's messages, and the
// program's demo folder and headless walk-through.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QCoreApplication>
#include <QDockWidget>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include <cstring>
#include <functional>
#include <vector>

#include "DialogPicker.h"
#include "HostApp.h"
#include "HostServices.h"
#include "HostSetup.h"
#include "MainFrame.h"
#include "ModuleApi.h"
#include "PageScript.h"
#include "PageStack.h"
#include "TestHost.h"
#include "WindowMessage.h"
#include "f_DataVO.h"

namespace {

using TaxHostFrame = HostTest;

TEST_F(TaxHostFrame, PageStateMessagesMaximiseAndRestoreThePage) {
    ModuleApi module;
    MainFrame frame(module);
    frame.show();
    EXPECT_EQ(frame.objectName(), "Tfrm_MainFrame");
    // The page takes the log panel's room; the menus and their Alt keys stay.
    ASSERT_TRUE(SendHostText(&frame, HostMsg::kPageState, "max"));
    EXPECT_TRUE(frame.menuBar()->isVisible());
    EXPECT_TRUE(frame.statusBar()->isVisible());
    EXPECT_FALSE(frame.findChild<QDockWidget*>("dockHostLog")->isVisible());
    ASSERT_TRUE(SendHostText(&frame, HostMsg::kPageState, "reset"));
    EXPECT_TRUE(frame.menuBar()->isVisible());
    EXPECT_TRUE(frame.statusBar()->isVisible());
    EXPECT_TRUE(frame.findChild<QDockWidget*>("dockHostLog")->isVisible());
}

// The first time the window takes the screen's work area; later it opens as
// the operator left it, never larger than the screen.
TEST_F(TaxHostFrame, TheWindowFitsTheScreenAndOpensAsLeft) {
    ModuleApi module;
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect half(available.topLeft() + QPoint(10, 20), available.size() / 2);
    const QRect triple(available.topLeft(), available.size() * 3);
    for (const QRect& left : {QRect(), half, triple}) {
        MainFrame frame(module);
        frame.show();
        QCoreApplication::processEvents();
        EXPECT_TRUE(available.contains(frame.frameGeometry())) << left.width();
        EXPECT_EQ(std::pair(frame.isMaximized(), frame.geometry() == half),
                  std::pair(left.isNull(), left == half))
            << left.width();
        frame.showNormal();
        frame.setGeometry(left.isNull() ? half : left == half ? triple : available);
        frame.close();
    }
}

TEST_F(TaxHostFrame, ModuleNoticesGoToTheHostLog) {
    ModuleApi module;
    MainFrame frame(module);
    SendHostText(&frame, HostMsg::kFormShown, "MSG|123|0|1");
    SendHostMessage(&frame, HostMsg::kHelp);
    SendHostText(&frame, HostMsg::kFormDestroyed, "01004-01-16-00-00");
    // The panel says what the operator did; the windows' comings and goings
    // are for the file, which has every line of the panel too.
    const QString log = frame.LogText();
    EXPECT_TRUE(log.contains("F1"));
    EXPECT_FALSE(log.contains("MSG|123|0|1") || log.contains("01004-01-16-00-00"));
    QFile file(HostSetup::LogFilePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString written = QString::fromUtf8(file.readAll());
    const QStringList lines = log.split('\n') << "         MSG|123|0|1";
    for (const QString& line : lines) {
        EXPECT_TRUE(written.contains(line.mid(9))) << line.toStdString();
    }
}

TEST_F(TaxHostFrame, StatusBarShowsOperatorAndCompany) {
    ModuleLib::GetUserInfoVO()->SetStrValue("CZY_DM", "0007");
    ModuleLib::GetUserInfoVO()->SetStrValue("CZY_LB", "R01");
    ModuleLib::GetCompanyInfoVO()->SetStrValue("QYMC", "北京甲公司");
    ModuleLib::GetCompanyInfoVO()->SetStrValue("QYSBH", "9111");
    ModuleApi module;
    MainFrame frame(module);
    QStringList texts;
    for (const QLabel* label : frame.statusBar()->findChildren<QLabel*>()) {
        texts << label->text();
    }
    const QString all = texts.join(' ');
    EXPECT_TRUE(all.contains("0007")) << all.toStdString();
    EXPECT_TRUE(all.contains("R01"));
    EXPECT_TRUE(all.contains("北京甲公司"));
}

// Pages are docked as the module docks them: added to the container's layout
// and shown. The last one covers what was there; closing it brings that back.
TEST_F(TaxHostFrame, DockedPagesStackOverTheWelcomeText) {
    ModuleApi module;
    MainFrame frame(module);
    frame.show();
    PageStack* area = frame.ModuleArea();
    auto dock = [area] {
        auto* page = new QWidget;
        page->setAttribute(Qt::WA_DeleteOnClose);
        page->setParent(area);
        area->layout()->addWidget(page);
        page->show();
        return page;
    };
    auto closeTop = [area] {
        area->CurrentPage()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    };
    ASSERT_TRUE(frame.Welcome()->isVisible());
    QWidget* first = dock();
    EXPECT_FALSE(frame.Welcome()->isVisible());
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->geometry(), area->rect());  // fills the area, nothing beside it
    QWidget* second = dock();
    EXPECT_FALSE(first->isVisible());
    EXPECT_EQ(area->CurrentPage(), second);
    EXPECT_EQ(area->PageCount(), 2);

    area->Raise(first);
    EXPECT_EQ(area->CurrentPage(), first);
    EXPECT_FALSE(second->isVisible());
    area->Raise(second);

    closeTop();
    EXPECT_EQ(area->CurrentPage(), first);
    EXPECT_TRUE(first->isVisible());
    closeTop();
    EXPECT_EQ(area->CurrentPage(), nullptr);
    EXPECT_EQ(area->PageCount(), 0);
    EXPECT_TRUE(frame.Welcome()->isVisible());
}

// The company manager from the menu: one page over the welcome text, opened
// once however often it is asked for; the host's 1280 closes it and the
// welcome text is back.
class TaxHostManager : public HostTest {
  protected:
    void SetUp() override {
        HostTest::SetUp();
        QString error;
        ASSERT_TRUE(module_.Load(COMPANYMGR_MODULE_PATH, error)) << error.toStdString();
        ModuleLib::GetUserInfoVO()->SetStrValue("CZY_DM", "0001");
        ModuleLib::GetUserInfoVO()->SetStrValue("CZY_LB", "0");
    }

    ModuleApi module_;
};

TEST_F(TaxHostManager, IsOnePageOverTheWelcomeText) {
    MainFrame frame(module_);
    frame.show();
    PageStack* area = frame.ModuleArea();
    ASSERT_TRUE(frame.OpenCompanyManager());
    QPointer<QWidget> page = area->CurrentPage();
    ASSERT_NE(page, nullptr);
    EXPECT_STREQ(page->metaObject()->className(), "Tfrm_CompanyManage");
    EXPECT_FALSE(frame.Welcome()->isVisible());
    EXPECT_EQ(page->geometry(), area->rect());
    EXPECT_TRUE(frame.OpenCompanyManager());
    EXPECT_EQ(area->PageCount(), 1);
    EXPECT_EQ(area->CurrentPage(), page);

    frame.CloseCurrentPage();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(page, nullptr);
    EXPECT_EQ(area->PageCount(), 0);
    EXPECT_TRUE(frame.Welcome()->isVisible());
    QFile file(HostSetup::LogFilePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString log = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(log.contains(QStringLiteral("模块窗口已嵌入：%1|").arg(MainFrame::kCompanyMgrFunc)))
        << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("模块窗口已关闭：%1").arg(MainFrame::kCompanyMgrFunc)));

    ASSERT_TRUE(frame.OpenCompanyManager());  // a closed manager opens anew
    EXPECT_EQ(area->PageCount(), 1);
}

// A company added in the manager reaches the host's session object, which
// logs it with the new id.
TEST_F(TaxHostManager, SessionLogsTheAddedCompany) {
    AddCompany("911100000000000001", "北京甲公司");
    MainFrame frame(module_);
    frame.show();
    ASSERT_TRUE(frame.OpenCompanyManager());
    auto step = [](TPageStep::Kind kind, const QString& argument) {
        TPageStep parsed;
        QString error;
        EXPECT_TRUE(ParsePageStep(kind, argument, parsed, error)) << error.toStdString();
        return parsed;
    };
    PageScript script(
        {step(TPageStep::Press, "actCompanyAdd"),
         step(TPageStep::Type, "edtQysbh=911100000000000002"), step(TPageStep::Press, "sBtnSave")},
        [&frame] { return frame.ModuleArea()->CurrentPage(); }, [](const QString&) {});
    QEventLoop loop;
    script.onFinished = [&loop] { loop.quit(); };
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    script.Start();
    loop.exec();
    ASSERT_TRUE(script.Finished());
    ASSERT_EQ(script.Error().toStdString(), "");
    const QString added = Scalar("select QYID from XT_QYXX where QYSBH='911100000000000002'");
    ASSERT_FALSE(added.isEmpty());
    EXPECT_TRUE(frame.LogText().contains(QStringLiteral("单位已新增：") + added))
        << frame.LogText().toStdString();
}

// The menus offer the agency's items on an agency's installation only; the
// tax officer settings everywhere.
TEST_F(TaxHostFrame, AgencyItemsOnlyOnAnAgencyInstallation) {
    for (const bool agency : {false, true}) {
        HostSetup::SetAgencyExist(agency);
        ModuleApi module;
        MainFrame frame(module);
        for (const char* name : {"actSwitchCompany", "actAgencySettings"}) {
            EXPECT_EQ(frame.findChild<QAction*>(name) != nullptr, agency)
                << name << " agency=" << agency;
        }
        EXPECT_NE(frame.findChild<QAction*>("actTaxOfficerSettings"), nullptr);
    }
}

// An agency's installation with two served companies: after log-in the switch
// chooses another one, which becomes the current company in the status bar;
// a cancelled switch keeps the company.
class TaxHostAgency : public TaxHostManager {
  protected:
    void SetUp() override {
        TaxHostManager::SetUp();
        HostSetup::SetAgencyExist(true);
        ASSERT_TRUE(Exec(
            "INSERT INTO XT_QYXX(QYSBH, QYMC, LBDM) VALUES('AGENCY01', '某税务师事务所', 19)"));
        const QString agencyId = Scalar("select QYID from XT_QYXX where LBDM=19");
        first_ = AddCompany("911100000000000001", "北京甲公司", 10, agencyId);
        second_ = AddCompany("911100000000000002", "上海乙公司", 10, agencyId);
    }

    // Calls action with the dialog's row (0 cancels) chosen in every modal
    // dialog that comes up, and returns what was done with them.
    static std::vector<TDialogPick> WithRow(int row, const std::function<void()>& action) {
        std::vector<TDialogPick> picks;
        ModalDialogWatcher watcher(
            [&](QWidget* dialog) { picks.push_back(PickDialogRow(dialog, row)); });
        action();
        return picks;
    }

    QString first_;
    QString second_;
};

TEST_F(TaxHostAgency, SwitchShowsTheChosenCompany) {
    const struct {
        int row;
        bool switched;
        const char* shown;
        const QString& companyId;
    } cases[] = {
        {0, false, "北京甲公司", first_},
        {2, true, "上海乙公司", second_},
    };
    for (const auto& c : cases) {
        MainFrame frame(module_);
        frame.show();
        bool loggedIn = false;
        ASSERT_EQ(WithRow(1, [&] { loggedIn = frame.LogIn(); }).size(), 1u);
        ASSERT_TRUE(loggedIn);
        ASSERT_TRUE(frame.CompanyText().contains("北京甲公司"))
            << frame.CompanyText().toStdString();

        bool switched = !c.switched;
        const std::vector<TDialogPick> picks =
            WithRow(c.row, [&] { switched = frame.SwitchCompany(); });
        ASSERT_EQ(picks.size(), 1u) << "row " << c.row;
        EXPECT_EQ(picks[0].dialog.toStdString(), "TfrmAdvSwitchCompay");
        EXPECT_EQ(picks[0].rows, 2);
        EXPECT_EQ(switched, c.switched) << "row " << c.row;
        EXPECT_TRUE(frame.CompanyText().contains(c.shown))
            << "row " << c.row << ": " << frame.CompanyText().toStdString();
        EXPECT_EQ(ModuleLib::GetCompanyInfoVO()->GetStrValue("QYID"), c.companyId);
    }
}

// The main window is the host's session object while it lives; the module
// finds it under "TPSession" and must not find it after the window is gone.
TEST_F(TaxHostFrame, SessionLogsCompanyNoticesWhileTheWindowLives) {
    {
        ModuleApi module;
        MainFrame frame(module);
        auto* session =
            dynamic_cast<TPSession*>(ModuleLib::GetUserInfoVO()->GetObjValue("TPSession"));
        ASSERT_NE(session, nullptr);
        session->CompanyAdded("17");
        session->CompanyRemoved("18");
        EXPECT_TRUE(frame.LogText().contains("单位已新增：17")) << frame.LogText().toStdString();
        EXPECT_TRUE(frame.LogText().contains("单位已删除：18"));
    }
    EXPECT_EQ(ModuleLib::GetUserInfoVO()->GetObjValue("TPSession"), nullptr);
}

// The company manager edits a company through this host function; until the
// module has the company information page it answers false, so the manager
// reloads its list. Once the window is gone the function is no longer there.
TEST_F(TaxHostFrame, CompanyInfoFunctionDocksTheInformationPage) {
    ModuleApi module;
    QString error;
    ASSERT_TRUE(module.Load(COMPANYMGR_MODULE_PATH, error)) << error.toStdString();
    const QString id = AddCompany("911100000000000001", "甲公司");
    char buffer[500] = {};
    const QByteArray params = ("QYID=" + id + ";CLOSEPREV=false;TOVIEW=false").toUtf8();
    std::memcpy(buffer, params.constData(), static_cast<std::size_t>(params.size()));
    {
        MainFrame frame(module);
        frame.show();
        EXPECT_TRUE(ModuleLib::ExecuteFunc(frame.ModuleArea(), MainFrame::kCompanyInfoFunc, buffer,
                                           sizeof buffer));
        QWidget* page = frame.ModuleArea()->CurrentPage();
        ASSERT_NE(page, nullptr);
        EXPECT_STREQ(page->metaObject()->className(), "Tfrm_CompanyInfoInner");
        EXPECT_EQ(LogCount("Warn"), 0);
    }
    // Gone with its window: the function is no longer registered.
    EXPECT_FALSE(
        ModuleLib::ExecuteFunc(nullptr, MainFrame::kCompanyInfoFunc, buffer, sizeof buffer));
    EXPECT_EQ(LogCount("Warn"), 1);  // "not registered"
}

// The information items of the company menu work on the current company:
// without one they open nothing; with one the page docks (view only without
// its save button) and the dialog answers as it was closed.
TEST_F(TaxHostManager, InformationItemsOpenTheCurrentCompany) {
    const QString id = AddCompany("911100000000000001", "甲公司");
    MainFrame frame(module_);
    frame.show();
    PageStack* area = frame.ModuleArea();
    auto trigger = [&frame](const char* name) {
        auto* action = frame.findChild<QAction*>(QLatin1String(name));
        ASSERT_NE(action, nullptr) << name;
        action->trigger();
    };
    for (const char* name : {"actCompanyInfo", "actCompanyInfoView", "actCompanyInfoDialog"}) {
        trigger(name);
        EXPECT_EQ(area->PageCount(), 0) << name;
    }
    EXPECT_EQ(frame.LogText().count(QStringLiteral("尚未选择单位")), 3);

    std::string params = "CZY_DM=0001;CZY_LB=0;QYID=" + id.toStdString();
    ASSERT_TRUE(module_.CallWithParams("InitGlobalCompanyInfo", params));
    const struct {
        const char* action;
        bool saveShown;
    } pages[] = {{"actCompanyInfo", true}, {"actCompanyInfoView", false}};
    for (const auto& c : pages) {
        trigger(c.action);
        QPointer<QWidget> page = area->CurrentPage();
        ASSERT_NE(page, nullptr) << c.action;
        EXPECT_STREQ(page->metaObject()->className(), "Tfrm_CompanyInfoInner");
        const auto* name = page->findChild<QLineEdit*>("edtQymc");
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(name->text(), "甲公司") << c.action;
        const auto* save = page->findChild<QAbstractButton*>("tbtnSave");
        ASSERT_NE(save, nullptr);
        EXPECT_EQ(!save->isHidden(), c.saveShown) << c.action;
        frame.CloseCurrentPage();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(page, nullptr) << c.action;
    }

    // The dialog: closed, then saved without a change (which ends it with OK).
    for (const char* button : {"tbtnClose", "tbtnSave"}) {
        QString seen;
        {
            ModalDialogWatcher watcher([&](QWidget* dialog) {
                seen = QLatin1String(dialog->metaObject()->className());
                if (auto* press = dialog->findChild<QAbstractButton*>(QLatin1String(button))) {
                    press->click();
                }
                if (dialog->isVisible()) {
                    PickDialogRow(dialog, 0);
                }
            });
            trigger("actCompanyInfoDialog");
        }
        EXPECT_EQ(seen, "Tfrm_CompanyInfo") << button;
    }
    const QString log = frame.LogText();
    EXPECT_EQ(log.count(QStringLiteral("单位信息对话框已关闭")), 1) << log.toStdString();
    EXPECT_EQ(log.count(QStringLiteral("单位信息对话框已确定")), 1) << log.toStdString();
}

// The information page over the manager ("修改"): an edit survives the page
// being covered and shown again, "后退" with it asks first and only a yes
// goes back to the manager, and a close the host orders is not held up.
// "修改" in the manager docks the page of the chosen row; once the page has
// saved and gone, the manager lists the saved name.
TEST_F(TaxHostManager, ManagerListsWhatItsInformationPageSaved) {
    StartHost("SQLITE", "[SubApps]\nCodes=GS\n[SubApp_GS]\nPath=SubApps/GS/\n");
    WriteFile("SubApps/GS/AppComs/BaseInfo/CmdCompanyInfo.xml",
              "<c><jcxx><f key=\"QYMC\" edit=\"true\"/></jcxx></c>");
    ModuleLib::GetUserInfoVO()->SetStrValue("CZY_DM", "0001");
    ModuleLib::GetUserInfoVO()->SetStrValue("CZY_LB", "0");
    AddCompany("911100000000000001", "甲公司");
    MainFrame frame(module_);
    frame.show();
    PageStack* area = frame.ModuleArea();
    ASSERT_TRUE(frame.OpenCompanyManager());
    QWidget* manager = area->CurrentPage();
    auto* list = manager->findChild<QAbstractItemView*>("vstCompList");
    ASSERT_NE(list, nullptr);
    manager->findChild<QAbstractButton*>("tbtQuery")->click();
    ASSERT_EQ(list->model()->rowCount(), 1);
    list->setCurrentIndex(list->model()->index(0, 0));
    manager->findChild<QAbstractButton*>("tbtCompanyInfoEdit")->click();
    QPointer<QWidget> info = area->CurrentPage();
    ASSERT_NE(info, manager);
    ASSERT_NE(info, nullptr);
    info->findChild<QLineEdit*>("edtQymc")->setText("乙公司");
    info->findChild<QAbstractButton*>("tbtnSave")->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(info, nullptr);
    EXPECT_EQ(area->CurrentPage(), manager);
    EXPECT_EQ(list->model()->index(0, 1).data().toString(), "乙公司");
}

TEST_F(TaxHostManager, InformationPageBackAsksBeforeDroppingEdits) {
    StartHost("SQLITE", "[SubApps]\nCodes=GS\n[SubApp_GS]\nPath=SubApps/GS/\n");
    WriteFile("SubApps/GS/AppComs/BaseInfo/CmdCompanyInfo.xml",
              "<c><jcxx><f key=\"QYDHHM\" edit=\"true\"/></jcxx></c>");
    const QString id = AddCompany("911100000000000001", "甲公司");
    MainFrame frame(module_);
    frame.show();
    PageStack* area = frame.ModuleArea();
    ASSERT_TRUE(frame.OpenCompanyManager());
    QWidget* manager = area->CurrentPage();
    auto openInfo = [&]() -> QWidget* {
        char buffer[500] = {};
        const QByteArray params = ("QYID=" + id + ";CLOSEPREV=false;TOVIEW=false").toUtf8();
        std::memcpy(buffer, params.constData(), static_cast<std::size_t>(params.size()));
        EXPECT_TRUE(
            ModuleLib::ExecuteFunc(area, MainFrame::kCompanyInfoFunc, buffer, sizeof buffer));
        QWidget* page = area->CurrentPage();
        auto* phone = page != nullptr ? page->findChild<QLineEdit*>("edtDhhm") : nullptr;
        if (phone == nullptr || phone->isReadOnly()) {
            ADD_FAILURE() << "no editable phone on the information page";
            return nullptr;
        }
        phone->setText("010-1");
        return page;
    };
    QPointer<QWidget> info = openInfo();
    ASSERT_NE(info, nullptr);
    ASSERT_NE(info, manager);

    // Covered by the manager and shown again: the edit is still there and
    // still counts as one.
    ASSERT_TRUE(frame.OpenCompanyManager());
    EXPECT_EQ(area->CurrentPage(), manager);
    EXPECT_TRUE(info->isHidden());
    area->Raise(info);
    EXPECT_EQ(area->CurrentPage(), info);
    EXPECT_EQ(info->findChild<QLineEdit*>("edtDhhm")->text(), "010-1");

    const auto* back = info->findChild<QAbstractButton*>("btnBack");
    ASSERT_NE(back, nullptr);
    ASSERT_FALSE(back->isHidden());
    const struct {
        int answer;
        bool stays;
    } answers[] = {{3, true}, {2, false}};
    for (const auto& c : answers) {
        Answer(0, c.answer);
        const std::size_t before = Messages().size();
        info->findChild<QAbstractButton*>("btnBack")->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const auto messages = Messages();
        ASSERT_EQ(messages.size(), before + 1) << c.answer;
        EXPECT_TRUE(messages.back().text.contains("尚未保存"))
            << messages.back().text.toStdString();
        EXPECT_EQ(info != nullptr, c.stays) << c.answer;
        EXPECT_EQ(area->CurrentPage(), c.stays ? info.data() : manager) << c.answer;
    }
    EXPECT_EQ(Scalar("select QYDHHM from XT_QYXX where QYID=" + id), "");
}

TEST(HostPrograms, QtStandardButtonsReadChinese) {
    QTranslator* translator = HostApp::LoadQtTranslations(nullptr);
    ASSERT_NE(translator, nullptr) << "Qt's translations (qt6-translations-l10n) are missing";
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    const QString ok = box.button(QMessageBox::Ok)->text();
    const QString cancel = box.button(QMessageBox::Cancel)->text();
    QCoreApplication::removeTranslator(translator);
    delete translator;
    EXPECT_EQ(ok.toStdString(), "确定");
    EXPECT_EQ(cancel.toStdString(), "取消");
}

struct ProgramRun {
    int exitCode = -1;
    QStringList lines;
    QString errors;
};

// The program on one demo folder, written once for the suite.
class TaxHostProgram : public ::testing::Test {
  protected:
    static constexpr int kCompanies = 25;

    static void SetUpTestSuite() {
        folder_ = new QTemporaryDir;
        const ProgramRun made =
            Start({"--ensure-demo", App(), "--companies", QString::number(kCompanies)});
        ASSERT_EQ(made.exitCode, 0) << made.errors.toStdString();
        EXPECT_EQ(made.lines.join('\n').toStdString(),
                  "demo folder written: " + App().toStdString());
    }
    static void TearDownTestSuite() {
        delete folder_;
        folder_ = nullptr;
    }

    static QString App() { return folder_->filePath("app"); }

    static ProgramRun Start(const QStringList& arguments) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(environment);
        process.start(COMPANYMGR_TAXHOST_PATH, arguments);
        ProgramRun run;
        if (!process.waitForFinished(120000)) {
            ADD_FAILURE() << "taxhost did not finish";
            return run;
        }
        run.exitCode = process.exitCode();
        run.lines =
            QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        run.errors = QString::fromUtf8(process.readAllStandardError());
        return run;
    }

    static inline QTemporaryDir* folder_ = nullptr;
};

TEST_F(TaxHostProgram, WalksThroughTheDemoHeadless) {
    const QString shots = folder_->filePath("shots");
    const ProgramRun tour = Start({"--app-dir", App(), "--tour", shots});
    ASSERT_EQ(tour.exitCode, 0) << tour.errors.toStdString();
    EXPECT_EQ(tour.errors.toStdString(), "");  // known harmless Qt warnings are not shown
    EXPECT_EQ(tour.lines.value(0).toStdString(),
              "dialog: Tfrm_CompanySelect shown with 25 rows; row 1 chosen");
    // The company manager: the add dialog opened from it is closed unsaved.
    qsizetype at = 0;
    for (const char* line :
         {"step: press tbtQuery", "step: press actCompanyAdd",
          "dialog: Tfrm_CompanyAdd shown: 企业新增",
          "step: type edtQysbh=91110108MA00DEM01E in Tfrm_CompanyAdd",
          "step: press sBtnClose in Tfrm_CompanyAdd", "dialog: Tfrm_CompanyAdd closed: cancelled",
          "page: Tfrm_CompanyInfoInner", "tab: tsBasic", "tab: tsGs", "tab: tsDs", "tab: tsHistory",
          "page: local-tax-only company 2"}) {
        at = tour.lines.indexOf(QString::fromUtf8(line), at);
        ASSERT_GE(at, 0) << "no line " << line << " in order in\n"
                         << tour.lines.join('\n').toStdString();
    }
    for (const char* name :
         {"01-main-window-before-log-in.png", "02-company-selection.png", "03-main-window.png",
          "04-company-manager.png", "05-company-manager-search.png", "06-company-add.png",
          "11-company-info-basic.png", "12-company-info-state-tax.png",
          "13-company-info-local-tax.png", "14-company-info-dialog.png",
          "15-company-info-local-tax-only.png", "16-company-import-preview.png",
          "17-company-info-history.png"}) {
        const QImage image(shots + "/" + name);
        EXPECT_FALSE(image.isNull()) << name;
        EXPECT_GT(image.width(), 300) << name;
    }
    // The tax officer page is there; the agency's pages are not.
    EXPECT_FALSE(QImage(shots + "/08-tax-officer-settings.png").isNull());
    for (const char* name :
         {"07-agency-settings.png", "09-company-switch.png", "10-main-window-after-switch.png"}) {
        EXPECT_FALSE(QFileInfo::exists(shots + "/" + name)) << name;
    }
    EXPECT_EQ(tour.lines.filter(QRegularExpression("^switch: |TfrmGljgsz|TfrmAdvSwitch")),
              QStringList());
    // The search panel shows in the second picture of the manager.
    EXPECT_NE(QImage(shots + "/04-company-manager.png"),
              QImage(shots + "/05-company-manager-search.png"));
    // The information dialog came up and was closed unsaved.
    EXPECT_TRUE(tour.lines.contains("dialog: Tfrm_CompanyInfo shown without a list; closed"));
    // Each picture of the information page shows another tab.
    const QImage basic(shots + "/11-company-info-basic.png");
    const QImage stateTax(shots + "/12-company-info-state-tax.png");
    const QImage localTax(shots + "/13-company-info-local-tax.png");
    EXPECT_NE(basic, stateTax);
    EXPECT_NE(stateTax, localTax);
    EXPECT_NE(basic, localTax);
}

// On an agency's folder the tour also shows the agency settings and the
// switch, which changes the company in the status bar.
TEST_F(TaxHostProgram, WalksThroughAnAgencyDemoHeadless) {
    const QString app = folder_->filePath("agency");
    const ProgramRun made = Start({"--ensure-demo", app, "--agency", "--companies", "4"});
    ASSERT_EQ(made.exitCode, 0) << made.errors.toStdString();
    const QString shots = folder_->filePath("agency-shots");
    const ProgramRun tour = Start({"--app-dir", app, "--tour", shots});
    ASSERT_EQ(tour.exitCode, 0) << tour.errors.toStdString();
    EXPECT_EQ(tour.errors.toStdString(), "");
    const QString all = tour.lines.join('\n');
    qsizetype at = 0;
    for (const char* line : {"dialog: Tfrm_CompanySelect shown with 4 rows; row 1 chosen",
                             "dialog: TfrmAdvSwitchCompay shown with 4 rows; row 2 chosen",
                             "page: TfrmGljgsz", "page: Tfrm_Bsyxxsz"}) {
        at = tour.lines.indexOf(QString::fromUtf8(line), at);
        ASSERT_GE(at, 0) << "no line " << line << " in order in\n" << all.toStdString();
    }
    const QStringList switches = tour.lines.filter(QRegularExpression("^switch: "));
    ASSERT_EQ(switches.size(), 1) << all.toStdString();
    const QStringList companies = switches[0].mid(8).split(" -> ");
    ASSERT_EQ(companies.size(), 2) << switches[0].toStdString();
    EXPECT_NE(companies[0], companies[1]);
    EXPECT_FALSE(companies[1].contains("未选择")) << companies[1].toStdString();
    for (const char* name : {"07-agency-settings.png", "08-tax-officer-settings.png",
                             "09-company-switch.png", "10-main-window-after-switch.png"}) {
        const QImage image(shots + "/" + name);
        EXPECT_FALSE(image.isNull()) << name;
        EXPECT_GT(image.width(), 300) << name;
    }
    // The status bar differs before and after the switch.
    const QImage before(shots + "/03-main-window.png");
    const QImage after(shots + "/10-main-window-after-switch.png");
    const int bar = 20;
    EXPECT_NE(before.copy(0, before.height() - bar, before.width(), bar),
              after.copy(0, after.height() - bar, after.width(), bar));
}

// An operator code holding ";CZY_LB=0" stays the code: the role operator
// still sees only his role's companies.
TEST_F(TaxHostProgram, OperatorCodeStaysOneValue) {
    QString error;
    ASSERT_TRUE(HostSetup::Start(App(), error)) << error.toStdString();
    const int granted = [] {
        TADOQuery query;
        QString error;
        query.Open(kMainConnection, "select count(*) from QX_PRMSMAP where PRMS_TYPE='10'", error);
        return query.FieldAsString(0).toInt();
    }();
    HostSetup::Stop();
    ASSERT_GT(granted, 1);
    ASSERT_LT(granted, kCompanies);

    const ProgramRun tour = Start({"--app-dir", App(), "--operator", "0001;CZY_LB=0", "--class",
                                   "R01", "--tour", folder_->filePath("role-shots")});
    ASSERT_EQ(tour.exitCode, 0) << tour.errors.toStdString();
    EXPECT_EQ(tour.lines.value(0).toStdString(),
              QString("dialog: Tfrm_CompanySelect shown with %1 rows; row 1 chosen")
                  .arg(granted)
                  .toStdString());
}

TEST_F(TaxHostProgram, KeepsAFinishedDemoFolder) {
    const ProgramRun again =
        Start({"--ensure-demo", App(), "--companies", QString::number(kCompanies)});
    EXPECT_EQ(again.exitCode, 0) << again.errors.toStdString();
    EXPECT_EQ(again.lines.join('\n').toStdString(),
              "demo folder used as it is: " + App().toStdString());

    const ProgramRun overwrite = Start({"--make-demo", App()});
    EXPECT_EQ(overwrite.exitCode, 1);  // a folder in use is not written over
    EXPECT_TRUE(QFileInfo::exists(App() + "/DemoComplete.ini"));
}

TEST_F(TaxHostProgram, HelpAndUsageErrors) {
    const struct {
        QStringList arguments;
        int exitCode;
    } cases[] = {
        {{"--help"}, 0},
        {{"--app-dir", folder_->filePath("no-such-folder")}, 2},
        {{"--app-dir", App(), "--companies", "3"}, 2},
        {{"--make-demo", folder_->filePath("a"), "--ensure-demo", folder_->filePath("b")}, 2},
        {{"--ensure-demo", folder_->filePath("c"), "--companies", "many"}, 2},
        {{"--bogus"}, 2},
    };
    for (const auto& c : cases) {
        const ProgramRun run = Start(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(run.exitCode == 0, run.errors.isEmpty()) << run.errors.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(folder_->filePath("no-such-folder")));
    EXPECT_FALSE(QFileInfo::exists(folder_->filePath("c")));
}

// Every way of closing a window with unsaved edits asks: the agency settings
// (window 0), the tax officer page (1) and the information dialog (2), each
// without edits (answer 0) and with edits answered 1 save, 2 give up or 3
// stay; a dialog kept open is closed again giving them up.
TEST_F(TaxHostAgency, EveryWayOfClosingAsksAboutUnsavedEdits) {
    WriteFile("AppComs/Dmzd/CantonCode.dat", "1101北京市市辖区\r\n");
    Exec("INSERT INTO XT_QYXX(QYSBH,QYMC,XZQHDM,LBDM) VALUES('530102200508011','张','1101',20)");
    const std::pair<const char*, QString> windows[] = {
        {"edtAgentName", "select QYMC from XT_QYXX where LBDM=19"},
        {"edtBsymc", "select QYMC from XT_QYXX where LBDM=20"},
        {"edtDhhm", "select QYDHHM from XT_QYXX where QYID=" + first_}};
    MainFrame* frame = nullptr;
    const auto press = [](const char* name) {
        return [name](QWidget* shown) { shown->findChild<QAbstractButton*>(name)->click(); };
    };
    const std::pair<QString, std::function<void(QWidget*)>> paths[] = {
        {"01 关闭当前页", [&](QWidget*) { frame->findChild<QAction*>("actClosePage")->trigger(); }},
        {"01 ×", press("spToolPageClose")},
        {"01 退出", [&](QWidget*) { frame->close(); }},
        {"01 切换单位", [&](QWidget*) { WithRow(2, [&] { frame->SwitchCompany(); }); }},
        {"2 关闭(X)", press("tbtnClose")},
        {"2 Esc", [](QWidget* shown) { QTest::keyClick(shown->focusWidget(), Qt::Key_Escape); }},
        {"2 ×", [](QWidget* shown) { shown->close(); }}};
    for (int window = 0; window < 3; ++window) {
        for (int path = 0; path < 7; ++path) {
            const auto& [name, close] = paths[path];
            for (int answer = 0; answer < 4 && name.contains(QString::number(window)); ++answer) {
                ModuleLib::SetUserConfigParam("RecentCompanies", "Ids", QString());
                const QString typed = QStringLiteral("010-%1").arg(path * 10 + answer + 100);
                MainFrame host(module_);
                frame = &host;
                host.show();
                WithRow(1, [&] { host.LogIn(); });
                bool stayed = false;
                const auto editAndClose = [&](QWidget* shown) {
                    const QPointer<QWidget> guard(shown);
                    if (answer != 0) {
                        shown->findChild<QLineEdit*>(windows[window].first)->setText(typed);
                    }
                    Answer(0, answer);
                    HostSetup::ClearRecorded();
                    close(shown);
                    stayed = guard && !guard->isHidden();
                    if (stayed && window == 2) {
                        Answer(0, 2);
                        shown->close();
                    }
                };
                if (window == 2) {
                    ModalDialogWatcher watcher(editAndClose);
                    host.ShowCompanyInfoDialog();
                } else if (window == 1 ? host.OpenTaxOfficerSettings()
                                       : host.OpenAgencySettings()) {
                    editAndClose(host.ModuleArea()->CurrentPage());
                }
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                const auto asked = Messages();
                EXPECT_EQ(
                    std::tuple(std::count_if(asked.begin(), asked.end(),
                                             [](auto& m) { return m.text.contains("尚未保存"); }),
                               stayed, host.isVisible(), host.CompanyText().contains("乙"),
                               Scalar(windows[window].second) == typed, host.SavedText().isEmpty()),
                    std::tuple((answer != 0) + (answer == 3 && window == 2), answer == 3,
                               !name.contains("退出") || answer == 3,
                               name.contains("切换") && answer != 3, answer == 1, answer != 1))
                    << name.toStdString() << " in window " << window << ", answer " << answer;
            }
        }
    }
}

// Enter presses the default button or the focused one; in the host's
// questions it answers with the choice that changes nothing.
TEST_F(TaxHostAgency, EnterDoesWhatTheOperatorExpects) {
    MainFrame frame(module_);
    ASSERT_TRUE(frame.OpenCompanyManager());
    for (const char* focus : {"edtQysbh", "sBtnClose"}) {
        ModalDialogWatcher watcher([focus](QWidget* dialog) {
            dialog->findChild<QLineEdit*>("edtQysbh")->setText(focus);
            dialog->findChild<QWidget*>(focus)->setFocus();
            QTest::keyClick(dialog->findChild<QWidget*>(focus), Qt::Key_Return);
            EXPECT_FALSE(dialog->isVisible()) << focus;
            PickDialogRow(dialog, 0);
        });
        frame.ModuleArea()->CurrentPage()->findChild<QAction*>("actCompanyAdd")->trigger();
    }
    EXPECT_EQ(Scalar("select group_concat(QYSBH) from XT_QYXX where QYSBH like '%t%'"), "edtQysbh");
    HostSetup::SetMessageResponder({});
    HostSetup::SetAskOffscreen(true);
    for (const int buttons : {1, 2}) {
        ModalDialogWatcher watcher([](QWidget* box) { QTest::keyClick(box, Qt::Key_Return); });
        EXPECT_EQ(ModuleLib::InfoMsgBox("?", buttons), buttons + 1) << buttons;
    }
    // Over a dialog the box is the dialog's, which it keeps above the main window.
    QDialog over(&frame);
    QTimer::singleShot(0, &over, [&over] {
        ModalDialogWatcher watcher([&over](QWidget* box) {
            EXPECT_EQ(box->parentWidget(), &over);
            QTest::keyClick(box, Qt::Key_Return);
        });
        ModuleLib::InfoMsgBox("?", 0);
        over.reject();
    });
    over.exec();
    HostSetup::SetAskOffscreen(false);
}

}  // namespace
