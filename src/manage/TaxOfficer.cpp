#include "TaxOfficer.h"

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
        row.Name = rows.FieldByName(QStringLiteral("QYMC"));
        row.IdNumber = rows.FieldByName(QStringLiteral("QYSBH"));
        row.RegionCode = rows.FieldByName(QStringLiteral("XZQHDM"));
    });
    return ran && found;
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

bool Save(const QString& name, const QString& regionCode) {
    QString id;
    bool found = false;
    const QString sql = QStringLiteral("Select QYID from XT_QYXX where 1=1 and LBDM=20");
    if (!SqlQuery::ReadValue("find the tax officer", sql, "QYID", id, &found) || !found ||
        !IsSqlInteger(id)) {
        return false;
    }
    qint64 changed = 0;
    QString errorText;
    const bool ran = SqlQuery::Execute(
        "save the tax officer",
        QStringLiteral("UPDATE XT_QYXX SET QYMC='") + QuoteSqlValue(name.trimmed()) +
            QStringLiteral("', XZQHDM='") + QuoteSqlValue(regionCode.trimmed()) +
            QStringLiteral("' where QYID=") + id.trimmed(),
        errorText, &changed);
    return ran && changed > 0;
}

}  // namespace TaxOfficer
