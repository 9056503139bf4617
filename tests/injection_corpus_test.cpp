// Hostile texts written through every text field that reaches SQL and typed
// into every list filter, on each engine. A value is stored exactly (or cut
// to its field's maximum length), no row is added, lost or changed beside the
// ones written, and a filter finds exactly the rows holding its text. A text
// with a NUL cannot be stored by either engine: every write of it fails and
// leaves the whole database as it was, every filter with it fails.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QToolButton>

#include <functional>
#include <map>
#include <set>
#include <vector>

#include "AgencyMgrImpl.h"
#include "AgencySettings.h"
#include "CompanyAddSaver.h"
#include "CompanyListLoader.h"
#include "CompanySelectMgr.h"
#include "DialogDriver.h"
#include "HostServices.h"
#include "TableColumns.h"
#include "TaxOfficer.h"
#include "TestHost.h"
#include "f_CompanyInfo.h"
#include "f_CompanyInfoInner.h"
#include "f_DataVO.h"

namespace {

// The history grows with every write; its own test checks what it records.
constexpr std::string_view kHistory = "XT_QYBGJL";

struct CorpusText {
    const char* name;
    QString text;
};

std::vector<CorpusText> Corpus() {
    return {
        {"single quotes", "O'Brien''s ' OR '1'='1"},
        {"backslashes", R"(C:\dir\' \\ \n %\_ end\)"},
        {"statement separator", "x'); DELETE FROM XT_QYXX; --"},
        {"line comment", "a -- b' --"},
        {"block comment", "a /* b' */ c /*"},
        {"control characters", QString::fromUtf8("a\tb\rc\nd\x01\x1b\x1f\x7f"
                                                 "e")},
        {"unicode quotes, full-width semicolon", QStringLiteral("‘甲’ “乙” ＇丙＇ ＂丁＂；戊；`")},
        {"dollar quotes, escape string, right()", "$$ $q$ E'\\x41' right(QYMC, 2) $$"},
        {"like wildcards", "_%"},
        // Six characters: the tail match compares these, longer texts use like.
        {"six characters", R"('\;--/)"},
        {"six full-width characters", QStringLiteral("＇；‘’“”")},
        // Far beyond every field's maximum length.
        {"long", QStringLiteral("甲'\\;--/*").repeated(600)},
        {"NUL", QStringLiteral("a") + QChar(0) + QStringLiteral("b'")},
    };
}

bool HasNul(const QString& text) {
    return text.contains(QChar(0));
}

// One place a text is written through, and every value it stored, read back.
struct Sink {
    const char* name;
    std::vector<int> cuts;  // per value read: the field's maximum length, 0 for none
    int addsCompanies;      // XT_QYXX rows a successful write adds
    std::function<bool(const QString& text)> write;
    std::function<QStringList()> read;
    // Before a write that must leave the database as it was: makes a half
    // write visible.
    std::function<void()> prepare = {};
};

class InjectionCorpus : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        ModuleLib::GetUserInfoVO()->SetStrValue("CZY_DM", "0001");
        ModuleLib::GetUserInfoVO()->SetStrValue("CZY_LB", "0");
        AllowInfoEdits();
        target_ = AddCompany("91TARGET", "目标公司");
        bystander_ = AddCompany("91BYSTANDER", "旁观公司");
        for (const QString& id : {target_, bystander_}) {
            ASSERT_TRUE(Exec("INSERT INTO XT_QYDSXX(QYID, NSRSBH, GSGBZE, GXBZ) VALUES(" + id +
                             ", 'DS', 12.5, 0)"));
            ASSERT_TRUE(Exec("INSERT INTO XT_QYGSXX(QYID, NSRSBH, SSHY, JKBZ, ZDH) VALUES(" + id +
                             ", 'GS', '01', '0', '0')"));
        }
        agency_ = AddCompany("91AGENCY", "代理机构", 19);
        officer_ = AddCompany("11010519491231002X", "办税员", 20);
    }

    // Every row of the tables, in a fixed order; where narrows each table.
    std::string Dump(const QString& where = QString()) const {
        QString dump;
        for (const TableColumns::Table& table : TableColumns::kTables) {
            QStringList order;
            for (std::size_t i = 1; i <= table.columns.size(); ++i) {
                order << QString::number(i);
            }
            const bool hasId = TableColumns::Joined(table.columns).contains("QYID");
            if ((!where.isEmpty() && !hasId) || table.name == kHistory) {
                continue;
            }
            TADOQuery query;
            QString error;
            EXPECT_TRUE(
                query.Open(kMainConnection,
                           QStringLiteral("select %1 from %2 %3 order by %4")
                               .arg(TableColumns::Joined(table.columns),
                                    TableColumns::Name(table.name), where, order.join(", ")),
                           error))
                << error.toStdString();
            for (; !query.Eof(); query.Next()) {
                dump += TableColumns::Name(table.name);
                for (int i = 0; i < query.FieldCount(); ++i) {
                    dump += QLatin1Char('|') + query.FieldAsString(i);
                }
                dump += QLatin1Char('\n');
            }
        }
        return dump.toStdString();
    }
    std::vector<int> Counts() const {
        std::vector<int> counts;
        for (const TableColumns::Table& table : TableColumns::kTables) {
            if (table.name != kHistory) {
                counts.push_back(Count("select count(*) from " + TableColumns::Name(table.name)));
            }
        }
        return counts;
    }
    QString Column(const char* table, const char* column, const QString& id) const {
        return Scalar(QStringLiteral("select %1 from %2 where QYID=%3").arg(column, table, id));
    }

    // The information page with the texts typed into the named fields, saved.
    bool SavePage(const std::vector<const char*>& fields, const QString& text) {
        QPointer<Tfrm_CompanyInfoInner> page = new Tfrm_CompanyInfoInner();
        page->LoadCompany(target_, false, true);
        page->show();
        for (const char* name : fields) {
            auto* edit = page->findChild<QLineEdit*>(name);
            EXPECT_NE(edit, nullptr) << name;
            if (edit != nullptr) {
                edit->setText(text);
            }
        }
        page->findChild<QToolButton*>("tbtnSave")->click();
        // A saved page closes itself.
        const bool saved = page.isNull() || !page->isVisible();
        delete page.data();
        return saved;
    }
    // The information dialog, the same way.
    bool SaveDialog(const std::vector<const char*>& fields, const QString& text) {
        DialogDriver driver([&](QWidget* dialog) {
            for (const char* name : fields) {
                if (auto* edit = DialogDriver::Child<QLineEdit>(dialog, name)) {
                    edit->setText(text);
                }
            }
            DialogDriver::Child<QAbstractButton>(dialog, "tbtnSave")->click();
            if (dialog->isVisible()) {
                // What could not be stored is given up on the way out.
                Answer(0, 2);
                static_cast<QDialog*>(dialog)->reject();
                Answer(0, 1);
            }
        });
        return ShowCompanyInfoDialog(target_, false);
    }
    // The local-tax row marked unsent, so a save that stops halfway shows.
    void MarkUnsent() const {
        EXPECT_TRUE(Exec("UPDATE XT_QYDSXX SET GXBZ=0, GXSJ=NULL where QYID=" + target_));
    }

    std::vector<Sink> Sinks() {
        auto lastAdded = std::make_shared<QString>();
        auto lastTaxId = std::make_shared<QString>();
        auto manager = std::make_shared<TCompanySelectMgr>("0001", "0");
        return {
            {"add dialog",
             {CompanyAddSaver::kNameMaxLength},
             1,
             [lastAdded, lastTaxId](const QString& text) {
                 // Unique per text: the taxpayer id is checked against every row. A text
                 // the number may not hold goes in through the name alone.
                 *lastTaxId = ("A" + text.left(CompanyAddSaver::kTaxIdMaxLength - 1)).trimmed();
                 if (CompanyAddSaver::CheckEntries(*lastTaxId, "", "") !=
                     CompanyAddSaver::Outcome::Saved) {
                     *lastTaxId = "A" + QString::number(qHash(text), 36);
                 }
                 const auto result = CompanyAddSaver::Save(
                     *lastTaxId, text.left(CompanyAddSaver::kNameMaxLength), "010-1");
                 *lastAdded = result.companyId;
                 return result.outcome == CompanyAddSaver::Outcome::Saved;
             },
             [this, lastAdded, lastTaxId] {
                 EXPECT_EQ(Column("XT_QYXX", "QYSBH", *lastAdded), *lastTaxId);
                 return QStringList{Column("XT_QYXX", "QYMC", *lastAdded)};
             }},
            {"information page, the last table's field",
             {20},
             0,
             [this](const QString& text) { return SavePage({"edtGsSsdljg"}, text); },
             [this] { return QStringList{Column("XT_QYGSXX", "SSDLJG", target_)}; },
             [this] { MarkUnsent(); }},
            {"information page, a field of each table",
             {180, 20, 20},
             0,
             [this](const QString& text) {
                 return SavePage({"edtZcdz", "edtDsSwdjzHm", "edtGsSsdljg"}, text);
             },
             [this] {
                 return QStringList{Column("XT_QYXX", "ZCDZ", target_),
                                    Column("XT_QYDSXX", "NSRSBH", target_),
                                    Column("XT_QYGSXX", "SSDLJG", target_)};
             },
             [this] { MarkUnsent(); }},
            {"information dialog, a field of each table",
             {180, 180, 20, 20},
             0,
             [this](const QString& text) {
                 return SaveDialog({"edtYydz", "edtDsSwdjzHm", "edtSsdljg"}, text);
             },
             [this] {
                 return QStringList{Column("XT_QYXX", "YYDZ", target_),
                                    Column("XT_QYGSXX", "YYDZ", target_),
                                    Column("XT_QYDSXX", "NSRSBH", target_),
                                    Column("XT_QYGSXX", "SSDLJG", target_)};
             },
             [this] { MarkUnsent(); }},
            {"information dialog, the last table's field",
             {20},
             0,
             [this](const QString& text) { return SaveDialog({"edtSsdljg"}, text); },
             [this] { return QStringList{Column("XT_QYGSXX", "SSDLJG", target_)}; },
             [this] { MarkUnsent(); }},
            {"write-back of the basic data",
             {0, 0},
             0,
             [this, manager](const QString& text) {
                 TDataVO data;
                 data.SetStrValue("QYMC", text);
                 data.SetStrValue("ZCDZ", text);
                 QString error;
                 return manager->WriteBasicInfo(target_, &data, error);
             },
             [this] {
                 return QStringList{Column("XT_QYXX", "QYMC", target_),
                                    Column("XT_QYXX", "ZCDZ", target_)};
             }},
            {"write-back of the local-tax data",
             {0, 0},
             0,
             [this, manager](const QString& text) {
                 TDataVO data;
                 data.SetStrValue("KJYWRMC", text);
                 data.SetStrValue("KJYWRBM", text);
                 QString error;
                 return manager->WriteLocalTaxInfo(target_, &data, error);
             },
             [this] {
                 return QStringList{Column("XT_QYDSXX", "KJYWRMC", target_),
                                    Column("XT_QYDSXX", "KJYWRBM", target_)};
             }},
            {"write-back of the state-tax data",
             {0, 0, 0},
             0,
             [this, manager](const QString& text) {
                 TDataVO data;
                 data.SetStrValue("NSRMC", text);
                 data.SetStrValue("SSSWJG_MC", text);
                 data.SetStrValue("NSRSBH", text);
                 QString error;
                 return manager->WriteStateTaxInfo(target_, &data, error);
             },
             [this] {
                 return QStringList{Column("XT_QYGSXX", "NSRMC", target_),
                                    Column("XT_QYGSXX", "SSSWJG_MC", target_),
                                    Column("XT_QYGSXX", "NSRSBH", target_)};
             }},
            {"agency settings",
             {0, 0, 0, 0, 0, 0},
             0,
             [this](const QString& text) {
                 TAgencyMgrImpl agency(agency_);
                 const AgencySettings::TFields fields{text, text, text, text, text, "100000", text};
                 EXPECT_EQ(AgencySettings::Validate(fields), AgencySettings::Check::Ok);
                 return AgencySettings::Save(agency, AgencySettings::Read(agency), fields);
             },
             [this] {
                 const AgencySettings::TFields f = AgencySettings::Read(TAgencyMgrImpl(agency_));
                 return QStringList{f.Code, f.Name, f.TaxOffice, f.LegalRep, f.Phone, f.Address};
             }},
            {"tax officer",
             {0, 0},
             0,
             [](const QString& text) {
                 TaxOfficer::TRow row;
                 QStringList changed;
                 return TaxOfficer::ReadRow(row) &&
                        TaxOfficer::Save(row, text, text, changed) == TaxOfficer::SaveResult::Saved;
             },
             [] {
                 TaxOfficer::TRow row;
                 EXPECT_TRUE(TaxOfficer::ReadRow(row));
                 return QStringList{row.Name, row.RegionCode};
             }},
        };
    }

    QString target_, bystander_, agency_, officer_;
};
INSTANTIATE_ON_ENGINES(InjectionCorpus);

TEST_P(InjectionCorpus, EveryWriteStoresExactlyTheTextAndNothingElse) {
    for (const CorpusText& c : Corpus()) {
        for (const Sink& sink : Sinks()) {
            const std::string where = std::string(sink.name) + " / " + c.name;
            HostSetup::ClearRecorded();
            if (HasNul(c.text)) {
                if (sink.prepare) {
                    sink.prepare();
                }
                const std::string whole = Dump();
                EXPECT_FALSE(sink.write(c.text)) << where;
                EXPECT_EQ(Dump(), whole) << where;
                // Refused for the NUL, in the same words on every engine.
                bool named = false;
                for (const auto& line : LogLines()) {
                    named = named || line.text.contains("U+0000");
                }
                EXPECT_TRUE(named) << where;
                continue;
            }
            const std::string bystander = Dump(" where QYID=" + bystander_);
            std::vector<int> counts = Counts();
            ASSERT_TRUE(sink.write(c.text)) << where;
            counts[0] += sink.addsCompanies;
            const QStringList stored = sink.read();
            ASSERT_EQ(stored.size(), static_cast<qsizetype>(sink.cuts.size())) << where;
            for (std::size_t i = 0; i < sink.cuts.size(); ++i) {
                const int cut = sink.cuts[i];
                EXPECT_EQ(stored[static_cast<qsizetype>(i)], cut > 0 ? c.text.left(cut) : c.text)
                    << where << ", value " << i;
            }
            EXPECT_EQ(Counts(), counts) << where;
            EXPECT_EQ(Dump(" where QYID=" + bystander_), bystander) << where;
        }
    }
}

// Each list filter with every text of the corpus, as typed and inside other
// characters no row holds: it lists exactly the rows whose column contains the
// text literally (the switch dialog compares a short text with the start of
// the identification number's last six characters instead).
TEST_P(InjectionCorpus, EveryFilterFindsExactlyTheRowsHoldingItsText) {
    const std::vector<CorpusText> corpus = Corpus();
    std::map<QString, QString> planted;
    for (const CorpusText& c : corpus) {
        if (!HasNul(c.text)) {
            planted[c.text] = AddCompany("T" + c.text, "N" + c.text + "N");
            GrantToRole("R" + c.text, planted[c.text]);
        }
    }
    struct Row {
        QString id, taxId, name;
    };
    std::vector<Row> rows;
    TADOQuery query;
    QString error;
    ASSERT_TRUE(
        query.Open(kMainConnection, "select QYID, QYSBH, QYMC from XT_QYXX where LBDM=0", error))
        << error.toStdString();
    for (; !query.Eof(); query.Next()) {
        rows.push_back({query.FieldAsString(0), query.FieldAsString(1), query.FieldAsString(2)});
    }
    ASSERT_EQ(rows.size(), planted.size() + 2);

    using Ids = std::set<QString>;
    struct Finder {
        const char* name;
        bool tailMatch;
        std::function<bool(const QString& taxId, const QString& name, Ids& ids)> find;
    };
    const std::vector<Finder> finders = {
        {"company manager", false,
         [](const QString& taxId, const QString& name, Ids& ids) {
             TCompanyRecordArray records;
             const bool ok = CompanyListLoader::Load("0", taxId, name, records);
             for (const TCompanyRecord& r : records) {
                 ids.insert(r.QYID());
             }
             return ok;
         }},
        {"selection dialog", false,
         [](const QString& taxId, const QString& name, Ids& ids) {
             TCompanySelectMgr manager("0001", "0");
             TCompanyRecordArray records;
             const bool ok = manager.ListCompanies(taxId, name, records);
             for (const TCompanyRecord& r : records) {
                 ids.insert(r.QYID());
             }
             EXPECT_EQ(manager.CountCompanies(taxId, name), ok ? static_cast<int>(ids.size()) : 0);
             return ok;
         }},
        {"switch dialog", true,
         [this](const QString& taxId, const QString& name, Ids& ids) {
             TAgencyMgrImpl agency(agency_);
             TAgcyCompanyInfoList list;
             const bool ok = agency.ListServedCompanies(taxId, name, list);
             for (const TAgcyCompanyInfo& r : list) {
                 ids.insert(r.QYID());
             }
             return ok;
         }},
    };
    for (const CorpusText& c : corpus) {
        for (const QString& text : {c.text, "X" + c.text + "X"}) {
            for (const Finder& finder : finders) {
                for (const bool byName : {false, true}) {
                    const std::string where = std::string(finder.name) + " / " + c.name +
                                              (text == c.text ? "" : " inside") +
                                              (byName ? " / name" : " / identification number");
                    Ids found;
                    const bool ok =
                        finder.find(byName ? QString() : text, byName ? text : QString(), found);
                    if (HasNul(text)) {
                        EXPECT_FALSE(ok) << where;
                        continue;
                    }
                    ASSERT_TRUE(ok) << where;
                    Ids expected;
                    for (const Row& row : rows) {
                        const bool tail = finder.tailMatch && !byName && text.size() <= 6;
                        if (byName ? row.name.contains(text)
                            : tail ? row.taxId.right(6).startsWith(text)
                                   : row.taxId.contains(text)) {
                            expected.insert(row.id);
                        }
                    }
                    EXPECT_EQ(found.size(), expected.size()) << where;
                    EXPECT_TRUE(found == expected) << where;
                }
            }
            // A role's companies: the role code is text in quotes as well.
            TCompanyRecordArray records;
            const bool ok = CompanyListLoader::Load("R" + text, "", "", records);
            if (HasNul(text)) {
                EXPECT_FALSE(ok) << c.name;
                continue;
            }
            ASSERT_TRUE(ok) << c.name;
            ASSERT_EQ(records.size(), text == c.text ? 1u : 0u) << c.name;
            if (text == c.text) {
                EXPECT_EQ(records[0].QYID(), planted[c.text]) << c.name;
            }
        }
    }
}

}  // namespace
