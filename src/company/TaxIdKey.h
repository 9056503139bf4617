// Taxpayer numbers that are the same number typed differently: other letter
// case, blanks, hyphens, invisible characters, full-width digits and letters;
// and the check character of a unified social credit code.
#pragma once

#include <QString>
#include <QStringList>

// Characters a reader cannot see: control characters (tab, escape, DEL) and
// format characters (zero-width space, byte-order mark, soft hyphen, word
// joiner). Two numbers that differ only in them look the same on screen.
bool IsInvisibleCharacter(char32_t c);
bool HasInvisibleCharacter(const QString& text);

// The number with blanks, hyphens and invisible characters removed,
// full-width forms made half-width and letters upper-cased. Two numbers with
// the same key are similar.
QString TaxIdKey(const QString& taxId);

// False when the key is 18 characters long, a unified social credit code,
// and its last character is not the check character of the first 17 (or
// any character lies outside the code's alphabet). Other lengths, the older
// 15- and 20-character numbers, pass unchecked.
bool HasValidCheckCharacter(const QString& taxId);
// The same, for a key TaxIdKey gave.
bool KeyHasValidCheckCharacter(const QString& key);

// The stored numbers similar to taxId but not equal to it, in stored order.
// False when they could not be read.
bool FindSimilarTaxIds(const QString& taxId, QStringList& similar);
