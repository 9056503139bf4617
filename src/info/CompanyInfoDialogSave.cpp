#include "CompanyInfoDialogSave.h"

#include <functional>

#include "HostServices.h"
#include "ShareCapital.h"
#include "SqlQuery.h"
#include "f_CommonUnit.h"
#include "f_DataVO.h"

namespace CompanyInfoDialog {

namespace {

QString Quoted(const QString& text) {
    return QLatin1Char('\'') + QuoteSqlValue(text) + QLatin1Char('\'');
}

bool ReadFirstRow(const char* operation, const QString& sql,
                  const std::function<void(const TADOQuery&)>& fill, bool& found) {
    found = false;
    return SqlQuery::ReadRows(operation, sql, [&](TADOQuery& rows) {
        if (!rows.Eof()) {
            found = true;
            fill(rows);
        }
    });
}

}  // namespace

LoadResult LoadCompany(const QString& companyId, TLoaded& loaded) {
    loaded = TLoaded();
    if (!IsSqlInteger(companyId)) {
        return LoadResult::NoRow;
    }
    bool found = false;
    const bool ran = ReadFirstRow(
        "load the company",
        QStringLiteral("select * from XT_QYXX where QYID=") + companyId.trimmed(),
        [&](const TADOQuery& row) {
            loaded.QYID = row.FieldByName("QYID");
            loaded.QYSBH = row.FieldByName("QYSBH");
            loaded.QYMC = row.FieldByName("QYMC");
            loaded.FDDBRMC = row.FieldByName("FDDBRMC");
            loaded.CWFZR = row.FieldByName("CWFZR");
            loaded.ZCDZ = row.FieldByName("ZCDZ");
            loaded.YYDZ = row.FieldByName("YYDZ");
            loaded.YZBM = row.FieldByName("YZBM");
            loaded.EMAIL = row.FieldByName("EMAIL");
            loaded.QYDHHM = row.FieldByName("QYDHHM");
            loaded.QYCZHM = row.FieldByName("QYCZHM");
            loaded.HYDM = row.FieldByName("HYDM");
            loaded.HYMC = row.FieldByName("HYMC");
            loaded.ZSID = row.FieldByName("ZSID");
            loaded.CZY_DM = row.FieldByName("CZY_DM");
        },
        found);
    if (!ran) {
        return LoadResult::Failed;
    }
    return found ? LoadResult::Loaded : LoadResult::NoRow;
}

void LoadTaxRows(TLoaded& loaded, bool& stateTaxFailed, bool& localTaxFailed) {
    stateTaxFailed = false;
    localTaxFailed = false;
    loaded.hasStateTax = false;
    loaded.hasLocalTax = false;
    if (!IsSqlInteger(loaded.QYID)) {
        return;
    }
    const QString id = loaded.QYID.trimmed();
    stateTaxFailed = !ReadFirstRow(
        "load the state-tax row", QStringLiteral("select * from XT_QYGSXX where QYID=") + id,
        [&](const TADOQuery& row) {
            loaded.GsNSRSBH = row.FieldByName("NSRSBH");
            loaded.NSRBM = row.FieldByName("NSRBM");
            loaded.DJZCLX_DM = row.FieldByName("DJZCLX_DM");
            loaded.NSRLX = row.FieldByName("NSRLX");
            loaded.NSRZT = row.FieldByName("NSRZT");
            loaded.SSHY = row.FieldByName("SSHY");
            loaded.SSHYMC = row.FieldByName("SSHYMC");
            loaded.SSSWJG_DM = row.FieldByName("SSSWJG_DM");
            loaded.XYDJ = row.FieldByName("XYDJ");
            loaded.ZDH = row.FieldByName("ZDH");
            loaded.JKBZ = row.FieldByName("JKBZ");
            loaded.SSDLJG = row.FieldByName("SSDLJG");
            loaded.KKYH = row.FieldByName("KKYH");
            loaded.YHZH = row.FieldByName("YHZH");
        },
        loaded.hasStateTax);
    localTaxFailed = !ReadFirstRow(
        "load the local-tax row", QStringLiteral("select * from XT_QYDSXX where QYID=") + id,
        [&](const TADOQuery& row) {
            loaded.KJYWRBM = row.FieldByName("KJYWRBM");
            loaded.DsNSRSBH = row.FieldByName("NSRSBH");
            loaded.ZGSWJGMC = row.FieldByName("ZGSWJGMC");
            loaded.DJZCLXMC = row.FieldByName("DJZCLXMC");
            loaded.DsHYMC = row.FieldByName("HYMC");
            loaded.shareCapital = FormatStoredShareCapital(row.FieldByName("GSGBZE"));
        },
        loaded.hasLocalTax);
}

Check CheckInput(const TEntered& entered, bool hasLocalTax) {
    if (entered.QYSBH.trimmed().isEmpty()) {
        return Check::MissingCompanyCode;
    }
    if (!IsValidPhone(entered.QYDHHM)) {
        return Check::BadPhone;
    }
    if (!IsValidPhone(entered.QYCZHM)) {
        return Check::BadFax;
    }
    if (!IsValidEmail(entered.EMAIL)) {
        return Check::BadEmail;
    }
    if (!IsValidPostCode(entered.YZBM)) {
        return Check::BadPostCode;
    }
    QString ignored;
    if (hasLocalTax && !ParseShareCapital(entered.shareCapital, ignored)) {
        return Check::BadShareCapital;
    }
    return Check::Ok;
}

namespace {

// The numbers are stored trimmed, so blanks typed around them change nothing.
bool TrimmedDiffers(const QString& entered, const QString& loaded) {
    return entered.trimmed() != loaded;
}

}  // namespace

TChanges Compare(const TLoaded& loaded, const TEntered& entered) {
    TChanges changes;
    const bool basic = TrimmedDiffers(entered.QYSBH, loaded.QYSBH) ||
                       TrimmedDiffers(entered.QYDHHM, loaded.QYDHHM) ||
                       TrimmedDiffers(entered.QYCZHM, loaded.QYCZHM) ||
                       entered.YZBM != loaded.YZBM || entered.YYDZ != loaded.YYDZ;
    const bool email = entered.EMAIL != loaded.EMAIL;
    bool shareCapital = false;
    bool taxRegistration = false;
    if (loaded.hasLocalTax) {
        QString formatted;
        shareCapital =
            !ParseShareCapital(entered.shareCapital, formatted) || formatted != loaded.shareCapital;
        taxRegistration = entered.taxRegistrationNumber != loaded.DsNSRSBH;
    }
    bool stateTax = false;
    if (loaded.hasStateTax) {
        stateTax = entered.SSDLJG != loaded.SSDLJG || entered.SSHY != loaded.SSHY;
    }
    changes.localTax = email || shareCapital;
    changes.any = basic || changes.localTax || taxRegistration || stateTax;
    return changes;
}

QStringList SaveStatements(const TLoaded& loaded, const TEntered& entered, const QString& today) {
    if (!IsSqlInteger(loaded.QYID)) {
        return {};
    }
    const QString where = QStringLiteral(" where QYID=") + loaded.QYID.trimmed();
    const QString phone = entered.QYDHHM.trimmed();
    QStringList statements;
    statements << QStringLiteral("UPDATE XT_QYXX SET QYSBH=") + Quoted(entered.QYSBH.trimmed()) +
                      QStringLiteral(", QYDHHM =") + Quoted(phone) + QStringLiteral(", QYCZHM=") +
                      Quoted(entered.QYCZHM.trimmed()) + QStringLiteral(", YZBM=") +
                      Quoted(entered.YZBM) + QStringLiteral(", EMAIL=") + Quoted(entered.EMAIL) +
                      QStringLiteral(", YYDZ=") + Quoted(entered.YYDZ) + where;
    if (loaded.hasLocalTax) {
        QString shareCapital;
        if (!ParseShareCapital(entered.shareCapital, shareCapital)) {
            return {};
        }
        statements << QStringLiteral("UPDATE XT_QYDSXX SET Nsrsbh=") +
                          Quoted(entered.taxRegistrationNumber) + QStringLiteral(",DZXX=") +
                          Quoted(entered.EMAIL) + QStringLiteral(", GSGBZE =") + shareCapital +
                          QStringLiteral(",GXSJ=") + Quoted(today) + QStringLiteral(", Gxbz=1") +
                          where;
    }
    if (loaded.hasStateTax) {
        statements << QStringLiteral("UPDATE XT_QYGSXX SET YYDZ=") + Quoted(entered.YYDZ) +
                          QStringLiteral(", DHHM =") + Quoted(phone) + QStringLiteral(", YZBM =") +
                          Quoted(entered.YZBM) + QStringLiteral(", SSHY=") + Quoted(entered.SSHY) +
                          QStringLiteral(", SSDLJG=") + Quoted(entered.SSDLJG) + where;
    }
    return statements;
}

SaveResult RunStatements(const QStringList& statements, QString& failedStatement) {
    failedStatement.clear();
    if (statements.isEmpty()) {
        return SaveResult::BadId;
    }
    for (const QString& sql : statements) {
        if (!SqlQuery::Storable(sql)) {
            failedStatement = QString(sql).replace(QChar(0), QStringLiteral("(U+0000)"));
            return SaveResult::StatementFailed;
        }
    }
    for (const QString& sql : statements) {
        if (!SqlQuery::Execute("save the company information", sql)) {
            failedStatement = sql;
            return SaveResult::StatementFailed;
        }
    }
    return SaveResult::Saved;
}

bool RefreshCurrentCompany(TDataVO* company, const TLoaded& loaded, const TEntered& entered,
                           bool refreshLocalTax, const QString& today) {
    if (company == nullptr) {
        return false;
    }
    try {
        company->SetStrValue(QStringLiteral("QYSBH"), entered.QYSBH.trimmed());
        company->SetStrValue(QStringLiteral("QYMC"), loaded.QYMC);
        company->SetStrValue(QStringLiteral("QYDHHM"), entered.QYDHHM.trimmed());
        company->SetStrValue(QStringLiteral("EMAIL"), entered.EMAIL);
        auto* localTax = dynamic_cast<TDataVO*>(company->GetObjValue(QStringLiteral("QYDSXX")));
        if (localTax != nullptr && refreshLocalTax) {
            QString shareCapital;
            if (loaded.hasLocalTax && !ParseShareCapital(entered.shareCapital, shareCapital)) {
                return false;
            }
            localTax->SetStrValue(QStringLiteral("GSGBZE"), shareCapital);
            localTax->SetStrValue(QStringLiteral("DZXX"), entered.EMAIL);
            localTax->SetStrValue(QStringLiteral("GXSJ"), today);
            localTax->SetStrValue(QStringLiteral("GXBZ"), QStringLiteral("1"));
        }
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace CompanyInfoDialog
