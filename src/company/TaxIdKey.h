// Taxpayer numbers that are the same number typed differently: other letter
// case, blanks, hyphens, full-width digits and letters.
#pragma once

#include <QString>
#include <QStringList>

// The number with blanks and hyphens removed, full-width forms made
// half-width and letters upper-cased. Two numbers with the same key are
// similar.
QString TaxIdKey(const QString& taxId);

// The stored numbers similar to taxId but not equal to it, in stored order.
// False when they could not be read.
bool FindSimilarTaxIds(const QString& taxId, QStringList& similar);
