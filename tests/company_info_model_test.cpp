// The company information model: what a save writes and what it keeps, on
// every engine, through the page and the dialog as an operator saves them.
#include <QAbstractButton>
#include <QDate>
#include <QDialog>
#include <QLineEdit>
#include <QPointer>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <tuple>
#include <vector>

#include "CompanyInfoModel.h"
#include "CompanyRecord.h"
#include "DialogDriver.h"
#include "HostServices.h"
#include "SqlQuery.h"
#include "TableColumns.h"
#include "TestHost.h"
#include "TextCodec.h"
#include "f_CompanyInfo.h"
#include "f_CompanyInfoInner.h"
#include "f_DataVO.h"

namespace {

using T = InfoTable;
// Every column of one row; NULL as no value.
using Row = std::map<QString, std::optional<QString>>;

class CompanyInfoModelTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        WriteFile("AppComs/Dmzd/hy.txt",
                  TextCodec::EncodeGbk(QStringLiteral("1101|烟煤\r\n01|农业\r\n")));
        AllowInfoEdits();
    }
    static Row Dump(const TableColumns::Table& table, const QString& id) {
        Row row;
        SqlQuery::ReadRows(
            "dump", "select * from " + TableColumns::Name(table.name) + " where QYID=" + id,
            [&](TADOQuery& rows) {
                for (const auto& column : table.columns) {
                    const int i = rows.FieldIndex(TableColumns::Name(column.name));
                    if (!rows.Eof()) {
                        row[TableColumns::Name(column.name)] =
                            rows.FieldIsNull(i) ? std::nullopt
                                                : std::optional(rows.FieldAsString(i));
                    }
                }
            });
        return row;
    }
    QString AddFull(const QString& company, const QString& localTax, const QString& stateTax) {
        const QString id = AddCompany("911101080000000" + QString::number(++added_), "x");
        EXPECT_TRUE(Exec("UPDATE XT_QYXX SET " + company + " where QYID=" + id));
        if (!localTax.isEmpty()) {
            EXPECT_TRUE(Exec("INSERT INTO XT_QYDSXX(QYID, NSRSBH, DZXX, GSGBZE, GXBZ) VALUES(" +
                             id + ", 'DS1', 'old@mail.cn', " + localTax + ", 0)"));
        }
        if (!stateTax.isEmpty()) {
            EXPECT_TRUE(
                Exec("INSERT INTO XT_QYGSXX(QYID, NSRMC, FDDBRMC, SSHY, SSHYMC, KKYH, "
                     "ICCARD, DJZCLX_DM, GXBZ) VALUES(" +
                     id + ", " + stateTax + ", 0)"));
        }
        return id;
    }
    // Types text into field and saves, in the page or the dialog.
    void Save(bool inPage, const QString& id, const char* field, const QString& text) {
        const auto edit = [&](QWidget* window) {
            window->findChild<QLineEdit*>(field)->setText(text);
            window->findChild<QAbstractButton*>("tbtnSave")->click();
        };
        if (inPage) {
            QPointer<Tfrm_CompanyInfoInner> page = new Tfrm_CompanyInfoInner();
            page->LoadCompany(id, false, true);
            page->show();
            edit(page);
            delete page.data();
            return;
        }
        DialogDriver driver([&](QWidget* dialog) {
            edit(dialog);
            if (dialog->isVisible()) {
                Answer(0, 2);  // what was not saved is given up
                static_cast<QDialog*>(dialog)->reject();
            }
        });
        ShowCompanyInfoDialog(id, false);
    }
    int added_ = 0;
};
INSTANTIATE_ON_ENGINES(CompanyInfoModelTest);

// Changing the e-mail alone changes the e-mail, its local-tax copy and the
// rows' update marks; every other stored value stays as it was, byte for byte.
TEST_P(CompanyInfoModelTest, ASaveWritesTheEditAndKeepsEveryOtherColumn) {
    const QString longName = QString(200, QChar(0x540D));
    const QString supplementary = QString::fromUtf8("𠀀𪚥公司€");
    const struct {
        const char* name;
        QString company, localTax, stateTax;
    } cases[] = {
        {"long texts and NULLs",
         "QYMC='" + longName + "', ZCDZ='" + QString(150, QChar(0x5740)) + "', ZSID='" +
             QString(300, 'Z') + "', FDDBRMC=NULL, HYDM=NULL, CWFZR=''",
         "98765432109876.50", "'另一个名称', NULL, '1101', '', 'K', 'ICBH=1\n', 3"},
        {"characters beyond GBK", "QYMC='" + supplementary + "', YYDZ='" + supplementary + "'",
         "123456789012.34",
         "'" + supplementary + "', 'x', '01', '其他', '" + supplementary + "', '', NULL"},
        {"17 digits and an empty industry", "QYSBH=' 9111 '", "12345678901234567.89",
         "'x', 'y', '', '', '', '', 0"},
        {"a share capital beyond the engine's reading", "ZSID='z'", "99999999999999999.99",
         "'x', 'y', '7', '未知', '', '', 0"},
        {"no state-tax row", "QYMC='甲'", "0", ""},
        {"no local-tax row", "QYMC='乙'", "", "'x', 'y', '', '', '', '', 0"},
    };
    const QString today = QDate::currentDate().toString("yyyy-MM-dd");
    for (const auto& c : cases) {
        for (const bool page : {true, false}) {
            const std::string name = std::string(c.name) + (page ? " (page)" : " (dialog)");
            const QString id = AddFull(c.company, c.localTax, c.stateTax);
            ModuleLib::GetCompanyInfoVO()->SetStrValue("QYID", id);
            std::vector<Row> before;
            for (int t = 0; t < 3; ++t) {
                before.push_back(Dump(TableColumns::kTables[t], id));
            }
            const char* field = page && c.stateTax.isEmpty() ? "edtMail2" : "edtMail";
            Save(page, id, field, "new@mail.cn");
            for (int t = 0; t < 3; ++t) {
                const Row after = Dump(TableColumns::kTables[t], id);
                ASSERT_EQ(after.size(), before[t].size()) << name;
                for (const auto& [column, value] : after) {
                    const QString at =
                        TableColumns::Name(TableColumns::kTables[t].name) + "." + column;
                    if (at == "XT_QYXX.EMAIL" || at == "XT_QYDSXX.DZXX") {
                        EXPECT_EQ(value, QString("new@mail.cn")) << name << " " << at.toStdString();
                    } else if (column == "GXBZ" && (t == 1 || page)) {
                        EXPECT_EQ(value, QString("1")) << name << " " << at.toStdString();
                    } else if (column != "GXSJ") {
                        EXPECT_EQ(value, before[t].at(column)) << name << " " << at.toStdString();
                    }
                }
            }
            // The host's copy of the state-tax row is what was written.
            auto* stateTax = dynamic_cast<TDataVO*>(
                ModuleLib::GetCompanyInfoVO()->GetObjValue(QStringLiteral("QYGSXX")));
            if (page && !c.stateTax.isEmpty()) {
                ASSERT_NE(stateTax, nullptr) << name;
                for (const auto& [column, value] : Dump(TableColumns::kTables[2], id)) {
                    if (column != "QYID" && column != "DJZCLX_DM") {
                        const QString stored = value.value_or(QString());
                        EXPECT_EQ(stateTax->GetStrValue(column),
                                  column == "ICCARD" ? stored : CutToLegacyBytes(stored).toString())
                            << name << " " << column.toStdString();
                    }
                }
                EXPECT_EQ(stateTax->GetStrValue("GXSJ"), today);
            }
            ModuleLib::GetCompanyInfoVO()->SetObjValue("QYGSXX", nullptr);
        }
    }
}

TEST_P(CompanyInfoModelTest, ChecksComeInOrderWithTheirMessages) {
    const QString id = AddFull("QYSBH='110101000000001'", "1", "'x', 'y', '', '', '', '', 159");
    using Edits = std::vector<std::tuple<T, const char*, const char*>>;
    const struct {
        const char* name;
        Edits edits;
        QString column;  // empty: every check passes
        int code;
        bool clear;
    } cases[] = {
        {"valid",
         {{T::Company, "QYDHHM", "(010)8888-1234"}, {T::Company, "EMAIL", "a@b.c"}},
         "",
         0,
         false},
        {"empties", {{T::Company, "YZBM", ""}, {T::StateTax, "DJZCLX_DM", ""}}, "", 0, false},
        {"code blank", {{T::Company, "QYSBH", "  "}}, "QYSBH", 106021, false},
        {"phone blank inside", {{T::Company, "QYDHHM", "010 1234"}}, "QYDHHM", 106022, true},
        {"fax", {{T::Company, "QYCZHM", "x"}}, "QYCZHM", 106023, true},
        {"no at", {{T::Company, "EMAIL", "ab.c"}}, "EMAIL", 106024, true},
        {"post code 5", {{T::Company, "YZBM", "10000"}}, "YZBM", 0, true},
        {"register type", {{T::StateTax, "DJZCLX_DM", "1 OR 1=1"}}, "DJZCLX_DM", 0, false},
        {"share capital", {{T::LocalTax, "GSGBZE", "1,5"}}, "GSGBZE", 0, false},
        {"phone before mail",
         {{T::Company, "QYDHHM", "x"}, {T::Company, "EMAIL", "x"}},
         "QYDHHM",
         106022,
         true},
    };
    for (const auto& c : cases) {
        TCompanyInfoModel model;
        ASSERT_EQ(model.Load(id), TCompanyInfoModel::LoadResult::Loaded);
        for (const auto& [table, column, text] : c.edits) {
            model.SetEdited(table, column, text);
        }
        const auto failure = model.Check();
        ASSERT_EQ(failure.has_value(), !c.column.isEmpty()) << c.name;
        if (failure) {
            EXPECT_EQ(failure->column, c.column) << c.name;
            EXPECT_EQ(failure->messageCode, c.code) << c.name;
            EXPECT_EQ(failure->clearField, c.clear) << c.name;
            EXPECT_EQ(failure->messageCode == 0, !failure->messageText.isEmpty()) << c.name;
        }
    }
}

// Which edits count as a change: padded numbers and a share capital spelled
// otherwise do not.
TEST_P(CompanyInfoModelTest, EachEditedColumnCountsAlone) {
    const QString id = AddFull("QYSBH='9111', QYDHHM='010-1', QYCZHM='010-2'", "12.5",
                               "'x', 'y', '01', '', '', '', 0");
    const struct {
        const char* name;
        std::vector<std::tuple<T, const char*, const char*>> edits;
        bool changed;
    } cases[] = {
        {"padded and spelled otherwise",
         {{T::Company, "QYSBH", " 9111 "},
          {T::Company, "QYDHHM", " 010-1"},
          {T::Company, "QYCZHM", "010-2 "},
          {T::LocalTax, "GSGBZE", "012.50"},
          {T::StateTax, "SSHY", "01"}},
         false},
        {"company code", {{T::Company, "QYSBH", "9112"}}, true},
        {"share capital", {{T::LocalTax, "GSGBZE", "13"}}, true},
        {"unreadable share capital", {{T::LocalTax, "GSGBZE", "x"}}, true},
        {"industry", {{T::StateTax, "SSHY", "1101"}}, true},
    };
    for (const auto& c : cases) {
        TCompanyInfoModel model;
        ASSERT_EQ(model.Load(id), TCompanyInfoModel::LoadResult::Loaded);
        for (const auto& [table, column, text] : c.edits) {
            model.SetEdited(table, column, text);
        }
        EXPECT_EQ(model.IsChanged(), c.changed) << c.name;
    }
}

// A save stops before its first statement when the state-tax row cannot be
// looked for, or when a value could never go into a statement.
TEST_P(CompanyInfoModelTest, ASaveThatCannotBeWrittenWritesNothing) {
    const struct {
        const char* name;
        InfoWindow window;
        const char* spoil;
        std::tuple<T, const char*, const char*> edit;
    } cases[] = {
        {"share capital no amount", InfoWindow::Dialog, "", {T::LocalTax, "GSGBZE", "1,5"}},
        {"company deleted after loading",
         InfoWindow::Page,
         "DELETE FROM XT_QYXX WHERE QYID=%1",
         {T::StateTax, "NSRBM", "N2"}},
        {"state-tax row not readable",
         InfoWindow::Page,
         "DROP TABLE XT_QYGSXX",
         {T::StateTax, "NSRBM", "N2"}},
    };
    for (const auto& c : cases) {
        const QString id = AddFull("QYDHHM='1'", "1", "'x', 'y', '', '', '', '', 0");
        TCompanyInfoModel model;
        ASSERT_EQ(model.Load(id), TCompanyInfoModel::LoadResult::Loaded);
        model.SetEdited(T::Company, "QYDHHM", "2");
        model.SetEdited(std::get<0>(c.edit), std::get<1>(c.edit), std::get<2>(c.edit));
        ASSERT_TRUE(QString(c.spoil).isEmpty() || Exec(QString(c.spoil).arg(id))) << c.name;
        EXPECT_EQ(model.Save(c.window, "2026-01-02"), TCompanyInfoModel::SaveResult::Failed)
            << c.name;
        // No company's rows took the edits, a deleted one's tax rows included.
        EXPECT_EQ(Scalar("select count(*) from XT_QYXX where QYDHHM='2'"), "0") << c.name;
        EXPECT_EQ(Scalar("select count(*) from XT_QYDSXX where GXBZ=1"), "0") << c.name;
    }
}

}  // namespace
