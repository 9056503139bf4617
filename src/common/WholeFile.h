// Files written aside and renamed over the old one, so that a write that
// fails leaves the former file as it was.
#pragma once

#include <QByteArray>
#include <QString>

namespace WholeFile {

// False when any byte was refused or the rename failed; the reason then goes
// to errorText when one is given.
bool Replace(const QString& path, const QByteArray& bytes, QString* errorText = nullptr);

}  // namespace WholeFile
