#include "AgencySettings.h"

#include "HostServices.h"
#include "f_AgencyMgr.h"
#include "f_DataVO.h"

namespace AgencySettings {

TAgencyMgr* CurrentAgency() {
    const TDataVO* company = ModuleLib::GetCompanyInfoVO();
    return company != nullptr ? dynamic_cast<TAgencyMgr*>(company->GetObjValue("DLJGXX")) : nullptr;
}

TFields Read(const TAgencyMgr& agency) {
    TFields fields;
    fields.Code = agency.GetCode();
    fields.Name = agency.GetName();
    fields.TaxOffice = agency.GetTaxOffice();
    fields.LegalRep = agency.GetLegalRep();
    fields.Phone = agency.GetPhone();
    fields.PostCode = agency.GetPostCode();
    fields.Address = agency.GetAddress();
    return fields;
}

Check Validate(const TFields& fields) {
    if (fields.Code.trimmed().isEmpty()) {
        return Check::MissingCode;
    }
    if (fields.Name.trimmed().isEmpty()) {
        return Check::MissingName;
    }
    const QString postCode = fields.PostCode.trimmed();
    if (!postCode.isEmpty() && postCode.size() != 6) {
        return Check::BadPostCode;
    }
    return Check::Ok;
}

QString CheckText(Check check) {
    switch (check) {
        case Check::MissingCode:
            return QStringLiteral("代理机构代码不能为空！");
        case Check::MissingName:
            return QStringLiteral("代理机构名称不能为空！");
        case Check::BadPostCode:
            return QStringLiteral("邮政编码必须等于六位！");
        case Check::Ok:
            break;
    }
    return QString();
}

namespace {

void Apply(TAgencyMgr& agency, const TFields& fields) {
    agency.SetCode(fields.Code);
    agency.SetName(fields.Name);
    agency.SetTaxOffice(fields.TaxOffice);
    agency.SetLegalRep(fields.LegalRep);
    agency.SetPhone(fields.Phone);
    agency.SetPostCode(fields.PostCode);
    agency.SetAddress(fields.Address);
}

}  // namespace

bool Save(TAgencyMgr& agency, const TFields& fields) {
    const TFields previous = Read(agency);
    Apply(agency, fields);
    if (agency.SaveAgency()) {
        return true;
    }
    // The disk that refused the write may refuse the reload too; the values
    // held before stand then, never the ones that were not stored.
    Apply(agency, previous);
    agency.LoadAgency(agency.GetAgencyId());
    return false;
}

}  // namespace AgencySettings
