#include "Output.h"

#include <QStringList>

#include <cstdio>
#include <utility>

#include "HostServices.h"
#include "TableColumns.h"
#include "f_DataVO.h"

namespace HostCall {

namespace {

void PrintTexts(const QString& prefix, const TDataVO& vo) {
    vo.ForEachItem([&](const TParamItem& item) {
        if (item.Kind == pkText && item.Value) {
            Print(prefix + item.Name + QLatin1Char('=') + OneLine(item.Value->Text));
        }
    });
}

}  // namespace

QString OneLine(QString text) {
    text.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return text;
}

void Print(const QString& line) {
    std::printf("%s\n", line.toUtf8().constData());
}

void PrintError(const QString& text) {
    std::fprintf(stderr, "hostcall: %s\n", text.toUtf8().constData());
}

void PrintCompany() {
    const TDataVO* company = ModuleLib::GetCompanyInfoVO();
    PrintTexts(QStringLiteral("company: "), *company);
    for (const char* child : {"QYDSXX", "QYGSXX"}) {
        if (const auto* vo = dynamic_cast<const TDataVO*>(company->GetObjValue(child))) {
            PrintTexts(QStringLiteral("company.%1: ").arg(QLatin1String(child)), *vo);
        }
    }
}

QString MessageLine(const HostSetup::THostMessage& message) {
    if (message.kind == HostSetup::THostMessage::Numbered) {
        // The text as the operator would read it: the host's text for the
        // code with the extra text filled in.
        return QStringLiteral("message: %1 %2").arg(message.code).arg(OneLine(message.text));
    }
    return QStringLiteral("messagebox: ") + OneLine(message.text);
}

void PrintLog() {
    for (const HostSetup::TLogLine& line : HostSetup::RecordedLog()) {
        Print(QStringLiteral("log: ") + line.level + QLatin1Char(' ') + line.text);
    }
}

// The agency name the module last handed the host: on loading the agency and
// after its settings are saved.
void PrintAgency() {
    const QString agency = HostSetup::AgencyInfo();
    if (!agency.isEmpty()) {
        Print(QStringLiteral("agency: ") + OneLine(agency));
    }
}

void PrintRecorded() {
    for (const HostSetup::THostMessage& message : HostSetup::RecordedMessages()) {
        Print(MessageLine(message));
    }
    PrintLog();
    PrintAgency();
}

void PrintRows() {
    TADOQuery query;
    QString error;
    if (!query.Open(kMainConnection,
                    QStringLiteral("select QYID, QYSBH, QYMC, LBDM from XT_QYXX order by QYID"),
                    error)) {
        PrintError(QStringLiteral("the companies cannot be read: ") + error);
        return;
    }
    for (; !query.Eof(); query.Next()) {
        QStringList cells;
        for (int column = 0; column < 4; ++column) {
            cells << OneLine(query.FieldAsString(column));
        }
        Print(QStringLiteral("row: ") + cells.join(QLatin1Char('|')));
    }
}

void PrintCompanyTables(const QString& companyId) {
    bool number = false;
    const qlonglong id = companyId.trimmed().toLongLong(&number);
    if (!number) {
        return;
    }
    const std::pair<const char*, TableColumns::ColumnList> kTables[] = {
        {"XT_QYXX", TableColumns::kCompany},
        {"XT_QYGSXX", TableColumns::kStateTax},
        {"XT_QYDSXX", TableColumns::kLocalTax},
    };
    for (const auto& [table, columns] : kTables) {
        QStringList names;
        for (const TableColumns::Column& column : columns) {
            names << QString::fromLatin1(column.name.data(), column.name.size());
        }
        TADOQuery query;
        QString error;
        if (!query.Open(kMainConnection,
                        QStringLiteral("select %1 from %2 where QYID=%3")
                            .arg(names.join(QStringLiteral(", ")), QLatin1String(table))
                            .arg(id),
                        error)) {
            PrintError(QStringLiteral("%1 cannot be read: %2").arg(QLatin1String(table), error));
            continue;
        }
        for (; !query.Eof(); query.Next()) {
            QStringList cells;
            for (int column = 0; column < names.size(); ++column) {
                const QString value = query.FieldAsString(column);
                if (!value.isEmpty()) {
                    cells << names[column] + QLatin1Char('=') + OneLine(value);
                }
            }
            Print(QStringLiteral("%1: ").arg(QLatin1String(table)) + cells.join(QLatin1Char('|')));
        }
    }
}

bool ReportMissingRow(const std::vector<TDialogPick>& picks) {
    for (const TDialogPick& pick : picks) {
        if (pick.outcome == TDialogPick::NoSuchRow) {
            PrintError(QStringLiteral("--pick %1, but the dialog %2 has %3 rows")
                           .arg(pick.row)
                           .arg(pick.dialog)
                           .arg(pick.rows));
            return true;
        }
    }
    return false;
}

}  // namespace HostCall
