#include "IniFile.h"

#include <QFile>

#include "TextCodec.h"

bool IniFile::Load(const QString& path) {
    values_.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QString text = TextCodec::DecodeUtf8OrGbk(file.readAll());
    QString section;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (QString line : lines) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) ||
            line.startsWith(QLatin1Char('#'))) {
            continue;
        }
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            section = line.mid(1, line.size() - 2).trimmed();
            continue;
        }
        const qsizetype mark = line.indexOf(QLatin1Char('='));
        if (mark <= 0) {
            continue;
        }
        const QString key = line.left(mark).trimmed();
        if (!values_.contains(Key(section, key))) {
            values_.insert(Key(section, key), line.mid(mark + 1).trimmed());
        }
    }
    return true;
}

QString IniFile::Key(const QString& section, const QString& key) {
    // Sections and keys are matched without regard to ASCII case, as INI readers do.
    return section.toLower() + QLatin1Char('\n') + key.toLower();
}

bool IniFile::Contains(const QString& section, const QString& key) const {
    return values_.contains(Key(section, key));
}

QString IniFile::Value(const QString& section, const QString& key,
                       const QString& defaultValue) const {
    const auto found = values_.constFind(Key(section, key));
    return found == values_.constEnd() ? defaultValue : found.value();
}
