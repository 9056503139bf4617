// Reading the host's context objects, which may be missing: a desk nobody has
// logged in to has no operator, one that has chosen nothing no company.
#pragma once

#include <QString>

class TDataVO;

namespace ContextValues {

// The text under key, or an empty text when there is no object.
QString Text(const TDataVO* object, const char* key);

// Whether the company object holds the company. Ids are numbers: "0001" and
// " 1" name the company held as "1"; no object, or an id that is not a
// number, holds none.
bool IsCompany(const TDataVO* company, const QString& companyId);

}  // namespace ContextValues
