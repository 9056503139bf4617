#include "CompanyInfoModel.h"

#include <QRegularExpression>

#include "CompanyRecord.h"
#include "HostServices.h"
#include "ShareCapital.h"
#include "SqlQuery.h"
#include "TableColumns.h"
#include "Transaction.h"
#include "f_CommonUnit.h"
#include "f_DataVO.h"

namespace {

using TableColumns::ColumnType;

const char* TableName(InfoTable table) {
    switch (table) {
        case InfoTable::Company:
            return "XT_QYXX";
        case InfoTable::LocalTax:
            return "XT_QYDSXX";
        case InfoTable::StateTax:
            break;
    }
    return "XT_QYGSXX";
}

TableColumns::ColumnList Columns(InfoTable table) {
    switch (table) {
        case InfoTable::Company:
            return TableColumns::kCompany;
        case InfoTable::LocalTax:
            return TableColumns::kLocalTax;
        case InfoTable::StateTax:
            break;
    }
    return TableColumns::kStateTax;
}

bool IsNumeric(InfoTable table, const QString& column) {
    for (const TableColumns::Column& c : Columns(table)) {
        if (column.compare(QLatin1String(c.name.data(), static_cast<qsizetype>(c.name.size())),
                           Qt::CaseInsensitive) == 0) {
            return c.type == ColumnType::Integer || c.type == ColumnType::Money;
        }
    }
    return false;
}

bool IsPlainNumber(const QString& text) {
    static const QRegularExpression number(QStringLiteral("^-?[0-9]+(\\.[0-9]+)?$"));
    return number.match(text).hasMatch();
}

const QString kShareCapital = QStringLiteral("GSGBZE");

// The numbers are stored without the blanks typed around them.
bool IsTrimmed(const QString& column) {
    return column == QLatin1String("QYSBH") || column == QLatin1String("QYDHHM") ||
           column == QLatin1String("QYCZHM");
}
const QString kRegisterType = QStringLiteral("DJZCLX_DM");

// Columns of a tax row that repeat a company column: they follow it when the
// operator changes it, and keep what they hold otherwise.
struct Mirror {
    InfoTable table;
    const char* column;
    const char* companyColumn;
};
constexpr Mirror kMirrors[] = {
    {InfoTable::StateTax, "NSRMC", "QYMC"},  {InfoTable::StateTax, "FDDBRMC", "FDDBRMC"},
    {InfoTable::StateTax, "DHHM", "QYDHHM"}, {InfoTable::StateTax, "YZBM", "YZBM"},
    {InfoTable::StateTax, "ZCDZ", "ZCDZ"},   {InfoTable::StateTax, "YYDZ", "YYDZ"},
    {InfoTable::LocalTax, "DZXX", "EMAIL"},
};

const Mirror* MirrorOf(InfoTable table, const QString& column) {
    for (const Mirror& m : kMirrors) {
        if (m.table == table && column == QLatin1String(m.column)) {
            return &m;
        }
    }
    return nullptr;
}

// What each window writes, column by column, in the statements' order.
const QStringList kPageCompany = {"QYMC",  "FDDBRMC", "CWFZR",  "ZCDZ", "YYDZ", "YZBM",
                                  "EMAIL", "QYDHHM",  "QYCZHM", "HYMC", "HYDM", "ZSID"};
const QStringList kDialogCompany = {"QYSBH", "QYDHHM", "QYCZHM", "YZBM", "EMAIL", "YYDZ"};
const QStringList kLocalTax = {"NSRSBH", "DZXX", "GSGBZE"};
const QStringList kPageStateTax = {"NSRSBH", "NSRBM", "NSRMC", "FDDBRMC",   "DHHM",   "YZBM",
                                   "ZCDZ",   "YYDZ",  "SSHY",  "DJZCLX_DM", "NSRZT",  "KKYH",
                                   "YHZH",   "NSRLX", "XYDJ",  "SSSWJG_DM", "SSDLJG", "JKBZ",
                                   "ZDH",    "JBZH",  "FLZSH", "QYLXMC",    "SSHYMC", "SSSWJG_MC"};
const QStringList kDialogStateTax = {"YYDZ", "DHHM", "YZBM", "SSHY", "SSDLJG"};
// The state-tax child of the current-company object, in its key order.
const QStringList kStateTaxKeys = {"NSRSBH", "NSRBM",     "NSRMC",  "FDDBRMC",   "DHHM",   "YZBM",
                                   "ZCDZ",   "YYDZ",      "SSHY",   "DJZCLX_DM", "NSRZT",  "KKYH",
                                   "YHZH",   "NSRLX",     "XYDJ",   "SSSWJG_DM", "SSDLJG", "JKBZ",
                                   "ZDH",    "SQR",       "SMR",    "KSSCJYRQ",  "KSHLND", "KJZG",
                                   "ZJFMC",  "ZJGSWDJH",  "FZR",    "JBZH",      "FLZSH",  "ICCARD",
                                   "SSHYMC", "SSSWJG_MC", "QYLXDM", "QYLXMC",    "GXSJ",   "GXBZ"};
const QStringList kPageCurrentTexts = {"QYMC", "FDDBRMC", "CWFZR",  "ZCDZ",   "YYDZ",
                                       "YZBM", "QYDHHM",  "EMAIL",  "QYCZHM", "HYDM",
                                       "HYMC", "ZSID",    "CZY_DM", "NSRSBH", "BSY"};
const QStringList kDialogCurrentTexts = {"QYSBH", "QYMC", "QYDHHM", "EMAIL"};

// The host's copies hold at most 255 legacy bytes; the IC cards whole.
QString HostCopy(const QString& column, const QString& value) {
    if (column == QLatin1String("ICCARD")) {
        return value;
    }
    return CutToLegacyBytes(value).toString();
}

QString Quoted(const QString& text) {
    return QLatin1Char('\'') + QuoteSqlValue(text) + QLatin1Char('\'');
}

}  // namespace

bool TCompanyInfoModel::ReadRow(InfoTable table, std::optional<Row>& row) const {
    row.reset();
    return SqlQuery::ReadRows(
        "读取单位信息",
        QStringLiteral("select * from %1 where QYID=%2")
            .arg(QLatin1String(TableName(table)), companyId_),
        [&](TADOQuery& rows) {
            if (rows.Eof()) {
                return;
            }
            row.emplace();
            for (const TableColumns::Column& column : Columns(table)) {
                const QString name = QString::fromLatin1(
                    column.name.data(), static_cast<qsizetype>(column.name.size()));
                const int index = rows.FieldIndex(name);
                row->values[name] = index >= 0 ? rows.FieldAsString(index) : QString();
                if (index < 0 || rows.FieldIsNull(index)) {
                    row->nulls.insert(name);
                }
            }
        });
}

TCompanyInfoModel::LoadResult TCompanyInfoModel::Load(const QString& companyId) {
    try {
        return LoadRows(companyId);
    } catch (...) {
        *this = TCompanyInfoModel();
        logQuery::Error(QStringLiteral("1"), QStringLiteral("读取单位信息：内存不足"));
        return LoadResult::Failed;
    }
}

TCompanyInfoModel::LoadResult TCompanyInfoModel::LoadRows(const QString& companyId) {
    rows_.clear();
    failed_.clear();
    edited_.clear();
    companyId_.clear();
    if (!IsSqlInteger(companyId)) {
        return LoadResult::NoRow;
    }
    companyId_ = companyId.trimmed();
    std::optional<Row> company;
    if (!ReadRow(InfoTable::Company, company)) {
        companyId_.clear();
        return LoadResult::Failed;
    }
    if (!company) {
        companyId_.clear();
        return LoadResult::NoRow;
    }
    rows_[InfoTable::Company] = std::move(company);
    for (InfoTable table : {InfoTable::LocalTax, InfoTable::StateTax}) {
        if (!ReadRow(table, rows_[table])) {
            failed_.insert(table);
        }
    }
    writesStateTax_ = HasRow(InfoTable::StateTax);
    return LoadResult::Loaded;
}

bool TCompanyInfoModel::TaxRowFailed(InfoTable table) const {
    return failed_.count(table) > 0;
}

bool TCompanyInfoModel::HasRow(InfoTable table) const {
    const auto found = rows_.find(table);
    return found != rows_.end() && found->second.has_value();
}

QString TCompanyInfoModel::Stored(InfoTable table, const QString& column) const {
    if (!HasRow(table)) {
        return QString();
    }
    const auto& values = rows_.at(table)->values;
    const auto found = values.find(column.toUpper());
    return found != values.end() ? found->second : QString();
}

QString TCompanyInfoModel::ShownShareCapital() const {
    QString shown;
    ReadStoredShareCapital(Stored(InfoTable::LocalTax, kShareCapital), shown);
    return shown;
}

void TCompanyInfoModel::SetEdited(InfoTable table, const QString& column, const QString& text) {
    edited_[{table, column}] = text;
}

bool TCompanyInfoModel::IsChanged(InfoTable table, const QString& column) const {
    const auto found = edited_.find({table, column});
    if (found == edited_.end()) {
        return false;
    }
    const QString& text = found->second;
    if (table == InfoTable::LocalTax && column == kShareCapital) {
        const QString shown = ShownShareCapital();
        QString typed, was;
        return text != shown &&
               !(ParseShareCapital(text, typed) && ParseShareCapital(shown, was) && typed == was);
    }
    const QString stored = Stored(table, column);
    // Blanks typed around a number are not stored, so they change nothing.
    return text != stored && !(IsTrimmed(column) && text.trimmed() == stored);
}

bool TCompanyInfoModel::IsChanged() const {
    for (const auto& [key, text] : edited_) {
        if (IsChanged(key.first, key.second)) {
            return true;
        }
    }
    return false;
}

std::optional<TInfoCheckFailure> TCompanyInfoModel::Check() const {
    const auto value = [this](InfoTable table, const char* column) {
        const auto found = edited_.find({table, QLatin1String(column)});
        return found != edited_.end() ? found->second : Stored(table, QLatin1String(column));
    };
    const auto company = [&](const char* column) { return value(InfoTable::Company, column); };
    if (company("QYSBH").trimmed().isEmpty()) {
        return TInfoCheckFailure{"QYSBH", InfoMessages::kCompanyCodeEmpty, QString(), false};
    }
    if (!IsValidPhone(company("QYDHHM"))) {
        return TInfoCheckFailure{"QYDHHM", InfoMessages::kPhoneInvalid, QString(), true};
    }
    if (!IsValidPhone(company("QYCZHM"))) {
        return TInfoCheckFailure{"QYCZHM", InfoMessages::kFaxInvalid, QString(), true};
    }
    if (!IsValidEmail(company("EMAIL"))) {
        return TInfoCheckFailure{"EMAIL", InfoMessages::kEmailInvalid, QString(), true};
    }
    if (!IsValidPostCode(company("YZBM"))) {
        return TInfoCheckFailure{"YZBM", 0, QStringLiteral("请输入的正确的邮政编码。"), true};
    }
    // DJZCLX_DM goes into the statements without quotes.
    const QString registerType = value(InfoTable::StateTax, "DJZCLX_DM").trimmed();
    if (writesStateTax_ && IsChanged(InfoTable::StateTax, kRegisterType) &&
        !registerType.isEmpty() && !IsSqlInteger(registerType)) {
        return TInfoCheckFailure{kRegisterType, 0,
                                 QStringLiteral("注册类型（DJZCLX_DM）只能填写整数代码。"), false};
    }
    QString ignored;
    if (HasRow(InfoTable::LocalTax) && IsChanged(InfoTable::LocalTax, kShareCapital) &&
        !ParseShareCapital(value(InfoTable::LocalTax, "GSGBZE"), ignored)) {
        return TInfoCheckFailure{kShareCapital, 0, ShareCapitalInvalidMessage(), false};
    }
    return std::nullopt;
}

std::optional<QString> TCompanyInfoModel::NewValue(InfoTable table, const QString& column) const {
    if (const Mirror* mirror = MirrorOf(table, column)) {
        return NewValue(InfoTable::Company, QLatin1String(mirror->companyColumn));
    }
    if (!IsChanged(table, column)) {
        return std::nullopt;
    }
    const QString text = edited_.at({table, column});
    if (table == InfoTable::LocalTax && column == kShareCapital) {
        // No amount stays as typed, so that no statement takes it.
        QString formatted;
        return ParseShareCapital(text, formatted) ? formatted : text;
    }
    if (column == kRegisterType) {
        return text.trimmed().isEmpty() ? QStringLiteral("0") : text.trimmed();
    }
    if (IsTrimmed(column)) {
        return text.trimmed();
    }
    return text;
}

QString TCompanyInfoModel::SavedShareCapital() const {
    QString shown;
    ReadStoredShareCapital(Saved(InfoTable::LocalTax, kShareCapital), shown);
    return shown;
}

QString TCompanyInfoModel::Saved(InfoTable table, const QString& column) const {
    if (const auto value = NewValue(table, column)) {
        return *value;
    }
    const Mirror* mirror = MirrorOf(table, column);
    if (mirror != nullptr && !HasRow(table)) {
        return Saved(InfoTable::Company, QLatin1String(mirror->companyColumn));
    }
    return Stored(table, column);
}

QStringList TCompanyInfoModel::Statements(InfoWindow window, const QString& today,
                                          bool stateTaxExists) const {
    // An unchanged column is written as it was read, NULL included; a number
    // that reads otherwise keeps its stored value through its own name.
    const auto spelled = [this](InfoTable table, const QString& column,
                                bool inserting) -> std::optional<QString> {
        const bool numeric = IsNumeric(table, column);
        if (const auto value = NewValue(table, column)) {
            if (numeric && !IsPlainNumber(*value)) {
                return std::nullopt;
            }
            return numeric ? *value : Quoted(*value);
        }
        if (inserting) {
            const QString value = Saved(table, column);
            if (numeric) {
                return IsPlainNumber(value) ? value : QStringLiteral("0");
            }
            return Quoted(value);
        }
        const Row& row = *rows_.at(table);
        const QString stored = Stored(table, column);
        if (row.nulls.count(column) > 0) {
            return QStringLiteral("NULL");
        }
        if (numeric) {
            return IsPlainNumber(stored) ? stored : column;
        }
        return Quoted(stored);
    };
    const auto update = [&](InfoTable table, const QStringList& columns,
                            const QString& marks) -> std::optional<QString> {
        QStringList sets;
        for (const QString& column : columns) {
            const auto value = spelled(table, column, false);
            if (!value) {
                return std::nullopt;
            }
            sets << column + QLatin1Char('=') + *value;
        }
        if (!marks.isEmpty()) {
            sets << marks;
        }
        return QStringLiteral("UPDATE %1 SET ").arg(QLatin1String(TableName(table))) +
               sets.join(QStringLiteral(", ")) + QStringLiteral(" where QYID=") + companyId_;
    };
    const QString marks = QStringLiteral("GXSJ=") + Quoted(today) + QStringLiteral(", GXBZ=1");
    QStringList statements;
    const bool page = window == InfoWindow::Page;
    std::optional<QString> sql =
        update(InfoTable::Company, page ? kPageCompany : kDialogCompany, {});
    statements << sql.value_or(QString());
    if (HasRow(InfoTable::LocalTax)) {
        statements << update(InfoTable::LocalTax, kLocalTax, marks).value_or(QString());
    }
    if (page && writesStateTax_ && !stateTaxExists) {
        QStringList columns = {QStringLiteral("QYID")};
        QStringList values = {companyId_};
        for (const QString& column : kPageStateTax) {
            const auto value = spelled(InfoTable::StateTax, column, true);
            columns << column;
            values << value.value_or(QString());
            if (!value) {
                values.clear();
                break;
            }
        }
        const QString date = ModuleLib::GetSQLDataTime(QString::fromLatin1(kMainConnection), today);
        statements << (values.isEmpty()
                           ? QString()
                           : QStringLiteral("INSERT INTO XT_QYGSXX(%1,GXSJ,GXBZ) VALUES(%2,%3,1)")
                                 .arg(columns.join(QLatin1Char(',')), values.join(QLatin1Char(',')),
                                      date));
    } else if ((page && writesStateTax_) || (!page && HasRow(InfoTable::StateTax))) {
        statements << update(InfoTable::StateTax, page ? kPageStateTax : kDialogStateTax,
                             page ? marks : QString())
                          .value_or(QString());
    }
    return statements;
}

TCompanyInfoModel::SaveResult TCompanyInfoModel::Save(InfoWindow window, const QString& today) {
    try {
        return RunStatements(window, today);
    } catch (...) {
        logQuery::Error(QStringLiteral("1"), QStringLiteral("保存单位信息：内存不足，未保存完"));
        return SaveResult::Failed;
    }
}

TCompanyInfoModel::SaveResult TCompanyInfoModel::RunStatements(InfoWindow window,
                                                               const QString& today) {
    if (companyId_.isEmpty()) {
        logQuery::Error(QStringLiteral("1"),
                        QStringLiteral("保存单位信息：单位编号不是数字，未保存"));
        return SaveResult::Failed;
    }
    // Serialised with the write-backs and the delete: a company deleted
    // meanwhile would get a state-tax row without its company, and an update
    // of no row would be reported as saved.
    TTransaction transaction(ModuleLib::TransactionMode::Serialized, companyId_.toLongLong());
    if (!transaction.IsActive()) {
        logQuery::Error(QStringLiteral("1"),
                        QStringLiteral("保存单位信息：") + transaction.ErrorText());
        return SaveResult::Failed;
    }
    bool stateTaxExists = HasRow(InfoTable::StateTax);
    if (window == InfoWindow::Page && writesStateTax_) {
        // Another desk may have added or removed the row since it was read.
        QString ignored;
        if (!SqlQuery::ReadValue("单位国税信息读取",
                                 QStringLiteral("select 1 from XT_QYGSXX where QYID=") + companyId_,
                                 "1", ignored, &stateTaxExists)) {
            return SaveResult::Failed;
        }
        if (stateTaxExists && !HasRow(InfoTable::StateTax)) {
            rows_[InfoTable::StateTax] = Row();
        }
    }
    const QStringList statements = Statements(window, today, stateTaxExists);
    // One that cannot be stored stops the save before the first, or the
    // earlier tables would be written.
    for (const QString& sql : statements) {
        if (sql.isEmpty()) {
            logQuery::Error(QStringLiteral("1"),
                            QStringLiteral("保存单位信息：内容不是数字，未保存"));
            return SaveResult::Failed;
        }
        if (!SqlQuery::Storable(sql)) {
            logQuery::Error(QStringLiteral("1"),
                            QStringLiteral("保存单位信息：内容含有空字符(U+0000)，未保存"));
            return SaveResult::Failed;
        }
    }
    // The company's own row comes first; no row matched means it is gone.
    QString errorText;
    qint64 companyRows = 0;
    if (!SqlQuery::Execute("保存单位信息", statements.first(), errorText, &companyRows)) {
        return SaveResult::Failed;
    }
    if (companyRows <= 0) {
        logQuery::Error(QStringLiteral("1"),
                        QStringLiteral("保存单位信息：单位[%1]已被删除，未保存").arg(companyId_));
        return SaveResult::Failed;
    }
    // The tables are not written all or nothing: a later table that fails
    // keeps the earlier ones written, each in a savepoint of its own.
    bool written = true;
    for (qsizetype i = 1; written && i < statements.size(); ++i) {
        TTransaction step;
        written = SqlQuery::Execute("保存单位信息", statements.at(i)) && step.Commit();
    }
    if (!transaction.Commit()) {
        logQuery::Error(QStringLiteral("1"),
                        QStringLiteral("保存单位信息：") + transaction.ErrorText());
        return SaveResult::Failed;
    }
    return written ? SaveResult::Saved : SaveResult::Failed;
}

void TCompanyInfoModel::RefreshCurrentCompany(TDataVO& current, InfoWindow window,
                                              const QString& today) const {
    const bool page = window == InfoWindow::Page;
    for (const QString& column : page ? kPageCurrentTexts : kDialogCurrentTexts) {
        current.SetStrValue(column, HostCopy(column, Saved(InfoTable::Company, column)));
    }
    const bool localTaxChanged = IsChanged(InfoTable::Company, QStringLiteral("EMAIL")) ||
                                 IsChanged(InfoTable::LocalTax, kShareCapital);
    auto* localTax = dynamic_cast<TDataVO*>(current.GetObjValue(QStringLiteral("QYDSXX")));
    if (localTax != nullptr && (page || localTaxChanged)) {
        localTax->SetStrValue(kShareCapital,
                              HasRow(InfoTable::LocalTax) ? SavedShareCapital() : QString());
        localTax->SetStrValue(QStringLiteral("DZXX"),
                              HostCopy({}, Saved(InfoTable::Company, QStringLiteral("EMAIL"))));
        localTax->SetStrValue(QStringLiteral("GXSJ"), today);
        localTax->SetStrValue(QStringLiteral("GXBZ"), QStringLiteral("1"));
    }
    auto* stateTax = dynamic_cast<TDataVO*>(current.GetObjValue(QStringLiteral("QYGSXX")));
    if (page && writesStateTax_) {
        if (stateTax == nullptr) {
            stateTax = new TDataVO();
            current.SetObjValue(QStringLiteral("QYGSXX"), stateTax);
        }
        for (const QString& column : kStateTaxKeys) {
            stateTax->SetStrValue(column, HostCopy(column, Saved(InfoTable::StateTax, column)));
        }
        stateTax->SetStrValue(QStringLiteral("GXSJ"), today);
        stateTax->SetStrValue(QStringLiteral("GXBZ"), QStringLiteral("1"));
    } else if (!page && stateTax != nullptr && HasRow(InfoTable::StateTax)) {
        for (const QString& column : kDialogStateTax) {
            stateTax->SetStrValue(column, HostCopy(column, Saved(InfoTable::StateTax, column)));
        }
    }
}
