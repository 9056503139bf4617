// Host data files that the host installs either in UTF-8 or in its legacy
// code page (GBK).
#pragma once

#include <QString>
#include <QStringList>

// The file's lines, without their CR/LF ends. A file that is valid UTF-8 (a
// byte-order mark dropped) reads as UTF-8, else as GBK (GB18030). False, with
// lines untouched, when the file cannot be read or is neither.
bool ReadTextFileLines(const QString& path, QStringList& lines);
