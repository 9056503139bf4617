// Reading INI settings files: sections, keys, values with their comments cut.
#include "IniFile.h"

#include <QFile>

#include "IniText.h"
#include "TextCodec.h"

namespace {

bool IsCommentMark(QChar c) {
    return c == QLatin1Char(';') || c == QLatin1Char('#');
}

// The value after "=": a quoted value keeps what the quotes hold; otherwise a
// comment mark after a blank ends it, so "5000 ; milliseconds" reads "5000"
// while "a;b" and "a#b" stay whole.
QString ParseValue(QStringView raw) {
    const QStringView trimmed = raw.trimmed();
    if (trimmed.startsWith(QLatin1Char('"'))) {
        const qsizetype close = trimmed.indexOf(QLatin1Char('"'), 1);
        if (close > 0) {
            const QStringView rest = trimmed.mid(close + 1).trimmed();
            if (rest.isEmpty() || IsCommentMark(rest.front())) {
                return trimmed.mid(1, close - 1).toString();
            }
        }
    }
    for (qsizetype i = 1; i < raw.size(); ++i) {
        if (IsCommentMark(raw[i]) && raw[i - 1].isSpace()) {
            return raw.left(i).trimmed().toString();
        }
    }
    return trimmed.toString();
}

}  // namespace

bool IniFile::Load(const QString& path, QString& errorText) {
    values_.clear();
    QFile file(path);
    if (!file.exists()) {
        return true;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        errorText = QStringLiteral("设置文件[%1]无法读取：%2").arg(path, file.errorString());
        return false;
    }
    const std::optional<QString> text = TextCodec::DecodeUtf8OrGbk(file.readAll());
    if (!text) {
        errorText =
            QStringLiteral("设置文件[%1]既不是UTF-8也不是GBK编码的文本，无法读取").arg(path);
        return false;
    }
    QString section;
    const QStringList lines = text->split(QLatin1Char('\n'));
    for (const QString& rawLine : lines) {
        const IniText::Line line = IniText::Read(rawLine);
        if (line.kind == IniText::LineKind::Header) {
            section = line.name;
        } else if (line.kind == IniText::LineKind::Entry &&
                   !values_.contains(Key(section, line.name))) {
            values_.insert(Key(section, line.name), ParseValue(line.value));
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
