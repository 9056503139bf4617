// Erasing one section of an INI file as the host reads sections (IniText): a
// header line starts one, and it runs to the next header. Names are compared
// exactly: another company's number may differ only in letter case.
#pragma once

#include <QByteArray>
#include <QString>

namespace IniSectionEraser {

// content without every section called section (header line and body); every
// other byte stays as it was. erased tells whether there was one.
QByteArray Erase(const QByteArray& content, const QString& section, bool* erased = nullptr);

// Erases the section from the file at path, replacing the file atomically (a
// new file beside it, then renamed over it). A file without the section is not
// written. False when the file is a symbolic link or not a plain file, cannot
// be read, or cannot be replaced; it is unchanged then.
bool EraseFromFile(const QString& path, const QString& section);

}  // namespace IniSectionEraser
