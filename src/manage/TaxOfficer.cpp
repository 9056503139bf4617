#include "TaxOfficer.h"

#include "ChangeSource.h"
#include "HostServices.h"
#include "IdentityNumber.h"
#include "SqlQuery.h"
#include "f_CommonUnit.h"

namespace {

const QString kOfficerRows = QStringLiteral("Select * from XT_QYXX where 1=1 and LBDM=20");
constexpr QChar kHeadingMark(0xFF0D);  // "－"

}  // namespace

namespace TaxOfficer {

bool ReadRegions(const QString& appPath, QStringList& items) {
    QString ignored;
    return ModuleLib::ReadDataFileLines(appPath + QStringLiteral("AppComs/Dmzd/CantonCode.dat"),
                                        items, ignored);
}

QString RegionCode(const QString& item) {
    if (item.isEmpty() || item.startsWith(kHeadingMark)) {
        return QString();
    }
    return item.left(4);
}

bool ReadRow(TRow& row) {
    bool found = false;
    const bool ran = SqlQuery::ReadRows("read the tax officer", kOfficerRows, [&](TADOQuery& rows) {
        if (rows.Eof()) {
            return;
        }
        found = true;
        row.Id = rows.FieldByName(QStringLiteral("QYID"));
        row.Name = rows.FieldByName(QStringLiteral("QYMC"));
        row.IdNumber = rows.FieldByName(QStringLiteral("QYSBH"));
        row.RegionCode = rows.FieldByName(QStringLiteral("XZQHDM"));
    });
    return ran && found && TStoredRow::Read("XT_QYXX", row.Id, row.Stored) && row.Stored;
}

QString Validate(const QString& name, const QString& idNumber, const QString& regionCode,
                 Field& field) {
    field = Field::None;
    if (name.trimmed().isEmpty()) {
        field = Field::Name;
        return QStringLiteral("办税员姓名不能为空！");
    }
    if (idNumber.trimmed().isEmpty()) {
        field = Field::IdNumber;
        return QStringLiteral("身份证号不能为空！");
    }
    const QString idError = IdentityNumber::Check(idNumber);
    if (!idError.isEmpty()) {
        field = Field::IdNumber;
        return idError + QLatin1Char('\r');
    }
    if (regionCode.trimmed().isEmpty()) {
        field = Field::Region;
        return QStringLiteral("所在地不能为空！");
    }
    return QString();
}

namespace {

SaveResult SaveChanged(const TRow& loaded, const std::optional<QString>& name,
                       const std::optional<QString>& regionCode, QStringList& changed) {
    const TChangeSource source(ChangeSources::kOfficer);
    changed.clear();
    if (!loaded.Stored) {
        return SaveResult::Failed;
    }
    TRowSave save{
        "XT_QYXX",
        loaded.Id,
        QStringLiteral("UPDATE XT_QYXX SET QYMC={QYMC}, XZQHDM={XZQHDM} where QYID={QYID}"),
        {{QStringLiteral("QYID"), TSqlValue::Of(loaded.Id)}},
        {}};
    const std::pair<const char*, const std::optional<QString>&> values[] = {{"QYMC", name},
                                                                            {"XZQHDM", regionCode}};
    for (const auto& [column, value] : values) {
        const QString key = QLatin1String(column);
        if (value) {
            save.values.emplace(key, TSqlValue::Of(value->trimmed()));
            save.written << key;
        } else {
            save.values.emplace(key, TSqlValue::Itself());
        }
    }
    QString errorText;
    switch (SaveRow(save, *loaded.Stored, changed, errorText)) {
        case RowSaveResult::Saved:
            return SaveResult::Saved;
        case RowSaveResult::Changed:
            return SaveResult::Changed;
        case RowSaveResult::Gone:
            logQuery::Warn("1", QStringLiteral("保存办税员：办税员的记录已不存在"));
            return SaveResult::Failed;
        case RowSaveResult::Unknown:
            logQuery::Warn("1", QStringLiteral("保存办税员：") + errorText);
            return SaveResult::Unknown;
        case RowSaveResult::Failed:
            break;
    }
    logQuery::Warn("1", QStringLiteral("保存办税员：") + errorText);
    return SaveResult::Failed;
}

}  // namespace

SaveResult Save(const TRow& loaded, const std::optional<QString>& name,
                const std::optional<QString>& regionCode, QStringList& changed) {
    try {
        return SaveChanged(loaded, name, regionCode, changed);
    } catch (...) {
        logQuery::Warn("1", QStringLiteral("保存办税员：内存不足，未保存"));
        return SaveResult::Failed;
    }
}

}  // namespace TaxOfficer
