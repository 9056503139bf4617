// The company selection dialog worked as the operator works it: what the list
// holds as he types, searches and reopens it, and what a choice leaves behind.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTest>

#include <memory>

#include "CompanySelectMgr.h"
#include "DialogDriver.h"
#include "HostServices.h"
#include "RecentCompanies.h"
#include "TestHost.h"
#include "f_CompanySelect.h"

namespace {

class CompanySelectDialog : public HostTest {
  protected:
    void SetUp() override {
        HostTest::SetUp();
        for (int i = 1; i <= 3; ++i) {
            ids_ << AddCompany(QStringLiteral("91110000000000000%1").arg(i),
                               QStringLiteral("单位%1").arg(i));
        }
        // The host's settings are the operator's, as after log-in.
        ModuleLib::GetUserInfoVO()->SetStrValue("CZY_DM", "0001");
        dialog_ = std::make_unique<Tfrm_CompanySelect>(manager_);
    }
    void TearDown() override {
        dialog_.reset();
        HostTest::TearDown();
    }

    QAbstractItemView* List() const {
        return DialogDriver::Child<QAbstractItemView>(dialog_.get(), "vstCompList");
    }
    QLineEdit* Edit(const char* name) const {
        return DialogDriver::Child<QLineEdit>(dialog_.get(), name);
    }
    void Click(const char* button) const {
        DialogDriver::Child<QAbstractButton>(dialog_.get(), button)->click();
    }
    int Rows() const { return List()->model()->rowCount(); }
    QString Name(int row) const { return List()->model()->index(row, 1).data().toString(); }
    void Choose(int row) const {
        List()->setCurrentIndex(List()->model()->index(row, 0));
        Click("sBtnConfirm");
    }
    // Sets a filter field without the narrowing typing does.
    void SetQuietly(const char* name, const QString& text) const {
        QLineEdit* edit = Edit(name);
        const QSignalBlocker quiet(edit);
        edit->setText(text);
    }

    QStringList ids_;
    TCompanySelectMgr manager_{"0001", "0"};
    std::unique_ptr<Tfrm_CompanySelect> dialog_;
};

// Nothing is read before the dialog shows; then the typed text applies.
TEST_F(CompanySelectDialog, TextTypedBeforeOpeningFiltersTheFirstListing) {
    Edit("edtName")->setText("单位2");
    EXPECT_EQ(Rows(), 0);
    dialog_->show();
    ASSERT_EQ(Rows(), 1);
    EXPECT_EQ(Name(0), "单位2");
    EXPECT_EQ(List()->currentIndex().row(), 0);
}

// A list with no row, by typing or by the query button, has nothing current;
// Enter in a field then does nothing, the confirm button says so.
TEST_F(CompanySelectDialog, FiltersThatFindNothingLeaveNothingToChoose) {
    dialog_->show();
    ASSERT_EQ(Rows(), 3);
    // A right double-click on the selected row is no confirm.
    QTest::mouseDClick(List()->viewport(), Qt::RightButton, {},
                       List()->visualRect(List()->model()->index(0, 1)).center());
    EXPECT_TRUE(dialog_->isVisible());

    QTest::keyClicks(Edit("edtSbh"), "x");
    EXPECT_EQ(Rows(), 0);
    EXPECT_FALSE(List()->currentIndex().isValid());
    QTest::keyClick(Edit("edtSbh"), Qt::Key_Return);
    EXPECT_TRUE(dialog_->isVisible());
    EXPECT_TRUE(Messages().empty());

    Edit("edtSbh")->clear();
    EXPECT_EQ(Rows(), 3);
    SetQuietly("edtName", "无此单位");
    Click("btnQuery");
    EXPECT_EQ(Rows(), 0);
    EXPECT_FALSE(List()->currentIndex().isValid());
    Click("sBtnConfirm");
    EXPECT_TRUE(dialog_->isVisible());
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].code, 106004);
}

// A listing that failed is no list to narrow: the next key reads again.
TEST_F(CompanySelectDialog, AFailedListingIsReadAgainOnTheNextKey) {
    ASSERT_TRUE(
        Exec("CREATE TEMP VIEW XT_QYXX AS SELECT *, abs(-9223372036854775807 - 1) AS BROKEN "
             "FROM main.XT_QYXX"));
    dialog_->show();
    EXPECT_EQ(Rows(), 0);
    EXPECT_EQ(Messages().size(), 1u);  // the operator is told
    ASSERT_TRUE(Exec("DROP VIEW temp.XT_QYXX"));
    Edit("edtName")->insert("单位");  // as an input method commits it
    EXPECT_EQ(Rows(), 3);
    EXPECT_EQ(List()->currentIndex().row(), 0);
    // A query that fails keeps the list.
    ASSERT_TRUE(Exec("ALTER TABLE XT_QYXX RENAME TO XT_QYXX_AWAY"));
    Click("btnQuery");
    EXPECT_EQ(Rows(), 3);
    EXPECT_EQ(Messages().size(), 2u);
}

// Shown again (restored, say), the dialog keeps what it listed, and each
// choice goes first among the operator's recent companies.
TEST_F(CompanySelectDialog, ShownAgainItKeepsItsListAndRemembersEachChoice) {
    dialog_->show();
    Choose(1);
    EXPECT_FALSE(dialog_->isVisible());
    EXPECT_EQ(dialog_->result(), Tfrm_CompanySelect::mrOk);
    EXPECT_EQ(dialog_->Result().QYMC(), "单位2");
    ASSERT_TRUE(RecentCompanies::Confirm(ids_[1]));  // as the host loads it
    EXPECT_EQ(RecentCompanies::Read(), QStringList{ids_[1]});

    AddCompany("911100000000000004", "单位4");
    dialog_->show();
    EXPECT_EQ(Rows(), 3);
    Choose(2);
    EXPECT_EQ(dialog_->Result().QYMC(), "单位3");
    ASSERT_TRUE(RecentCompanies::Confirm(ids_[2]));
    EXPECT_EQ(RecentCompanies::Read(), QStringList({ids_[2], ids_[1]}));
}

// What the operator may choose comes from the latest full listing: a recent
// company added since the dialog opened stays recent.
TEST_F(CompanySelectDialog, AChoiceKeepsTheRecentCompaniesTheLatestListingShows) {
    dialog_->show();
    ASSERT_EQ(Rows(), 3);
    // Meanwhile a company is added and chosen at another desk.
    const QString fourth = AddCompany("911100000000000004", "单位4");
    ASSERT_TRUE(RecentCompanies::Remember(
        fourth, [](const QString&) { return true; }, "0001"));

    SetQuietly("edtName", "单位1");
    Click("btnQuery");
    EXPECT_EQ(Rows(), 1);
    Edit("edtName")->clear();  // every company again, read anew
    ASSERT_EQ(Rows(), 4);
    Choose(1);
    EXPECT_EQ(dialog_->Result().QYMC(), "单位2");
    ASSERT_TRUE(RecentCompanies::Confirm(ids_[1]));
    EXPECT_EQ(RecentCompanies::Read(), QStringList({ids_[1], fourth}));
}

TEST_F(CompanySelectDialog, TheSingleCompanyEditionTakesItsOnlyCompanyAtOnce) {
    HostSetup::SetEditionCode("10");
    ASSERT_TRUE(Exec("DELETE FROM XT_QYXX WHERE QYID<>" + ids_[0]));
    TCompanyRecord chosen;
    EXPECT_EQ(ChooseCompany(manager_, chosen), SelectOutcome::Chosen);
    EXPECT_EQ(chosen.QYID(), ids_[0]);
    ASSERT_TRUE(RecentCompanies::Confirm(ids_[0]));
    EXPECT_EQ(RecentCompanies::Read(), QStringList{ids_[0]});

    ASSERT_TRUE(Exec("DELETE FROM XT_QYXX"));
    EXPECT_EQ(ChooseCompany(manager_, chosen), SelectOutcome::NoCompany);
}

}  // namespace
