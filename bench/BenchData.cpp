#include "BenchData.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <libpq-fe.h>
#include <sqlite3.h>

#include <cstdio>
#include <functional>
#include <map>
#include <memory>

#include "HostSetup.h"
#include "TableColumns.h"

namespace BenchData {

namespace {

constexpr const char* kSurnames[] = {"王", "李", "张", "刘", "陈", "杨", "赵", "黄", "周", "吴"};
constexpr const char* kGiven[] = {"伟", "芳", "娜", "秀英", "敏", "静", "强", "磊", "洋", "军"};
constexpr const char* kCities[] = {"北京", "上海", "广州", "深圳", "杭州", "南京", "成都", "武汉"};
constexpr const char* kWords[] = {"华信", "恒通", "远达", "新创", "中联", "瑞丰", "金桥"};
// One company in four is a "科技" company: the name search finds that share.
constexpr const char* kKinds[] = {"科技有限公司", "商贸有限公司", "建筑工程有限公司",
                                  "餐饮管理有限公司"};
constexpr const char* kStreets[] = {"中关村大街", "建国路", "人民南路", "解放大道", "长江路"};
constexpr const char* kIndustries[][2] = {
    {"6510", "软件开发"}, {"5191", "贸易经纪"}, {"4710", "房屋建筑业"}, {"6210", "正餐服务"}};

template <std::size_t N>
const char* Pick(const char* const (&list)[N], long long index) {
    return list[static_cast<std::size_t>(index) % N];
}

std::string Format(const char* format, long long value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

QString SqliteFolder(const QString& root, long long rows) {
    return QDir(root).filePath(QStringLiteral("sqlite-%1").arg(rows));
}

QStringList PostgresPairs() {
    return qEnvironmentVariable("COMPANYMGR_TEST_PGSQL")
        .split(QLatin1Char(';'), Qt::SkipEmptyParts);
}

// Settings for SQLite, or with a schema for the PostgreSQL server, reached at
// via (HostName and Port, with extra connection options) when given.
bool WriteSettings(const QString& appPath, const QString& schema,
                   const std::map<QString, QString>& via = {}) {
    QString settings = QStringLiteral("[Database]\nBusyTimeout=2000\n");
    if (!schema.isEmpty()) {
        settings += QStringLiteral("Driver=QPSQL\n");
        std::map<QString, QString> values;
        for (const QString& pair : PostgresPairs()) {
            values[pair.section(QLatin1Char('='), 0, 0).trimmed()] =
                pair.section(QLatin1Char('='), 1).trimmed();
        }
        for (const auto& [key, value] : via) {
            values[key] = key == QLatin1String("ConnectOptions")
                              ? value + QLatin1Char(' ') + values[key]
                              : value;
        }
        // The server's own options (TLS ones) go with the schema's.
        values[QStringLiteral("ConnectOptions")] +=
            QStringLiteral(" options='-csearch_path=%1'").arg(schema);
        for (const auto& [key, value] : values) {
            settings += key + QLatin1Char('=') + value + QLatin1Char('\n');
        }
    }
    QDir().mkpath(appPath + QStringLiteral("/Config"));
    QFile file(appPath + QStringLiteral("/Config/SysConfig.ini"));
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(settings.toUtf8()) == settings.toUtf8().size();
}

// The host makes its tables in an empty database on starting.
bool MakeSchema(const QString& appPath, QString& errorText) {
    const bool ok = HostSetup::Start(appPath, errorText);
    HostSetup::Stop();
    return ok;
}

class TProgress {
  public:
    TProgress(const char* engine, long long rows) : engine_(engine), rows_(rows) {}
    void At(long long done) {
        const int percent = static_cast<int>(done * 100 / (rows_ > 0 ? rows_ : 1));
        if (percent != shown_ && (percent % 5 == 0 || done == rows_)) {
            shown_ = percent;
            std::fprintf(stderr, "\rmaking the %s database of %lld companies: %3d%%", engine_,
                         rows_, percent);
            if (done == rows_) {
                std::fputc('\n', stderr);
            }
        }
    }

  private:
    const char* engine_;
    long long rows_;
    int shown_ = -1;
};

std::string InsertCompanySql() {
    std::string columns = "QYID, LBDM, SSDLJGID";
    std::string values = "?, ?, ?";
    for (const char* column : CompanyTextColumns()) {
        columns += std::string(", ") + column;
        values += ", ?";
    }
    return "INSERT INTO XT_QYXX(" + columns + ") VALUES(" + values + ")";
}

bool FillSqlite(const QString& file, long long rows, QString& errorText) {
    sqlite3* raw = nullptr;
    const int opened = sqlite3_open(QFile::encodeName(file).constData(), &raw);
    std::unique_ptr<sqlite3, int (*)(sqlite3*)> db(raw, sqlite3_close);
    auto failed = [&] {
        errorText = QString::fromUtf8(sqlite3_errmsg(db.get()));
        return false;
    };
    if (opened != SQLITE_OK) {
        return failed();
    }
    // A half-made file is thrown away and made again, so it needs no journal.
    if (sqlite3_exec(db.get(), "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN", nullptr,
                     nullptr, nullptr) != SQLITE_OK) {
        return failed();
    }
    const std::string agency =
        "INSERT INTO XT_QYXX(QYID, QYSBH, QYMC, LBDM) VALUES(1, '91110000AGENCY0001', "
        "'北京代理记账服务中心', 19);"
        "INSERT INTO QX_ROLEPRMS(JS_DM, PRMS_DM) VALUES('" +
        std::string(kRole) + "', 'P01')";
    if (sqlite3_exec(db.get(), agency.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
        return failed();
    }
    sqlite3_stmt* company = nullptr;
    sqlite3_stmt* grant = nullptr;
    const std::string insert = InsertCompanySql();
    if (sqlite3_prepare_v2(db.get(), insert.c_str(), -1, &company, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(
            db.get(), "INSERT INTO QX_PRMSMAP(PRMS_DM, PRMS_TYPE, KZDM) VALUES('P01', '10', ?)", -1,
            &grant, nullptr) != SQLITE_OK) {
        sqlite3_finalize(company);
        return failed();
    }
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> companyGuard(company, sqlite3_finalize);
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> grantGuard(grant, sqlite3_finalize);
    TProgress progress("SQLite", rows);
    for (long long i = 0; i < rows; ++i) {
        const long long id = kFirstCompanyId + i;
        sqlite3_bind_int64(company, 1, id);
        sqlite3_bind_int(company, 2, 10);
        sqlite3_bind_int(company, 3, kAgencyId);
        const std::vector<std::string> texts = CompanyTexts(i);
        for (std::size_t c = 0; c < texts.size(); ++c) {
            sqlite3_bind_text(company, static_cast<int>(c) + 4, texts[c].data(),
                              static_cast<int>(texts[c].size()), SQLITE_TRANSIENT);
        }
        sqlite3_bind_int64(grant, 1, id);
        if (sqlite3_step(company) != SQLITE_DONE || sqlite3_step(grant) != SQLITE_DONE) {
            return failed();
        }
        sqlite3_reset(company);
        sqlite3_reset(grant);
        if (i % 1000 == 0) {
            progress.At(i);
        }
    }
    if (sqlite3_exec(db.get(), "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        return failed();
    }
    progress.At(rows);
    return true;
}

bool PrepareSqlite(long long rows, const QString& root, QString& appPath, QString& errorText) {
    const QString folder = SqliteFolder(root, rows);
    appPath = folder;
    const QString done = folder + QStringLiteral("/complete");
    if (QFileInfo::exists(done)) {
        return true;
    }
    QDir(folder).removeRecursively();
    if (!WriteSettings(folder, QString()) || !MakeSchema(folder, errorText) ||
        !FillSqlite(folder + QStringLiteral("/Data/main.db"), rows, errorText)) {
        if (errorText.isEmpty()) {
            errorText = QStringLiteral("cannot write under %1").arg(folder);
        }
        return false;
    }
    QFile marker(done);
    return marker.open(QIODevice::WriteOnly);
}

// libpq, closed when it goes.
using TConnection = std::unique_ptr<PGconn, void (*)(PGconn*)>;

bool Run(PGconn* db, const std::string& sql, QString& errorText, std::string* value = nullptr) {
    PGresult* result = PQexec(db, sql.c_str());
    const ExecStatusType status = PQresultStatus(result);
    const bool ok = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
    if (!ok) {
        errorText = QString::fromUtf8(PQerrorMessage(db));
    } else if (value != nullptr) {
        *value = PQntuples(result) > 0 ? PQgetvalue(result, 0, 0) : "";
    }
    PQclear(result);
    return ok;
}

bool Copy(PGconn* db, const std::string& sql, long long rows, TProgress* progress,
          const std::function<std::string(long long)>& line, QString& errorText) {
    PGresult* start = PQexec(db, sql.c_str());
    const bool copying = PQresultStatus(start) == PGRES_COPY_IN;
    PQclear(start);
    if (!copying) {
        errorText = QString::fromUtf8(PQerrorMessage(db));
        return false;
    }
    std::string chunk;
    for (long long i = 0; i < rows; ++i) {
        chunk += line(i);
        if (chunk.size() > (1 << 20) || i + 1 == rows) {
            if (PQputCopyData(db, chunk.data(), static_cast<int>(chunk.size())) != 1) {
                errorText = QString::fromUtf8(PQerrorMessage(db));
                return false;
            }
            chunk.clear();
            if (progress != nullptr) {
                progress->At(i + 1);
            }
        }
    }
    if (PQputCopyEnd(db, nullptr) != 1) {
        errorText = QString::fromUtf8(PQerrorMessage(db));
        return false;
    }
    PGresult* end = PQgetResult(db);
    const bool ok = PQresultStatus(end) == PGRES_COMMAND_OK;
    PQclear(end);
    while (PGresult* more = PQgetResult(db)) {
        PQclear(more);
    }
    if (!ok) {
        errorText = QString::fromUtf8(PQerrorMessage(db));
    }
    return ok;
}

// The server, with the settings of appPath pointing at schema.
bool Connect(TConnection& db, const QString& schema, const QString& appPath, QString& errorText) {
    db.reset(PQconnectdb(PostgresConnInfo(QString()).c_str()));
    if (PQstatus(db.get()) != CONNECTION_OK) {
        errorText = QString::fromUtf8(PQerrorMessage(db.get()));
        return false;
    }
    if (!WriteSettings(appPath, schema)) {
        errorText = QStringLiteral("cannot write under %1").arg(appPath);
        return false;
    }
    return true;
}

bool Recreate(PGconn* db, const QString& schema, const QString& appPath, QString& errorText) {
    const std::string name = schema.toStdString();
    return Run(db,
               "SET client_min_messages TO WARNING; DROP SCHEMA IF EXISTS " + name +
                   " CASCADE; CREATE SCHEMA " + name,
               errorText) &&
           MakeSchema(appPath, errorText);
}

bool PreparePostgres(long long rows, const QString& root, QString& appPath, QString& errorText) {
    appPath = QDir(root).filePath(QStringLiteral("pgsql-%1").arg(rows));
    const std::string schema = PostgresSchema(rows).toStdString();
    TConnection db(nullptr, PQfinish);
    if (!Connect(db, PostgresSchema(rows), appPath, errorText)) {
        return false;
    }
    std::string done;
    if (Run(db.get(), "SELECT to_regclass('" + schema + ".bench_complete') IS NOT NULL", errorText,
            &done) &&
        done == "t") {
        return true;
    }
    if (!Recreate(db.get(), PostgresSchema(rows), appPath, errorText)) {
        return false;
    }
    std::string columns = "QYID, LBDM, SSDLJGID";
    for (const char* column : CompanyTextColumns()) {
        columns += std::string(", ") + column;
    }
    TProgress progress("PostgreSQL", rows);
    const bool ok =
        Run(db.get(),
            "SET search_path TO " + schema +
                "; INSERT INTO XT_QYXX(QYID, QYSBH, QYMC, LBDM) VALUES(1, '91110000AGENCY0001', "
                "'北京代理记账服务中心', 19); INSERT INTO QX_ROLEPRMS(JS_DM, PRMS_DM) VALUES('" +
                kRole + "', 'P01')",
            errorText) &&
        Copy(
            db.get(), "COPY XT_QYXX(" + columns + ") FROM STDIN", rows, &progress,
            [](long long i) {
                std::string line =
                    std::to_string(kFirstCompanyId + i) + "\t10\t" + std::to_string(kAgencyId);
                // The texts hold no tab, newline or backslash.
                for (const std::string& text : CompanyTexts(i)) {
                    line += '\t' + text;
                }
                return line + '\n';
            },
            errorText) &&
        Copy(
            db.get(), "COPY QX_PRMSMAP(PRMS_DM, PRMS_TYPE, KZDM) FROM STDIN", rows, nullptr,
            [](long long i) { return "P01\t10\t" + std::to_string(kFirstCompanyId + i) + '\n'; },
            errorText) &&
        Run(db.get(), "ANALYZE; CREATE TABLE bench_complete(done integer)", errorText);
    return ok;
}

}  // namespace

bool FreshPostgres(const QString& schema, const QString& appPath, QString& errorText) {
    TConnection db(nullptr, PQfinish);
    return Connect(db, schema, appPath, errorText) &&
           Recreate(db.get(), schema, appPath, errorText);
}

QString PostgresSetting(const QString& key) {
    for (const QString& pair : PostgresPairs()) {
        if (pair.section(QLatin1Char('='), 0, 0).trimmed() == key) {
            return pair.section(QLatin1Char('='), 1).trimmed();
        }
    }
    return QString();
}

bool PostgresVia(long long rows, const QString& root, const QString& host, int port,
                 QString& appPath, QString& errorText) {
    appPath = QDir(root).filePath(QStringLiteral("pgsql-%1-via").arg(rows));
    // A link that stops passing bytes fails the connection instead of hanging it.
    const std::map<QString, QString> via{
        {QStringLiteral("HostName"), host},
        {QStringLiteral("Port"), QString::number(port)},
        {QStringLiteral("ConnectOptions"),
         QStringLiteral("connect_timeout=10 tcp_user_timeout=10000 keepalives_idle=5 "
                        "keepalives_interval=2 keepalives_count=3")}};
    if (!WriteSettings(appPath, PostgresSchema(rows), via)) {
        errorText = QStringLiteral("cannot write under %1").arg(appPath);
        return false;
    }
    appPath = QDir::cleanPath(appPath) + QLatin1Char('/');
    return true;
}

bool PostgresConfigured() {
    return !PostgresPairs().isEmpty();
}

QString PostgresSchema(long long rows) {
    return QStringLiteral("cm_bench_%1").arg(rows);
}

std::string PostgresConnInfo(const QString& schema) {
    const std::pair<const char*, const char*> keys[] = {{"host", "HostName"},
                                                        {"port", "Port"},
                                                        {"user", "UserName"},
                                                        {"password", "Password"},
                                                        {"dbname", "Database"}};
    std::string info;
    for (const auto& [name, setting] : keys) {
        const QString value = PostgresSetting(QLatin1String(setting));
        if (!value.isEmpty()) {
            info += std::string(name) + "='" + value.toStdString() + "' ";
        }
    }
    info += PostgresSetting(QStringLiteral("ConnectOptions")).toStdString() + ' ';
    if (!schema.isEmpty()) {
        info += "options='-csearch_path=" + schema.toStdString() + "'";
    }
    return info;
}

bool Prepare(const QString& engine, long long rows, const QString& root, QString& appPath,
             QString& errorText) {
    const bool ok = engine == QLatin1String("POSTGRESQL")
                        ? PreparePostgres(rows, root, appPath, errorText)
                        : PrepareSqlite(rows, root, appPath, errorText);
    appPath = QDir::cleanPath(appPath) + QLatin1Char('/');
    return ok;
}

std::vector<const char*> CompanyTextColumns() {
    std::vector<const char*> names;
    // QYSBH to CZY_DM: the columns after the key that a record carries.
    for (std::size_t i = 1; i <= 21; ++i) {
        names.push_back(TableColumns::kCompany[i].name.data());
    }
    return names;
}

std::vector<std::string> CompanyTexts(long long i) {
    const std::string taxId = Format("91110108MA%08lld", i);
    const std::string legal = std::string(Pick(kSurnames, i)) + Pick(kGiven, i / 10);
    const std::string finance = std::string(Pick(kSurnames, i / 3)) + Pick(kGiven, i / 7);
    const std::string officer = std::string(Pick(kSurnames, i / 5)) + Pick(kGiven, i / 11);
    const std::string address = std::string(Pick(kCities, i)) + "市" + Pick(kStreets, i / 8) +
                                Format("%lld号", i % 997 + 1);
    const auto& industry = kIndustries[static_cast<std::size_t>(i) % std::size(kIndustries)];
    return {
        taxId,
        std::string(Pick(kCities, i)) + Pick(kWords, i / 8) + Format("%lld", i) + Pick(kKinds, i),
        legal,
        taxId,
        finance,
        Format("138%08lld", i % 100000000),
        Format("010-6%07lld", i % 10000000),
        officer,
        Format("139%08lld", i % 100000000),
        Format("010-8%07lld", i % 10000000),
        "110108",
        address,
        address,
        "100080",
        Format("c%lld@example.com", i),
        Format("010-6%07lld", i % 10000000),
        Format("010-5%07lld", i % 10000000),
        industry[0],
        industry[1],
        "1",
        "0001",
    };
}

}  // namespace BenchData
