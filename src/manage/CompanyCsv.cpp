#include "CompanyCsv.h"

#include <QHash>

#include <algorithm>
#include <iterator>

#include "HostServices.h"
#include "SqlQuery.h"
#include "TextCodec.h"
#include "WholeFile.h"

namespace {

// The listed companies' rows as stored: a record's texts were cut for the
// list. A company deleted since the list was read is left out.
bool ReadStoredRows(const TCompanyRecordArray& records, std::vector<QStringList>& rows,
                    QString& errorText) {
    QStringList columns;
    for (int i = 0; i < kCompanyFieldCount; ++i) {
        columns << QLatin1String(CompanyFieldName(static_cast<CompanyField>(i)));
    }
    QHash<QString, QStringList> stored;
    const bool read =
        SqlQuery::ReadRows("read the companies to export",
                           QStringLiteral("select ") + columns.join(QLatin1Char(',')) +
                               QStringLiteral(" from XT_QYXX"),
                           [&](TADOQuery& query) {
                               QList<int> indexes;
                               for (const QString& column : columns) {
                                   indexes << query.FieldIndex(column);
                               }
                               for (; !query.Eof(); query.Next()) {
                                   QStringList row;
                                   for (const int index : indexes) {
                                       row << query.FieldAsString(index);
                                   }
                                   stored.insert(row.front().trimmed(), row);
                               }
                           });
    if (!read) {
        errorText = QStringLiteral("读取企业信息失败");
        return false;
    }
    rows.clear();
    for (const TCompanyRecord& record : records) {
        const auto row = stored.constFind(record.QYID().trimmed());
        if (row != stored.cend()) {
            rows.push_back(*row);
        }
    }
    return true;
}

}  // namespace

namespace CompanyCsv {

const char* Caption(CompanyField field) {
    // In field order.
    static constexpr const char* kCaptions[] = {
        "企业ID",         "纳税人识别号",   "单位名称",           "法定代表人", "税务登记号",
        "财务负责人",     "财务负责人电话", "财务负责人办公电话", "办税员",     "办税员电话",
        "办税员办公电话", "行政区划代码",   "注册地址",           "营业地址",   "邮政编码",
        "电子邮箱",       "联系电话",       "传真号码",           "行业代码",   "行业名称",
        "证书ID",         "操作员代码",
    };
    static_assert(std::size(kCaptions) == kCompanyFieldCount);
    return kCaptions[static_cast<int>(field)];
}

int FindColumn(const QStringList& header, CompanyField field, const QStringList& alsoNamed) {
    QStringList names = alsoNamed;
    names << QLatin1String(CompanyFieldName(field)) << QString::fromUtf8(Caption(field));
    for (qsizetype i = 0; i < header.size(); ++i) {
        const QString title = header[i].trimmed();
        for (const QString& name : names) {
            if (title.compare(name, Qt::CaseInsensitive) == 0) {
                return static_cast<int>(i);
            }
        }
    }
    return -1;
}

QString Write(const std::vector<QStringList>& rows) {
    QString text;
    for (int i = 0; i < kCompanyFieldCount; ++i) {
        if (i > 0) {
            text += QLatin1Char(',');
        }
        text += QString::fromUtf8(Caption(static_cast<CompanyField>(i)));
    }
    text += QLatin1String("\r\n");
    for (const QStringList& row : rows) {
        text += CsvText::Row(row);
    }
    return text;
}

bool WriteFile(const QString& path, const std::vector<QStringList>& rows, Encoding encoding,
               QString& errorText) {
    // A file the import could not read back is not written at all.
    QStringList unwritable;
    for (const QStringList& row : rows) {
        if (std::any_of(row.cbegin(), row.cend(), [](const QString& field) {
                return !field.isValidUtf16() || field.contains(QChar(0));
            })) {
            unwritable << row.value(static_cast<int>(CompanyField::QYSBH));
        }
    }
    if (!unwritable.isEmpty()) {
        errorText = QStringLiteral("以下企业的信息含有无法写入文件的字符，没有导出：") +
                    unwritable.join(QStringLiteral("、"));
        return false;
    }
    // A failed export leaves no half file.
    return WholeFile::Replace(path, Encode(Write(rows), encoding), &errorText);
}

bool WriteFile(const QString& path, const TCompanyRecordArray& records, Encoding encoding,
               QString& errorText) {
    std::vector<QStringList> rows;
    return ReadStoredRows(records, rows, errorText) && WriteFile(path, rows, encoding, errorText);
}

std::optional<std::vector<QStringList>> Parse(const QString& text, int* unclosedLine,
                                              std::vector<int>* rowLines) {
    std::vector<QStringList> rows;
    std::vector<int> lines;
    QStringList row;
    QString field;
    bool quoted = false;     // inside a quoted field
    bool fieldSeen = false;  // the current row has begun
    int line = 1;            // of the file, counting line breaks inside fields too
    int quoteLine = 0;       // where the quoted field began
    int rowLine = 1;         // where the current row began
    const auto endField = [&] {
        row.append(DecodeField(field));
        field.clear();
    };
    const auto endRow = [&] {
        if (fieldSeen) {
            endField();
            rows.push_back(std::move(row));
            row = QStringList();
            lines.push_back(rowLine);
        }
        fieldSeen = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\n') ||
            (c == QLatin1Char('\r') &&
             (i + 1 == text.size() || text[i + 1] != QLatin1Char('\n')))) {
            ++line;
        }
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
                ++line;
            }
            endRow();
            continue;
        }
        if (!fieldSeen) {
            rowLine = line;
        }
        fieldSeen = true;
        if (c == QLatin1Char(',')) {
            endField();
        } else if (c == QLatin1Char('"') && field.isEmpty()) {
            quoted = true;
            quoteLine = line;
        } else {
            // The plain characters up to the next separator go in at once.
            qsizetype end = i + 1;
            while (end < text.size() && text[end] != QLatin1Char(',') &&
                   text[end] != QLatin1Char('\r') && text[end] != QLatin1Char('\n')) {
                ++end;
            }
            field += QStringView(text).sliced(i, end - i);
            i = end - 1;
        }
    }
    // An unclosed quote would swallow the rest of the file into one field.
    if (quoted) {
        if (unclosedLine != nullptr) {
            *unclosedLine = quoteLine;
        }
        return std::nullopt;
    }
    endRow();
    if (rowLines != nullptr) {
        *rowLines = std::move(lines);
    }
    return rows;
}

bool ReadTable(const QByteArray& bytes, std::vector<QStringList>& table, QString& errorText,
               TextCodec::Encoding* encoding, std::vector<int>* rowLines) {
    int badLine = 0;
    const std::optional<TextCodec::Decoded> text = TextCodec::Decode(bytes, &badLine);
    if (!text) {
        errorText = QStringLiteral("文件既不是UTF-8也不是GBK文本：第%1行无法读取").arg(badLine);
        return false;
    }
    std::optional<std::vector<QStringList>> rows = Parse(text->text, &badLine, rowLines);
    if (!rows) {
        errorText = QStringLiteral("第%1行的引号没有结束").arg(badLine);
        return false;
    }
    table = std::move(*rows);
    if (encoding != nullptr) {
        *encoding = text->encoding;
    }
    return true;
}

}  // namespace CompanyCsv
