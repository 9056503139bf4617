#include "ContextValues.h"

#include "f_DataVO.h"

namespace ContextValues {

QString Text(const TDataVO* object, const char* key) {
    if (object == nullptr) {
        return QString();
    }
    return object->GetStrValue(QLatin1String(key));
}

bool IsCompany(const TDataVO* company, const QString& companyId) {
    bool heldOk = false;
    bool givenOk = false;
    const qlonglong held = Text(company, "QYID").trimmed().toLongLong(&heldOk);
    const qlonglong given = companyId.trimmed().toLongLong(&givenOk);
    return heldOk && givenOk && held == given;
}

}  // namespace ContextValues
