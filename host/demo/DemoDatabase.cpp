// The demo database: companies with their local-tax and state-tax rows, the
// role grants, the agency and the tax officer, written through the host's
// query service in one transaction with many rows per statement.
#include <QDate>
#include <QHash>

#include "DemoInternal.h"
#include "DemoRecords.h"
#include "HostServices.h"
#include "TableColumns.h"
#include "Transaction.h"
#include "f_DataVO.h"

namespace DemoBuild {

using DemoRecords::Company;
using DemoRecords::Generator;
using DemoRecords::Officer;
using DemoRecords::Random;

namespace {

// Large enough that statement overhead vanishes, small enough to stay far
// below any engine's statement length limit.
constexpr int kRowsPerStatement = 100;
constexpr int kCertificateCompanies = 6;

constexpr int kClassCompany = 0;
constexpr int kClassServed = 10;
constexpr int kClassAgency = 19;
constexpr int kClassOfficer = 20;

const char* const kOfficerColumns = "QYID, QYSBH, QYMC, XZQHDM, BSYLXHM, BSYBGDH, CZY_DM, LBDM";
QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

bool Exec(const QString& sql, QString& errorText) {
    TADOQuery query;
    return ModuleLib::ExecADOQueryMsg(kMainConnection, sql, query, errorText, 0);
}

// The values of one row, each text quoted, numbers written by us.
class Row {
  public:
    Row() { sql_.reserve(1024); }

    Row& Text(const QString& value) {
        Separate();
        sql_ += u'\'';
        if (value.contains(u'\'')) {
            sql_ += QString(value).replace(u'\'', QStringLiteral("''"));
        } else {
            sql_ += value;
        }
        sql_ += u'\'';
        return *this;
    }
    Row& Number(qint64 value) {
        Separate();
        sql_ += QString::number(value);
        return *this;
    }
    Row& Money(qint64 yuan) {
        Separate();
        sql_ += QString::number(yuan) + QStringLiteral(".00");
        return *this;
    }
    Row& Null() {
        Separate();
        sql_ += QStringLiteral("NULL");
        return *this;
    }
    // A date expression the host built.
    Row& Expression(const QString& sql) {
        Separate();
        sql_ += sql;
        return *this;
    }
    const QString& Sql() const { return sql_; }

  private:
    void Separate() {
        if (!sql_.isEmpty()) {
            sql_ += QStringLiteral(", ");
        }
    }
    QString sql_;
};

class Batch {
  public:
    Batch(const char* table, const QString& columns)
        : head_(QStringLiteral("INSERT INTO %1(%2) VALUES ").arg(Text(table), columns)) {}
    Batch(const char* table, TableColumns::ColumnList columns)
        : Batch(table, TableColumns::Joined(columns)) {}

    bool Add(const Row& row, QString& errorText) {
        sql_ += rows_ == 0 ? head_ : QStringLiteral(", ");
        sql_ += u'(';
        sql_ += row.Sql();
        sql_ += u')';
        return ++rows_ < kRowsPerStatement || Flush(errorText);
    }
    bool Flush(QString& errorText) {
        if (rows_ == 0) {
            return true;
        }
        rows_ = 0;
        const bool ok = Exec(sql_, errorText);
        // Keeps the buffer for the next statement.
        sql_.resize(0);
        return ok;
    }

  private:
    QString head_;
    QString sql_;
    int rows_ = 0;
};

// Update dates fall within one year; the host spells each one once.
class Dates {
  public:
    QString Sql(const QDate& date) {
        const qint64 day = date.toJulianDay();
        auto found = cache_.constFind(day);
        if (found == cache_.constEnd()) {
            found = cache_.insert(
                day, ModuleLib::GetSQLDataTime(kMainConnection, date.toString(Qt::ISODate)));
        }
        return found.value();
    }
    QString Updated(Random& random) { return Sql(QDate(2024, 1, 1).addDays(random.Below(366))); }

  private:
    QHash<qint64, QString> cache_;
};

struct Context {
    Generator generator{kRecordSeed};
    Dates dates;
    Officer officer;
    Company agency;
    qint64 agencyId = 0;  // 0: not an agency's installation
};

Row CompanyRow(const Company& company, qint64 id, int classCode, qint64 agencyId,
               const Officer& officer) {
    Row row;
    row.Number(id)
        .Text(company.code)
        .Text(company.name)
        .Text(company.legalRep)
        .Text(company.code)
        .Text(company.finance)
        .Text(company.financeMobile)
        .Text(company.financePhone)
        .Text(officer.name)
        .Text(officer.mobile)
        .Text(officer.phone)
        .Text(Text(company.place.district->code))
        .Text(company.regAddress)
        .Text(company.address)
        .Text(company.postCode)
        .Text(company.email)
        .Text(company.phone)
        .Text(company.fax)
        .Text(Text(company.industry->code))
        .Text(Text(company.industry->name))
        .Text(QString())
        .Text(Text(kOperatorCode))
        .Number(classCode);
    if (agencyId > 0) {
        row.Number(agencyId);
    } else {
        row.Null();
    }
    row.Text(company.taxOffice);
    return row;
}

Row LocalTaxRow(Context& context, const Company& company, qint64 id) {
    static const char* const kOffices[] = {"一", "二", "三", "四"};
    static const int kCapitals[] = {100000, 300000, 500000, 1000000, 2000000, 5000000, 10000000};
    Random& random = context.generator.random();
    const int office = random.Below(4);
    qint64 capital = random.Pick(std::span<const int>(kCapitals));
    if (company.jointStock) {
        capital *= 10;
    }
    Row row;
    row.Number(id)
        .Text(company.name)
        .Text(Text(company.place.district->code) + DemoRecords::Digits(random, 6))
        .Text(company.code)
        .Text(u'1' + Text(company.place.district->code) +
              QStringLiteral("%1").arg((office + 1) * 100, 4, 10, QLatin1Char('0')))
        .Text(company.taxOffice + u'第' + Text(kOffices[office]) + QStringLiteral("税务所"))
        .Text(company.postCode)
        .Text(company.address)
        .Text(company.phone)
        .Text(company.email)
        .Text(company.finance)
        .Text(company.legalRep)
        .Text(QString::number(company.registration->code))
        .Text(Text(company.registration->name))
        .Text(Text(company.industry->code))
        .Text(Text(company.industry->name))
        .Text(QStringLiteral("2024-%1").arg(random.Between(1, 12), 2, 10, QLatin1Char('0')))
        .Money(capital)
        // SFSS: "0" is a listed company.
        .Text(company.jointStock && random.Percent(30) ? QStringLiteral("0") : QStringLiteral("1"))
        .Expression(context.dates.Updated(random))
        .Number(random.Percent(80) ? 1 : 0);
    return row;
}

// Two or three cards: the main invoicing machine's and its extensions'.
QString IcCards(Random& random) {
    QStringList lines;
    const int cards = random.Between(2, 3);
    for (int machine = 0; machine < cards; ++machine) {
        lines << QStringLiteral("ICBH=66%1;ICLX=%2;KPJH=%3")
                     .arg(DemoRecords::Digits(random, 10),
                          machine == 0 ? QStringLiteral("主机卡") : QStringLiteral("分机卡"))
                     .arg(machine);
    }
    return lines.join(QStringLiteral("\r\n"));
}

Row StateTaxRow(Context& context, const Company& company, qint64 id) {
    static const char* const kBanks[] = {"商业银行", "农村商业银行"};
    static const char* const kGrades[] = {"A", "A", "B", "B", "B", "M", "C"};
    Random& random = context.generator.random();
    const DemoWords::City& city = *company.place.city;
    const QString account = QString::number(random.Between(1, 9)) + DemoRecords::Digits(random, 18);
    const QDate opened = QDate(2005, 1, 1).addDays(random.Below(18 * 365));
    const bool general = random.Percent(55);
    Row row;
    row.Number(id)
        .Text(company.code)
        .Text(Text(company.place.district->code) + DemoRecords::Digits(random, 9))
        .Text(company.name)
        .Text(company.legalRep)
        .Text(company.phone)
        .Text(company.postCode)
        .Text(company.regAddress)
        .Text(company.address)
        .Text(Text(company.industry->code))
        .Number(company.registration->code)
        .Text(random.Percent(95) ? QStringLiteral("正常") : QStringLiteral("停业"))
        .Text(Text(city.shortName) + Text(random.Pick(std::span<const char* const>(kBanks))) +
              Text(company.place.district->name) + QStringLiteral("支行"))
        .Text(account)
        .Text(general ? QStringLiteral("一般纳税人") : QStringLiteral("小规模纳税人"))
        .Text(Text(random.Pick(std::span<const char* const>(kGrades))))
        .Text(company.taxOfficeCode)
        .Text(context.agencyId > 0 ? context.agency.name : QString())
        .Text(random.Percent(30) ? QStringLiteral("1") : QStringLiteral("0"))
        // ZDH, stored as JKBZ is: "0" is no.
        .Text(random.Percent(15) ? QStringLiteral("1") : QStringLiteral("0"))
        .Text(QString())
        .Text(QString())
        .Text(opened.toString(Qt::ISODate))
        .Text(QString::number(opened.year()))
        .Text(general || company.jointStock ? QStringLiteral("企业会计准则")
                                            : QStringLiteral("小企业会计准则"))
        .Text(QString())
        .Text(QString())
        .Text(company.finance)
        .Text(account)
        .Text(QString())
        .Text(IcCards(random))
        .Text(QStringLiteral("11"))
        .Text(QStringLiteral("内资企业"))
        .Text(Text(company.industry->name))
        .Text(company.taxOffice)
        .Expression(context.dates.Updated(random))
        .Number(random.Percent(80) ? 1 : 0);
    return row;
}

bool DatabaseIsEmpty(QString& errorText) {
    TADOQuery query;
    if (!ModuleLib::ExecADOQueryMsg(kMainConnection, "select count(*) as cnt from XT_QYXX", query,
                                    errorText, 1)) {
        return false;
    }
    if (query.FieldAsString(0) != QLatin1String("0")) {
        errorText = QStringLiteral("数据库中已有企业数据");
        return false;
    }
    return true;
}

bool WriteRows(const DemoOptions& options, QStringList& companyCodes, QString& errorText) {
    if (!DatabaseIsEmpty(errorText)) {
        return false;
    }
    Context context;
    // Drawn first and always, so the companies come out the same either way.
    if (!context.generator.NextAgency(context.agency)) {
        errorText = QStringLiteral("无法生成代理机构");
        return false;
    }
    context.officer = context.generator.NextOfficer();

    const qint64 companies = options.companies;
    if (options.agency) {
        context.agencyId = companies + 1;
    }
    const qint64 officerId = companies + (options.agency ? 2 : 1);
    const int classCode = options.agency ? kClassServed : kClassCompany;

    Batch companyRows("XT_QYXX", TableColumns::kCompany);
    Batch localTaxRows("XT_QYDSXX", TableColumns::kLocalTax);
    Batch stateTaxRows("XT_QYGSXX", TableColumns::kStateTax);
    Batch rolePermissions("QX_ROLEPRMS", TableColumns::kRolePermissions);
    Batch permissionMap("QX_PRMSMAP", TableColumns::kPermissionMap);
    Company company;
    for (qint64 id = 1; id <= companies; ++id) {
        if (!context.generator.NextCompany(company)) {
            errorText = QStringLiteral("无法生成第%1家企业：名称或识别号已用尽").arg(id);
            return false;
        }
        if (companyCodes.size() < kCertificateCompanies) {
            companyCodes << company.code;
        }
        // Fixed steps rather than chance, so even a handful of companies
        // covers every mix: local only, state only, both, neither, granted.
        const qint64 step = (id - 1) % 6;
        const bool localTax = step % 3 != 2;
        const bool stateTax = step % 2 == 0;
        const bool granted = step % 3 == 1;
        if (!companyRows.Add(CompanyRow(company, id, classCode, context.agencyId, context.officer),
                             errorText) ||
            (localTax && !localTaxRows.Add(LocalTaxRow(context, company, id), errorText)) ||
            (stateTax && !stateTaxRows.Add(StateTaxRow(context, company, id), errorText))) {
            return false;
        }
        if (granted) {
            const QString permission = QStringLiteral("QY%1").arg(id, 6, 10, QLatin1Char('0'));
            if (!rolePermissions.Add(Row().Text(Text(kRoleCode)).Text(permission), errorText) ||
                !permissionMap.Add(Row().Text(permission).Text(QStringLiteral("10")).Number(id),
                                   errorText)) {
                return false;
            }
        }
    }
    if (options.agency && !companyRows.Add(CompanyRow(context.agency, context.agencyId,
                                                      kClassAgency, 0, context.officer),
                                           errorText)) {
        return false;
    }
    if (!companyRows.Flush(errorText) || !localTaxRows.Flush(errorText) ||
        !stateTaxRows.Flush(errorText) || !rolePermissions.Flush(errorText) ||
        !permissionMap.Flush(errorText)) {
        return false;
    }
    Batch officerRow("XT_QYXX", Text(kOfficerColumns));
    const Officer& officer = context.officer;
    return officerRow.Add(Row()
                              .Number(officerId)
                              .Text(officer.idNumber)
                              .Text(officer.name)
                              .Text(officer.canton)
                              .Text(officer.mobile)
                              .Text(officer.phone)
                              .Text(Text(kOperatorCode))
                              .Number(kClassOfficer),
                          errorText) &&
           officerRow.Flush(errorText);
}

// A few changes of the first companies, as operators made them on the
// information page, so their history has something to show.
bool WriteSomeHistory(qint64 companies, QString& errorText) {
    ModuleLib::SetChangeSource(QStringLiteral("信息页"));
    ModuleLib::GetUserInfoVO()->SetStrValue("CZY_DM", QString::fromUtf8(kOperatorCode));
    static constexpr const char* kChanges[] = {
        "UPDATE XT_QYXX SET QYDHHM = QYDHHM || '-8' WHERE QYID <= %1",
        "UPDATE XT_QYXX SET EMAIL = 'caiwu' || QYID || '@example.cn' WHERE QYID <= %1",
        "UPDATE XT_QYGSXX SET YHZH = '6222' || QYID || '0001', KKYH = '中国工商银行' "
        "WHERE QYID <= %1",
    };
    for (const char* change : kChanges) {
        if (!Exec(QString::fromUtf8(change).arg(std::min<qint64>(companies, 12)), errorText)) {
            return false;
        }
    }
    ModuleLib::SetChangeSource(QString());
    return true;
}

}  // namespace

bool FillDatabase(const DemoOptions& options, QStringList& companyCodes, QString& errorText) {
    // The whole database is written in one transaction; with SQLite's small
    // default page cache its pages would be spilled to disk and read back.
    // The setting lasts as long as the connection does.
    if (ModuleLib::GetDBType(kMainConnection) == QLatin1String("SQLITE") &&
        !Exec(QStringLiteral("PRAGMA cache_size=-131072"), errorText)) {
        return false;
    }
    TTransaction transaction;
    if (!transaction.IsActive()) {
        errorText = transaction.ErrorText();
        return false;
    }
    // What the demo wrote is told apart from what operators did.
    ModuleLib::SetChangeSource(QStringLiteral("演示数据"));
    const bool written = WriteRows(options, companyCodes, errorText);
    ModuleLib::SetChangeSource(QString());
    if (!written || !WriteSomeHistory(options.companies, errorText)) {
        return false;
    }
    if (!transaction.Commit()) {
        errorText = transaction.ErrorText();
        return false;
    }
    return true;
}

bool WriteRecentCompanies(const DemoOptions& options, QString& errorText) {
    // In the order the selection dialog lists them: the same statement.
    TADOQuery query;
    if (!ModuleLib::ExecADOQueryMsg(kMainConnection,
                                    QStringLiteral("select * from XT_QYXX where 1=1 and LBDM=%1")
                                        .arg(options.agency ? kClassServed : kClassCompany),
                                    query, errorText, 1)) {
        return false;
    }
    const int idColumn = query.FieldIndex("QYID");
    QStringList ids;
    for (; !query.Eof(); query.Next()) {
        ids << query.FieldAsString(idColumn);
    }
    // Listing them first shows when they come from the middle of the list. The
    // first is one with both tax rows (every sixth from the first), as the
    // tour goes on with the first row.
    QStringList recent;
    for (const int position : {6, 12, 2}) {
        if (position < ids.size()) {
            recent << ids[position];
        }
    }
    if (recent.isEmpty()) {
        return true;
    }
    ModuleLib::GetUserInfoVO()->SetStrValue("CZY_DM", QString::fromUtf8(kOperatorCode));
    if (!ModuleLib::SetUserConfigParam(QStringLiteral("RecentCompanies"), QStringLiteral("Ids"),
                                       recent.join(u','))) {
        errorText = QStringLiteral("无法写入演示操作员的最近使用单位");
        return false;
    }
    return true;
}

}  // namespace DemoBuild
