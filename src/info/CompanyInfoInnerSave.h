// The rules of saving the company information page, apart from its controls:
// the input checks in their order, the state-tax record, the statements and
// the refresh of the current-company object.
#pragma once

#include <QString>
#include <QStringList>

#include <map>
#include <optional>

#include "CompanyRecord.h"

class TDataVO;

namespace CompanyInfoInnerSave {

// The fields the checks look at, as the page holds them.
enum class CheckedField { CompanyCode, Phone, Fax, Email, LocalTaxEmail, PostCode, RegisterType };

struct TCheckInput {
    QString companyCode;
    QString phone;
    QString fax;
    QString email;
    QString localTaxEmail;
    QString postCode;
    // Checked only when the state-tax row is written.
    bool writesStateTax = false;
    QString registerType;
};

// The first failed check: a numbered host message (messageCode) or a plain
// text (messageText), and whether the field is emptied before it gets focus.
struct TCheckFailure {
    CheckedField field;
    int messageCode = 0;
    QString messageText;
    bool clearField = false;
};

std::optional<TCheckFailure> CheckInput(const TCheckInput& input);

// XT_QYGSXX by column name, every value plain text as loaded or collected.
using TStateTaxRecord = std::map<QString, QString>;
QString StateTaxValue(const TStateTaxRecord& record, const char* column);
// The columns the page keeps of a state-tax row, in the order the
// current-company object receives them.
const QStringList& StateTaxRecordColumns();

// Statements, or an empty text when the company id is not a number. The
// register type must have passed CheckInput ("0" when it was empty).
QString CompanyUpdateSql(const TCompanyRecord& company);
// shareCapital: as ParseShareCapital formatted it.
QString LocalTaxUpdateSql(const QString& companyId, const QString& taxRegistrationNumber,
                          const QString& email, const QString& shareCapital, const QString& today);
QString StateTaxExistsSql(const QString& companyId);
QString StateTaxUpdateSql(const TCompanyRecord& company, const TStateTaxRecord& stateTax,
                          const QString& today);
QString StateTaxInsertSql(const TCompanyRecord& company, const TStateTaxRecord& stateTax,
                          const QString& dateLiteral);

// Copies the saved values into the current-company object: its texts, the
// child "QYDSXX" when it has one, and with stateTaxVisible the child "QYGSXX"
// (attached when missing).
struct TCurrentCompanyUpdate {
    const TCompanyRecord* company = nullptr;
    bool hasLocalTax = false;
    QString shareCapital;  // "0.00" form
    bool stateTaxVisible = false;
    const TStateTaxRecord* stateTax = nullptr;
    QString today;
};
void UpdateCurrentCompany(TDataVO& current, const TCurrentCompanyUpdate& update);

}  // namespace CompanyInfoInnerSave
