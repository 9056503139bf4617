// The module's access to company data for one operator: how many companies
// he may work for, which ones, and loading one into the current-company
// object. Also writes the registration data other modules hand in.
#pragma once

#include <QString>

#include "CompanyRecord.h"
#include "f_DataVO.h"

class TCompanySelectMgr : public TObject {
  public:
    TCompanySelectMgr(const QString& operatorCode, const QString& operatorClass);
    ~TCompanySelectMgr() override;
    // For the operator the host has logged in; with nobody logged in, for an
    // operator without code or class.
    static TCompanySelectMgr ForLoggedInOperator();

    const QString& OperatorCode() const { return operatorCode_; }
    const QString& OperatorClass() const { return operatorClass_; }

    // 0 when the query fails.
    int CountCompanies(const QString& taxIdText, const QString& nameText);
    // Replaces records with the listed rows (QYID, QYSBH, QYMC); true when the
    // query ran, also without rows.
    bool ListCompanies(const QString& taxIdText, const QString& nameText,
                       TCompanyRecordArray& records);
    // The first company of the unfiltered list, the statement stepped once:
    // what the single-company edition takes. False when the query failed or
    // listed none.
    bool FirstCompany(TCompanyRecord& record);
    // The same for separately allocated records; a missing list gives false.
    bool FillCompanyList(TCompanyRecordList* list, const QString& taxIdText,
                         const QString& nameText);
    // What the one gate says of a company id.
    enum class Access {
        Granted,
        NotANumber,
        Unreadable,  // the company or the grants could not be read
        NoCompany,
        OwnRow,  // the agency's or the tax officer's own row
        NotGranted,
    };
    // The gate every entry point that takes a company id asks: a company of
    // the operator's list, as his class lists them (any company for the
    // all-company classes, else those granted to his role, an empty class
    // being a role code like any other), never the agency's or the officer's
    // row.
    Access AccessTo(const QString& companyId);
    // Granted, or an id without a row for an all-company class (such a page
    // opens empty). A refusal is logged with its reason.
    bool MayWorkFor(const QString& companyId);
    // The numbers of taxIds that a message to this operator may name: all for
    // the all-company classes, else those of his role's companies; none when
    // the grants cannot be read.
    QStringList NameableTaxIds(const QStringList& taxIds);
    // Loads the company, its tax rows and (on an agency's installation) the
    // agency into the current-company object; true when the company was found.
    bool LoadCompanyInfo(const QString& companyId);

    // Whether the company has its own row; ran, when given, tells whether the
    // question could be asked at all.
    bool CompanyInfoExists(const QString& companyId, bool* ran = nullptr);
    // The same for the company's row in table; errorText, when given, says why
    // the question could not be asked.
    bool RowExists(const char* table, const QString& companyId, bool* ran = nullptr,
                   QString* errorText = nullptr);
    bool LocalTaxInfoExists(const QString& companyId);
    bool StateTaxInfoExists(const QString& companyId);
    bool WriteLocalTaxInfo(const QString& companyId, const TDataVO* data, QString& errorText);
    bool WriteStateTaxInfo(const QString& companyId, const TDataVO* data, QString& errorText);
    bool WriteBasicInfo(const QString& companyId, const TDataVO* data, QString& errorText);

  private:
    QString ListSql(const QString& taxIdText, const QString& nameText, bool countOnly) const;
    void AttachAgency(TDataVO& company);

    QString operatorCode_;
    QString operatorClass_;
};
