// The share capital as the operator types it and NUMERIC(19,2) stores it.
// The page and the dialog read it alike, so one typing is accepted or refused
// in both with the same message.
#pragma once

#include <QString>

// Read in the C locale, whatever the desktop's: an empty text is 0; "inf",
// "nan", anything else that is no number, and values with more than 17
// digits before the point are refused (false) rather than stored as 0.
// Plain decimals are taken digit for digit, beyond what a double holds.
bool ParseShareCapital(const QString& text, QString& formatted);
// "0.00" form of a stored value; empty or unreadable gives "0.00".
QString FormatStoredShareCapital(const QString& text);
// What the operator is told when ParseShareCapital refuses the field.
QString ShareCapitalInvalidMessage();
