// The company information page driven through its named controls.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "HostServices.h"
#include "TestHost.h"
#include "TextCodec.h"
#include "f_CompanyInfoInner.h"
#include "f_DataVO.h"

namespace {

class CompanyInfoInnerTest : public HostTest {
  protected:
    void SetUp() override {
        StartHost("SQLITE", "[SubApps]\nCodes=GS\n[SubApp_GS]\nPath=SubApps/GS/\n");
        WriteFile(
            "AppComs/Dmzd/hy.txt",
            TextCodec::EncodeGbk(QStringLiteral("1101|烟煤和无烟煤开采洗选\r\n01|农业种植业\r\n")));
        id_ = AddCompany("110101000000001", QStringLiteral("甲公司"));
        AllowInfoEdits();
    }
    void AddStateTax(const QString& values =
                         "'1101', 'x', '', '0', 'ICBH=A1;ICLX=1;KPJH=0\nICBH=B2;ICLX=2;KPJH=1\n'") {
        Exec(QStringLiteral("INSERT INTO XT_QYGSXX(QYID, NSRSBH, SSHY, SSHYMC, ZDH, JKBZ, ICCARD) "
                            "VALUES(%1, 'GS1', %2)")
                 .arg(id_, values));
    }
    void AddLocalTax() {
        Exec(QStringLiteral(
                 "INSERT INTO XT_QYDSXX(QYID, NSRSBH, GSGBZE, SFSS) VALUES(%1, 'DS1', 12.5, '0')")
                 .arg(id_));
    }
    Tfrm_CompanyInfoInner* Open(bool viewOnly = false) {
        page_ = new Tfrm_CompanyInfoInner();
        page_->LoadCompany(id_, viewOnly, true);
        page_->show();
        return page_;
    }
    template <typename T>
    T* Get(const char* name) {
        T* widget = page_->findChild<T*>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    void Type(const char* name, const QString& text) { Get<QLineEdit>(name)->setText(text); }
    void PressSave() { Get<QToolButton>("tbtnSave")->click(); }
    bool TabShown(const char* name) {
        auto* tabs = Get<QTabWidget>("pgcInfo");
        return tabs->isTabVisible(tabs->indexOf(Get<QWidget>(name)));
    }
    int Codes(int code) {
        int n = 0;
        for (const auto& m : Messages()) {
            n += m.code == code ? 1 : 0;
        }
        return n;
    }
    void TearDown() override {
        delete page_.data();
        HostTest::TearDown();
    }

    QString id_;
    QPointer<Tfrm_CompanyInfoInner> page_;
};

TEST_F(CompanyInfoInnerTest, StateTaxTabShowsExactIndustryFlagsAndCards) {
    AddStateTax("'01', '农业种植业', '', '0', 'ICBH=A1;ICLX=1;KPJH=0\nICBH=B2;ICLX=2;KPJH=1\n'");
    WriteFile("SubApps/GS/AppComs/BaseInfo/CmdCompanyInfo.xml", "<c/>");
    Open();
    EXPECT_TRUE(TabShown("tsGs"));
    EXPECT_FALSE(TabShown("tsDs"));
    EXPECT_FALSE(page_->LocalTaxOnly());
    EXPECT_EQ(Get<QComboBox>("cbxGsSSHY")->currentText(), QStringLiteral("01|农业种植业"));
    EXPECT_EQ(Get<QLineEdit>("edtGsYfzdh")->text(), QStringLiteral("是"));
    EXPECT_EQ(Get<QLineEdit>("edtGsJkbz")->text(), QStringLiteral("否"));
    auto* cards = Get<QTreeWidget>("vstGsICCardList");
    ASSERT_EQ(cards->topLevelItemCount(), 2);
    EXPECT_EQ(cards->topLevelItem(1)->text(0), "2");
    EXPECT_EQ(cards->topLevelItem(1)->text(1), "B2");
    // Without a configuration nothing is editable.
    EXPECT_TRUE(Get<QLineEdit>("edtQymc")->isReadOnly());
}

TEST_F(CompanyInfoInnerTest, UnknownIndustryIsWrittenBackAsStored) {
    const struct {
        const char* name;
        QString stored;  // SSHY, SSHYMC
        QByteArray industries;
        QString shown;
        QString written;
    } cases[] = {
        {"named, beside the list", "'77', '旧行业'",
         TextCodec::EncodeGbk(QStringLiteral("01|农业\r\n")), "77|旧行业", "77/旧行业"},
        {"without a name, no list", "'77', ''", "", "77", "77/"},
    };
    for (const auto& c : cases) {
        Exec("DELETE FROM XT_QYGSXX");
        WriteFile("AppComs/Dmzd/hy.txt", c.industries);
        AddStateTax(c.stored + ", '1', '1', ''");
        Open();
        EXPECT_EQ(Get<QComboBox>("cbxGsSSHY")->currentText(), c.shown) << c.name;
        Type("edtDhhm", "123");
        HostSetup::ClearRecorded();
        PressSave();
        EXPECT_EQ(Scalar("select SSHY || '/' || SSHYMC from XT_QYGSXX where QYID=" + id_),
                  c.written)
            << c.name;
        EXPECT_EQ(Scalar("select QYDHHM from XT_QYXX where QYID=" + id_), "123") << c.name;
        EXPECT_EQ(Codes(106019), 1) << c.name;
        delete page_.data();
        Exec("UPDATE XT_QYXX SET QYDHHM='' where QYID=" + id_);
    }
}

TEST_F(CompanyInfoInnerTest, LocalTaxOnlyLayout) {
    AddLocalTax();
    // A stored address and phone under the panel: none of it is the operator's.
    Exec("UPDATE XT_QYXX SET YYDZ='营业地址', QYDHHM='x' where QYID=" + id_);
    Open();
    EXPECT_TRUE(page_->LocalTaxOnly());
    page_->resize(1600, 1000);  // the panel grows with the page
    EXPECT_EQ(Get<QWidget>("pnlMainOnlyDS")->size(),
              Get<QWidget>("pnlMainOnlyDS")->parentWidget()->size());
    // It opens in the panel's first editable field; the covered ones take
    // no focus.
    QApplication::setActiveWindow(page_);
    EXPECT_EQ(page_->focusWidget(), Get<QLineEdit>("edtMail2"));
    for (const char* covered : {"edtYydz", "edtDhhm", "edtQymc"}) {
        EXPECT_FALSE(Get<QLineEdit>(covered)->isEnabled()) << covered;
    }
    Type("edtYydz", "abc");
    EXPECT_FALSE(Get<QWidget>("pnlMainOnlyDS")->isHidden());
    EXPECT_FALSE(TabShown("tsDs"));
    EXPECT_FALSE(TabShown("tsGs"));
    EXPECT_EQ(Get<QLineEdit>("edtGsgbze2")->text(), "12.50");
    EXPECT_EQ(Get<QComboBox>("cbxSFSS2")->currentText(), QStringLiteral("是"));
    Type("edtMail2", "x@y.cn");
    // A typo is refused, not stored as 0.
    Type("edtGsgbze2", "9,5");
    PressSave();
    ASSERT_FALSE(Messages().empty());
    EXPECT_EQ(Messages().back().text, QStringLiteral("请输入正确的公司股本总额。"));
    EXPECT_EQ(Scalar("select GSGBZE from XT_QYDSXX where QYID=" + id_), "12.5");
    Type("edtGsgbze2", "99.5");
    PressSave();
    EXPECT_EQ(Scalar("select EMAIL from XT_QYXX where QYID=" + id_), "x@y.cn");
    EXPECT_EQ(Scalar("select YYDZ || '/' || QYDHHM from XT_QYXX where QYID=" + id_), "营业地址/x");
    EXPECT_EQ(Scalar("select DZXX || '/' || GSGBZE from XT_QYDSXX where QYID=" + id_),
              "x@y.cn/99.5");
}

// Tab reaches only what the operator can change, following the field's state.
TEST_F(CompanyInfoInnerTest, TabPassesReadOnlyFieldsBy) {
    AddStateTax();
    AddLocalTax();
    Open();
    const auto tabbed = [this] {
        QStringList names;
        for (QWidget* w = page_->nextInFocusChain(); w != page_; w = w->nextInFocusChain()) {
            if (w->isVisibleTo(page_) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) {
                names << w->objectName();
                auto* edit = qobject_cast<QLineEdit*>(w);
                EXPECT_FALSE(edit != nullptr && edit->isReadOnly())
                    << w->objectName().toStdString();
            }
        }
        return names;
    };
    EXPECT_TRUE(tabbed().contains("edtQymc"));
    Get<QLineEdit>("edtQymc")->setReadOnly(true);
    EXPECT_FALSE(tabbed().contains("edtQymc"));
    Get<QLineEdit>("edtQymc")->setReadOnly(false);
    EXPECT_TRUE(tabbed().contains("edtQymc"));
}

TEST_F(CompanyInfoInnerTest, ChecksStopTheSaveAndClearTheField) {
    Open();
    Type("edtDhhm", "12 34");
    PressSave();
    EXPECT_EQ(Codes(106022), 1);
    EXPECT_TRUE(Get<QLineEdit>("edtDhhm")->text().isEmpty());
    Type("edtYzbm", "12345");
    PressSave();
    ASSERT_FALSE(Messages().empty());
    EXPECT_EQ(Messages().back().text, QStringLiteral("请输入的正确的邮政编码。"));
    EXPECT_TRUE(Get<QLineEdit>("edtYzbm")->text().isEmpty());
}

// Without a transaction, the company row written before the local-tax row
// failed stays written; the operator is told and the log names the table.
TEST_F(CompanyInfoInnerTest, ALaterTableFailingKeepsTheEarlierOneAndSaysWhich) {
    AddLocalTax();
    Exec("CREATE TRIGGER refuse BEFORE UPDATE ON XT_QYDSXX BEGIN SELECT RAISE(ABORT, 'no'); END");
    Open();
    Type("edtMail2", "x@y.cn");
    PressSave();
    EXPECT_EQ(Codes(106018), 1);
    EXPECT_TRUE(page_->isVisible());
    EXPECT_EQ(Scalar("select EMAIL from XT_QYXX where QYID=" + id_), "x@y.cn");
    EXPECT_EQ(Scalar("select coalesce(DZXX, '') from XT_QYDSXX where QYID=" + id_), "");
    bool named = false;
    for (const auto& line : LogLines()) {
        named = named || (line.level == "Error" && line.text.contains("XT_QYDSXX"));
    }
    EXPECT_TRUE(named);
}

TEST_F(CompanyInfoInnerTest, NothingWrittenWithoutAChangeAndMovedTextIsAChange) {
    Exec("UPDATE XT_QYXX SET ZCDZ='ab', YYDZ='c' where QYID=" + id_);
    Exec("UPDATE XT_QYXX SET FDDBRMC='old' where QYID=" + id_);
    Open();
    PressSave();
    EXPECT_TRUE(Messages().empty());
    EXPECT_TRUE(page_->isVisible());
    // "ab"+"c" and "a"+"bc" join to the same text.
    Type("edtZcdz", "a");
    Type("edtYydz", "bc");
    PressSave();
    EXPECT_EQ(Scalar("select ZCDZ || '/' || YYDZ from XT_QYXX where QYID=" + id_), "a/bc");
}

TEST_F(CompanyInfoInnerTest, LongStoredNameIsKeptWhole) {
    // 200 characters within the record's 255 bytes, beyond the field's 79.
    const QString name = QString(200, QChar(u'N'));
    Exec(QStringLiteral("UPDATE XT_QYXX SET QYMC='%1' where QYID=%2").arg(name, id_));
    Open();
    EXPECT_EQ(Get<QLineEdit>("edtQymc")->text(), name);
    Type("edtCzhm", "1");
    PressSave();
    EXPECT_EQ(Scalar("select QYMC from XT_QYXX where QYID=" + id_), name);
}

TEST_F(CompanyInfoInnerTest, NonNumericRegisterTypeIsRefused) {
    AddStateTax();
    Open();
    Get<QLineEdit>("edtGsDjzclx")->setReadOnly(false);
    Type("edtGsDjzclx", "1,NSRZT='x'");
    Type("edtDhhm", "555");
    PressSave();
    EXPECT_EQ(Scalar("select QYDHHM from XT_QYXX where QYID=" + id_), "");
    ASSERT_FALSE(Messages().empty());
    EXPECT_TRUE(Messages().back().text.contains("DJZCLX_DM"));
}

TEST_F(CompanyInfoInnerTest, ConfigurationShowsTabAndSaveInsertsStateTax) {
    WriteFile("SubApps/GS/AppComs/BaseInfo/CmdCompanyInfo.xml",
              "<c><jcxx><f key=\"QYMC\" edit=\"true\"/></jcxx><gsxx visible=\"true\"/></c>");
    ModuleLib::GetCompanyInfoVO()->SetStrValue("QYID", id_);
    Open();
    EXPECT_TRUE(TabShown("tsGs"));
    EXPECT_FALSE(Get<QLineEdit>("edtQymc")->isReadOnly());
    EXPECT_EQ(Get<QLineEdit>("edtGsJkbz")->text() + Get<QLineEdit>("edtGsYfzdh")->text(), "");
    Type("edtQymc", QStringLiteral("乙公司"));
    PressSave();
    EXPECT_EQ(Count("select count(*) from XT_QYGSXX where QYID=" + id_), 1);
    // Nothing is chosen for the operator: no industry, no flags.
    EXPECT_EQ(Scalar("select NSRMC || '/' || DJZCLX_DM || '/' || SSHY || JKBZ || ZDH from "
                     "XT_QYGSXX where QYID=" +
                     id_),
              QStringLiteral("乙公司/0/"));
    EXPECT_EQ(ModuleLib::GetCompanyInfoVO()->GetStrValue("QYMC"), QStringLiteral("乙公司"));
    // The host's copy holds what was written.
    auto* child = dynamic_cast<TDataVO*>(ModuleLib::GetCompanyInfoVO()->GetObjValue("QYGSXX"));
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->GetStrValue("NSRMC"), QStringLiteral("乙公司"));
    EXPECT_EQ(child->GetStrValue("GXBZ"), "1");
}

TEST_F(CompanyInfoInnerTest, ViewOnlyHidesSave) {
    AddStateTax();
    Open(true);
    EXPECT_FALSE(Get<QToolButton>("tbtnSave")->isVisible());
    EXPECT_FALSE(Get<QLineEdit>("edtDhhm")->isEnabled());
    // Fields editable otherwise take no typing either.
    EXPECT_TRUE(Get<QLineEdit>("edtMail2")->isReadOnly());
    EXPECT_TRUE(Get<QLineEdit>("edtGsgbze")->isReadOnly());
    EXPECT_FALSE(Get<QComboBox>("cbxGsSSHY")->isEnabled());
}

// Back leaves at once unless it would throw away edits, which it asks about.
TEST_F(CompanyInfoInnerTest, BackAsksOnlyAboutUnsavedEdits) {
    const struct {
        const char* name;
        bool viewOnly;
        QString typed;  // empty: nothing typed
        int answer;
        bool asked;
        bool closed;
    } cases[] = {
        {"nothing edited", false, "", 2, false, true},
        {"view only, the e-mail typed over", true, "a@b.cn", 2, false, true},
        {"edited, kept", false, "a@b.cn", 3, true, false},
        {"edited, given up", false, "a@b.cn", 2, true, true},
    };
    for (const auto& c : cases) {
        Answer(0, c.answer);
        Open(c.viewOnly);
        HostSetup::ClearRecorded();
        if (!c.typed.isEmpty()) {
            Type("edtMail", c.typed);
        }
        auto* back = Get<QToolButton>("btnBack");
        ASSERT_TRUE(back->isVisible()) << c.name;
        back->click();
        EXPECT_EQ(Messages().size(), c.asked ? 1u : 0u) << c.name;
        EXPECT_EQ(page_->isVisible(), !c.closed) << c.name;
        EXPECT_EQ(Scalar("select coalesce(EMAIL, '') from XT_QYXX where QYID=" + id_), "")
            << c.name;
        delete page_.data();
    }
}

// A list entry without "|" is a name without a code, and is saved as such.
TEST_F(CompanyInfoInnerTest, AnIndustryEntryWithoutACodeIsSavedAsAName) {
    WriteFile("AppComs/Dmzd/hy.txt",
              TextCodec::EncodeGbk(QStringLiteral("01|农业\r\n其他行业\r\n")));
    AddStateTax("'01', '农业', '1', '1', ''");
    Open();
    auto* industries = Get<QComboBox>("cbxGsSSHY");
    ASSERT_EQ(industries->currentText(), QStringLiteral("01|农业"));
    industries->setCurrentIndex(industries->findText(QStringLiteral("其他行业")));
    PressSave();
    EXPECT_EQ(Codes(106019), 1);
    EXPECT_EQ(Scalar("select SSHY || '/' || SSHYMC from XT_QYGSXX where QYID=" + id_),
              QStringLiteral("/其他行业"));
}

// A tax table that cannot be read as the page opens leaves its tab out; the
// basic data still shows and saves.
TEST_F(CompanyInfoInnerTest, ATaxTableUnreadableAtOpeningLeavesTheBasicDataToSave) {
    AddStateTax();
    AddLocalTax();
    // Without its state-tax row the company shows the local-tax-only panel.
    const struct {
        const char* table;
        bool stateTaxTab;
        const char* field;
        const char* column;
        const char* value;
    } cases[] = {{"XT_QYDSXX", true, "edtCzhm", "QYCZHM", "010-1"},
                 {"XT_QYGSXX", false, "edtMail2", "EMAIL", "a@b.cn"}};
    for (const auto& [table, stateTaxTab, field, column, value] : cases) {
        ASSERT_TRUE(Exec(QStringLiteral("ALTER TABLE %1 RENAME TO AWAY").arg(table)));
        Open();
        ASSERT_TRUE(Exec(QStringLiteral("ALTER TABLE AWAY RENAME TO %1").arg(table)));
        EXPECT_EQ(Get<QLineEdit>("edtQysbh")->text(), "110101000000001") << table;
        EXPECT_FALSE(TabShown("tsDs")) << table;
        EXPECT_EQ(TabShown("tsGs"), stateTaxTab) << table;
        Type(field, value);
        HostSetup::ClearRecorded();
        PressSave();
        EXPECT_EQ(Codes(106019), 1) << table;
        EXPECT_EQ(Scalar(QString("select %1 from XT_QYXX where QYID=").arg(column) + id_), value)
            << table;
        delete page_.data();
    }
}

}  // namespace

// An id that names no company opens an empty page that cannot write anything.
TEST_F(CompanyInfoInnerTest, AnIdWithoutACompanyOpensAPageThatWritesNothing) {
    for (const QString& id : {QString("999"), QString("abc"), QString("1 or 1=1"), QString()}) {
        page_ = new Tfrm_CompanyInfoInner();
        EXPECT_FALSE(page_->LoadCompany(id, false, true)) << id.toStdString();
        page_->show();
        EXPECT_FALSE(TabShown("tsGs")) << id.toStdString();
        EXPECT_FALSE(TabShown("tsDs")) << id.toStdString();
        // The company code is never the operator's to type on the page.
        Type("edtQysbh", "9111B");
        Type("edtQymc", "乙");
        HostSetup::ClearRecorded();
        PressSave();
        ASSERT_EQ(Messages().size(), 1u) << id.toStdString();
        EXPECT_EQ(Messages()[0].code, 106021) << id.toStdString();
        EXPECT_EQ(Count("select count(*) from XT_QYXX"), 1) << id.toStdString();
        EXPECT_EQ(Scalar("select QYMC from XT_QYXX where QYID=" + id_), "甲公司");
        delete page_.data();
    }
    // Nor does one whose table cannot be read.
    ASSERT_TRUE(Exec("ALTER TABLE XT_QYXX RENAME TO XT_QYXX_AWAY"));
    page_ = new Tfrm_CompanyInfoInner();
    EXPECT_FALSE(page_->LoadCompany(id_, false, true));
    ASSERT_TRUE(Exec("ALTER TABLE XT_QYXX_AWAY RENAME TO XT_QYXX"));
    page_->show();
    EXPECT_EQ(Get<QLineEdit>("edtQysbh")->text(), "");
    EXPECT_FALSE(TabShown("tsGs"));
}
