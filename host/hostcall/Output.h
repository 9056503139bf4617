// What hostcall prints: one line per thing that happened, on standard
// output; errors on standard error.
#pragma once

#include <QString>

#include <vector>

#include "DialogPicker.h"
#include "HostSetup.h"

namespace HostCall {

// text on one line, its line breaks written as \r and \n.
QString OneLine(QString text);
void Print(const QString& line);
void PrintError(const QString& text);

// "message: CODE TEXT" or "messagebox: TEXT".
QString MessageLine(const HostSetup::THostMessage& message);
// "log: LEVEL TEXT" for each log line the host recorded.
void PrintLog();
// "agency: NAME", the agency name the module last handed the host.
void PrintAgency();
// The recorded messages, then the log and the agency.
void PrintRecorded();
// "company: NAME=VALUE" for each text of the current company and its tax parts.
void PrintCompany();
// "row: QYID|QYSBH|QYMC|LBDM" for each company.
void PrintRows();
// The company's rows in its own table and its two tax tables, for the entry
// points that edit them: the non-empty columns as "NAME=VALUE" joined by "|".
void PrintCompanyTables(const QString& companyId);
// Names the first --pick row a dialog did not have; false when there was none.
bool ReportMissingRow(const std::vector<TDialogPick>& picks);

}  // namespace HostCall
