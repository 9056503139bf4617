// The statement writer's spelling of values, and the comparison of a row as
// loaded with the row as stored before a write.
#include <gtest/gtest.h>

#include <QStringList>

#include <optional>

#include "SqlWriter.h"
#include "StoredRow.h"
#include "TestHost.h"

namespace {

TEST(SqlWriter, SpellsEachValueByItsColumnsType) {
    const struct {
        const char* table;
        const char* column;
        TSqlValue value;
        std::optional<QString> spelled;  // none: refused
    } cases[] = {
        {"XT_QYXX", "QYMC", TSqlValue::Of("O'Brien"), "'O''Brien'"},
        {"XT_QYXX", "qymc", TSqlValue::Of(""), "''"},
        {"XT_QYXX", "QYID", TSqlValue::Of(" 42 "), "42"},
        {"XT_QYXX", "QYID", TSqlValue::Of("1 OR 1=1"), std::nullopt},
        {"XT_QYXX", "LBDM", TSqlValue::Of("1e3"), std::nullopt},
        {"XT_QYDSXX", "GSGBZE", TSqlValue::Of("      12.50"), "      12.50"},
        {"XT_QYDSXX", "GSGBZE", TSqlValue::Of("12."), std::nullopt},
        {"XT_QYDSXX", "GSGBZE", TSqlValue::Of("1,5"), std::nullopt},
        {"XT_QYDSXX", "GXSJ", TSqlValue::Of("2026-01-02"), "'2026-01-02'"},
        {"XT_QYDSXX", "GXSJ", TSqlValue::Literal("DATE '2026-01-02'"), "DATE '2026-01-02'"},
        {"XT_QYGSXX", "DJZCLX_DM", TSqlValue::Null(), "NULL"},
        {"XT_QYGSXX", "yydz", TSqlValue::Itself(), "YYDZ"},
        {"XT_QYGSXX", "NO_SUCH", TSqlValue::Of("x"), std::nullopt},
    };
    for (const auto& c : cases) {
        QString spelled, error;
        const bool ok = SqlWriter::Spell(c.table, c.column, c.value, spelled, error);
        EXPECT_EQ(ok, c.spelled.has_value()) << c.column << " " << c.value.text().toStdString();
        if (c.spelled) {
            EXPECT_EQ(spelled, *c.spelled) << c.column;
        } else {
            EXPECT_FALSE(error.isEmpty()) << c.column;
        }
    }
    // A value that looks like a placeholder is spliced, never filled.
    QString sql, error;
    ASSERT_TRUE(SqlWriter::Fill("XT_QYXX", "UPDATE XT_QYXX SET QYMC={QYMC} where QYID={QYID}",
                                {{"QYMC", TSqlValue::Of("{QYID}'")}, {"QYID", TSqlValue::Of("7")}},
                                sql, error));
    EXPECT_EQ(sql, "UPDATE XT_QYXX SET QYMC='{QYID}''' where QYID=7");
    EXPECT_FALSE(SqlWriter::Fill("XT_QYXX", "x={QYMC}", {}, sql, error));
    EXPECT_TRUE(sql.isEmpty());
}

class StoredRowTest : public EngineTest {
  protected:
    QString AddWithLocalTax() const {
        const QString id = AddCompany("9111A", "甲");
        EXPECT_TRUE(
            Exec("INSERT INTO XT_QYDSXX(QYID, DZXX, DZ) VALUES(" + id + ", 'a@b.cn', NULL)"));
        return id;
    }
    static std::optional<TStoredRow> Read(const QString& id) {
        std::optional<TStoredRow> row;
        EXPECT_TRUE(TStoredRow::Read("XT_QYDSXX", id, row));
        return row;
    }
};
INSTANTIATE_ON_ENGINES(StoredRowTest);

// Only the columns a save writes count, NULL apart from empty, and a row
// that came or went counts whole.
TEST_P(StoredRowTest, OnlyWrittenColumnsCountAsChangedMeanwhile) {
    const QString id = AddWithLocalTax();
    const auto before = Read(id);
    ASSERT_TRUE(before);
    ASSERT_TRUE(ExecElsewhere("UPDATE XT_QYDSXX SET DZXX='c@d.cn', DZ='' where QYID=" + id));
    const auto now = Read(id);
    const std::optional<TStoredRow> none;
    const struct {
        const char* name;
        std::optional<TStoredRow> loaded, now;
        QStringList written, changed;
    } cases[] = {
        {"another column", before, now, {"HY", "GXBZ"}, {}},
        {"a written one", before, now, {"dzxx", "HY"}, {"XT_QYDSXX.DZXX"}},
        {"NULL made empty", before, now, {"DZ"}, {"XT_QYDSXX.DZ"}},
        {"row came", none, now, {"HY"}, {"XT_QYDSXX"}},
        {"row went", before, none, {}, {"XT_QYDSXX"}},
        {"never a row", none, none, {"HY"}, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ChangedMeanwhile("XT_QYDSXX", c.loaded, c.now, c.written), c.changed) << c.name;
    }
}

// An older database lacks a column: it reads as NULL and the others are
// still compared.
TEST_P(StoredRowTest, AMissingColumnReadsAsNull) {
    const QString id = AddWithLocalTax();
    DropHistoryTriggers();
    ASSERT_TRUE(Exec("ALTER TABLE XT_QYDSXX DROP COLUMN SFSS"));
    const auto before = Read(id);
    ASSERT_TRUE(before);
    EXPECT_TRUE(before->IsNull("SFSS"));
    ASSERT_TRUE(ExecElsewhere("UPDATE XT_QYDSXX SET DZXX='c@d.cn' where QYID=" + id));
    EXPECT_EQ(ChangedMeanwhile("XT_QYDSXX", before, Read(id), {"SFSS", "DZXX"}),
              QStringList{"XT_QYDSXX.DZXX"});
}

}  // namespace
