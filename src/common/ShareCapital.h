// The share capital as the operator types it, as other modules hand it in and
// as NUMERIC(19,2) stores it. Every window and write reads it through here, so
// one text is accepted or refused everywhere and shown with the same cents.
#pragma once

#include <QString>

// Read on the text, digit for digit, in the C locale whatever the desktop's:
// a decimal with any number of places, or an exponent form as SQLite hands
// back a stored REAL ("1.5e+16"), rounded half away from zero to cents as
// NUMERIC(19,2) rounds. An empty text is 0; a negative amount that rounds to
// 0 is "0.00". "inf", "nan", anything else that is no number, and amounts with
// more than 17 digits before the point are refused (false) rather than taken
// as 0.
bool ParseShareCapital(const QString& text, QString& formatted);
// A stored value in the "0.00" form: true and shown set when readable (empty
// reads as 0); false when not, with shown set to the stored text as it is, so
// that no caller shows an amount it cannot read as 0.00 and then saves it.
bool ReadStoredShareCapital(const QString& stored, QString& shown);
// What the operator is told when ParseShareCapital refuses the field.
QString ShareCapitalInvalidMessage();
