#include "HostSchema.h"

#include <initializer_list>

namespace HostSchema {

namespace {

enum class Type { Key, Int, Text, Money, Date };

struct Column {
    const char* name;
    Type type;
};

struct Table {
    const char* name;
    std::initializer_list<Column> columns;
};

// Text columns unless stated; QYID of XT_QYXX is assigned by the database.
const Table kTables[] = {
    {"XT_QYXX", {{"QYID", Type::Key},       {"QYSBH", Type::Text},     {"QYMC", Type::Text},
                 {"FDDBRMC", Type::Text},   {"NSRSBH", Type::Text},    {"CWFZR", Type::Text},
                 {"CWFZRLXHM", Type::Text}, {"CWFZRBGDH", Type::Text}, {"BSY", Type::Text},
                 {"BSYLXHM", Type::Text},   {"BSYBGDH", Type::Text},   {"XZQHDM", Type::Text},
                 {"ZCDZ", Type::Text},      {"YYDZ", Type::Text},      {"YZBM", Type::Text},
                 {"EMAIL", Type::Text},     {"QYDHHM", Type::Text},    {"QYCZHM", Type::Text},
                 {"HYDM", Type::Text},      {"HYMC", Type::Text},      {"ZSID", Type::Text},
                 {"CZY_DM", Type::Text},    {"LBDM", Type::Int},       {"SSDLJGID", Type::Int},
                 {"SSSWJG", Type::Text}}},
    {"XT_QYDSXX", {{"QYID", Type::Int},    {"KJYWRMC", Type::Text},  {"KJYWRBM", Type::Text},
                   {"NSRSBH", Type::Text}, {"ZGSWJG", Type::Text},   {"ZGSWJGMC", Type::Text},
                   {"YZBM", Type::Text},   {"DZ", Type::Text},       {"DH", Type::Text},
                   {"DZXX", Type::Text},   {"CWFZR", Type::Text},    {"FRDB", Type::Text},
                   {"DJZCLX", Type::Text}, {"DJZCLXMC", Type::Text}, {"HY", Type::Text},
                   {"HYMC", Type::Text},   {"SBYF", Type::Text},     {"GSGBZE", Type::Money},
                   {"SFSS", Type::Text},   {"GXSJ", Type::Date},     {"GXBZ", Type::Int}}},
    {"XT_QYGSXX", {{"QYID", Type::Int},    {"NSRSBH", Type::Text},    {"NSRBM", Type::Text},
                   {"NSRMC", Type::Text},  {"FDDBRMC", Type::Text},   {"DHHM", Type::Text},
                   {"YZBM", Type::Text},   {"ZCDZ", Type::Text},      {"YYDZ", Type::Text},
                   {"SSHY", Type::Text},   {"DJZCLX_DM", Type::Int},  {"NSRZT", Type::Text},
                   {"KKYH", Type::Text},   {"YHZH", Type::Text},      {"NSRLX", Type::Text},
                   {"XYDJ", Type::Text},   {"SSSWJG_DM", Type::Text}, {"SSDLJG", Type::Text},
                   {"JKBZ", Type::Text},   {"ZDH", Type::Text},       {"SQR", Type::Text},
                   {"SMR", Type::Text},    {"KSSCJYRQ", Type::Text},  {"KSHLND", Type::Text},
                   {"KJZG", Type::Text},   {"ZJFMC", Type::Text},     {"ZJGSWDJH", Type::Text},
                   {"FZR", Type::Text},    {"JBZH", Type::Text},      {"FLZSH", Type::Text},
                   {"ICCARD", Type::Text}, {"QYLXDM", Type::Text},    {"QYLXMC", Type::Text},
                   {"SSHYMC", Type::Text}, {"SSSWJG_MC", Type::Text}, {"GXSJ", Type::Date},
                   {"GXBZ", Type::Int}}},
    {"QX_ROLEPRMS", {{"JS_DM", Type::Text}, {"PRMS_DM", Type::Text}}},
    {"QX_PRMSMAP", {{"PRMS_DM", Type::Text}, {"PRMS_TYPE", Type::Text}, {"KZDM", Type::Int}}},
    {"QX_CZYQY", {{"CZY_DM", Type::Text}, {"QYID", Type::Int}}},
    {"QX_CZYZXT", {{"CZY_DM", Type::Text}, {"QYID", Type::Int}, {"ZXT_DM", Type::Text}}},
};

// One registration row per company.
const char* const kUniqueKeys[] = {"XT_QYDSXX", "XT_QYGSXX"};

const char* const kIndexes[][2] = {
    {"XT_QYXX", "LBDM"},      {"XT_QYXX", "QYSBH"},      {"XT_QYXX", "SSDLJGID"},
    {"QX_ROLEPRMS", "JS_DM"}, {"QX_PRMSMAP", "PRMS_DM"}, {"QX_PRMSMAP", "KZDM"},
    {"QX_CZYQY", "QYID"},     {"QX_CZYZXT", "QYID"},
};

QString TypeName(Type type, bool postgres) {
    switch (type) {
        case Type::Key:
            return postgres ? "SERIAL PRIMARY KEY" : "INTEGER PRIMARY KEY AUTOINCREMENT";
        case Type::Int:
            return "INTEGER";
        case Type::Money:
            return "NUMERIC(19,2)";
        case Type::Date:
            return postgres ? "DATE" : "TEXT";
        case Type::Text:
            break;
    }
    return "TEXT";
}

bool IsUniqueKeyTable(const char* table) {
    for (const char* name : kUniqueKeys) {
        if (QLatin1String(name) == QLatin1String(table)) {
            return true;
        }
    }
    return false;
}

}  // namespace

QStringList Statements(const QString& engine) {
    const bool postgres = engine == QLatin1String("POSTGRESQL");
    QStringList statements;
    if (postgres) {
        // Creating what exists already is expected here, not worth a notice.
        statements << QStringLiteral("SET client_min_messages TO WARNING");
    }
    for (const Table& table : kTables) {
        QStringList columns;
        for (const Column& column : table.columns) {
            QString definition =
                QString::fromLatin1(column.name) + ' ' + TypeName(column.type, postgres);
            if (IsUniqueKeyTable(table.name) &&
                QLatin1String(column.name) == QLatin1String("QYID")) {
                definition += " PRIMARY KEY";
            }
            columns << definition;
        }
        statements << QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (%2)")
                          .arg(QLatin1String(table.name), columns.join(", "));
    }
    for (const auto& index : kIndexes) {
        statements << QStringLiteral("CREATE INDEX IF NOT EXISTS IX_%1_%2 ON %1(%2)")
                          .arg(QLatin1String(index[0]), QLatin1String(index[1]));
    }
    if (postgres) {
        // The third form of the tail match calls mid(); PostgreSQL has right() already.
        statements << QStringLiteral(
            "CREATE OR REPLACE FUNCTION mid(text, integer, integer) RETURNS text "
            "AS 'SELECT substr($1, $2, $3)' LANGUAGE SQL IMMUTABLE");
    }
    return statements;
}

}  // namespace HostSchema
