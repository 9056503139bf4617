#include "CompanyCsv.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include "WholeFile.h"

namespace {

bool IsFormulaStart(QChar c) {
    return c == QLatin1Char('=') || c == QLatin1Char('+') || c == QLatin1Char('-') ||
           c == QLatin1Char('@');
}

// A single quote before a formula start, however many quotes came before.
bool IsQuotedFormula(const QString& value) {
    qsizetype i = 0;
    while (i < value.size() && value[i] == QLatin1Char('\'')) {
        ++i;
    }
    return i > 0 && i < value.size() && IsFormulaStart(value[i]);
}

}  // namespace

namespace CompanyCsv {

QString EncodeField(const QString& value) {
    QString field = value;
    if ((!field.isEmpty() && IsFormulaStart(field[0])) || IsQuotedFormula(field)) {
        field.prepend(QLatin1Char('\''));
    }
    const bool quote = field.contains(QLatin1Char(',')) || field.contains(QLatin1Char('"')) ||
                       field.contains(QLatin1Char('\n')) || field.contains(QLatin1Char('\r'));
    if (!quote) {
        return field;
    }
    field.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + field + QLatin1Char('"');
}

QString DecodeField(const QString& value) {
    return IsQuotedFormula(value) ? value.mid(1) : value;
}

QString Write(const TCompanyRecordArray& records) {
    QString text;
    for (int i = 0; i < kCompanyFieldCount; ++i) {
        if (i > 0) {
            text += QLatin1Char(',');
        }
        text += QLatin1String(CompanyFieldName(static_cast<CompanyField>(i)));
    }
    text += QLatin1String("\r\n");
    for (const TCompanyRecord& record : records) {
        for (int i = 0; i < kCompanyFieldCount; ++i) {
            if (i > 0) {
                text += QLatin1Char(',');
            }
            text += EncodeField(record.Field(static_cast<CompanyField>(i)));
        }
        text += QLatin1String("\r\n");
    }
    return text;
}

QByteArray Encode(const QString& text, Encoding encoding) {
    if (encoding == Encoding::Gbk) {
        QStringEncoder gbk("GB18030");
        if (gbk.isValid()) {
            return gbk.encode(text);
        }
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

bool WriteFile(const QString& path, const TCompanyRecordArray& records, Encoding encoding,
               QString& errorText) {
    // A failed export leaves no half file.
    return WholeFile::Replace(path, Encode(Write(records), encoding), &errorText);
}

std::optional<QString> Decode(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) {
        if (text.startsWith(QChar(0xFEFF))) {
            text.remove(0, 1);
        }
        return text;
    }
    QStringDecoder gbk("GB18030", QStringDecoder::Flag::Stateless);
    if (!gbk.isValid()) {
        return std::nullopt;
    }
    text = gbk.decode(bytes);
    if (gbk.hasError() || text.contains(QChar::ReplacementCharacter)) {
        return std::nullopt;
    }
    return text;
}

std::vector<QStringList> Parse(const QString& text) {
    std::vector<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;     // inside a quoted field
    bool fieldSeen = false;  // the current row has begun
    const auto endField = [&] {
        row.append(DecodeField(field));
        field.clear();
    };
    const auto endRow = [&] {
        if (fieldSeen) {
            endField();
            rows.push_back(std::move(row));
            row = QStringList();
        }
        fieldSeen = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c != QLatin1Char('"')) {
                field += c;
            } else if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                field += c;
                ++i;
            } else {
                quoted = false;
            }
            continue;
        }
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) {
                ++i;
            }
            endRow();
            continue;
        }
        fieldSeen = true;
        if (c == QLatin1Char(',')) {
            endField();
        } else if (c == QLatin1Char('"') && field.isEmpty()) {
            quoted = true;
        } else {
            field += c;
        }
    }
    endRow();
    return rows;
}

}  // namespace CompanyCsv
