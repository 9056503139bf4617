#include "CompanyInfoInnerSave.h"

#include "f_CommonUnit.h"
#include "f_DataVO.h"

namespace CompanyInfoInnerSave {

namespace {

constexpr int kCompanyCodeEmpty = 106021;
constexpr int kPhoneInvalid = 106022;
constexpr int kFaxInvalid = 106023;
constexpr int kEmailInvalid = 106024;

QString Q(const QString& text) {
    return QuoteSqlValue(text);
}

QString Field(const TCompanyRecord& company, CompanyField field) {
    return QuoteSqlValue(company.Field(field));
}

// The id, trimmed, when it may go into SQL without quotes.
std::optional<QString> CompanyId(const QString& id) {
    if (!IsSqlInteger(id)) {
        return std::nullopt;
    }
    return id.trimmed();
}

}  // namespace

std::optional<TCheckFailure> CheckInput(const TCheckInput& input) {
    if (input.companyCode.trimmed().isEmpty()) {
        return TCheckFailure{CheckedField::CompanyCode, kCompanyCodeEmpty, QString(), false};
    }
    if (!IsValidPhone(input.phone)) {
        return TCheckFailure{CheckedField::Phone, kPhoneInvalid, QString(), true};
    }
    if (!IsValidPhone(input.fax)) {
        return TCheckFailure{CheckedField::Fax, kFaxInvalid, QString(), true};
    }
    if (!IsValidEmail(input.email)) {
        return TCheckFailure{CheckedField::Email, kEmailInvalid, QString(), true};
    }
    if (!IsValidEmail(input.localTaxEmail)) {
        return TCheckFailure{CheckedField::LocalTaxEmail, kEmailInvalid, QString(), true};
    }
    if (!IsValidPostCode(input.postCode)) {
        return TCheckFailure{CheckedField::PostCode, 0, QStringLiteral("请输入的正确的邮政编码。"),
                             true};
    }
    // DJZCLX_DM goes into the statements without quotes.
    if (input.writesStateTax && !input.registerType.trimmed().isEmpty() &&
        !IsSqlInteger(input.registerType)) {
        return TCheckFailure{CheckedField::RegisterType, 0,
                             QStringLiteral("注册类型（DJZCLX_DM）只能填写整数代码。"), false};
    }
    return std::nullopt;
}

QString StateTaxValue(const TStateTaxRecord& record, const char* column) {
    const auto found = record.find(QLatin1String(column));
    return found != record.end() ? found->second : QString();
}

const QStringList& StateTaxRecordColumns() {
    static const QStringList columns = {
        "NSRSBH", "NSRBM",     "NSRMC", "FDDBRMC", "DHHM",  "YZBM",     "ZCDZ",   "YYDZ",
        "SSHY",   "DJZCLX_DM", "NSRZT", "KKYH",    "YHZH",  "NSRLX",    "XYDJ",   "SSSWJG_DM",
        "SSDLJG", "JKBZ",      "ZDH",   "SQR",     "SMR",   "KSSCJYRQ", "KSHLND", "KJZG",
        "ZJFMC",  "ZJGSWDJH",  "FZR",   "JBZH",    "FLZSH", "ICCARD",   "SSHYMC", "SSSWJG_MC",
        "QYLXDM", "QYLXMC",    "GXSJ",  "GXBZ"};
    return columns;
}

QString CompanyUpdateSql(const TCompanyRecord& c) {
    const auto id = CompanyId(c.QYID());
    if (!id) {
        return QString();
    }
    using F = CompanyField;
    return QStringLiteral("UPDATE XT_QYXX SET QYMC='") + Field(c, F::QYMC) +
           QStringLiteral("', FDDBRMC='") + Field(c, F::FDDBRMC) + QStringLiteral("', CWFZR='") +
           Field(c, F::CWFZR) + QStringLiteral("', ZCDZ='") + Field(c, F::ZCDZ) +
           QStringLiteral("', YYDZ='") + Field(c, F::YYDZ) + QStringLiteral("', YZBM='") +
           Field(c, F::YZBM) + QStringLiteral("', EMAIL='") + Field(c, F::EMAIL) +
           QStringLiteral("', QYDHHM='") + Field(c, F::QYDHHM) + QStringLiteral("', QYCZHM='") +
           Field(c, F::QYCZHM) + QStringLiteral("', HYMC='") + Field(c, F::HYMC) +
           QStringLiteral("', HYDM='") + Field(c, F::HYDM) + QStringLiteral("', ZSID='") +
           Field(c, F::ZSID) + QStringLiteral("' where QYID=") + *id;
}

QString LocalTaxUpdateSql(const QString& companyId, const QString& taxRegistrationNumber,
                          const QString& email, const QString& shareCapital, const QString& today) {
    const auto id = CompanyId(companyId);
    if (!id) {
        return QString();
    }
    return QStringLiteral("UPDATE XT_QYDSXX SET Nsrsbh='") + Q(taxRegistrationNumber) +
           QStringLiteral("',DZXX='") + Q(email) + QStringLiteral("', GSGBZE =") + shareCapital +
           QStringLiteral(",GXSJ='") + Q(today) + QStringLiteral("', Gxbz=1 where QYID=") + *id;
}

QString StateTaxExistsSql(const QString& companyId) {
    const auto id = CompanyId(companyId);
    if (!id) {
        return QString();
    }
    return QStringLiteral("select 1 from XT_QYGSXX where QYID=") + *id;
}

namespace {

// DJZCLX_DM as it goes into SQL: "0" for empty, nothing for a non-number.
std::optional<QString> RegisterType(const TStateTaxRecord& stateTax) {
    const QString value = StateTaxValue(stateTax, "DJZCLX_DM").trimmed();
    if (value.isEmpty()) {
        return QStringLiteral("0");
    }
    if (!IsSqlInteger(value)) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

QString StateTaxUpdateSql(const TCompanyRecord& c, const TStateTaxRecord& s, const QString& today) {
    const auto id = CompanyId(c.QYID());
    const auto registerType = RegisterType(s);
    if (!id || !registerType) {
        return QString();
    }
    using F = CompanyField;
    const auto v = [&](const char* column) { return Q(StateTaxValue(s, column)); };
    return QStringLiteral("UPDATE XT_QYGSXX SET NSRSBH='") + v("NSRSBH") +
           QStringLiteral("', NSRBM ='") + v("NSRBM") + QStringLiteral("', NSRMC ='") +
           Field(c, F::QYMC) + QStringLiteral("', FDDBRMC='") + Field(c, F::FDDBRMC) +
           QStringLiteral("', DHHM='") + Field(c, F::QYDHHM) + QStringLiteral("', YZBM='") +
           Field(c, F::YZBM) + QStringLiteral("', ZCDZ='") + Field(c, F::ZCDZ) +
           QStringLiteral("', YYDZ='") + Field(c, F::YYDZ) + QStringLiteral("', SSHY='") +
           v("SSHY") + QStringLiteral("', DJZCLX_DM=") + *registerType +
           QStringLiteral(", NSRZT='") + v("NSRZT") + QStringLiteral("', KKYH='") + v("KKYH") +
           QStringLiteral("', YHZH='") + v("YHZH") + QStringLiteral("', NSRLX='") + v("NSRLX") +
           QStringLiteral("', XYDJ='") + v("XYDJ") + QStringLiteral("', SSSWJG_DM='") +
           v("SSSWJG_DM") + QStringLiteral("', SSDLJG='") + v("SSDLJG") +
           QStringLiteral("', JKBZ='") + v("JKBZ") + QStringLiteral("', ZDH='") + v("ZDH") +
           QStringLiteral("', JBZH='") + v("JBZH") + QStringLiteral("', FLZSH='") + v("FLZSH") +
           QStringLiteral("', QYLXMC='") + v("QYLXMC") + QStringLiteral("', SSHYMC='") +
           v("SSHYMC") + QStringLiteral("', SSSWJG_MC='") + v("SSSWJG_MC") +
           QStringLiteral("', GXSJ='") + Q(today) + QStringLiteral("', GXBZ=1 where QYID=") + *id;
}

QString StateTaxInsertSql(const TCompanyRecord& c, const TStateTaxRecord& s,
                          const QString& dateLiteral) {
    const auto id = CompanyId(c.QYID());
    const auto registerType = RegisterType(s);
    if (!id || !registerType) {
        return QString();
    }
    using F = CompanyField;
    const auto v = [&](const char* column) { return Q(StateTaxValue(s, column)); };
    return QStringLiteral(
               "INSERT INTO XT_QYGSXX(QYID, NSRSBH, NSRBM, NSRMC,FDDBRMC,DHHM,YZBM,ZCDZ,YYDZ,"
               "SSHY,DJZCLX_DM,NSRZT,KKYH,YHZH,NSRLX,XYDJ,SSSWJG_DM,SSDLJG,JKBZ,ZDH,JBZH,FLZSH,"
               "QYLXMC,SSHYMC,SSSWJG_MC,GXSJ,GXBZ) VALUES(") +
           *id + QStringLiteral(",'") + v("NSRSBH") + QStringLiteral("','") + v("NSRBM") +
           QStringLiteral("','") + Field(c, F::QYMC) + QStringLiteral("','") +
           Field(c, F::FDDBRMC) + QStringLiteral("','") + Field(c, F::QYDHHM) +
           QStringLiteral("','") + Field(c, F::YZBM) + QStringLiteral("','") + Field(c, F::ZCDZ) +
           QStringLiteral("','") + Field(c, F::YYDZ) + QStringLiteral("','") + v("SSHY") +
           QStringLiteral("',") + *registerType + QStringLiteral(",'") + v("NSRZT") +
           QStringLiteral("','") + v("KKYH") + QStringLiteral("','") + v("YHZH") +
           QStringLiteral("','") + v("NSRLX") + QStringLiteral("','") + v("XYDJ") +
           QStringLiteral("','") + v("SSSWJG_DM") + QStringLiteral("','") + v("SSDLJG") +
           QStringLiteral("','") + v("JKBZ") + QStringLiteral("','") + v("ZDH") +
           QStringLiteral("','") + v("JBZH") + QStringLiteral("','") + v("FLZSH") +
           QStringLiteral("','") + v("QYLXMC") + QStringLiteral("','") + v("SSHYMC") +
           QStringLiteral("','") + v("SSSWJG_MC") + QStringLiteral("',") + dateLiteral +
           QStringLiteral(",1)");
}

void UpdateCurrentCompany(TDataVO& current, const TCurrentCompanyUpdate& update) {
    using F = CompanyField;
    const TCompanyRecord& c = *update.company;
    for (F field : {F::QYMC, F::FDDBRMC, F::CWFZR, F::ZCDZ, F::YYDZ, F::YZBM, F::QYDHHM, F::EMAIL,
                    F::QYCZHM, F::HYDM, F::HYMC, F::ZSID, F::CZY_DM, F::NSRSBH, F::BSY}) {
        current.SetStrValue(QLatin1String(CompanyFieldName(field)), c.Field(field));
    }
    if (auto* localTax = dynamic_cast<TDataVO*>(current.GetObjValue(QStringLiteral("QYDSXX")))) {
        localTax->SetStrValue(QStringLiteral("GSGBZE"),
                              update.hasLocalTax ? update.shareCapital : QString());
        localTax->SetStrValue(QStringLiteral("DZXX"), c.Field(F::EMAIL));
        localTax->SetStrValue(QStringLiteral("GXSJ"), update.today);
        localTax->SetStrValue(QStringLiteral("GXBZ"), QStringLiteral("1"));
    }
    if (update.stateTaxVisible && update.stateTax != nullptr) {
        auto* stateTax = dynamic_cast<TDataVO*>(current.GetObjValue(QStringLiteral("QYGSXX")));
        if (stateTax == nullptr) {
            stateTax = new TDataVO();
            current.SetObjValue(QStringLiteral("QYGSXX"), stateTax);
        }
        for (const QString& column : StateTaxRecordColumns()) {
            stateTax->SetStrValue(column,
                                  StateTaxValue(*update.stateTax, column.toLatin1().constData()));
        }
    }
}

}  // namespace CompanyInfoInnerSave
