// The rules of the company information dialog: what it loads, which input
// it refuses, whether anything changed, the statements it writes and how it
// refreshes the current-company object. The dialog only wires its controls
// to these.
#pragma once

#include <QString>
#include <QStringList>

class TDataVO;

namespace CompanyInfoDialog {

// What the dialog loads, kept whole: a stored text longer than its field is
// written back exactly as it was.
struct TLoaded {
    // XT_QYXX
    QString QYID, QYSBH, QYMC, FDDBRMC, CWFZR, ZCDZ, YYDZ, YZBM, EMAIL, QYDHHM, QYCZHM, HYDM, HYMC,
        ZSID, CZY_DM;
    // XT_QYGSXX
    bool hasStateTax = false;
    QString GsNSRSBH, NSRBM, DJZCLX_DM, NSRLX, NSRZT, SSHY, SSHYMC, SSSWJG_DM, XYDJ, ZDH, JKBZ,
        SSDLJG, KKYH, YHZH;
    // XT_QYDSXX
    bool hasLocalTax = false;
    QString KJYWRBM, DsNSRSBH, ZGSWJGMC, DJZCLXMC, DsHYMC;
    QString shareCapital = QStringLiteral("0.00");  // "0.00" form
};

enum class LoadResult { Loaded, NoRow, Failed };

// The company row; an id that is not a number finds no row. The tax rows
// are read only after a company row was found; a failed tax query leaves
// that side's flag clear.
LoadResult LoadCompany(const QString& companyId, TLoaded& loaded);
void LoadTaxRows(TLoaded& loaded, bool& stateTaxFailed, bool& localTaxFailed);

// What the operator sees in the dialog's editable fields when saving.
struct TEntered {
    QString QYSBH, QYDHHM, QYCZHM, YZBM, EMAIL, YYDZ;  // as the fields hold them
    QString taxRegistrationNumber;
    QString shareCapital;  // the field's text
    QString SSDLJG;
    QString SSHY;  // code of the selected industry
};

enum class Check {
    Ok,
    MissingCompanyCode,  // 106021
    BadPhone,            // 106022
    BadFax,              // 106023
    BadEmail,            // 106024
    BadPostCode,         // message box
    BadShareCapital,     // message box
};

// The checks in the order the operator meets them; the share capital only
// counts when the company has a local-tax row.
Check CheckInput(const TEntered& entered, bool hasLocalTax);

struct TChanges {
    bool any = false;
    // The e-mail or the share capital changed: the current-company object's
    // local-tax child is refreshed.
    bool localTax = false;
};

// Compares every editable value with the loaded one, field by field; the
// phone and fax numbers and the company code without surrounding blanks.
// Call only after CheckInput passed.
TChanges Compare(const TLoaded& loaded, const TEntered& entered);

// The statements, in the order they run; an id that is not a number gives none.
QStringList SaveStatements(const TLoaded& loaded, const TEntered& entered, const QString& today);

enum class SaveResult { Saved, StatementFailed, BadId };

// Runs the statements one after the other; one that fails stops the rest,
// the earlier ones stay applied. A statement no engine can store (it holds a
// NUL character) stops the save before the first one runs. failedStatement
// tells which one failed, a NUL shown as "(U+0000)".
SaveResult RunStatements(const QStringList& statements, QString& failedStatement);

// Copies the saved values into the current-company object. False when it
// could not be written.
bool RefreshCurrentCompany(TDataVO* company, const TLoaded& loaded, const TEntered& entered,
                           bool refreshLocalTax, const QString& today);

}  // namespace CompanyInfoDialog
