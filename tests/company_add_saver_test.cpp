// Adding a company row: the checks in their order, the row written for the
// installation, the id handed back, and two desks adding one number.
#include <gtest/gtest.h>

#include <QSqlDatabase>
#include <QSqlQuery>

#include <chrono>
#include <future>
#include <thread>
#include <tuple>
#include <vector>

#include "CompanyAddSaver.h"
#include "CompanyImport.h"
#include "CompanyRemoval.h"
#include "HostServices.h"
#include "TaxIdKey.h"
#include "TestHost.h"
#include "Transactions.h"
#include "f_DataVO.h"

namespace {

using CompanyAddSaver::Outcome;

class CompanyAddSaving : public EngineTest {
  protected:
    QString Column(const QString& column, const QString& companyId) const {
        return Scalar(
            QStringLiteral("select %1 from XT_QYXX where QYID=%2").arg(column, companyId));
    }
    int RowsWith(const QString& taxId) const {
        return Count("select count(*) from XT_QYXX where QYSBH='" + taxId + "'");
    }
};
INSTANTIATE_ON_ENGINES(CompanyAddSaving);

struct CheckCase {
    const char* name;
    QString taxId;
    QString companyName;
    QString phone;
    Outcome outcome;
};

TEST_P(CompanyAddSaving, ChecksComeInTheDialogsOrder) {
    AddCompany("9111TAKEN", "已有公司");
    const QString longName(200, QChar(0x7532));  // 400 bytes in the legacy code page
    const std::vector<CheckCase> cases = {
        {"blank id before a bad phone", "   ", "甲", "1 2", Outcome::MissingTaxId},
        {"blank in the phone", "9111A", "甲", "010 1234", Outcome::InvalidPhone},
        {"bad phone before the duplicate", "9111TAKEN", "甲", "x", Outcome::InvalidPhone},
        {"duplicate, blanks trimmed", " 9111TAKEN ", "甲", "", Outcome::Duplicate},
        {"digits, parentheses and hyphen", "9111B", "乙", "(010)-1234", Outcome::Saved},
        {"empty name and phone", "9111C", "", "", Outcome::Saved},
        {"a long name and a quote", "9111'D", longName.left(199) + "'", "", Outcome::Saved},
        {"a name too long", "9111E", longName + "'", "", Outcome::NameTooLong},
        {"a phone too long", "9111E", "", QString(31, '1'), Outcome::PhoneTooLong},
        {"a control character", "9111\tE", "", "x", Outcome::InvisibleTaxId},
        {"a zero-width space", QStringLiteral("9111\u200bE"), "", "", Outcome::InvisibleTaxId},
    };
    for (const CheckCase& c : cases) {
        const int before = Count("select count(*) from XT_QYXX");
        const CompanyAddSaver::Result result =
            CompanyAddSaver::Save(c.taxId, c.companyName, c.phone);
        EXPECT_EQ(result.outcome, c.outcome) << c.name;
        EXPECT_EQ(result.taxId, c.taxId.trimmed()) << c.name;
        EXPECT_EQ(Count("select count(*) from XT_QYXX"), before + (c.outcome == Outcome::Saved))
            << c.name;
        if (c.outcome != Outcome::Saved) {
            EXPECT_TRUE(result.companyId.isEmpty()) << c.name;
            continue;
        }
        EXPECT_EQ(Column("QYSBH", result.companyId), c.taxId.trimmed()) << c.name;
        EXPECT_EQ(Column("QYMC", result.companyId), c.companyName) << c.name;
        EXPECT_EQ(Column("QYDHHM", result.companyId), c.phone) << c.name;
    }
    EXPECT_EQ(RowsWith("9111TAKEN"), 1);
}

// A company table that cannot be read fails the add, asked or not.
TEST_P(CompanyAddSaving, AnUnreadableTableFailsTheAdd) {
    ASSERT_TRUE(Exec("ALTER TABLE XT_QYXX RENAME TO XT_QYXX_AWAY"));
    bool asked = false;
    const auto ask = [&](const QStringList&) { return asked = true; };
    EXPECT_EQ(CompanyAddSaver::Save("9111A", "甲", "").outcome, Outcome::Failed);
    EXPECT_EQ(CompanyAddSaver::Save("9111A", "甲", "", ask).outcome, Outcome::Failed);
    ASSERT_TRUE(Exec("ALTER TABLE XT_QYXX_AWAY RENAME TO XT_QYXX"));
    EXPECT_FALSE(asked);
    EXPECT_EQ(RowsWith("9111A"), 0);
}

TEST(TaxIdKeyRule, FoldsCaseBlanksHyphensAndFullWidthForms) {
    const std::vector<std::pair<QString, QString>> cases = {
        {"91110108MA00ABCD", "91110108MA00ABCD"},
        {"91110108ma00abcd", "91110108MA00ABCD"},
        {" 9111 0108-MA00 ", "91110108MA00"},
        {QStringLiteral("９１１１０１０８ｍａ００"), "91110108MA00"},
        {QStringLiteral("9111\u3000010８\uFF0D8\u2014A"), "911101088A"},
        {QStringLiteral("甲-公司"), QStringLiteral("甲公司")},
        {QStringLiteral("9111\u2212A\u2010B"), "9111AB"},             // minus sign, hyphen
        {QStringLiteral("\uFF5E\uFF5F"), QStringLiteral("~\uFF5F")},  // the full-width block's end
        {QStringLiteral("\ufeff9111\u200bA\u00ad\u2060B\x1b\U000e0041"), "9111AB"},
        {"'; --", "';"},
        {"", ""},
    };
    for (const auto& [text, key] : cases) {
        EXPECT_EQ(TaxIdKey(text), key) << text.toStdString();
    }
}

TEST(TaxIdKeyRule, OnlyEighteenCharacterCodesHaveTheirCheckCharacterChecked) {
    const std::vector<std::pair<QString, bool>> cases = {
        {"91110108MA00ABCD1U", true},   {"91110108ma00abcd1u", true},
        {"9111-0108MA00ABCD1U", true},  {"91110108MA00ABCD1X", false},
        {"91110108MI00ABCD1U", false},  {"110108000000016", true},
        {"91110108MA00ABCD1X00", true},
    };
    for (const auto& [taxId, valid] : cases) {
        EXPECT_EQ(HasValidCheckCharacter(taxId), valid) << taxId.toStdString();
    }
}

// The operator is asked about similar numbers only once the exact check has
// passed, and a refusal adds nothing.
TEST_P(CompanyAddSaving, SimilarNumbersAreAskedAboutAfterTheExactCheck) {
    AddCompany("9111ABC", "已有公司");
    struct Case {
        const char* name;
        QString taxId;
        bool answer;
        QStringList asked;
        Outcome outcome;
    };
    const std::vector<Case> cases = {
        {"other case, declined", "9111abc", false, {"9111ABC"}, Outcome::Declined},
        {"the same number is a duplicate, unasked", "9111ABC", true, {}, Outcome::Duplicate},
        {"nothing similar, unasked", "9111XYZ", false, {}, Outcome::Saved},
        {"only hyphens, nothing to compare, unasked", "--", false, {}, Outcome::Saved},
        {"full width and blanks, accepted",
         QStringLiteral("９１１１ ＡＢＣ"),
         true,
         {"9111ABC"},
         Outcome::Saved},
    };
    for (const Case& c : cases) {
        QStringList asked;
        const auto result =
            CompanyAddSaver::Save(c.taxId, "甲", "", [&](const QStringList& similar) {
                asked = similar;
                return c.answer;
            });
        EXPECT_EQ(result.outcome, c.outcome) << c.name;
        EXPECT_EQ(asked, c.asked) << c.name;
        EXPECT_EQ(RowsWith(c.taxId.trimmed()),
                  c.outcome == Outcome::Duplicate || c.outcome == Outcome::Saved ? 1 : 0)
            << c.name;
    }
    // A stored number is never similar to itself.
    QStringList similar;
    ASSERT_TRUE(FindSimilarTaxIds("9111ABC", similar));
    EXPECT_EQ(similar, QStringList{QStringLiteral("９１１１ ＡＢＣ")});
}

struct InstallationCase {
    const char* name;
    bool agency;
    bool agencyRow;
    Outcome outcome;
    QString classCode;
    bool servedByAgency;
};

// The similar-number question and the import preview name only numbers of
// companies a role operator may see; the all-company classes see every one.
TEST_P(CompanyAddSaving, SimilarNumbersNamedAreOnlyGrantedOnes) {
    const QString granted = AddCompany("911100000000000001", "北京甲公司");
    AddCompany("911100000000000002", "北京乙公司");
    GrantToRole("R01", granted);
    const std::tuple<QString, QString, bool> cases[] = {{"R01", "911100000000000001", true},
                                                        {"R01", "911100000000000002", false},
                                                        {"0", "911100000000000002", true},
                                                        {"SYSTEM", "911100000000000002", true}};
    for (const auto& [operatorClass, taxId, named] : cases) {
        SCOPED_TRACE((operatorClass + " " + taxId).toStdString());
        ModuleLib::GetUserInfoVO()->SetStrValue("CZY_LB", operatorClass);
        const QString similar = QString(taxId).insert(4, '-');
        QStringList asked;
        CompanyAddSaver::Save(similar, "丙", "", [&asked](const QStringList& shown) {
            asked = shown;
            return false;
        });
        std::vector<CompanyImport::Row> rows(1);
        rows[0].line = 2;
        rows[0].taxId = similar;
        rows[0].name = "丙";
        QString error;
        EXPECT_TRUE(CompanyImport::Classify(rows, error));
        EXPECT_EQ(asked, named ? QStringList{taxId} : QStringList());
        EXPECT_EQ(rows[0].match, named ? taxId : QString());
    }
}

TEST_P(CompanyAddSaving, TheRowFollowsTheInstallation) {
    const std::vector<InstallationCase> cases = {
        {"ordinary installation", false, true, Outcome::Saved, "0", false},
        {"agency installation", true, true, Outcome::Saved, "10", true},
        {"agency installation without its own row", true, false, Outcome::Failed, "", false},
    };
    for (const InstallationCase& c : cases) {
        Exec("DELETE FROM XT_QYXX");
        const QString agencyId = c.agencyRow ? AddCompany("AGENCY", "代理机构", 19) : QString();
        HostSetup::SetAgencyExist(c.agency);
        HostSetup::ClearRecorded();
        const CompanyAddSaver::Result result = CompanyAddSaver::Save("9111A", "甲", "");
        EXPECT_EQ(result.outcome, c.outcome) << c.name;
        // No statement the database would reject was sent.
        EXPECT_EQ(LogCount("Error"), 0) << c.name;
        if (c.outcome != Outcome::Saved) {
            EXPECT_EQ(RowsWith("9111A"), 0) << c.name;
            continue;
        }
        EXPECT_EQ(Column("LBDM", result.companyId), c.classCode) << c.name;
        EXPECT_EQ(Column("SSDLJGID", result.companyId), c.servedByAgency ? agencyId : QString())
            << c.name;
    }
}

TEST_P(CompanyAddSaving, TheIdIsTheNewRowsAndNeverOneGivenBefore) {
    const CompanyAddSaver::Result first = CompanyAddSaver::Save("9111A", "甲", "");
    ASSERT_EQ(first.outcome, Outcome::Saved);
    EXPECT_EQ(Column("QYMC", first.companyId), "甲");
    // The highest id goes; a role grant may still name it.
    GrantToRole("R01", first.companyId);
    ASSERT_TRUE(CompanyRemoval::DeleteCompany(first.companyId));
    const CompanyAddSaver::Result second = CompanyAddSaver::Save("9111B", "乙", "");
    ASSERT_EQ(second.outcome, Outcome::Saved);
    EXPECT_GT(second.companyId.toLongLong(), first.companyId.toLongLong());
    EXPECT_EQ(Column("QYMC", second.companyId), "乙");
}

// Another desk adds the number in a serialised transaction of its own, on
// its own connection, and commits a moment after this desk has started.
void OtherDeskAdds(const std::string& engine, std::promise<void>& holding) {
    const QString name = QStringLiteral("OtherDesk");
    bool signalled = false;
    {
        QSqlDatabase desk = QSqlDatabase::cloneDatabase(kMainConnection, name);
        if (desk.open()) {
            QSqlQuery query(desk);
            const bool locked =
                engine == "POSTGRESQL"
                    ? query.exec("BEGIN") &&
                          query.exec(QStringLiteral("SELECT pg_advisory_xact_lock(%1)")
                                         .arg(Transactions::kSerializedLockKey))
                    : query.exec("BEGIN IMMEDIATE");
            EXPECT_TRUE(locked);
            EXPECT_TRUE(query.exec(
                "INSERT INTO XT_QYXX(QYSBH, QYMC, LBDM) VALUES('9111A', 'other desk', 0)"));
            holding.set_value();
            signalled = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            EXPECT_TRUE(query.exec("COMMIT"));
        } else {
            ADD_FAILURE() << "the other desk could not connect";
        }
    }
    QSqlDatabase::removeDatabase(name);
    if (!signalled) {
        holding.set_value();
    }
}

TEST_P(CompanyAddSaving, TwoDesksAddingOneNumberGiveOneRow) {
    // This desk waits for the other one longer than it holds its lock.
    if (GetParam() == "SQLITE") {
        ASSERT_TRUE(Exec("PRAGMA busy_timeout = 10000"));
    }
    std::promise<void> holding;
    std::thread otherDesk(OtherDeskAdds, GetParam(), std::ref(holding));
    const bool started =
        holding.get_future().wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    const CompanyAddSaver::Result result =
        started ? CompanyAddSaver::Save("9111A", "this desk", "") : CompanyAddSaver::Result{};
    otherDesk.join();
    ASSERT_TRUE(started);
    EXPECT_EQ(result.outcome, Outcome::Duplicate);
    EXPECT_EQ(RowsWith("9111A"), 1);
    EXPECT_EQ(Scalar("select QYMC from XT_QYXX where QYSBH='9111A'"), "other desk");
}

}  // namespace
