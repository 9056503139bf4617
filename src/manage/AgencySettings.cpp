#include "AgencySettings.h"

#include "HostServices.h"
#include "f_AgencyMgr.h"
#include "f_CommonUnit.h"
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
    if (!IsValidPostCode(fields.PostCode)) {
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

// Sets the fields that differ from shown, in the order code, name, tax
// office, person in charge, phone, post code, address.
void Apply(TAgencyMgr& agency, const TFields& shown, const TFields& fields) {
    if (fields.Code != shown.Code) {
        agency.SetCode(fields.Code);
    }
    if (fields.Name != shown.Name) {
        agency.SetName(fields.Name);
    }
    if (fields.TaxOffice != shown.TaxOffice) {
        agency.SetTaxOffice(fields.TaxOffice);
    }
    if (fields.LegalRep != shown.LegalRep) {
        agency.SetLegalRep(fields.LegalRep);
    }
    if (fields.Phone != shown.Phone) {
        agency.SetPhone(fields.Phone);
    }
    if (fields.PostCode != shown.PostCode) {
        agency.SetPostCode(fields.PostCode);
    }
    if (fields.Address != shown.Address) {
        agency.SetAddress(fields.Address);
    }
}

void Restore(TAgencyMgr& agency, const TFields& fields) {
    agency.SetCode(fields.Code);
    agency.SetName(fields.Name);
    agency.SetTaxOffice(fields.TaxOffice);
    agency.SetLegalRep(fields.LegalRep);
    agency.SetPhone(fields.Phone);
    agency.SetPostCode(fields.PostCode);
    agency.SetAddress(fields.Address);
}

}  // namespace

QString* FieldOf(TFields& fields, const QString& column) {
    const std::pair<const char*, QString*> columns[] = {
        {"QYSBH", &fields.Code},       {"QYMC", &fields.Name},    {"SSSWJG", &fields.TaxOffice},
        {"FDDBRMC", &fields.LegalRep}, {"QYDHHM", &fields.Phone}, {"YZBM", &fields.PostCode},
        {"YYDZ", &fields.Address},
    };
    for (const auto& [name, field] : columns) {
        if (column == QLatin1String(name)) {
            return field;
        }
    }
    return nullptr;
}

QString FieldText(const TFields& fields, const QString& column) {
    const QString* field = FieldOf(const_cast<TFields&>(fields), column);
    return field != nullptr ? *field : QString();
}

bool Save(TAgencyMgr& agency, const TFields& shown, const TFields& fields) {
    const TFields previous = Read(agency);
    Apply(agency, shown, fields);
    if (agency.SaveAgency()) {
        return true;
    }
    // The disk that refused the write may refuse the reload too; the values
    // held before stand then, never the ones that were not stored.
    Restore(agency, previous);
    agency.LoadAgency(agency.GetAgencyId());
    return false;
}

}  // namespace AgencySettings
