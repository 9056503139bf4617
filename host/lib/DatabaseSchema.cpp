// The CREATE statements of the host database: tables from the shared column
// lists, their keys and indexes, and the helper functions an engine lacks.
#include "DatabaseSchema.h"

#include <string_view>

#include "SqlText.h"
#include "TableColumns.h"

namespace DatabaseSchema {

namespace {

using TableColumns::ColumnType;

// One registration row per company.
constexpr std::string_view kUniqueKeys[] = {"XT_QYDSXX", "XT_QYGSXX"};

constexpr std::string_view kIndexes[][2] = {
    {"XT_QYXX", "LBDM"},      {"XT_QYXX", "QYSBH"},      {"XT_QYXX", "SSDLJGID"},
    {"QX_ROLEPRMS", "JS_DM"}, {"QX_PRMSMAP", "PRMS_DM"}, {"QX_PRMSMAP", "KZDM"},
    {"QX_CZYQY", "QYID"},     {"QX_CZYZXT", "QYID"},
};

QString TypeName(ColumnType type, bool postgres) {
    switch (type) {
        case ColumnType::Key:
            return postgres ? "SERIAL PRIMARY KEY" : "INTEGER PRIMARY KEY AUTOINCREMENT";
        case ColumnType::Integer:
            return "INTEGER";
        case ColumnType::Money:
            return "NUMERIC(19,2)";
        case ColumnType::Date:
            return postgres ? "DATE" : "TEXT";
        case ColumnType::Text:
            break;
    }
    return "TEXT";
}

bool IsUniqueKeyTable(std::string_view table) {
    for (std::string_view name : kUniqueKeys) {
        if (name == table) {
            return true;
        }
    }
    return false;
}

// search_fold(text) as FoldForSearch folds: full-width forms and the
// ideographic space made half-width, then the letters in lower case. The
// function body is a literal holding literals, so quotes are doubled twice.
QString SearchFoldFunction() {
    QString wide;
    QString half;
    for (char16_t c = 0xFF01; c <= 0xFF5E; ++c) {
        wide += QChar(c);
        half += QChar(static_cast<char16_t>(c - 0xFEE0));
    }
    wide += QChar(0x3000);
    half += QLatin1Char(' ');
    half.replace(QLatin1Char('\''), QLatin1String("''''"));
    return QStringLiteral(
               "CREATE OR REPLACE FUNCTION search_fold(text) RETURNS text AS "
               "'SELECT lower(translate($1, ''%1'', ''%2''))' LANGUAGE SQL IMMUTABLE")
        .arg(wide, half);
}

// The marks outermost commits store on a server (see CommitMarks); a desk
// may add, read and drop them, never change one.
constexpr const char* kCommitMarks = "XT_TJBJ";

// The functions Statements makes on PostgreSQL, by signature.
constexpr std::string_view kServerFunctions[] = {"mid(text,integer,integer)", "search_fold(text)",
                                                 "companymgr_history()"};

// A desk may add and read the history, never change or remove it.
constexpr std::string_view kAppendOnly = "XT_QYBGJL";
// The history is read by company, newest first, a page at a time: the
// index gives the order whole, ties of one time included.
constexpr const char* kHistoryIndex = "IX_XT_QYBGJL_QYID_BGSJ_JLID";

// Every table a desk may change, or only the append-only ones.
QString TableList(bool appendOnly = false) {
    QStringList names;
    for (const TableColumns::Table& table : TableColumns::kTables) {
        if ((table.name == kAppendOnly) == appendOnly) {
            names << TableColumns::Name(table.name);
        }
    }
    return names.join(QLatin1String(", "));
}

bool Recorded(std::string_view column) {
    for (std::string_view left : TableColumns::kUnrecordedColumns) {
        if (left == column) {
            return false;
        }
    }
    return true;
}

// What the history rows of one change take from the session: the source,
// the operator and the desk (see ChangeContext), and the time.
QString HistoryInsert(bool postgres) {
    const QString context =
        postgres ? QStringLiteral(
                       "NULLIF(current_setting('companymgr.operator', true), ''), "
                       "NULLIF(current_setting('companymgr.desk', true), ''), "
                       "to_char(now(), 'YYYY-MM-DD HH24:MI:SS.MS'), "
                       "NULLIF(current_setting('companymgr.source', true), '')")
                 : QStringLiteral(
                       "change_context(1), change_context(2), "
                       "strftime('%Y-%m-%d %H:%M:%f', 'now', 'localtime'), change_context(0)");
    return QStringLiteral(
               "INSERT INTO XT_QYBGJL(QYID, BM, ZD, JZ, XZ, CZY_DM, ZJM, BGSJ, LY, CZ) ") +
           QStringLiteral("SELECT %1, %2, c.ZD, c.JZ, c.XZ, ") + context + QStringLiteral(", %3");
}

// PostgreSQL: one function for every recorded table, comparing the rows as
// JSON, so a column added later is recorded too.
QString ServerHistoryFunction() {
    QStringList left;
    for (std::string_view column : TableColumns::kUnrecordedColumns) {
        left << QLatin1Char('\'') + TableColumns::Name(column).toLower() + QLatin1Char('\'');
    }
    QString body = QStringLiteral(
                       "DECLARE o jsonb; n jsonb; BEGIN "
                       "IF TG_OP <> 'INSERT' THEN o := to_jsonb(OLD); END IF; "
                       "IF TG_OP <> 'DELETE' THEN n := to_jsonb(NEW); END IF; ") +
                   HistoryInsert(true).arg(QStringLiteral("(COALESCE(n, o)->>'qyid')::integer"),
                                           QStringLiteral("upper(TG_TABLE_NAME)"),
                                           QStringLiteral("left(TG_OP, 1)")) +
                   QStringLiteral(
                       " FROM (SELECT upper(k) AS ZD, o->>k AS JZ, n->>k AS XZ "
                       "FROM jsonb_object_keys(COALESCE(n, o)) AS k WHERE k NOT IN (%1)) AS c "
                       "WHERE COALESCE(c.JZ, '') <> COALESCE(c.XZ, ''); RETURN NULL; END")
                       .arg(left.join(QLatin1String(", ")));
    return QStringLiteral(
               "CREATE OR REPLACE FUNCTION companymgr_history() RETURNS trigger AS %1 "
               "LANGUAGE plpgsql")
        .arg(SqlText::Literal(body));
}

}  // namespace

QStringList SqliteHistoryTriggers(const QString& table, const QStringList& columns) {
    const auto identifier = [](QString name) {
        return QLatin1Char('"') + name.replace(QLatin1Char('"'), QLatin1String("\"\"")) +
               QLatin1Char('"');
    };
    QStringList statements;
    for (const char* event : {"INSERT", "UPDATE", "DELETE"}) {
        const bool insert = qstrcmp(event, "INSERT") == 0;
        const bool remove = qstrcmp(event, "DELETE") == 0;
        QStringList values;
        for (const QString& column : columns) {
            if (!Recorded(column.toUpper().toStdString())) {
                continue;
            }
            // The first select names the compound's columns.
            values << QString::fromLatin1(values.isEmpty() ? "SELECT %1 AS ZD, %2 AS JZ, %3 AS XZ"
                                                           : "SELECT %1, %2, %3")
                          .arg(SqlText::Literal(column.toUpper()),
                               insert ? QStringLiteral("NULL") : "OLD." + identifier(column),
                               remove ? QStringLiteral("NULL") : "NEW." + identifier(column));
        }
        if (values.isEmpty()) {
            continue;
        }
        // "ON table", unqualified: a rename of the table takes the trigger along.
        statements << QStringLiteral("CREATE TEMP TRIGGER IF NOT EXISTS %1 AFTER %2 ON %3 BEGIN ")
                              .arg(
                                  identifier(QStringLiteral("history_%1_%2")
                                                 .arg(table, QString::fromLatin1(event).toLower())),
                                  QLatin1String(event), identifier(table)) +
                          HistoryInsert(false).arg(
                              remove ? QStringLiteral("OLD.QYID") : QStringLiteral("NEW.QYID"),
                              SqlText::Literal(table.toUpper()),
                              SqlText::Literal(QString(QLatin1Char(event[0])))) +
                          QStringLiteral(
                              " FROM (%1) AS c WHERE COALESCE(c.JZ, '') IS NOT "
                              "COALESCE(c.XZ, ''); END")
                              .arg(values.join(QLatin1String(" UNION ALL ")));
    }
    return statements;
}

QStringList Statements(const QString& engine) {
    const bool postgres = engine == QLatin1String("POSTGRESQL");
    QStringList statements;
    if (postgres) {
        // Creating what exists already is expected here, not worth a notice.
        statements << QStringLiteral("SET client_min_messages TO WARNING");
    }
    for (const TableColumns::Table& table : TableColumns::kTables) {
        QStringList columns;
        for (const TableColumns::Column& column : table.columns) {
            QString definition =
                TableColumns::Name(column.name) + ' ' + TypeName(column.type, postgres);
            if (IsUniqueKeyTable(table.name) && column.name == "QYID") {
                definition += " PRIMARY KEY";
            }
            columns << definition;
        }
        statements << QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (%2)")
                          .arg(TableColumns::Name(table.name), columns.join(", "));
    }
    for (const auto& index : kIndexes) {
        statements << QStringLiteral("CREATE INDEX IF NOT EXISTS IX_%1_%2 ON %1(%2)")
                          .arg(TableColumns::Name(index[0]), TableColumns::Name(index[1]));
    }
    statements << QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON XT_QYBGJL(QYID, BGSJ, JLID)")
                      .arg(QLatin1String(kHistoryIndex));
    if (postgres) {
        statements << ServerHistoryFunction();
        for (std::string_view table : TableColumns::kHistoryTables) {
            statements << QStringLiteral(
                              "CREATE OR REPLACE TRIGGER history AFTER INSERT OR UPDATE OR "
                              "DELETE ON %1 FOR EACH ROW EXECUTE FUNCTION companymgr_history()")
                              .arg(TableColumns::Name(table));
        }
    }
    if (postgres) {
        // The third form of the tail match calls mid(); PostgreSQL has right() already.
        statements << QStringLiteral(
            "CREATE OR REPLACE FUNCTION mid(text, integer, integer) RETURNS text "
            "AS 'SELECT substr($1, $2, $3)' LANGUAGE SQL IMMUTABLE");
        statements << SearchFoldFunction();
        statements << QStringLiteral(
                          "CREATE TABLE IF NOT EXISTS %1 (BJ TEXT PRIMARY KEY, "
                          "SJ TIMESTAMP WITH TIME ZONE NOT NULL DEFAULT now())")
                          .arg(QLatin1String(kCommitMarks));
    }
    return statements;
}

QString CountMissingOnServer() {
    QStringList objects;
    for (const TableColumns::Table& table : TableColumns::kTables) {
        objects << QStringLiteral("('r', '%1')").arg(TableColumns::Name(table.name));
    }
    for (const auto& index : kIndexes) {
        objects << QStringLiteral("('r', 'IX_%1_%2')")
                       .arg(TableColumns::Name(index[0]), TableColumns::Name(index[1]));
    }
    objects << QStringLiteral("('r', '%1')").arg(QLatin1String(kCommitMarks));
    objects << QStringLiteral("('r', '%1')").arg(QLatin1String(kHistoryIndex));
    for (std::string_view table : TableColumns::kHistoryTables) {
        objects << QStringLiteral("('t', '%1')").arg(TableColumns::Name(table));
    }
    for (std::string_view function : kServerFunctions) {
        objects << QStringLiteral("('f', '%1')").arg(TableColumns::Name(function));
    }
    return QStringLiteral(
               "SELECT count(*) FROM (VALUES %1) AS o(kind, name) WHERE CASE kind "
               "WHEN 'r' THEN to_regclass(name) IS NULL "
               "WHEN 't' THEN NOT EXISTS (SELECT 1 FROM pg_trigger WHERE tgname = 'history' "
               "AND tgrelid = to_regclass(name)) "
               "ELSE to_regprocedure(name) IS NULL END")
        .arg(objects.join(QLatin1String(", ")));
}

QString DeskRoleLookup() {
    QStringList keys;
    for (const TableColumns::Table& table : TableColumns::kTables) {
        for (const TableColumns::Column& column : table.columns) {
            if (column.type == ColumnType::Key) {
                // The column name is taken as written, so in the case the server folds to.
                keys << QStringLiteral("('%1', '%2')")
                            .arg(TableColumns::Name(table.name),
                                 TableColumns::Name(column.name).toLower());
            }
        }
    }
    return QStringLiteral(
               "SELECT quote_ident(current_schema()), string_agg(pg_get_serial_sequence(t, c), "
               "', ') FROM (VALUES %1) AS k(t, c)")
        .arg(keys.join(QLatin1String(", ")));
}

QString SetUpRoles() {
    return QStringLiteral(
        "SELECT current_user::text UNION SELECT session_user::text "
        "UNION SELECT pg_get_userbyid(nspowner)::text FROM pg_namespace "
        "WHERE nspname = current_schema() "
        "UNION SELECT tableowner::text FROM pg_tables WHERE schemaname = current_schema()");
}

QStringList DeskRoleGrants(const QString& role, const QString& schema, const QString& sequences) {
    // What an earlier set-up or a person granted beyond that goes first.
    return {
        QStringLiteral("REVOKE ALL ON SCHEMA %1 FROM %2").arg(schema, role),
        QStringLiteral("REVOKE ALL ON %1, %2, %3 FROM %4")
            .arg(TableList(), TableList(true), QLatin1String(kCommitMarks), role),
        QStringLiteral("GRANT USAGE ON SCHEMA %1 TO %2").arg(schema, role),
        QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON %1 TO %2").arg(TableList(), role),
        QStringLiteral("GRANT SELECT, INSERT ON %1 TO %2").arg(TableList(true), role),
        QStringLiteral("GRANT SELECT, INSERT, DELETE ON %1 TO %2")
            .arg(QLatin1String(kCommitMarks), role),
        QStringLiteral("GRANT USAGE ON SEQUENCE %1 TO %2").arg(sequences, role)};
}

}  // namespace DatabaseSchema
