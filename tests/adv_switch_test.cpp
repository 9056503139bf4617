// The agency's company switch, driven through its controls.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFont>
#include <QHeaderView>
#include <QLineEdit>
#include <QTest>
#include <QTreeView>

#include "AgencyMgrImpl.h"
#include "HostServices.h"
#include "RecentCompanies.h"
#include "TestHost.h"
#include "f_AdvSwitchCompay.h"

namespace {

class AdvSwitch : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        HostSetup::SetAgencyExist(true);
        Exec("INSERT INTO XT_QYXX(QYSBH, QYMC, LBDM) VALUES('AGENCY01', '某税务师事务所', 19)");
        agencyId_ = Scalar("select QYID from XT_QYXX where LBDM=19");
        ModuleLib::GetUserInfoVO()->SetStrValue("CZY_DM", "0001");
        ModuleLib::GetUserInfoVO()->SetStrValue("CZY_LB", "0");
    }

    void AttachAgency() {
        ModuleLib::GetCompanyInfoVO()->SetObjValue("DLJGXX", new TAgencyMgrImpl(agencyId_));
    }

    // Column 1 (the identification number) of every listed row, in order.
    static QStringList Listed(const TfrmAdvSwitchCompay& dialog) {
        const auto* list = dialog.findChild<QTreeView*>("vstCompList");
        QStringList numbers;
        for (int row = 0; row < list->model()->rowCount(); ++row) {
            numbers << list->model()->index(row, 1).data().toString();
        }
        return numbers;
    }

    static void Query(TfrmAdvSwitchCompay& dialog, const QString& taxId, const QString& name) {
        dialog.findChild<QLineEdit*>("edtSbh")->setText(taxId);
        dialog.findChild<QLineEdit*>("edtName")->setText(name);
        dialog.findChild<QAbstractButton*>("btnQuery")->click();
    }

    QString agencyId_;
};
INSTANTIATE_ON_ENGINES(AdvSwitch);

TEST_P(AdvSwitch, ShortFiltersMatchTheStartOfTheTailLongOnesAnywhere) {
    const QString tail = "911100000012345678";    // last six: 345678
    const QString ending = "911100000000003456";  // ends with 3456, last six: 003456
    const QString wide = "9111号码甲乙丙丁";      // last six: 号码甲乙丙丁
    AddCompany(tail, "甲公司", 10, agencyId_);
    AddCompany(ending, "乙公司", 10, agencyId_);
    AddCompany(wide, "丙公司", 10, agencyId_);
    AddCompany("911100000099345678", "普通公司", 0);
    AttachAgency();
    TfrmAdvSwitchCompay dialog;
    dialog.show();
    EXPECT_EQ(Listed(dialog), QStringList({tail, ending, wide}));

    const struct {
        const char* taxId;
        const char* name;
        QStringList found;
    } cases[] = {
        {"3456", "", {tail}},    {" 3456 ", "", {tail}},
        {"0034", "", {ending}},  {"345678", "", {tail}},
        {"5678", "", {}},        {"0003456", "", {ending}},  // seven characters: anywhere
        {"1234567", "", {tail}}, {"号码甲乙", "", {wide}},   // four characters, not twelve bytes
        {"码甲乙丙", "", {}},    {"", "乙", {ending}},
        {"3456", "乙", {}},      {"", "", {tail, ending, wide}},
    };
    for (const auto& c : cases) {
        HostSetup::ClearRecorded();
        Query(dialog, QString::fromUtf8(c.taxId), QString::fromUtf8(c.name));
        EXPECT_EQ(Listed(dialog), c.found) << c.taxId << " / " << c.name;
        // Nothing found says so, with the rule when a number was typed.
        const bool told = !Messages().empty() && Messages().back().text.startsWith("未找到");
        const bool ruled = told && Messages().back().text.contains("后6位");
        EXPECT_EQ(std::pair(told, ruled), std::pair(c.found.isEmpty(), c.found.isEmpty()))
            << c.taxId << " / " << c.name;
    }
}

// The number column is titled as the installation names the number, and a
// whole number shows in it.
TEST_P(AdvSwitch, ListShowsNumberedRowsUnderTheInstallationsTitles) {
    HostSetup::OverrideSysConfig("SysCofig", "DisplayCompanyCodeName", "纳税人识别号");
    AddCompany("911100000000000001", "甲公司", 10, agencyId_);
    AddCompany("911100000000000002", "乙公司", 10, agencyId_);
    AttachAgency();
    TfrmAdvSwitchCompay dialog;
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "单位选择");
    const auto* list = dialog.findChild<QTreeView*>("vstCompList");
    const QAbstractItemModel* model = list->model();
    const char* titles[] = {"序号", "纳税人识别号", "单位名称"};
    for (int column = 0; column < 3; ++column) {
        EXPECT_EQ(model->headerData(column, Qt::Horizontal).toString(), titles[column]);
    }
    ASSERT_EQ(model->rowCount(), 2);
    EXPECT_EQ(model->index(0, 0).data().toString(), "1");
    EXPECT_EQ(model->index(1, 0).data().toString(), "2");
    EXPECT_EQ(model->index(1, 2).data().toString(), "乙公司");
    EXPECT_GE(list->header()->sectionSize(1),
              list->fontMetrics().horizontalAdvance("911100000000000002"));
}

// An ordinary installation carries no agency manager: nothing to switch to.
TEST_P(AdvSwitch, WithoutAnAgencyManagerTheListStaysEmpty) {
    AddCompany("911100000000000001", "甲公司", 10, agencyId_);
    TfrmAdvSwitchCompay dialog;
    dialog.show();
    EXPECT_TRUE(Listed(dialog).isEmpty());
    Query(dialog, "", "");
    EXPECT_TRUE(Listed(dialog).isEmpty());
}

TEST_P(AdvSwitch, AFailedQueryKeepsTheList) {
    AddCompany("911100000000000001", "甲公司", 10, agencyId_);
    AttachAgency();
    TfrmAdvSwitchCompay dialog;
    dialog.show();
    ASSERT_EQ(Listed(dialog).size(), 1);
    Exec("DROP TABLE XT_QYXX");
    Query(dialog, "", "");
    EXPECT_EQ(Listed(dialog), QStringList({"911100000000000001"}));
    EXPECT_EQ(Messages().size(), 1u);  // the operator is told
}

TEST_P(AdvSwitch, RecentFirstTypingNarrowsArrowsMoveEnterSwitches) {
    const QString a = AddCompany("911100000000111111", "甲商贸", 10, agencyId_);
    const QString b = AddCompany("911100000000222222", "乙 Trade", 10, agencyId_);
    const QString c = AddCompany("911100000000123456", "丙科技", 10, agencyId_);
    const QString gone = "999999";
    ASSERT_TRUE(ModuleLib::SetUserConfigParam("RecentCompanies", "Ids", c + "," + gone + "," + b));
    AttachAgency();
    TfrmAdvSwitchCompay dialog;
    dialog.show();
    const auto* list = dialog.findChild<QTreeView*>("vstCompList");
    auto* taxId = dialog.findChild<QLineEdit*>("edtSbh");
    auto* name = dialog.findChild<QLineEdit*>("edtName");
    EXPECT_EQ(Listed(dialog),
              QStringList({"911100000000123456", "911100000000222222", "911100000000111111"}));
    const std::vector<bool> marked = {true, true, false};
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(list->model()->index(row, 2).data(Qt::FontRole).value<QFont>().bold(),
                  marked[static_cast<std::size_t>(row)])
            << row;
    }

    const struct {
        QLineEdit* field;
        const char* typed;
        QStringList listed;
    } steps[] = {
        {taxId, "1", {"911100000000123456", "911100000000111111"}},  // starts the last six
        {taxId, "2", {"911100000000123456"}},
        {name, "乙", {}},
    };
    for (const auto& step : steps) {
        step.field->insert(QString::fromUtf8(step.typed));  // as an input method commits it
        EXPECT_EQ(Listed(dialog), step.listed) << step.typed;
    }
    taxId->clear();
    name->clear();
    QTest::keyClicks(name, "t");  // "Trade", case folded
    EXPECT_EQ(Listed(dialog), QStringList({"911100000000222222"}));
    name->clear();
    EXPECT_EQ(list->currentIndex().row(), 0);
    QTest::keyClick(name, Qt::Key_Down);
    QTest::keyClick(name, Qt::Key_Down);
    EXPECT_EQ(list->currentIndex().row(), 2);
    QTest::keyClick(name, Qt::Key_Return);
    ASSERT_TRUE(dialog.Choice().has_value());
    EXPECT_EQ(dialog.Choice()->QYID(), a);
    // The choice goes first; the company that is gone is forgotten.
    ASSERT_TRUE(RecentCompanies::Confirm(a));
    EXPECT_EQ(RecentCompanies::Read(), QStringList({a, c, b}));
}

// Only the left button's double click switches; the list is read once, when
// the dialog first shows.
TEST_P(AdvSwitch, OnlyALeftDoubleClickSwitchesAndShowingAgainKeepsTheList) {
    const QString a = AddCompany("911100000000000001", "甲公司", 10, agencyId_);
    AttachAgency();
    TfrmAdvSwitchCompay dialog;
    dialog.show();
    auto* list = dialog.findChild<QTreeView*>("vstCompList");
    const QPoint at = list->visualRect(list->model()->index(0, 1)).center();
    QTest::mouseDClick(list->viewport(), Qt::RightButton, {}, at);
    EXPECT_FALSE(dialog.Choice().has_value());
    EXPECT_TRUE(dialog.isVisible());

    AddCompany("911100000000000002", "乙公司", 10, agencyId_);
    dialog.hide();
    dialog.show();
    EXPECT_EQ(Listed(dialog), QStringList{"911100000000000001"});

    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    ASSERT_TRUE(dialog.Choice().has_value());
    EXPECT_EQ(dialog.Choice()->QYID(), a);
    EXPECT_FALSE(dialog.isVisible());
}

}  // namespace
