#include "CompanyListLoader.h"

#include "f_CommonUnit.h"

namespace {

// In field order, so each record's text is only ever appended to.
constexpr CompanyField kListedFields[] = {
    CompanyField::QYID,  CompanyField::QYSBH,  CompanyField::QYMC,   CompanyField::FDDBRMC,
    CompanyField::CWFZR, CompanyField::ZCDZ,   CompanyField::YYDZ,   CompanyField::YZBM,
    CompanyField::EMAIL, CompanyField::QYDHHM, CompanyField::QYCZHM, CompanyField::HYDM,
    CompanyField::HYMC,  CompanyField::ZSID,   CompanyField::CZY_DM,
};

}  // namespace

namespace CompanyListLoader {

bool Load(const QString& operatorClass, const QString& taxIdText, const QString& nameText,
          TCompanyRecordArray& records) {
    try {
        return ReadCompanyList(
            "list the companies",
            BuildOperatorCompanyListSql(operatorClass, taxIdText, nameText, false, false),
            kListedFields, records);
    } catch (...) {
        return false;
    }
}

}  // namespace CompanyListLoader
