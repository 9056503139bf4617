// Choosing the company at log-in, through the built module as the host calls it.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QFile>
#include <QFont>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTest>
#include <QTreeView>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "DialogDriver.h"
#include "HostServices.h"
#include "ModuleLoader.h"
#include "TestHost.h"
#include "f_DataVO.h"

namespace {

using BufferEntry = bool (*)(int, char**);

// Notes the text of every status window as it goes away.
class StatusWatcher : public QObject {
  public:
    StatusWatcher() { qApp->installEventFilter(this); }
    ~StatusWatcher() override { qApp->removeEventFilter(this); }
    QStringList texts;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Hide && watched->isWidgetType() &&
            QLatin1String(watched->metaObject()->className()) == QLatin1String("Tfrm_Status")) {
            const auto* label = watched->findChild<QLabel*>("lblStatus");
            texts << (label ? label->text() : QString());
        }
        return false;
    }
};

class CompanySelection : public HostTest {
  protected:
    bool Select(const std::string& params) { return Call("LoadSelectCompanyForm", params); }
    // As the host does with the choice: loads it as the current company.
    bool Load(const QString& id) {
        return Call("InitGlobalCompanyInfo", "CZY_DM=0001;CZY_LB=0;QYID=" + id.toStdString());
    }
    bool Call(const char* entry, const std::string& params) {
        std::memset(buffer_, 0, sizeof buffer_);
        std::memcpy(buffer_, params.data(), params.size());
        char* buffers[] = {buffer_};
        return ModuleLoader::Entry<BufferEntry>(entry)(1, buffers);
    }
    std::string Param() const { return buffer_; }

    void AddCompanies(int count) {
        Exec("BEGIN");
        for (int i = 1; i <= count; ++i) {
            Exec(QStringLiteral(
                     "INSERT INTO XT_QYXX(QYSBH, QYMC, LBDM) VALUES('9111%1', '单位%2', 0)")
                     .arg(i, 14, 10, QLatin1Char('0'))
                     .arg(i));
        }
        Exec("COMMIT");
    }

    static QAbstractItemView* List(QWidget* dialog) {
        return DialogDriver::Child<QAbstractItemView>(dialog, "vstCompList");
    }
    static void Click(QWidget* dialog, const char* button) {
        DialogDriver::Child<QAbstractButton>(dialog, button)->click();
    }
    // As the mouse makes it: press and release, then the double-click and its release.
    static void DoubleClick(QWidget* widget, QPoint at) {
        QTest::mouseClick(widget, Qt::LeftButton, {}, at);
        QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
        QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
    }

    char buffer_[500] = {};
};

TEST_F(CompanySelection, OneCompanyIsTakenWithoutADialog) {
    const QString id = AddCompany("911100000000000001", "唯一公司");
    ModuleLib::GetUserInfoVO()->SetStrValue("CZY_DM", "0001");
    DialogDriver driver([](QWidget* dialog) { dialog->close(); }, DialogDriver::Expect::NoDialog);
    EXPECT_TRUE(Select("CZY_DM=0001;CZY_LB=0"));
    EXPECT_EQ(Param(),
              "CZY_DM=0001;CZY_LB=0;QYID=" + id.toStdString() + ";QYSBH=911100000000000001");
    // Taken without the dialog, it is still the last company chosen, once loaded.
    EXPECT_FALSE(QFile::exists(AppPath() + "Config/Users/0001.ini"));
    ASSERT_TRUE(Load(id));
    QFile settings(AppPath() + "Config/Users/0001.ini");
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    EXPECT_TRUE(settings.readAll().contains("Ids=" + id.toUtf8()));
}

TEST_F(CompanySelection, SingleCompanyEditionTakesTheFirstOfSeveral) {
    AddCompanies(3);
    HostSetup::SetEditionCode("10");
    DialogDriver driver([](QWidget* dialog) { dialog->close(); }, DialogDriver::Expect::NoDialog);
    EXPECT_TRUE(Select("CZY_DM=0001;CZY_LB=0"));
    EXPECT_EQ(Param(), "CZY_DM=0001;CZY_LB=0;QYID=1;QYSBH=911100000000000001");
}

TEST_F(CompanySelection, NoCompanyShowsMessage106002) {
    AddCompany("911100000000000001", "别人的公司");
    EXPECT_FALSE(Select("CZY_DM=0001;CZY_LB=R01"));
    EXPECT_EQ(Param(), "CZY_DM=0001;CZY_LB=R01");
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].code, 106002);
    EXPECT_TRUE(messages[0].extra.isEmpty());
}

TEST_F(CompanySelection, MissingOperatorTextsFailBeforeAnyQuery) {
    for (const std::string& params :
         {std::string("CZY_DM=0001"), std::string("CZY_LB=0"), std::string("CZY_DM=;CZY_LB=0")}) {
        HostSetup::ClearRecorded();
        EXPECT_FALSE(Select(params));
        EXPECT_EQ(
            Param(),
            params +
                ";ResultMsgStr=[70019503]选择对应企业失败：无法获取到操作员名称或操作员类别。");
        const auto lines = LogLines();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].text, "[70019503]选择对应企业失败：无法获取到操作员名称或操作员类别。");
        EXPECT_TRUE(Messages().empty());
    }
}

TEST_F(CompanySelection, ChoosingARowWritesItBack) {
    AddCompanies(3);
    DialogDriver driver([](QWidget* dialog) {
        QAbstractItemView* list = List(dialog);
        EXPECT_EQ(list->model()->rowCount(), 3);
        // Typing narrows the list at once.
        EXPECT_EQ(dialog->focusWidget()->objectName(), "edtSbh");
        // The first row is selected when the dialog opens.
        EXPECT_EQ(list->selectionModel()->selectedRows().value(0).row(), 0);
        list->setCurrentIndex(list->model()->index(2, 0));
        Click(dialog, "sBtnConfirm");
    });
    EXPECT_TRUE(Select("CZY_DM=0001;CZY_LB=0;QYID=9"));
    EXPECT_EQ(Param(), "CZY_DM=0001;CZY_LB=0;QYID=3;QYSBH=911100000000000003");
    EXPECT_EQ(driver.Shown(), 1);
}

TEST_F(CompanySelection, CancelKeepsTheInputs) {
    AddCompanies(2);
    DialogDriver driver([](QWidget* dialog) { Click(dialog, "sBtnClose"); });
    EXPECT_FALSE(Select("CZY_DM=0001;CZY_LB=0"));
    EXPECT_EQ(Param(), "CZY_DM=0001;CZY_LB=0");
    EXPECT_TRUE(Messages().empty());
}

TEST_F(CompanySelection, SearchFiltersAndEmptyBoxesListAllAgain) {
    AddCompanies(12);
    DialogDriver driver([](QWidget* dialog) {
        QAbstractItemView* list = List(dialog);
        auto* name = DialogDriver::Child<QLineEdit>(dialog, "edtName");
        auto* taxId = DialogDriver::Child<QLineEdit>(dialog, "edtSbh");
        name->setText("单位");
        QTest::keyClicks(name, "1");
        Click(dialog, "btnQuery");
        EXPECT_EQ(list->model()->rowCount(), 4);  // 1, 10, 11, 12
        name->setText("  单位1  ");
        taxId->setText("0011 ");
        Click(dialog, "btnQuery");
        EXPECT_EQ(list->model()->rowCount(), 1);
        EXPECT_EQ(list->model()->index(0, 1).data().toString(), "单位11");
        name->clear();
        taxId->clear();
        Click(dialog, "btnQuery");
        EXPECT_EQ(list->model()->rowCount(), 12);
        Click(dialog, "sBtnClose");
    });
    EXPECT_FALSE(Select("CZY_DM=0001;CZY_LB=0"));
}

TEST_F(CompanySelection, EnterAcceptsOnlyASelectedRow) {
    AddCompanies(3);
    DialogDriver driver([](QWidget* dialog) {
        QAbstractItemView* list = List(dialog);
        list->clearSelection();
        QTest::keyClick(list, Qt::Key_Return);
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_TRUE(HostSetup::RecordedMessages().empty());
        list->setCurrentIndex(list->model()->index(1, 0));
        QTest::keyClick(list, Qt::Key_Enter);
    });
    EXPECT_TRUE(Select("CZY_DM=0001;CZY_LB=0"));
    EXPECT_EQ(Param(), "CZY_DM=0001;CZY_LB=0;QYID=2;QYSBH=911100000000000002");
}

TEST_F(CompanySelection, ConfirmWithoutSelectionShows106004AndStays) {
    AddCompanies(3);
    DialogDriver driver([](QWidget* dialog) {
        QAbstractItemView* list = List(dialog);
        list->clearSelection();
        Click(dialog, "sBtnConfirm");
        EXPECT_TRUE(dialog->isVisible());
        const auto messages = HostSetup::RecordedMessages();
        EXPECT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages.empty() ? 0 : messages[0].code, 106004);
        EXPECT_TRUE(DialogDriver::Child<QAbstractButton>(dialog, "sBtnConfirm")->isEnabled());
        const QModelIndex first = list->model()->index(0, 0);
        DoubleClick(list->viewport(), list->visualRect(first).center());
        if (dialog->isVisible()) {
            Click(dialog, "sBtnClose");
        }
    });
    EXPECT_TRUE(Select("CZY_DM=0001;CZY_LB=0"));
    EXPECT_EQ(Param(), "CZY_DM=0001;CZY_LB=0;QYID=1;QYSBH=911100000000000001");
}

// The count finds one company, the listing then fails (a column only the
// listing reads cannot be computed): no company, not a crash or an empty pick.
TEST_F(CompanySelection, ACountedCompanyThatCannotBeListedShowsMessage106002) {
    AddCompany("911100000000000001", "唯一公司");
    Exec(
        "CREATE TEMP VIEW XT_QYXX AS SELECT *, abs(-9223372036854775807 - 1) AS BROKEN "
        "FROM main.XT_QYXX");
    DialogDriver driver([](QWidget* dialog) { dialog->close(); }, DialogDriver::Expect::NoDialog);
    EXPECT_FALSE(Select("CZY_DM=0001;CZY_LB=0"));
    EXPECT_EQ(Param(), "CZY_DM=0001;CZY_LB=0");
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].code, 106002);
}

// Below the rows the press leaves no row selected: the confirm's message.
TEST_F(CompanySelection, DoubleClickAnywhereOnTheListConfirms) {
    AddCompanies(3);
    DialogDriver driver([](QWidget* dialog) {
        QAbstractItemView* list = List(dialog);
        QWidget* viewport = list->viewport();
        const QPoint belowTheRows(viewport->width() / 2, viewport->height() - 4);
        EXPECT_FALSE(list->indexAt(belowTheRows).isValid());
        DoubleClick(viewport, belowTheRows);
        EXPECT_TRUE(dialog->isVisible());
        const auto messages = HostSetup::RecordedMessages();
        EXPECT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages.empty() ? 0 : messages[0].code, 106004);
        DoubleClick(viewport, list->visualRect(list->model()->index(1, 1)).center());
        if (dialog->isVisible()) {
            Click(dialog, "sBtnClose");
        }
    });
    EXPECT_TRUE(Select("CZY_DM=0001;CZY_LB=0"));
    EXPECT_EQ(Param(), "CZY_DM=0001;CZY_LB=0;QYID=2;QYSBH=911100000000000002");
    EXPECT_EQ(Messages().size(), 1u);
}

// Views must never see the records change inside a reset they were not told of.
TEST_F(CompanySelection, SearchResetsTheListAroundTheNewRecordsAndSelectsTheFirst) {
    AddCompanies(12);
    DialogDriver driver([](QWidget* dialog) {
        QAbstractItemView* list = List(dialog);
        std::vector<int> rowsAtReset;
        QObject::connect(list->model(), &QAbstractItemModel::modelAboutToBeReset,
                         [&] { rowsAtReset.push_back(list->model()->rowCount()); });
        QObject::connect(list->model(), &QAbstractItemModel::modelReset,
                         [&] { rowsAtReset.push_back(list->model()->rowCount()); });
        {
            // Set without the instant narrowing: the button does the search.
            auto* name = DialogDriver::Child<QLineEdit>(dialog, "edtName");
            const QSignalBlocker quiet(name);
            name->setText("单位1");
        }
        Click(dialog, "btnQuery");
        EXPECT_EQ(rowsAtReset, (std::vector<int>{12, 4}));
        EXPECT_EQ(list->currentIndex().row(), 0);
        EXPECT_EQ(list->selectionModel()->selectedRows().value(0).row(), 0);
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Down);
        EXPECT_EQ(list->selectionModel()->selectedRows().value(0).row(), 1);
        Click(dialog, "sBtnConfirm");
    });
    EXPECT_TRUE(Select("CZY_DM=0001;CZY_LB=0"));
    EXPECT_EQ(Param(), "CZY_DM=0001;CZY_LB=0;QYID=10;QYSBH=911100000000000010");
}

TEST_F(CompanySelection, BothColumnsFitTheListWithoutSideways) {
    AddCompanies(40);
    DialogDriver driver([](QWidget* dialog) {
        auto* list = qobject_cast<QTreeView*>(List(dialog));
        if (list == nullptr) {
            ADD_FAILURE() << "the list is no tree view";
            Click(dialog, "sBtnClose");
            return;
        }
        EXPECT_TRUE(list->verticalScrollBar()->isVisible());
        EXPECT_FALSE(list->horizontalScrollBar()->isVisible());
        EXPECT_EQ(list->horizontalScrollBar()->maximum(), 0);
        const QHeaderView* header = list->header();
        EXPECT_LE(header->length(), list->viewport()->width());
        EXPECT_GE(header->sectionSize(0), 150);
        EXPECT_GE(header->sectionSize(1), 200);
        Click(dialog, "sBtnClose");
    });
    EXPECT_FALSE(Select("CZY_DM=0001;CZY_LB=0"));
}

TEST_F(CompanySelection, TheDialogFollowsTheRolesGrants) {
    AddCompanies(4);
    GrantToRole("R01", "2");
    GrantToRole("R01", "4");
    DialogDriver driver([](QWidget* dialog) {
        QAbstractItemView* list = List(dialog);
        EXPECT_EQ(list->model()->rowCount(), 2);
        EXPECT_EQ(list->model()->headerData(0, Qt::Horizontal).toString(), "纳税人识别号");
        EXPECT_EQ(list->model()->headerData(1, Qt::Horizontal).toString(), "单位名称");
        Click(dialog, "sBtnConfirm");
    });
    EXPECT_TRUE(Select("CZY_DM=0002;CZY_LB=R01"));
    EXPECT_NE(Param().find(";QYID="), std::string::npos);
}

TEST_F(CompanySelection, StatusWindowOnlyAboveFiveHundredCompanies) {
    AddCompanies(500);
    {
        StatusWatcher watcher;
        DialogDriver driver([](QWidget* dialog) { Click(dialog, "sBtnClose"); });
        EXPECT_FALSE(Select("CZY_DM=0001;CZY_LB=0"));
        EXPECT_TRUE(watcher.texts.isEmpty());
    }
    AddCompany("911100000000009999", "第五百零一户");
    StatusWatcher watcher;
    bool statusGoneWhenListed = false;
    DialogDriver driver([&](QWidget* dialog) {
        EXPECT_EQ(List(dialog)->model()->rowCount(), 501);
        statusGoneWhenListed = true;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (QLatin1String(widget->metaObject()->className()) == QLatin1String("Tfrm_Status") &&
                widget->isVisible()) {
                statusGoneWhenListed = false;
            }
        }
        Click(dialog, "sBtnClose");
    });
    EXPECT_FALSE(Select("CZY_DM=0001;CZY_LB=0"));
    EXPECT_EQ(watcher.texts, QStringList{"正在读取单位信息，请稍候 ..."});
    EXPECT_TRUE(statusGoneWhenListed);
}

TEST_F(CompanySelection, RecentCompaniesFirstTypingNarrowsAndEnterChooses) {
    AddCompanies(12);  // ids 1 to 12
    WriteFile("Config/Users/0001.ini", "[RecentCompanies]\nIds=5,99,12\n");
    // As the host does before log-in: its settings are the operator's.
    ModuleLib::GetUserInfoVO()->SetStrValue("CZY_DM", "0001");
    {
        DialogDriver driver([](QWidget* dialog) {
            QAbstractItemView* list = List(dialog);
            auto* name = DialogDriver::Child<QLineEdit>(dialog, "edtName");
            const struct {
                int row;
                const char* name;
                bool marked;
            } rows[] = {{0, "单位5", true},
                        {1, "单位12", true},
                        {2, "单位1", false},
                        {11, "单位11", false}};
            EXPECT_EQ(list->model()->rowCount(), 12);
            for (const auto& r : rows) {
                const QModelIndex cell = list->model()->index(r.row, 1);
                EXPECT_EQ(cell.data().toString(), QString::fromUtf8(r.name)) << r.row;
                EXPECT_EQ(cell.data(Qt::FontRole).value<QFont>().bold(), r.marked) << r.row;
            }
            EXPECT_EQ(list->currentIndex().row(), 0);
            // Each key narrows; the recent company stays first.
            const struct {
                const char* typed;
                int rows;
            } keys[] = {{"单", 12}, {"位", 12}, {"1", 4}, {"1", 1}};
            for (const auto& k : keys) {
                name->insert(QString::fromUtf8(k.typed));  // as an input method commits it
                EXPECT_EQ(list->model()->rowCount(), k.rows) << name->text().toStdString();
            }
            EXPECT_EQ(list->model()->index(0, 1).data().toString(), "单位11");
            QTest::keyClick(name, Qt::Key_Backspace);  // 单位1: 12 (recent), 1, 10, 11
            EXPECT_EQ(list->model()->index(0, 1).data().toString(), "单位12");
            QTest::keyClick(name, Qt::Key_PageDown);
            EXPECT_EQ(list->currentIndex().row(), 3);
            QTest::keyClick(name, Qt::Key_PageUp);
            EXPECT_EQ(list->currentIndex().row(), 0);
            QTest::keyClick(name, Qt::Key_Down);
            QTest::keyClick(name, Qt::Key_Down);
            QTest::keyClick(name, Qt::Key_Down);
            QTest::keyClick(name, Qt::Key_Up);
            EXPECT_EQ(list->currentIndex().row(), 2);
            EXPECT_EQ(name->text(), "单位1");
            QTest::keyClick(name, Qt::Key_Return);
        });
        EXPECT_TRUE(Select("CZY_DM=0001;CZY_LB=0"));
        EXPECT_EQ(Param(), "CZY_DM=0001;CZY_LB=0;QYID=10;QYSBH=911100000000000010");
    }
    // The choice is first now, the unknown id gone; Enter alone takes it again.
    ASSERT_TRUE(Load("10"));
    QFile settings(AppPath() + "Config/Users/0001.ini");
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    EXPECT_TRUE(settings.readAll().contains("Ids=10,5,12")) << AppPath().toStdString();
    DialogDriver driver([](QWidget* dialog) {
        QAbstractItemView* list = List(dialog);
        EXPECT_EQ(list->model()->index(0, 1).data().toString(), "单位10");
        QTest::keyClick(list, Qt::Key_Return);
    });
    EXPECT_TRUE(Select("CZY_DM=0001;CZY_LB=0"));
    EXPECT_EQ(Param(), "CZY_DM=0001;CZY_LB=0;QYID=10;QYSBH=911100000000000010");
}

}  // namespace
