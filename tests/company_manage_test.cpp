// The company manager, docked headless through the built module as a host
// shows it: listing, searching, the actions, delete and modify.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDate>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

#include <cstring>
#include <map>
#include <vector>

#include "DialogDriver.h"
#include "HostFrame.h"
#include "ManagerPage.h"
#include "ParamString.h"
#include "TestHost.h"
#include "WindowMessage.h"

namespace {

constexpr const char* kDependentTables[] = {"QX_CZYQY", "QX_CZYZXT", "XT_QYDSXX", "XT_QYGSXX"};

class CompanyManager : public EngineTest {
  protected:
    std::vector<std::pair<int, QString>> Numbered() const {
        std::vector<std::pair<int, QString>> found;
        for (const auto& message : Messages()) {
            found.emplace_back(message.code, message.extra);
        }
        return found;
    }
    void AddDependentRows(const QString& companyId) const {
        for (const char* table : kDependentTables) {
            Exec(QStringLiteral("INSERT INTO %1(QYID) VALUES(%2)")
                     .arg(QLatin1String(table), companyId));
        }
    }
    // The company's rows in XT_QYXX and the four dependent tables.
    int RowsOf(const QString& companyId) const {
        int rows = Count("select count(*) from XT_QYXX where QYID=" + companyId);
        for (const char* table : kDependentTables) {
            rows += Count(QStringLiteral("select count(*) from %1 where QYID=%2")
                              .arg(QLatin1String(table), companyId));
        }
        return rows;
    }
    QString CaFolder() const { return AppPath() + "CA/"; }
    void WriteCertificates(const QString& taxId) const {
        WriteFile("CA/GS/UserCa_GS.ini",
                  "; index\r\n[Keep]\r\nk=1\r\n[" + taxId.toUtf8() + "]\r\nc=2\r\n[Z]\r\nz=3");
        WriteFile("CA/GS/" + taxId + "/cert.pfx", "secret");
        WriteFile("CA/DS/" + taxId + "/sub/cert.pfx", "secret");
        WriteFile("CA/GS/Keep/cert.pfx", "keep");
    }
    // Every entry below the folder, links as links, with file contents.
    static std::map<QString, QByteArray> Snapshot(const QString& folder) {
        std::map<QString, QByteArray> entries;
        QDirIterator it(folder,
                        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo info(it.next());
            QByteArray value = "dir";
            if (info.isSymLink()) {
                value = "link:" + info.symLinkTarget().toUtf8();
            } else if (!info.isDir()) {
                QFile file(info.filePath());
                EXPECT_TRUE(file.open(QIODevice::ReadOnly));
                value = file.readAll();
            }
            entries[info.filePath()] = value;
        }
        return entries;
    }
    // What lies in "CA/" and in the folder outside the application folder.
    std::map<QString, QByteArray> CertificateFiles() const {
        auto files = Snapshot(dir_.path());
        std::erase_if(files, [](const auto& entry) {
            return !entry.first.contains("/CA/") && !entry.first.contains("/outside/");
        });
        return files;
    }
};
INSTANTIATE_ON_ENGINES(CompanyManager);

struct ListingCase {
    const char* name;
    QString operatorClass;
    bool agency;
    QStringList taxIds;
};

TEST_P(CompanyManager, ListsTheCompaniesOfTheOperatorsClass) {
    AddCompany("9111A", "甲");
    const QString b = AddCompany("9111B", "乙");
    AddCompany("9111C", "丙");
    const QString agency = AddCompany("AGENCY", "代理机构", 19);
    const QString served = AddCompany("9111S", "代理户", 10, agency);
    GrantToRole("R01", b);
    GrantToRole("R01", served);
    const std::vector<ListingCase> cases = {
        {"class 0", "0", false, {"9111A", "9111B", "9111C"}},
        {"class SYSTEM", "SYSTEM", false, {"9111A", "9111B", "9111C"}},
        {"class BUSINESS", "BUSINESS", false, {"9111A", "9111B", "9111C"}},
        {"a role", "R01", false, {"9111B", "9111S"}},
        {"a role without grants", "R02", false, {}},
        {"class 0 on an agency's installation", "0", true, {"9111S"}},
    };
    for (const ListingCase& c : cases) {
        HostSetup::SetAgencyExist(c.agency);
        ManagerPage manager(c.operatorClass);
        QStringList listed = manager.TaxIds();
        listed.sort();
        EXPECT_EQ(listed, c.taxIds) << c.name;
    }
}

TEST_P(CompanyManager, SearchMatchesQuotesLiterallyAndResetKeepsTheList) {
    AddCompany("9111A", "O'Brien 公司");
    AddCompany("9111'Q", "乙");
    AddCompany("9111C", "丙");
    ManagerPage manager;
    auto* taxId = manager.Child<QLineEdit>("edtQysbh");
    auto* name = manager.Child<QLineEdit>("edtQymc");
    struct SearchCase {
        const char* name;
        QString taxId;
        QString companyName;
        QStringList found;
    };
    const std::vector<SearchCase> cases = {
        {"a quote in the name", "", "O'B", {"9111A"}},
        {"a quote in the id", "'", "", {"9111'Q"}},
        {"blanks around both", " 9111 ", " 丙 ", {"9111C"}},
        {"no match", "'; DROP TABLE XT_QYXX; --", "", {}},
        {"no filter", "", "", {"9111A", "9111'Q", "9111C"}},
    };
    for (const SearchCase& c : cases) {
        taxId->setText(c.taxId);
        name->setText(c.companyName);
        manager.Press("sBtnFind");
        QStringList listed = manager.TaxIds();
        listed.sort();
        QStringList expected = c.found;
        expected.sort();
        EXPECT_EQ(listed, expected) << c.name;
    }

    // Enter in a search field searches.
    name->setText("乙");
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_EQ(manager.TaxIds(), QStringList{"9111'Q"});
    taxId->setText("9111");
    QTest::keyClick(taxId, Qt::Key_Enter);
    EXPECT_EQ(manager.TaxIds(), QStringList{"9111'Q"});

    // Reset empties the fields and lists nothing again, not even a new row.
    AddCompany("9111D", "乙方");
    manager.Press("sBtnClear");
    EXPECT_TRUE(taxId->text().isEmpty());
    EXPECT_TRUE(name->text().isEmpty());
    EXPECT_EQ(manager.TaxIds(), QStringList{"9111'Q"});

    // A list query that fails keeps what is listed, and says so.
    ASSERT_TRUE(Exec("ALTER TABLE XT_QYXX RENAME TO XT_QYXX_AWAY"));
    HostSetup::ClearRecorded();
    manager.Press("sBtnFind");
    EXPECT_EQ(manager.TaxIds(), QStringList{"9111'Q"});
    EXPECT_EQ(Messages().size(), 1u);
    ASSERT_TRUE(Exec("ALTER TABLE XT_QYXX_AWAY RENAME TO XT_QYXX"));
    manager.Press("sBtnFind");
    EXPECT_EQ(manager.TaxIds().size(), 4);
}

TEST_P(CompanyManager, ActionsNeedAFocusedRowAndTheToggleFollowsThePanel) {
    AddCompany("9111A", "甲");
    AddCompany("9111B", "乙");
    ManagerPage manager;
    const char* const actions[] = {"tbtCompanyDel", "tbtCompanyInfoEdit", "tbtHistory"};
    for (const char* action : actions) {
        EXPECT_FALSE(manager.Enabled(action)) << action;
    }
    manager.Focus(1);
    for (const char* action : actions) {
        EXPECT_TRUE(manager.Enabled(action)) << action;
    }
    // A new list has no focused row.
    manager.Press("sBtnFind");
    for (const char* action : actions) {
        EXPECT_FALSE(manager.Enabled(action)) << action;
    }
    manager.Focus(0);
    manager.List()->setCurrentIndex(QModelIndex());
    for (const char* action : actions) {
        EXPECT_FALSE(manager.Enabled(action)) << action;
    }

    auto* toggle = manager.Child<QToolButton>("tbtQuery");
    auto* panel = manager.Child<QWidget>("pnlFind");
    EXPECT_TRUE(panel->isHidden());
    EXPECT_FALSE(toggle->isChecked());
    toggle->click();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(toggle->isChecked());
    panel->hide();
    EXPECT_FALSE(toggle->isChecked());
    panel->show();
    EXPECT_TRUE(toggle->isChecked());
    toggle->click();
    EXPECT_TRUE(panel->isHidden());
}

TEST_P(CompanyManager, TypingSearchesEveryColumn) {
    AddCompany("9111A", "北京公司");
    AddCompany("9111B", "上海公司");
    AddCompany("9222C", "广州公司");
    ManagerPage manager;
    QAbstractItemView* list = manager.List();
    list->setFocus();
    auto type = [list](const QString& text) {
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(list, &press);
        }
    };
    type("上海");
    EXPECT_EQ(list->currentIndex().row(), manager.RowOf("9111B"));
    QTest::qWait(QApplication::keyboardInputInterval() + 100);
    type("92");
    EXPECT_EQ(list->currentIndex().row(), manager.RowOf("9222C"));
    // The action follows the row found.
    EXPECT_TRUE(manager.Enabled("tbtCompanyDel"));
}

TEST_P(CompanyManager, DeletingStopsBeforeTheDatabaseWhenItMust) {
    const QString a = AddCompany("9111A", "甲");
    AddDependentRows(a);
    WriteCertificates("9111A");
    const auto files = Snapshot(CaFolder());
    GrantToRole("R01", a);
    struct StopCase {
        const char* name;
        QString current;
        bool select;
        int answer;
        std::vector<std::pair<int, QString>> messages;
        bool revoked = false;  // the role's grant, since the list was read
    };
    const std::vector<StopCase> cases = {
        {"nothing selected", "999", false, 1, {{106004, ""}}},
        {"the current company", a, true, 1, {{106007, ""}}},
        // The host may hold the id as it was typed.
        {"the current company, held as typed", " 00" + a, true, 1, {{106007, ""}}},
        {"not confirmed", "999", true, 2, {{106008, "9111A"}}},
        {"no longer granted", "999", true, 1, {{106010, "70019505"}}, true},
    };
    for (const StopCase& c : cases) {
        ModuleLib::GetCompanyInfoVO()->SetStrValue("QYID", c.current);
        Answer(106008, c.answer);
        ManagerPage manager(c.revoked ? "R01" : "0");
        if (c.revoked) {
            Exec("delete from QX_ROLEPRMS");
        }
        manager.Focus(0);
        if (!c.select) {
            manager.List()->clearSelection();
        }
        HostSetup::ClearRecorded();
        manager.Press("tbtCompanyDel");
        EXPECT_EQ(Numbered(), c.messages) << c.name;
        EXPECT_EQ(RowsOf(a), 5) << c.name;
        EXPECT_TRUE(manager.Session().removed.isEmpty()) << c.name;
        EXPECT_EQ(Snapshot(CaFolder()), files) << c.name;
    }
}

TEST_P(CompanyManager, ADeleteRemovesTheCompanyEverywhere) {
    const QString a = AddCompany("9111A", "甲");
    const QString b = AddCompany("9111B", "乙");
    AddDependentRows(a);
    AddDependentRows(b);
    WriteCertificates("9111A");
    ModuleLib::GetCompanyInfoVO()->SetStrValue("QYID", b);
    ManagerPage manager;
    manager.Focus(manager.RowOf("9111A"));
    manager.Press("tbtCompanyDel");

    EXPECT_EQ(Numbered(), (std::vector<std::pair<int, QString>>{{106008, "9111A"}, {106009, ""}}));
    EXPECT_EQ(manager.Session().removed, QStringList{a});
    EXPECT_EQ(RowsOf(a), 0);
    EXPECT_EQ(RowsOf(b), 5);
    EXPECT_EQ(manager.TaxIds(), QStringList{"9111B"});
    std::map<QString, QByteArray> expected = {
        {CaFolder() + "GS", "dir"},
        {CaFolder() + "DS", "dir"},
        {CaFolder() + "GS/Keep", "dir"},
        {CaFolder() + "GS/Keep/cert.pfx", "keep"},
        {CaFolder() + "GS/UserCa_GS.ini", "; index\r\n[Keep]\r\nk=1\r\n[Z]\r\nz=3"},
    };
    EXPECT_EQ(Snapshot(CaFolder()), expected);
}

// Another company whose number trims to the same folder keeps its
// certificates, though the deleted number needed no trimming.
TEST_P(CompanyManager, ADeleteKeepsTheCertificatesOfANumberThatTrimsAlike) {
    const QString gone = AddCompany("9111A", "甲");
    AddCompany(" 9111A\t", "乙");
    WriteCertificates("9111A");
    const auto before = CertificateFiles();
    ManagerPage manager;
    manager.Focus(manager.RowOf("9111A"));
    manager.Press("tbtCompanyDel");
    EXPECT_EQ(RowsOf(gone), 0);
    EXPECT_EQ(CertificateFiles(), before);
}

TEST_P(CompanyManager, AFailedDeleteChangesNothing) {
    const QString a = AddCompany("9111A", "甲");
    AddDependentRows(a);
    WriteCertificates("9111A");
    const auto files = Snapshot(CaFolder());
    RefuseRowChanges("DELETE", "XT_QYXX");
    ManagerPage manager;
    manager.Focus(0);
    manager.Press("tbtCompanyDel");

    EXPECT_EQ(Numbered(),
              (std::vector<std::pair<int, QString>>{{106008, "9111A"}, {106010, "70019505"}}));
    EXPECT_EQ(RowsOf(a), 5);
    EXPECT_TRUE(manager.Session().removed.isEmpty());
    EXPECT_EQ(Snapshot(CaFolder()), files);
    EXPECT_EQ(manager.TaxIds(), QStringList{"9111A"});
}

TEST_P(CompanyManager, HostileTaxpayerIdsReachNothingOfTheFolder) {
    // What such ids would name, were they used as folder or section names.
    WriteFile("CA/GS/UserCa_GS.ini", "[..]\n[.]\n[a/b]\n[x]y]\n[]\n[x]\n[a\\b]\n");
    WriteFile("CA/GS/a/b/cert.pfx", "1");
    WriteFile("CA/GS/x]y/cert.pfx", "2");
    WriteFile("CA/GS/x/cert.pfx", "3");
    WriteFile("CA/GS/a\\b/cert.pfx", "4");
    // A link inside "CA/" to a folder outside it, which holds what the
    // clean-up of 9111L would remove.
    const QString outside = dir_.filePath("outside/");
    WriteFile("outside/9111L/cert.pfx", "foreign");
    WriteFile("outside/UserCa_kind.ini", "[9111L]\nk=1\n");
    ASSERT_TRUE(QFile::link(outside, CaFolder() + "kind"));
    for (const QString& taxId :
         {QString(".."), QString("."), QString("a/b"), QString(""), QString("x]y"), QString("a\\b"),
          QString("x\ty"), QString("9111L")}) {
        AddCompany(taxId, "某公司");
        const auto before = CertificateFiles();
        ManagerPage manager;
        ASSERT_EQ(manager.TaxIds(), QStringList{taxId});
        manager.Focus(0);
        HostSetup::ClearRecorded();
        manager.Press("tbtCompanyDel");
        EXPECT_EQ(Numbered(), (std::vector<std::pair<int, QString>>{{106008, taxId}, {106009, ""}}))
            << taxId.toStdString();
        EXPECT_TRUE(manager.TaxIds().isEmpty()) << taxId.toStdString();
        EXPECT_EQ(CertificateFiles(), before) << taxId.toStdString();
    }
}

TEST_P(CompanyManager, ModifyAsksTheHostAndListsAgainWhenItIsDone) {
    const QString a = AddCompany("9111A", "甲");
    AddCompany("9111B", "乙");
    struct Call {
        QWidget* parent = nullptr;
        std::string params;
    };
    std::vector<Call> calls;
    bool opensPage = false;
    QPointer<QWidget> closedByHost;  // a page the host closes as it opens its own
    std::unique_ptr<QWidget> infoHolder;
    // The function sees this case's locals: it goes with them.
    struct Unregister {
        ~Unregister() { HostSetup::RegisterFunction("01004-01-16-00-00", nullptr); }
    } unregister;
    HostSetup::RegisterFunction(
        "01004-01-16-00-00", [&](QWidget* parent, char* buffer, std::size_t size) {
            calls.push_back({parent, std::string(buffer, strnlen(buffer, size))});
            EXPECT_GE(size, 500u);
            delete closedByHost.data();
            if (!opensPage) {
                return false;
            }
            // Stands in for the company information page: another page of the module.
            infoHolder = std::make_unique<QWidget>();
            new QVBoxLayout(infoHolder.get());
            infoHolder->show();
            char* text = nullptr;
            ModuleLoader::Entry<ShowProc>("ShowCompanyMgrProc")(0, infoHolder->winId(), &text);
            return true;
        });
    ManagerPage manager;
    const std::string expectedParams = "QYID=" + a.toStdString() + ";CLOSEPREV=false;TOVIEW=false";

    // A focused row that is not selected asks nothing of the host.
    manager.Focus(manager.RowOf("9111A"));
    manager.List()->clearSelection();
    ASSERT_TRUE(manager.Enabled("tbtCompanyInfoEdit"));
    manager.Press("tbtCompanyInfoEdit");
    EXPECT_TRUE(calls.empty());

    // The host answers false: the list is read again at once.
    manager.Focus(manager.RowOf("9111A"));
    Exec("UPDATE XT_QYXX SET QYMC='甲改' WHERE QYID=" + a);
    manager.Press("tbtCompanyInfoEdit");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].parent, manager.Container());
    EXPECT_EQ(calls[0].params, expectedParams);
    EXPECT_TRUE(manager.Names().contains("甲改"));
    // The history button asks for the same page, on the company's changes.
    manager.Focus(manager.RowOf("9111A"));
    manager.Press("tbtHistory");
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].params, expectedParams + ";PAGE=BGJL");
    calls.erase(calls.begin() + 1);

    // The host opens a page: the list is read again when that page is gone,
    // not when a page open before goes.
    ManagerPage before;
    opensPage = true;
    manager.Focus(manager.RowOf("9111A"));
    auto* list = manager.List();
    emit list->doubleClicked(list->model()->index(manager.RowOf("9111A"), 1));
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].params, expectedParams);
    Exec("UPDATE XT_QYXX SET QYMC='甲再改' WHERE QYID=" + a);
    QWidget* infoPage = infoHolder->findChild<QWidget*>("frm_CompanyManage");
    ASSERT_NE(infoPage, nullptr);
    EXPECT_FALSE(manager.Names().contains("甲再改"));
    before.Page()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(manager.Names().contains("甲再改"));
    infoPage->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(manager.Names().contains("甲再改"));

    // The host may close the manager itself while it opens the page.
    opensPage = false;
    closedByHost = manager.Page();
    manager.Focus(manager.RowOf("9111A"));
    manager.Press("tbtCompanyInfoEdit");
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[2].params, expectedParams);
    EXPECT_EQ(manager.Container()->findChild<QWidget*>("frm_CompanyManage"), nullptr);
}

TEST_P(CompanyManager, ThePageAsTheHostSeesIt) {
    HostSetup::OverrideSysConfig("SysCofig", "DisplayCompanyCodeName", "统一社会信用代码");
    AddCompany("9111A", "甲");
    THostFrame frame;
    ManagerPage manager("0", "ModalFormMsg=mgr");
    QWidget* page = manager.Page();
    EXPECT_EQ(frame.Texts(HostMsg::kFormShown),
              QStringList{"mgr|" + QString::number(page->winId()) + "|0|1"});
    EXPECT_EQ(page->windowTitle(), "企业管理");
    EXPECT_EQ(manager.Child<QLabel>("lblNsrsbh")->text(), "统一社会信用代码：");

    const std::map<const char*, const char*> buttons = {
        {"tbtQuery", "查找..."},        {"tbtCompanyAdd", "新增"}, {"tbtCompanyDel", "删除"},
        {"tbtCompanyInfoEdit", "修改"}, {"sBtnFind", "查 找"},     {"sBtnClear", "重 置"},
    };
    for (const auto& [name, text] : buttons) {
        EXPECT_EQ(manager.Child<QAbstractButton>(name)->text(), text) << name;
    }
    EXPECT_EQ(manager.Child<QAction>("actCompanyInfoEdit")->text(), "编辑");
    EXPECT_TRUE(manager.Child<QToolButton>("tbtQuery")->isCheckable());

    auto* list = qobject_cast<QTreeView*>(manager.List());
    ASSERT_NE(list, nullptr);
    QHeaderView* header = list->header();
    EXPECT_STREQ(header->metaObject()->className(), "TFlatHeaderView");
    EXPECT_EQ(header->model()->headerData(0, Qt::Horizontal).toString(), "纳税人识别号");
    EXPECT_EQ(header->model()->headerData(1, Qt::Horizontal).toString(), "单位名称");
    EXPECT_EQ(header->sectionSize(0), 250);
    EXPECT_GE(header->sectionSize(1), 500);
    EXPECT_EQ(header->length(), list->viewport()->width());  // the name takes the rest
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(list->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);

    // No parameter string at all still shows the page.
    auto holder = std::make_unique<QWidget>();
    new QVBoxLayout(holder.get());
    ModuleLoader::Entry<ShowProc>("ShowCompanyMgrProc")(0, holder->winId(), nullptr);
    EXPECT_NE(holder->findChild<QWidget*>("frm_CompanyManage"), nullptr);
}

TEST_P(CompanyManager, TypingNarrowsTheListAndTheArrowsMoveInIt) {
    AddCompany("9111A", "甲商贸");
    AddCompany("9111B", "乙 Trade");
    AddCompany("9111C", "甲科技");
    ManagerPage manager;
    auto* taxId = manager.Child<QLineEdit>("edtQysbh");
    auto* name = manager.Child<QLineEdit>("edtQymc");
    const struct {
        QLineEdit* field;
        QString typed;  // "\b" is a backspace
        QStringList listed;
    } steps[] = {
        {name, "甲", {"9111A", "9111C"}},  {taxId, "ｃ", {"9111C"}},  // full width, other case
        {taxId, "\b", {"9111A", "9111C"}}, {name, "\b", {"9111A", "9111B", "9111C"}},
        {name, "TRADE", {"9111B"}},
    };
    for (const auto& step : steps) {
        for (const QChar c : step.typed) {
            if (c == QLatin1Char('\b')) {
                QTest::keyClick(step.field, Qt::Key_Backspace);
            } else {
                step.field->insert(QString(c));  // as an input method commits it
            }
        }
        EXPECT_EQ(manager.TaxIds(), step.listed) << step.typed.toStdString();
    }

    // Nothing was asked of the database: a listing that now fails changes nothing.
    ASSERT_TRUE(Exec("ALTER TABLE XT_QYXX RENAME TO XT_QYXX_AWAY"));
    name->clear();
    name->insert("甲");
    EXPECT_EQ(manager.TaxIds(), QStringList({"9111A", "9111C"}));
    QTest::keyClick(name, Qt::Key_Down);
    EXPECT_EQ(manager.List()->currentIndex().row(), 0);
    QTest::keyClick(name, Qt::Key_Down);
    EXPECT_EQ(manager.List()->currentIndex().row(), 1);
    QTest::keyClick(name, Qt::Key_Up);
    EXPECT_EQ(manager.List()->currentIndex().row(), 0);
    QTest::keyClick(name, Qt::Key_PageDown);
    EXPECT_EQ(manager.List()->currentIndex().row(), 1);
    QTest::keyClick(name, Qt::Key_PageUp);
    EXPECT_EQ(manager.List()->currentIndex().row(), 0);
    EXPECT_EQ(name->text(), "甲");
    EXPECT_TRUE(manager.Enabled("tbtCompanyInfoEdit"));
    ASSERT_TRUE(Exec("ALTER TABLE XT_QYXX_AWAY RENAME TO XT_QYXX"));
}

// Each key does what its button does.
TEST_P(CompanyManager, KeysDoWhatTheirButtonsDo) {
    AddCompany("91A", "甲公司");
    ManagerPage page;
    DialogDriver add([](QWidget* dialog) { static_cast<QDialog*>(dialog)->reject(); });
    const std::pair<QKeySequence, std::function<bool()>> cases[] = {
        // Editing asks the host for its function, unknown here.
        {Qt::Key_Return, [&] { return LogCount("Warn") == 1; }},
        {Qt::Key_Insert, [&] { return add.Shown() == 1; }},
        {Qt::Key_Delete, [&] { return page.RowOf("91A") < 0; }},
        {QKeySequence::Find,
         [&] { return page.Page()->focusWidget()->objectName() == "edtQysbh"; }},
    };
    for (const auto& [key, happened] : cases) {
        QApplication::setActiveWindow(page.Container());
        page.Focus(0);
        QTest::keySequence(page.List(), key);
        EXPECT_TRUE(happened()) << key.toString().toStdString();
    }
}

// The row worked on stays in view, unselected, and is the one the list takes
// when the keys come back to it.
TEST_P(CompanyManager, TheListKeepsTheOperatorsPlace) {
    QString current;
    for (int i = 0; i < 80; ++i) {
        const QString id = AddCompany(QStringLiteral("91%1").arg(i, 3, 10, QChar(u'0')),
                                      QStringLiteral("公司%1").arg(i));
        current = i == 70 ? id : current;
    }
    ModuleLib::GetCompanyInfoVO()->SetStrValue("QYID", current);
    ManagerPage page;
    QApplication::setActiveWindow(page.Container());
    QCoreApplication::processEvents();
    auto* name = page.Child<QLineEdit>("edtQymc");
    const auto place = [&] {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        const QModelIndex row = page.List()->currentIndex();
        EXPECT_TRUE(page.List()->viewport()->rect().intersects(page.List()->visualRect(row)));
        return page.List()->hasFocus() ? row.data().toString() : QString();
    };
    EXPECT_EQ(place(), "91070");
    page.Focus(page.RowOf("91050"));
    page.Press("tbtCompanyDel");
    EXPECT_FALSE(page.List()->selectionModel()->hasSelection());
    EXPECT_EQ(place(), "91051");
    // Enter in a search field opens the highlighted row (the host has no such
    // function here), and searches when none is.
    page.Child<QAction>("actQuery")->setChecked(true);
    name->insert(QStringLiteral("公司7"));
    QTest::keyClick(name, Qt::Key_Down);
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_EQ(LogCount("Warn"), 1);
    name->setFocus();
    EXPECT_EQ(place(), "91007");  // the row just worked on
}

// Reached by Tab, the list's focused row is the one Del deletes.
TEST_P(CompanyManager, TheRowTabFocusesIsTheChosenOne) {
    AddCompany("91A", "甲公司");
    ManagerPage page;
    QApplication::setActiveWindow(page.Container());
    page.List()->clearFocus();
    page.List()->clearSelection();
    page.List()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(page.List(), Qt::Key_Delete);
    EXPECT_LT(page.RowOf("91A"), 0);
}

}  // namespace

// The file chosen in the file dialog, or none, decides what is written and said.
TEST_P(CompanyManager, ExportAndImportGoThroughTheFileDialog) {
    AddCompany("9111A", "甲");
    AddCompany("9111B", "乙");  // typed away: the export writes what is shown
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    WriteFile("broken.csv", "\xFF\xFE\xFF");
    WriteFile("empty.csv", "");
    struct Case {
        const char* name;
        const char* button;
        QString path;  // empty: the dialog is cancelled
        const char* type;
        QString written;
        QString message;
    };
    const std::vector<Case> cases = {
        {"export cancelled", "tbtExport", "", "", "", ""},
        {"export, extension added", "tbtExport", dir.filePath("a"), "CSV UTF-8 (*.csv)",
         dir.filePath("a.csv"), "已导出1家企业。"},
        {"export in GBK", "tbtExport", dir.filePath("b.CSV"), "CSV GBK (*.csv)",
         dir.filePath("b.CSV"), "已导出1家企业。"},
        {"export into a missing folder", "tbtExport", dir.filePath("none/c.csv"),
         "CSV UTF-8 (*.csv)", "", "导出失败："},
        {"import cancelled", "tbtImport", "", "", "", ""},
        {"import of a file in no text encoding", "tbtImport", AppPath() + "broken.csv", "", "",
         "文件既不是UTF-8也不是GBK文本"},
        {"import of an empty file", "tbtImport", AppPath() + "empty.csv", "", "", "文件是空的"},
    };
    for (const Case& c : cases) {
        ManagerPage manager;
        manager.Child<QLineEdit>("edtQymc")->insert("甲");
        HostSetup::ClearRecorded();
        {
            DialogDriver driver([&](QWidget* dialog) {
                auto* files = qobject_cast<QFileDialog*>(dialog);
                ASSERT_NE(files, nullptr) << c.name;
                if (c.path.isEmpty()) {
                    files->reject();
                    return;
                }
                if (*c.type != '\0') {
                    files->selectNameFilter(QString::fromUtf8(c.type));
                }
                // The name as typed: a shown dialog keeps the focused edit's text.
                auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                ASSERT_NE(name, nullptr);
                if (QLatin1String(c.button) == "tbtExport") {
                    EXPECT_EQ(name->text(), QDate::currentDate().toString(
                                                QStringLiteral("'单位列表-'yyyyMMdd'.csv'")));
                }
                name->setText(c.path);
                QMetaObject::invokeMethod(files, "accept");
            });
            manager.Press(c.button);
        }
        QStringList said;
        for (const auto& message : Messages()) {
            said << message.text;
        }
        ASSERT_EQ(said.size(), c.message.isEmpty() ? 0 : 1) << c.name;
        if (!c.message.isEmpty()) {
            EXPECT_TRUE(said[0].startsWith(c.message)) << c.name << ": " << said[0].toStdString();
        }
        if (!c.written.isEmpty()) {
            QFile file(c.written);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << c.name;
            const QByteArray bytes = file.readAll();
            const bool gbk = std::strcmp(c.type, "CSV GBK (*.csv)") == 0;
            EXPECT_EQ(bytes.startsWith("\xEF\xBB\xBF"), !gbk) << c.name;
            EXPECT_TRUE(bytes.contains(gbk ? QByteArray("\xBC\xD7") : QString("甲").toUtf8()))
                << c.name;
            EXPECT_FALSE(bytes.contains("9111B")) << c.name;
        }
        EXPECT_EQ(manager.TaxIds(), QStringList{"9111A"}) << c.name;
    }
}

// Imported companies are listed and announced; a host without a session
// object is told of none.
TEST_P(CompanyManager, AnImportListsTheNewCompaniesAlsoWithoutASessionObject) {
    AddCompany("9111A", "甲");
    WriteFile("new.csv", "QYSBH,QYMC,QYDHHM\r\n9111N,新公司,010-1\r\n9111M,另一家,\r\n");
    ManagerPage manager;
    ModuleLib::GetUserInfoVO()->SetObjValue("TPSession", nullptr);
    HostSetup::ClearRecorded();
    {
        DialogDriver driver(
            [&](QWidget* dialog) {
                if (auto* files = qobject_cast<QFileDialog*>(dialog)) {
                    files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
                        ->setText(AppPath() + "new.csv");
                    QMetaObject::invokeMethod(files, "accept");
                    return;
                }
                EXPECT_EQ(dialog->objectName(), "frm_CompanyImport");
                DialogDriver::Child<QAbstractButton>(dialog, "sBtnImport")->click();
            },
            DialogDriver::Expect::EveryDialog);
        manager.Press("tbtImport");
        EXPECT_EQ(driver.Shown(), 2);
    }
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "已导入2家企业。");
    QStringList listed = manager.TaxIds();
    listed.sort();
    EXPECT_EQ(listed, QStringList({"9111A", "9111M", "9111N"}));
    EXPECT_EQ(Scalar("select QYDHHM from XT_QYXX where QYSBH='9111N'"), "010-1");
}
