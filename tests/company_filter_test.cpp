// Narrowing a loaded company list as the operator types, and the operator's
// recent companies: how they are kept and where they are listed.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QFile>
#include <QFont>
#include <QStandardItemModel>
#include <QTest>

#include "CompanyFilter.h"
#include "CompanyListModel.h"
#include "HostServices.h"
#include "IncSearchTreeView.h"
#include "RecentCompanies.h"
#include "TestHost.h"
#include "f_CommonUnit.h"
#include "f_DataVO.h"

namespace {

TCompanyRecord Company(const QString& id, const QString& taxId, const QString& name) {
    TCompanyRecord record;
    record.SetField(CompanyField::QYID, id);
    record.SetField(CompanyField::QYSBH, taxId);
    record.SetField(CompanyField::QYMC, name);
    return record;
}

TEST(CompanyFilter, FoldsWidthAndCaseAndMatchesAsTheWindowsDo) {
    const TCompanyRecordArray records = {
        Company("1", "91110000ABCD123456", "北京甲公司"),                  // tail 123456
        Company("2", "９１１１００００ＸＹ００３４５６", "乙公司 Alpha"),  // tail 003456
        Company("3", "911100000000777888", "丙ＴＥＣＨ公司"),
        Company("4", "3456", "丁公司"),  // shorter than the tail
    };
    const struct {
        const char* what;
        const char* taxId;
        const char* name;
        bool tailMatch;
        std::vector<int> rows;
    } cases[] = {
        {"nothing typed lists all in order", "", "", false, {0, 1, 2, 3}},
        {"number anywhere", "3456", "", false, {0, 1, 3}},
        {"full-width stored, half-width typed", "xy00", "", false, {1}},
        {"half-width stored, full-width typed", "ａｂｃｄ", "", false, {0}},
        {"letter case folded in names", "", "tech", false, {2}},
        {"ideographic space folded, blanks round the text dropped",
         "",
         "　乙公司　alpha ",
         false,
         {1}},
        {"both fields must match", "3456", "乙", false, {1}},
        {"tail: starts the last six", "1234", "", true, {0}},
        {"tail: not where the last six do not start", "3456", "", true, {3}},
        {"tail: ends inside but does not start it", "5678", "", true, {}},
        {"tail: longer than six matches anywhere", "y003456", "", true, {1}},
        {"tail: full-width digits typed", "００３４", "", true, {1}},
        {"no match", "x", "丁", false, {}},
    };
    for (const auto& c : cases) {
        const TCompanySearch search{QString::fromUtf8(c.taxId), QString::fromUtf8(c.name),
                                    c.tailMatch, 6};
        EXPECT_EQ(FilterCompanies(records, search), c.rows) << c.what;
    }
    // Only the full-width forms of ASCII fold; the half-width katakana after them stay.
    EXPECT_EQ(FoldForSearch(u"ＡＢ１２　c！～ｱ｡"), QStringLiteral("ab12 c!~ｱ｡"));
}

// The query's tail match counts characters as the engines do: U+20000 is one
// character in two UTF-16 units.
TEST(CompanyFilter, TheQueriesTailMatchCountsCharacters) {
    EXPECT_EQ(BuildTaxIdFilter("QYSBH", QStringLiteral("12\U000200004"), true, "SQLITE", 6),
              QStringLiteral(" and mid(right(QYSBH,6),1,4)='12\U000200004'"));
    EXPECT_EQ(BuildTaxIdFilter("QYSBH", QStringLiteral("12\U00020000456"), true, "SQLITE", 6),
              QStringLiteral(" and mid(right(QYSBH,6),1,6)='12\U00020000456'"));
}

TEST(CompanyFilter, RecentCompaniesComeFirstInTheirOrderAndStillFilter) {
    TCompanyRecordArray records;
    for (int i = 1; i <= 6; ++i) {
        records.push_back(Company(QString::number(i), QStringLiteral("9111%1").arg(i),
                                  i % 2 ? QStringLiteral("单") : QStringLiteral("双")));
    }
    const struct {
        const char* what;
        QStringList recent;
        const char* name;
        std::vector<int> rows;
    } cases[] = {
        {"no recent list: the usual order", {}, "", {0, 1, 2, 3, 4, 5}},
        {"most recent first", {"5", "2"}, "", {4, 1, 0, 2, 3, 5}},
        {"gone ids passed over", {"99", "3"}, "", {2, 0, 1, 3, 4, 5}},
        {"the filter applies to recent rows too", {"2", "5"}, "单", {4, 0, 2}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FilterCompanies(records, {QString(), QString::fromUtf8(c.name)}, c.recent),
                  c.rows)
            << c.what;
    }
    TCompanySearchIndex index;
    index.Assign(records);
    index.SetRecent({"4", "1"});
    index.SetRecent({"6"});  // a new list forgets the old ranks
    EXPECT_EQ(index.RecentRank(5), 0);
    EXPECT_EQ(index.RecentRank(3), -1);
    EXPECT_EQ(index.RecentRank(0), -1);
    EXPECT_EQ(index.RecentRank(-1), -1);
    EXPECT_EQ(index.RecentRank(6), -1);

    // A company listed twice (blanks round one id) is recent in its first row only.
    records.push_back(Company(" 2 ", "91112", "单"));
    index.Assign(records);
    index.SetRecent({"2"});
    EXPECT_EQ(index.RecentRank(1), 0);
    EXPECT_EQ(index.RecentRank(6), -1);
}

// The list model keeps the contract every view relies on, through resets
// that grow and shrink the rows; recent rows are marked.
TEST(CompanyListModel, KeepsTheModelContractThroughResets) {
    std::vector<QString> rows = {"甲", "乙"};
    TCompanyListModel model(
        {"名称", "行"}, [&] { return static_cast<int>(rows.size()); },
        [&](int row, int column) {
            return column == 0 ? rows[static_cast<std::size_t>(row)] : QString::number(row);
        });
    model.SetRowMarked([](int row) { return row == 0; });
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.Reset([&] { rows = {"丙", "丁", "戊"}; });
    // An index kept from before a reset that shrank the rows reads as nothing.
    const QModelIndex kept = model.index(2, 0);
    model.Reset([&] { rows.clear(); });
    EXPECT_FALSE(model.data(kept).isValid());
    EXPECT_FALSE(model.data(QModelIndex()).isValid());
    model.Reset([&] { rows = {"己"}; });
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.index(0, 0).data().toString(), "己");
    EXPECT_TRUE(model.index(0, 0).data(Qt::FontRole).value<QFont>().bold());
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "行");
    EXPECT_FALSE(model.headerData(2, Qt::Horizontal).isValid());
    EXPECT_FALSE(model.headerData(-1, Qt::Horizontal).isValid());
    EXPECT_FALSE(model.headerData(0, Qt::Vertical).isValid());
    EXPECT_FALSE(model.data(model.index(0, 0), Qt::ToolTipRole).isValid());
}

// Typing in the list moves to the first row starting with the typed text and
// stays put when none does, with no model or no rows as well.
TEST(IncSearchTreeView, TypingFindsARowOrLeavesTheSelection) {
    TIncSearchTreeView view;
    view.keyboardSearch("9");
    QStandardItemModel model;
    view.setModel(&model);
    view.keyboardSearch("9");
    EXPECT_FALSE(view.currentIndex().isValid());
    for (const char* taxId : {"9111A", "9222B"}) {
        model.appendRow(new QStandardItem(QString::fromLatin1(taxId)));
    }
    view.keyboardSearch("");
    EXPECT_FALSE(view.currentIndex().isValid());
    view.keyboardSearch("92");
    EXPECT_EQ(view.currentIndex().row(), 1);
    QTest::qWait(QApplication::keyboardInputInterval() + 50);
    view.keyboardSearch("8");
    EXPECT_EQ(view.currentIndex().row(), 1);
}

TEST(RecentCompanies, AChoiceGoesFirstAndTheUnseenAreForgotten) {
    const QSet<QString> all = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"};
    const struct {
        const char* what;
        QStringList list;
        const char* chosen;
        QSet<QString> visible;
        QStringList result;
    } cases[] = {
        {"first choice", {}, "7", all, {"7"}},
        {"a new one goes first", {"3", "1"}, "7", all, {"7", "3", "1"}},
        {"a known one moves up", {"3", "1", "7"}, "7", all, {"7", "3", "1"}},
        {"blanks round the id", {"3"}, " 7 ", all, {"7", "3"}},
        {"no longer visible", {"3", "1", "2"}, "7", {"7", "2"}, {"7", "2"}},
        {"at most ten",
         {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"},
         "11",
         all,
         {"11", "1", "2", "3", "4", "5", "6", "7", "8", "9"}},
        {"not a number changes nothing", {"3"}, "x'1", all, {"3"}},
        {"an id twice in the list is kept once", {"3", "1", "3"}, "7", all, {"7", "3", "1"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(
            RecentCompanies::Update(c.list, QString::fromUtf8(c.chosen),
                                    [&](const QString& id) { return c.visible.contains(id); }),
            c.result)
            << c.what;
    }
    EXPECT_EQ(RecentCompanies::Parse(" 4, 2,,x,4,-,12"), QStringList({"4", "2", "12"}));
    EXPECT_EQ(RecentCompanies::Parse("1,2,3,4,5,6,7,8,9,10,11").size(), RecentCompanies::kMaxCount);
}

class RecentCompaniesStore : public HostTest {
  protected:
    void SetUp() override { StartHost("SQLITE", "[SysCofig]\n"); }
};

TEST_F(RecentCompaniesStore, KeptInTheOperatorsOwnSettingsBesideTheOthers) {
    const auto visible = [](const QString& id) {
        return QSet<QString>{"1", "2", "3"}.contains(id);
    };
    // No operator: nowhere to keep it.
    EXPECT_FALSE(RecentCompanies::Remember("1", visible));
    ModuleLib::GetUserInfoVO()->SetStrValue("CZY_DM", "0001");
    WriteFile("Config/Users/0001.ini", "[RunParameter]\r\nSysIME=五笔输入法\r\n[Other]\r\nA=1\r\n");
    EXPECT_TRUE(RecentCompanies::Read().isEmpty());
    EXPECT_TRUE(RecentCompanies::Remember("2", visible));
    EXPECT_TRUE(RecentCompanies::Remember("3", visible));
    EXPECT_TRUE(RecentCompanies::Remember("2", visible));
    EXPECT_EQ(RecentCompanies::Read(), QStringList({"2", "3"}));
    EXPECT_EQ(ModuleLib::GetUserConfigParam("RunParameter", "SysIME", ""), "五笔输入法");
    EXPECT_EQ(ModuleLib::GetUserConfigParam("Other", "A", ""), "1");

    // Another operator has his own list, in a file made for him.
    ModuleLib::GetUserInfoVO()->SetStrValue("CZY_DM", "0002");
    EXPECT_TRUE(RecentCompanies::Read().isEmpty());
    EXPECT_TRUE(RecentCompanies::Remember("1", visible));
    EXPECT_EQ(RecentCompanies::Read(), QStringList({"1"}));
    EXPECT_TRUE(QFile::exists(AppPath() + "Config/Users/0002.ini"));
    ModuleLib::GetUserInfoVO()->SetStrValue("CZY_DM", "../0001");
    EXPECT_FALSE(RecentCompanies::Remember("1", visible));
}

}  // namespace
