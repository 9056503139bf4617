// The load run's verdicts: a journal of what desks were told, against what
// the database holds and what each desk listed afterwards.
#include <gtest/gtest.h>

#include <QRegularExpression>

#include <vector>

#include "LoadJournal.h"
#include "TestHost.h"

namespace {

struct CheckCase {
    const char* name;
    std::vector<const char*> companies;  // taxpayer ids added first, as {1}, {2}, ...
    const char* sql;                     // then run
    // "desk start end action outcome company value", "-" for an empty field
    std::vector<const char*> journal;
    std::vector<const char*> listing;  // what the one desk lists afterwards
    bool clean;
};

const std::vector<CheckCase> kCases = {
    {"a stored add that is there", {"T1"}, "", {"0 1 2 add stored {1} T1"}, {"T1"}, true},
    {"a stored add that is missing", {}, "", {"0 1 2 add stored 7 T1"}, {}, false},
    {"an add told failed whose row is there", {"T1"}, "", {"0 1 2 add failed - T1"}, {"T1"}, false},
    {"one id stored twice",
     {"T1", "T1"},
     "",
     {"0 1 2 add stored {1} T1", "1 1 2 add duplicate - T1"},
     {"T1"},
     false},
    {"two desks add one id, one told it is a duplicate",
     {"T1"},
     "",
     {"0 1 2 add stored {1} T1", "1 1 2 add duplicate - T1"},
     {"T1"},
     true},
    {"a row no desk added", {"T1", "T2"}, "", {"0 1 2 add stored {1} T1"}, {"T1", "T2"}, false},
    {"deleted but still there",
     {"T1"},
     "",
     {"0 1 2 add stored {1} T1", "0 3 4 delete stored {1} -"},
     {"T1"},
     false},
    {"deleted and gone with its tax rows",
     {},
     "",
     {"0 1 2 add stored 5 T1", "0 3 4 local stored 5 w1", "0 5 6 delete stored 5 -"},
     {},
     true},
    {"a delete told failed that went",
     {},
     "",
     {"0 1 2 add stored 5 T1", "0 3 4 delete failed 5 -"},
     {},
     false},
    {"the last e-mail stored is there",
     {"T1"},
     "UPDATE XT_QYXX SET EMAIL='b'",
     {"0 1 2 add stored {1} T1", "0 3 4 info stored {1} a", "1 5 6 basic stored {1} b"},
     {"T1"},
     true},
    {"an earlier e-mail outlived a later save",
     {"T1"},
     "UPDATE XT_QYXX SET EMAIL='a'",
     {"0 1 2 add stored {1} T1", "0 3 4 info stored {1} a", "1 5 6 info stored {1} b"},
     {"T1"},
     false},
    {"overlapping saves may leave either",
     {"T1"},
     "UPDATE XT_QYXX SET EMAIL='a'",
     {"0 1 2 add stored {1} T1", "0 3 6 info stored {1} a", "1 4 7 info stored {1} b"},
     {"T1"},
     true},
    {"a save told a conflict is stored",
     {"T1"},
     "UPDATE XT_QYXX SET EMAIL='c'",
     {"0 1 2 add stored {1} T1", "1 3 4 info conflict {1} c"},
     {"T1"},
     false},
    {"a save told stored after the delete",
     {},
     "",
     {"0 1 2 add stored 5 T1", "0 3 4 delete stored 5 -", "1 5 6 info stored 5 a"},
     {},
     false},
    {"a stored write-back without its row",
     {"T1"},
     "",
     {"0 1 2 add stored {1} T1", "0 3 4 state stored {1} w1"},
     {"T1"},
     false},
    {"the write-back's value is there",
     {"T1"},
     "INSERT INTO XT_QYGSXX(QYID, NSRSBH) VALUES({1}, 'w1')",
     {"0 1 2 add stored {1} T1", "0 3 4 state stored {1} w1"},
     {"T1"},
     true},
    {"a tax row without its company",
     {"T1"},
     "INSERT INTO XT_QYDSXX(QYID) VALUES(999)",
     {"0 1 2 add stored {1} T1"},
     {"T1"},
     false},
    {"a desk lists fewer companies than were stored",
     {"T1"},
     "",
     {"0 1 2 add stored {1} T1"},
     {},
     false},
    {"an add nobody knows the outcome of, there",
     {"T1"},
     "",
     {"0 1 2 add unknown - T1"},
     {"T1"},
     true},
    {"an add nobody knows the outcome of, absent", {}, "", {"0 1 2 add unknown - T1"}, {}, true},
    {"an add found stored after the cut, missing",
     {},
     "",
     {"0 1 2 add doubt-stored 7 T1"},
     {},
     false},
    {"a save found not committed, there",
     {"T1"},
     "UPDATE XT_QYXX SET EMAIL='a'",
     {"0 1 2 add stored {1} T1", "0 3 4 info doubt-failed {1} a"},
     {"T1"},
     false},
    {"a save nobody knows the outcome of left last",
     {"T1"},
     "UPDATE XT_QYXX SET EMAIL='b'",
     {"0 1 2 add stored {1} T1", "0 3 4 info stored {1} a", "0 5 6 info unknown {1} b"},
     {"T1"},
     true},
    {"a delete nobody knows the outcome of that did not go",
     {"T1"},
     "",
     {"0 1 2 add stored {1} T1", "0 3 4 delete unknown {1} -"},
     {"T1"},
     true},
    {"a list told a stored company was missing",
     {"T1"},
     "",
     {"0 1 2 add stored {1} T1", "0 3 4 list incomplete {1} T1"},
     {"T1"},
     false},
};

class LoadCheck : public EngineTest {};
INSTANTIATE_ON_ENGINES(LoadCheck);

TEST_P(LoadCheck, FindsWhatTheDatabaseHoldsAgainstWhatTheDesksWereTold) {
    for (const CheckCase& c : kCases) {
        for (const char* table : {"XT_QYXX", "XT_QYDSXX", "XT_QYGSXX"}) {
            ASSERT_TRUE(Exec(QStringLiteral("DELETE FROM ") + QLatin1String(table)));
        }
        QStringList ids;
        for (const char* taxId : c.companies) {
            ids << AddCompany(QLatin1String(taxId), QStringLiteral("甲公司"));
        }
        const auto withIds = [&ids](QString text) {
            for (qsizetype i = 0; i < ids.size(); ++i) {
                text.replace(QStringLiteral("{%1}").arg(i + 1), ids[i]);
            }
            return text;
        };
        if (*c.sql != '\0') {
            ASSERT_TRUE(Exec(withIds(QLatin1String(c.sql)))) << c.name;
        }
        std::vector<LoadJournal::TEntry> entries(c.journal.size());
        for (std::size_t i = 0; i < c.journal.size(); ++i) {
            QStringList fields = withIds(QLatin1String(c.journal[i])).split(u' ');
            fields.replaceInStrings(QRegularExpression(QStringLiteral("^-$")), QString());
            ASSERT_TRUE(LoadJournal::Parse(fields.join(u'\t') + u'\t', entries[i])) << c.name;
        }
        LoadJournal::TDatabase database;
        QString errorText;
        ASSERT_TRUE(LoadJournal::ReadDatabase(database, errorText)) << errorText.toStdString();
        const QStringList faults = LoadJournal::Check(
            entries, database, {LoadJournal::TListing(c.listing.begin(), c.listing.end())});
        EXPECT_EQ(faults.isEmpty(), c.clean) << c.name << ": " << faults.join(u'\n').toStdString();
    }
}

}  // namespace
