// Removing a company from the database, all or nothing.
#pragma once

#include <QString>

namespace CompanyRemoval {

// Deletes the company's operator grants, its sub-application grants, its two
// tax registrations and then its own XT_QYXX row, in one transaction. A
// dependent table that refuses is tolerated; the removal counts only when the
// company's own row went, and otherwise everything is rolled back. False for
// an id that is no number. outcomeUnknown, when given, is set when the
// connection dropped during the commit and nobody knows whether it went.
bool DeleteCompany(const QString& companyId, bool* outcomeUnknown = nullptr);

}  // namespace CompanyRemoval
