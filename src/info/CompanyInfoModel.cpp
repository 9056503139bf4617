#include "CompanyInfoModel.h"

#include "ChangeSource.h"
#include "CompanyRecord.h"
#include "HostServices.h"
#include "MessageCodes.h"
#include "ShareCapital.h"
#include "SqlQuery.h"
#include "SqlWriter.h"
#include "TableColumns.h"
#include "TaxRecords.h"
#include "Transaction.h"
#include "f_CommonUnit.h"
#include "f_DataVO.h"

const char* InfoTableName(InfoTable table) {
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

namespace {

using TableColumns::ColumnType;

const char* TableName(InfoTable table) {
    return InfoTableName(table);
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

// The statements each window runs, as their texts stand, a "{COLUMN}" for
// each value.
const QString kPageCompanyUpdate = QStringLiteral(
    "UPDATE XT_QYXX SET QYMC={QYMC}, FDDBRMC={FDDBRMC}, CWFZR={CWFZR}, ZCDZ={ZCDZ}, "
    "YYDZ={YYDZ}, YZBM={YZBM}, EMAIL={EMAIL}, QYDHHM={QYDHHM}, QYCZHM={QYCZHM}, HYMC={HYMC}, "
    "HYDM={HYDM}, ZSID={ZSID} where QYID={QYID}");
const QString kDialogCompanyUpdate = QStringLiteral(
    "UPDATE XT_QYXX SET QYSBH={QYSBH}, QYDHHM ={QYDHHM}, QYCZHM={QYCZHM}, YZBM={YZBM}, "
    "EMAIL={EMAIL}, YYDZ={YYDZ} where QYID={QYID}");
const QString kLocalTaxUpdate = QStringLiteral(
    "UPDATE XT_QYDSXX SET Nsrsbh={NSRSBH},DZXX={DZXX}, GSGBZE ={GSGBZE},GXSJ={GXSJ}, Gxbz=1 "
    "where QYID={QYID}");
const QString kPageStateTaxUpdate = QStringLiteral(
    "UPDATE XT_QYGSXX SET NSRSBH={NSRSBH}, NSRBM ={NSRBM}, NSRMC ={NSRMC}, FDDBRMC={FDDBRMC}, "
    "DHHM={DHHM}, YZBM={YZBM}, ZCDZ={ZCDZ}, YYDZ={YYDZ}, SSHY={SSHY}, DJZCLX_DM={DJZCLX_DM}, "
    "NSRZT={NSRZT}, KKYH={KKYH}, YHZH={YHZH}, NSRLX={NSRLX}, XYDJ={XYDJ}, "
    "SSSWJG_DM={SSSWJG_DM}, SSDLJG={SSDLJG}, JKBZ={JKBZ}, ZDH={ZDH}, JBZH={JBZH}, "
    "FLZSH={FLZSH}, QYLXMC={QYLXMC}, SSHYMC={SSHYMC}, SSSWJG_MC={SSSWJG_MC}, GXSJ={GXSJ}, "
    "GXBZ=1 where QYID={QYID}");
const QString kStateTaxInsert = QStringLiteral(
    "INSERT INTO XT_QYGSXX(QYID, NSRSBH, NSRBM, NSRMC,FDDBRMC,DHHM,YZBM,ZCDZ,YYDZ,SSHY,"
    "DJZCLX_DM,NSRZT,KKYH,YHZH,NSRLX,XYDJ,SSSWJG_DM,SSDLJG,JKBZ,ZDH,JBZH,FLZSH,QYLXMC,SSHYMC,"
    "SSSWJG_MC,GXSJ,GXBZ) VALUES({QYID},{NSRSBH},{NSRBM},{NSRMC},{FDDBRMC},{DHHM},{YZBM},"
    "{ZCDZ},{YYDZ},{SSHY},{DJZCLX_DM},{NSRZT},{KKYH},{YHZH},{NSRLX},{XYDJ},{SSSWJG_DM},"
    "{SSDLJG},{JKBZ},{ZDH},{JBZH},{FLZSH},{QYLXMC},{SSHYMC},{SSSWJG_MC},{GXSJ},1)");
const QString kDialogStateTaxUpdate = QStringLiteral(
    "UPDATE XT_QYGSXX SET YYDZ={YYDZ}, DHHM ={DHHM}, YZBM ={YZBM}, SSHY={SSHY}, "
    "SSDLJG={SSDLJG} where QYID={QYID}");
const QString kDialogStateTax[] = {"YYDZ", "DHHM", "YZBM", "SSHY", "SSDLJG"};

// The "{COLUMN}"s of a statement's text, in order.
QStringList Placeholders(const QString& text) {
    QStringList columns;
    for (qsizetype open = text.indexOf(QLatin1Char('{')); open >= 0;
         open = text.indexOf(QLatin1Char('{'), open + 1)) {
        columns << text.mid(open + 1, text.indexOf(QLatin1Char('}'), open) - open - 1);
    }
    return columns;
}

const QStringList kPageCurrentTexts = {"QYMC", "FDDBRMC", "CWFZR",  "ZCDZ",   "YYDZ",
                                       "YZBM", "QYDHHM",  "EMAIL",  "QYCZHM", "HYDM",
                                       "HYMC", "ZSID",    "CZY_DM", "NSRSBH", "BSY"};
const QStringList kDialogCurrentTexts = {"QYSBH", "QYMC", "QYDHHM", "EMAIL"};

}  // namespace

bool TCompanyInfoModel::ReadRow(InfoTable table, std::optional<TStoredRow>& row) const {
    return TStoredRow::Read(TableName(table), companyId_, row);
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
    std::optional<TStoredRow> company;
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
    return rows_.at(table)->Text(column);
}

QString TCompanyInfoModel::ShownShareCapital() const {
    QString shown;
    ReadStoredShareCapital(Stored(InfoTable::LocalTax, kShareCapital), shown);
    return shown;
}

QString TCompanyInfoModel::Shown(InfoTable table, const QString& column) const {
    return table == InfoTable::LocalTax && column == kShareCapital ? ShownShareCapital()
                                                                   : Stored(table, column);
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
    // What the operator changed is checked; what he left is kept as stored.
    const auto edited = [this](InfoTable table, const char* column) -> std::optional<QString> {
        const auto found = edited_.find({table, QLatin1String(column)});
        if (found == edited_.end() || !IsChanged(table, QLatin1String(column))) {
            return std::nullopt;
        }
        return found->second;
    };
    const auto company = [&](const char* column) { return edited(InfoTable::Company, column); };
    const QString code = company("QYSBH").value_or(Stored(InfoTable::Company, "QYSBH"));
    if (code.trimmed().isEmpty()) {
        return TInfoCheckFailure{InfoTable::Company, "QYSBH", MessageCodes::kCompanyCodeEmpty,
                                 QString(), false};
    }
    const auto phone = company("QYDHHM");
    if (phone && !IsValidPhone(*phone)) {
        return TInfoCheckFailure{InfoTable::Company, "QYDHHM", MessageCodes::kPhoneInvalid,
                                 QString(), true};
    }
    const auto fax = company("QYCZHM");
    if (fax && !IsValidPhone(*fax)) {
        return TInfoCheckFailure{InfoTable::Company, "QYCZHM", MessageCodes::kFaxInvalid, QString(),
                                 true};
    }
    const auto mail = company("EMAIL");
    if (mail && !IsValidEmail(*mail)) {
        return TInfoCheckFailure{InfoTable::Company, "EMAIL", MessageCodes::kEmailInvalid,
                                 QString(), true};
    }
    const auto postCode = company("YZBM");
    if (postCode && !IsValidPostCode(*postCode)) {
        return TInfoCheckFailure{InfoTable::Company, "YZBM", 0,
                                 QStringLiteral("请输入的正确的邮政编码。"), true};
    }
    // DJZCLX_DM goes into the statements without quotes.
    const QString registerType = edited(InfoTable::StateTax, "DJZCLX_DM").value_or(QString());
    if (writesStateTax_ && IsChanged(InfoTable::StateTax, kRegisterType) &&
        !registerType.trimmed().isEmpty() && !IsSqlInteger(registerType)) {
        return TInfoCheckFailure{InfoTable::StateTax, kRegisterType, 0,
                                 QStringLiteral("注册类型（DJZCLX_DM）只能填写整数代码。"), false};
    }
    QString ignored;
    if (HasRow(InfoTable::LocalTax) && IsChanged(InfoTable::LocalTax, kShareCapital) &&
        !ParseShareCapital(edited(InfoTable::LocalTax, "GSGBZE").value_or(QString()), ignored)) {
        return TInfoCheckFailure{InfoTable::LocalTax, kShareCapital, 0,
                                 ShareCapitalInvalidMessage(), false};
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

TSqlValue TCompanyInfoModel::ValueOf(InfoTable table, const QString& column, bool inserting,
                                     const QString& today) const {
    if (column == QLatin1String("QYID")) {
        return TSqlValue::Of(companyId_);
    }
    if (column == QLatin1String("GXSJ")) {
        // The insert takes the host's date literal; the updates the text.
        return inserting ? TSqlValue::Literal(ModuleLib::GetSQLDataTime(
                               QString::fromLatin1(kMainConnection), today))
                         : TSqlValue::Of(today);
    }
    if (const auto value = NewValue(table, column)) {
        return TSqlValue::Of(*value);
    }
    if (!inserting) {
        return TSqlValue::Itself();
    }
    const QString value = Saved(table, column);
    return TSqlValue::Of(column == kRegisterType && value.trimmed().isEmpty() ? QStringLiteral("0")
                                                                              : value);
}

bool TCompanyInfoModel::Statements(InfoWindow window, const QString& today,
                                   std::vector<Statement>& statements, QString& errorText) const {
    const bool page = window == InfoWindow::Page;
    std::vector<std::pair<InfoTable, QString>> texts = {
        {InfoTable::Company, page ? kPageCompanyUpdate : kDialogCompanyUpdate}};
    if (HasRow(InfoTable::LocalTax)) {
        texts.emplace_back(InfoTable::LocalTax, kLocalTaxUpdate);
    }
    if (page && writesStateTax_) {
        texts.emplace_back(InfoTable::StateTax,
                           HasRow(InfoTable::StateTax) ? kPageStateTaxUpdate : kStateTaxInsert);
    } else if (!page && HasRow(InfoTable::StateTax)) {
        texts.emplace_back(InfoTable::StateTax, kDialogStateTaxUpdate);
    }
    statements.clear();
    for (const auto& [table, text] : texts) {
        const bool inserting = text.startsWith(QLatin1String("INSERT"));
        Statement statement{table, QString(), {}};
        std::map<QString, TSqlValue> values;
        for (const QString& column : Placeholders(text)) {
            const TSqlValue value = ValueOf(table, column, inserting, today);
            values.emplace(column, value);
            // The update marks are this save's own; another desk's are no
            // change of the operator's.
            if (value.kind() != TSqlValue::Kind::Itself && column != QLatin1String("QYID") &&
                column != QLatin1String("GXSJ")) {
                statement.written << column;
            }
        }
        if (!SqlWriter::Fill(TableName(table), text, values, statement.sql, errorText)) {
            return false;
        }
        statements.push_back(std::move(statement));
    }
    return true;
}

TCompanyInfoModel::SaveResult TCompanyInfoModel::Save(InfoWindow window, const QString& today) {
    const TChangeSource source(window == InfoWindow::Page ? ChangeSources::kInfoPage
                                                          : ChangeSources::kInfoDialog);
    try {
        return RunStatements(window, today);
    } catch (...) {
        logQuery::Error(QStringLiteral("1"), QStringLiteral("保存单位信息：内存不足，未保存完"));
        return SaveResult::Failed;
    }
}

bool TCompanyInfoModel::Reread() {
    Rows now;
    for (InfoTable table : {InfoTable::Company, InfoTable::LocalTax, InfoTable::StateTax}) {
        if (!ReadRow(table, now[table])) {
            return false;
        }
    }
    rows_ = std::move(now);
    return true;
}

TCompanyInfoModel::SaveResult TCompanyInfoModel::RunStatements(InfoWindow window,
                                                               const QString& today) {
    changedMeanwhile_.clear();
    const auto fail = [](const QString& why) {
        logQuery::Error(QStringLiteral("1"), QStringLiteral("保存单位信息：") + why);
        return SaveResult::Failed;
    };
    if (companyId_.isEmpty()) {
        return fail(QStringLiteral("单位编号不是数字，未保存"));
    }
    std::vector<Statement> statements;
    QString errorText;
    // One that cannot be stored stops the save before the first, or the
    // earlier tables would be written.
    if (!Statements(window, today, statements, errorText)) {
        return fail(errorText + QStringLiteral("，未保存"));
    }
    for (const Statement& statement : statements) {
        if (!SqlQuery::Storable(statement.sql)) {
            return fail(QStringLiteral("内容含有空字符(U+0000)，未保存"));
        }
    }
    // The check and the writes in one step, serialised with the other desks'
    // saves, the write-backs and the delete of this company.
    TTransaction transaction(ModuleLib::TransactionMode::Serialized, companyId_.toLongLong());
    if (!transaction.IsActive()) {
        return fail(transaction.ErrorText());
    }
    Rows now;
    for (const Statement& statement : statements) {
        if (!ReadRow(statement.table, now[statement.table])) {
            return fail(QStringLiteral("无法读取单位的当前记录，未保存"));
        }
    }
    if (!now[InfoTable::Company]) {
        return fail(QStringLiteral("单位[%1]已被删除，未保存").arg(companyId_));
    }
    for (const Statement& statement : statements) {
        changedMeanwhile_ << ::ChangedMeanwhile(TableName(statement.table), rows_[statement.table],
                                                now[statement.table], statement.written);
    }
    if (!changedMeanwhile_.isEmpty()) {
        return SaveResult::Changed;
    }
    qint64 companyRows = 0;
    if (!SqlQuery::Execute("保存单位信息", statements.front().sql, errorText, &companyRows)) {
        return SaveResult::Failed;
    }
    if (companyRows <= 0) {
        return fail(QStringLiteral("单位[%1]已被删除，未保存").arg(companyId_));
    }
    // The tables are not written all or nothing: a later table that fails
    // keeps the earlier ones written, each in a savepoint of its own.
    bool written = true;
    for (std::size_t i = 1; written && i < statements.size(); ++i) {
        TTransaction step;
        qint64 rows = 0;
        written = SqlQuery::Execute("保存单位信息", statements[i].sql, errorText, &rows) &&
                  rows > 0 && step.Commit();
    }
    if (!transaction.Commit()) {
        return transaction.OutcomeUnknown() ? SaveResult::Unknown : fail(transaction.ErrorText());
    }
    return written ? SaveResult::Saved : SaveResult::Failed;
}

void TCompanyInfoModel::RefreshCurrentCompany(TDataVO& current, InfoWindow window,
                                              const QString& today) const {
    const bool page = window == InfoWindow::Page;
    for (const QString& column : page ? kPageCurrentTexts : kDialogCurrentTexts) {
        current.SetStrValue(column,
                            TaxRecords::HostCopy(column, Saved(InfoTable::Company, column)));
    }
    const bool localTaxChanged = IsChanged(InfoTable::Company, QStringLiteral("EMAIL")) ||
                                 IsChanged(InfoTable::LocalTax, kShareCapital);
    auto* localTax = dynamic_cast<TDataVO*>(current.GetObjValue(QStringLiteral("QYDSXX")));
    if (localTax != nullptr && (page || localTaxChanged)) {
        localTax->SetStrValue(kShareCapital,
                              HasRow(InfoTable::LocalTax) ? SavedShareCapital() : QString());
        localTax->SetStrValue(
            QStringLiteral("DZXX"),
            TaxRecords::HostCopy({}, Saved(InfoTable::Company, QStringLiteral("EMAIL"))));
        localTax->SetStrValue(QStringLiteral("GXSJ"), today);
        localTax->SetStrValue(QStringLiteral("GXBZ"), QStringLiteral("1"));
    }
    auto* stateTax = dynamic_cast<TDataVO*>(current.GetObjValue(QStringLiteral("QYGSXX")));
    if (page && writesStateTax_) {
        if (stateTax == nullptr) {
            stateTax = new TDataVO();
            current.SetObjValue(QStringLiteral("QYGSXX"), stateTax);
        }
        for (const char* key : TaxRecords::StateTaxKeys()) {
            const QString column = QLatin1String(key);
            stateTax->SetStrValue(column,
                                  TaxRecords::HostCopy(column, Saved(InfoTable::StateTax, column)));
        }
        stateTax->SetStrValue(QStringLiteral("GXSJ"), today);
        stateTax->SetStrValue(QStringLiteral("GXBZ"), QStringLiteral("1"));
    } else if (!page && stateTax != nullptr && HasRow(InfoTable::StateTax)) {
        for (const QString& column : kDialogStateTax) {
            stateTax->SetStrValue(column,
                                  TaxRecords::HostCopy(column, Saved(InfoTable::StateTax, column)));
        }
    }
}
