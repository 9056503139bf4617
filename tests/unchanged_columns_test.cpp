// Every window that writes changes what the operator changed and keeps every
// other column of every row it writes byte for byte: long texts, NULLs, bytes
// that are not UTF-8, full-width digits, a region or industry not in its file.
#include <QAbstractButton>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPointer>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>

#include "AgencyMgrImpl.h"
#include "DialogDriver.h"
#include "HostServices.h"
#include "TableColumns.h"
#include "TestHost.h"
#include "TextCodec.h"
#include "f_Bsyxxsz.h"
#include "f_CompanyInfo.h"
#include "f_CompanyInfoInner.h"
#include "f_DataVO.h"
#include "f_Dljgsz.h"

namespace {

using Bytes = std::map<QString, QString>;  // "TABLE.COLUMN" -> its bytes, or NULL

class UnchangedColumns : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        AllowInfoEdits();
        WriteFile("AppComs/Dmzd/hy.txt", TextCodec::EncodeGbk(QStringLiteral("01|农业\r\n")));
        WriteFile("AppComs/Dmzd/CantonCode.dat",
                  TextCodec::EncodeGbk(QStringLiteral("1101北京市市辖区\r\n1201天津市市辖区\r\n")));
    }
    // Texts a legacy desk may have left: long, NULL, GBK bytes (where the
    // engine keeps them), full-width digits.
    QString Odd(const QString& column, int which) const {
        const QString legacy = GetParam() == "SQLITE" ? QStringLiteral("CAST(X'C4E3BAC3' AS TEXT)")
                                                      : QStringLiteral("'你好'");
        const QString forms[] = {"'" + QString(40000, QChar(0x540D)) + "'", "NULL", legacy,
                                 "'１２３４５６'"};
        return column + "=" + forms[which % 4];
    }
    void Spoil(const char* table, const QString& id, const QStringList& columns) const {
        QStringList sets;
        for (int i = 0; i < columns.size(); ++i) {
            sets << Odd(columns[i], i);
        }
        ASSERT_TRUE(Exec(QString("UPDATE %1 SET %2 where QYID=%3")
                             .arg(QLatin1String(table), sets.join(", "), id)));
    }
    Bytes Read(const QString& id) const {
        Bytes bytes;
        for (const TableColumns::Table& table : TableColumns::kTables) {
            const QString name = TableColumns::Name(table.name);
            // The history grows with every write; its own test checks it.
            if (!TableColumns::Joined(table.columns).contains("QYID") || name == "XT_QYBGJL") {
                continue;
            }
            for (const auto& column : table.columns) {
                const QString c = TableColumns::Name(column.name);
                const QString value =
                    GetParam() == "SQLITE"
                        ? "case when " + c + " is null then 'NULL' else hex(" + c + ") end"
                        : "case when " + c + " is null then 'NULL' else " + c + "::text end";
                bytes[name + "." + c] =
                    Scalar("select " + value + " from " + name + " where QYID=" + id);
            }
        }
        return bytes;
    }
    // Everything but the columns the save was to change, and the update
    // marks it sets, stays as it was.
    void ExpectKept(const char* name, const Bytes& before, const QString& id,
                    const QStringList& changed) const {
        const Bytes after = Read(id);
        for (const auto& [column, value] : before) {
            if (column.endsWith(".GXSJ") || column.endsWith(".GXBZ")) {
                continue;
            }
            if (changed.contains(column)) {
                EXPECT_NE(after.at(column), value) << name << " " << column.toStdString();
            } else {
                EXPECT_EQ(after.at(column), value) << name << " " << column.toStdString();
            }
        }
    }
    static void Click(QWidget* window, const char* button) {
        DialogDriver::Child<QAbstractButton>(window, button)->click();
    }
};
INSTANTIATE_ON_ENGINES(UnchangedColumns);

TEST_P(UnchangedColumns, InformationWindowsWriteOnlyWhatWasChanged) {
    const QStringList company = {"QYMC",  "ZCDZ",   "FDDBRMC", "YZBM", "YYDZ", "CWFZR",
                                 "EMAIL", "QYDHHM", "HYMC",    "HYDM", "ZSID", "BSY"};
    const QStringList localTax = {"NSRSBH", "KJYWRMC", "DZXX", "YZBM", "HYMC", "SFSS"};
    const QStringList stateTax = {"NSRMC",  "NSRBM", "SSHYMC", "YZBM",   "NSRSBH", "ZCDZ",
                                  "ICCARD", "DHHM",  "YYDZ",   "SSDLJG", "KKYH",   "FLZSH"};
    const struct {
        const char* name;
        bool stateTaxRow;
        bool dialog;
        const char* field;
        const char* value;
        QStringList changed;
    } cases[] = {
        {"page", true, false, "edtCzhm", "010-5", {"XT_QYXX.QYCZHM"}},
        {"page, local-tax-only", false, false, "edtGsgbze2", "5", {"XT_QYDSXX.GSGBZE"}},
        {"dialog", true, true, "edtCzhm", "010-5", {"XT_QYXX.QYCZHM"}},
    };
    for (const auto& c : cases) {
        const QString id = AddCompany("9111UNCHANGED", "x");
        ASSERT_TRUE(Exec("INSERT INTO XT_QYDSXX(QYID, GSGBZE, GXBZ) VALUES(" + id + ", 1, 0)"));
        Spoil("XT_QYXX", id, company);
        Spoil("XT_QYDSXX", id, localTax);
        if (c.stateTaxRow) {
            // An industry no longer in the file.
            ASSERT_TRUE(
                Exec("INSERT INTO XT_QYGSXX(QYID, SSHY, GXBZ) VALUES(" + id + ", '77', 0)"));
            Spoil("XT_QYGSXX", id, stateTax);
        }
        const Bytes before = Read(id);
        const auto edit = [&](QWidget* window) {
            DialogDriver::Child<QLineEdit>(window, c.field)->setText(c.value);
            Click(window, "tbtnSave");
        };
        if (c.dialog) {
            DialogDriver driver([&](QWidget* dialog) {
                edit(dialog);
                if (dialog->isVisible()) {
                    Answer(0, 2);
                    static_cast<QDialog*>(dialog)->reject();
                }
            });
            EXPECT_TRUE(ShowCompanyInfoDialog(id, false)) << c.name;
        } else {
            QPointer<Tfrm_CompanyInfoInner> page = new Tfrm_CompanyInfoInner();
            page->LoadCompany(id, false, true);
            page->show();
            ASSERT_EQ(page->LocalTaxOnly(), !c.stateTaxRow);
            edit(page);
            delete page.data();
        }
        ExpectKept(c.name, before, id, c.changed);
        ASSERT_TRUE(Exec("DELETE FROM XT_QYDSXX"));
        ASSERT_TRUE(Exec("DELETE FROM XT_QYGSXX"));
        ASSERT_TRUE(Exec("DELETE FROM XT_QYXX"));
    }
}

TEST_P(UnchangedColumns, SettingsWindowsWriteOnlyWhatWasChanged) {
    const QString agency = AddCompany("91AGENCY", "代理", 19);
    Spoil("XT_QYXX", agency, {"FDDBRMC", "YZBM", "SSSWJG", "QYDHHM", "YYDZ"});
    const QString officer = AddCompany("11010519491231002X", "x", 20);
    ASSERT_TRUE(Exec("UPDATE XT_QYXX SET XZQHDM='1101' where QYID=" + officer));
    for (const int length : {50, 253, 40000}) {
        ASSERT_TRUE(Exec("UPDATE XT_QYXX SET QYMC='" + QString(length, QChar(0x5F20)) +
                         "' where QYID=" + officer));
        const Bytes before = Read(officer);
        auto window = std::make_unique<Tfrm_Bsyxxsz>();
        window->show();
        DialogDriver::Child<QComboBox>(window.get(), "cbxCantonCode")->setCurrentIndex(1);
        Click(window.get(), "tbtnSave");
        ExpectKept("officer", before, officer, {"XT_QYXX.XZQHDM"});
        ASSERT_TRUE(Exec("UPDATE XT_QYXX SET XZQHDM='1101' where QYID=" + officer));
    }

    ModuleLib::GetCompanyInfoVO()->SetObjValue("DLJGXX", new TAgencyMgrImpl(agency));
    const Bytes before = Read(agency);
    auto window = std::make_unique<TfrmGljgsz>();
    window->show();
    DialogDriver::Child<QLineEdit>(window.get(), "edtAgentName")->setText("新代理");
    Click(window.get(), "tbtnSave");
    ExpectKept("agency", before, agency, {"XT_QYXX.QYMC"});
    ModuleLib::GetCompanyInfoVO()->SetObjValue("DLJGXX", nullptr);
}

}  // namespace
