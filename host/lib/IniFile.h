// A read-only INI file: [section] headers and key=value lines, UTF-8 or GBK.
// A ";" or "#" after a blank starts a comment, also behind a value; a value in
// double quotes is taken as written between them, comment characters and all.
#pragma once

#include <QHash>
#include <QString>

class IniFile {
  public:
    IniFile() = default;

    // A missing file reads as empty. False, with a text naming the file, when
    // it exists but cannot be read or is neither UTF-8 nor GBK.
    bool Load(const QString& path, QString& errorText);
    bool Contains(const QString& section, const QString& key) const;
    QString Value(const QString& section, const QString& key,
                  const QString& defaultValue = QString()) const;

  private:
    static QString Key(const QString& section, const QString& key);
    QHash<QString, QString> values_;
};
