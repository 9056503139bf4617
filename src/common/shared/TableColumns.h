// The columns of every table the module uses, in one place: the host's schema
// creates the tables from these lists, and whoever writes or reads whole rows
// names the columns from them, so the two cannot drift apart. What the
// abbreviations stand for: docs/columns.md.
#pragma once

#include <QString>

#include <span>
#include <string_view>

namespace TableColumns {

enum class ColumnType {
    Key,      // integer the database assigns
    Integer,  // integer
    Text,     // text of any length
    Money,    // decimal with two places
    Date,     // date (text on SQLite)
};

struct Column {
    std::string_view name;
    ColumnType type;
};

using ColumnList = std::span<const Column>;

// XT_QYXX: one row per company, agency or tax officer.
inline constexpr Column kCompany[] = {
    {"QYID", ColumnType::Key},       {"QYSBH", ColumnType::Text},
    {"QYMC", ColumnType::Text},      {"FDDBRMC", ColumnType::Text},
    {"NSRSBH", ColumnType::Text},    {"CWFZR", ColumnType::Text},
    {"CWFZRLXHM", ColumnType::Text}, {"CWFZRBGDH", ColumnType::Text},
    {"BSY", ColumnType::Text},       {"BSYLXHM", ColumnType::Text},
    {"BSYBGDH", ColumnType::Text},   {"XZQHDM", ColumnType::Text},
    {"ZCDZ", ColumnType::Text},      {"YYDZ", ColumnType::Text},
    {"YZBM", ColumnType::Text},      {"EMAIL", ColumnType::Text},
    {"QYDHHM", ColumnType::Text},    {"QYCZHM", ColumnType::Text},
    {"HYDM", ColumnType::Text},      {"HYMC", ColumnType::Text},
    {"ZSID", ColumnType::Text},      {"CZY_DM", ColumnType::Text},
    {"LBDM", ColumnType::Integer},   {"SSDLJGID", ColumnType::Integer},
    {"SSSWJG", ColumnType::Text},
};

// XT_QYDSXX: a company's local-tax registration, at most one row per company.
inline constexpr Column kLocalTax[] = {
    {"QYID", ColumnType::Integer}, {"KJYWRMC", ColumnType::Text},  {"KJYWRBM", ColumnType::Text},
    {"NSRSBH", ColumnType::Text},  {"ZGSWJG", ColumnType::Text},   {"ZGSWJGMC", ColumnType::Text},
    {"YZBM", ColumnType::Text},    {"DZ", ColumnType::Text},       {"DH", ColumnType::Text},
    {"DZXX", ColumnType::Text},    {"CWFZR", ColumnType::Text},    {"FRDB", ColumnType::Text},
    {"DJZCLX", ColumnType::Text},  {"DJZCLXMC", ColumnType::Text}, {"HY", ColumnType::Text},
    {"HYMC", ColumnType::Text},    {"SBYF", ColumnType::Text},     {"GSGBZE", ColumnType::Money},
    {"SFSS", ColumnType::Text},    {"GXSJ", ColumnType::Date},     {"GXBZ", ColumnType::Integer},
};

// XT_QYGSXX: a company's state-tax registration, at most one row per company.
inline constexpr Column kStateTax[] = {
    {"QYID", ColumnType::Integer},      {"NSRSBH", ColumnType::Text},
    {"NSRBM", ColumnType::Text},        {"NSRMC", ColumnType::Text},
    {"FDDBRMC", ColumnType::Text},      {"DHHM", ColumnType::Text},
    {"YZBM", ColumnType::Text},         {"ZCDZ", ColumnType::Text},
    {"YYDZ", ColumnType::Text},         {"SSHY", ColumnType::Text},
    {"DJZCLX_DM", ColumnType::Integer}, {"NSRZT", ColumnType::Text},
    {"KKYH", ColumnType::Text},         {"YHZH", ColumnType::Text},
    {"NSRLX", ColumnType::Text},        {"XYDJ", ColumnType::Text},
    {"SSSWJG_DM", ColumnType::Text},    {"SSDLJG", ColumnType::Text},
    {"JKBZ", ColumnType::Text},         {"ZDH", ColumnType::Text},
    {"SQR", ColumnType::Text},          {"SMR", ColumnType::Text},
    {"KSSCJYRQ", ColumnType::Text},     {"KSHLND", ColumnType::Text},
    {"KJZG", ColumnType::Text},         {"ZJFMC", ColumnType::Text},
    {"ZJGSWDJH", ColumnType::Text},     {"FZR", ColumnType::Text},
    {"JBZH", ColumnType::Text},         {"FLZSH", ColumnType::Text},
    {"ICCARD", ColumnType::Text},       {"QYLXDM", ColumnType::Text},
    {"QYLXMC", ColumnType::Text},       {"SSHYMC", ColumnType::Text},
    {"SSSWJG_MC", ColumnType::Text},    {"GXSJ", ColumnType::Date},
    {"GXBZ", ColumnType::Integer},
};

// QX_ROLEPRMS: the permissions of a role.
inline constexpr Column kRolePermissions[] = {
    {"JS_DM", ColumnType::Text},
    {"PRMS_DM", ColumnType::Text},
};

// QX_PRMSMAP: what a permission grants; type "10" grants the company KZDM.
inline constexpr Column kPermissionMap[] = {
    {"PRMS_DM", ColumnType::Text},
    {"PRMS_TYPE", ColumnType::Text},
    {"KZDM", ColumnType::Integer},
};

// QX_CZYQY: operator and company pairs; rows go with their company.
inline constexpr Column kOperatorCompanies[] = {
    {"CZY_DM", ColumnType::Text},
    {"QYID", ColumnType::Integer},
};

// QX_CZYZXT: operator, company and sub-application; rows go with their company.
inline constexpr Column kOperatorSubApps[] = {
    {"CZY_DM", ColumnType::Text},
    {"QYID", ColumnType::Integer},
    {"ZXT_DM", ColumnType::Text},
};

// XT_QYBGJL: a company's history, one row per column a write changed in its
// rows (XT_QYXX, XT_QYDSXX, XT_QYGSXX), written with the change by the
// database itself; rows are only ever added. JZ and XZ hold the old and the
// new value as text, NULL kept; CZ is I, U or D.
inline constexpr Column kCompanyHistory[] = {
    {"JLID", ColumnType::Key},    {"QYID", ColumnType::Integer}, {"BM", ColumnType::Text},
    {"ZD", ColumnType::Text},     {"JZ", ColumnType::Text},      {"XZ", ColumnType::Text},
    {"CZY_DM", ColumnType::Text}, {"ZJM", ColumnType::Text},     {"BGSJ", ColumnType::Text},
    {"LY", ColumnType::Text},     {"CZ", ColumnType::Text},
};

struct Table {
    std::string_view name;
    ColumnList columns;
};

inline constexpr Table kTables[] = {
    {"XT_QYXX", kCompany},           {"XT_QYDSXX", kLocalTax},
    {"XT_QYGSXX", kStateTax},        {"QX_ROLEPRMS", kRolePermissions},
    {"QX_PRMSMAP", kPermissionMap},  {"QX_CZYQY", kOperatorCompanies},
    {"QX_CZYZXT", kOperatorSubApps}, {"XT_QYBGJL", kCompanyHistory},
};

// The tables whose changes the history records.
inline constexpr std::string_view kHistoryTables[] = {"XT_QYXX", "XT_QYDSXX", "XT_QYGSXX"};
// Columns it leaves out: the key, and the update marks every save sets.
inline constexpr std::string_view kUnrecordedColumns[] = {"QYID", "GXSJ", "GXBZ"};

inline QString Name(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// "A, B, C": the column list of an INSERT or SELECT.
inline QString Joined(ColumnList columns) {
    QString text;
    for (const Column& column : columns) {
        if (!text.isEmpty()) {
            text += QLatin1String(", ");
        }
        text += Name(column.name);
    }
    return text;
}

}  // namespace TableColumns
