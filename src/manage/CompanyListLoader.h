// The company manager's list: the companies the operator may work for, read
// with every column the manager carries, one record per row.
#pragma once

#include <QString>

#include "CompanyRecord.h"

namespace CompanyListLoader {

// Lists the companies the operator class sees (every company of the
// installation's kind for the classes that see all, else the role's grants)
// whose taxpayer id and name contain the filters; an empty filter adds no
// condition. Replaces records only when the query ran: false leaves them as
// they were.
bool Load(const QString& operatorClass, const QString& taxIdText, const QString& nameText,
          TCompanyRecordArray& records);

}  // namespace CompanyListLoader
