#include "CompanyListLoader.h"

#include <iterator>

#include "HostServices.h"
#include "SqlQuery.h"
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
        const QString sql =
            BuildOperatorCompanyListSql(operatorClass, taxIdText, nameText, false, false);
        TCompanyRecordArray rows;
        const bool ok = SqlQuery::ReadRows("list the companies", sql, [&](TADOQuery& query) {
            int columns[std::size(kListedFields)];
            for (std::size_t i = 0; i < std::size(kListedFields); ++i) {
                columns[i] = query.FieldIndex(QLatin1String(CompanyFieldName(kListedFields[i])));
            }
            if (query.SizeHint() > 0) {
                rows.reserve(static_cast<std::size_t>(query.SizeHint()));
            }
            TCompanyRecordBuilder builder;
            for (; !query.Eof(); query.Next()) {
                for (std::size_t i = 0; i < std::size(kListedFields); ++i) {
                    builder.SetUtf8(kListedFields[i], query.FieldAsUtf8(columns[i]));
                }
                rows.push_back(builder.Take());
            }
        });
        if (ok) {
            records = std::move(rows);
        }
        return ok;
    } catch (...) {
        return false;
    }
}

}  // namespace CompanyListLoader
