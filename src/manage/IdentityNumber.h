// Resident identity-card numbers (GB 11643-1999): 18 characters, the first 17
// digits holding a birth date at characters 7-14, the last a check character
// (a digit or "X") of the weighted sum of the others. A 15-digit number of
// the first generation is widened to 18 before it is checked.
#pragma once

#include <QString>

namespace IdentityNumber {

// Empty when the trimmed number passes; otherwise the text the operator reads.
QString Check(const QString& number);

// The check character of 17 digits.
QChar CheckCharacter(const QString& first17);

}  // namespace IdentityNumber
