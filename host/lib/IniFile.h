// A read-only INI file: [section] headers and key=value lines. Values are
// taken as written (trimmed), commas and all. UTF-8 or GBK.
#pragma once

#include <QHash>
#include <QString>

class IniFile {
  public:
    IniFile() = default;
    explicit IniFile(const QString& path) { Load(path); }

    bool Load(const QString& path);
    bool Contains(const QString& section, const QString& key) const;
    QString Value(const QString& section, const QString& key,
                  const QString& defaultValue = QString()) const;

  private:
    static QString Key(const QString& section, const QString& key);
    QHash<QString, QString> values_;
};
