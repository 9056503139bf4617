// The agency settings window over the agency manager of the current-company
// object: loading, the key filters, the checks, the save and a failed save.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTest>

#include <memory>
#include <vector>

#include "AgencyMgrImpl.h"
#include "AgencySettings.h"
#include "DialogDriver.h"
#include "HostServices.h"
#include "TestHost.h"
#include "f_AgencyMgr.h"
#include "f_DataVO.h"
#include "f_Dljgsz.h"

namespace {

TEST(AgencySettingsRules, FieldsThatPassHaveNoMessage) {
    AgencySettings::TFields fields;
    fields.Code = "91110108AG0001";
    fields.Name = QStringLiteral("事务所");
    fields.PostCode = " 100080 ";
    EXPECT_EQ(AgencySettings::Validate(fields), AgencySettings::Check::Ok);
    EXPECT_EQ(AgencySettings::CheckText(AgencySettings::Check::Ok), "");
}

class AgencySettingsWindow : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        Exec(
            "INSERT INTO XT_QYXX(QYSBH, QYMC, LBDM, SSSWJG, FDDBRMC, QYDHHM, YZBM, YYDZ) VALUES("
            "'91110108AG0001', '北京诚信税务师事务所', 19, '海淀区税务局', '王五', "
            "'010-88886666', '100080', '中关村大街1号')");
        agencyId_ = Scalar("select QYID from XT_QYXX where LBDM=19");
        AddCompany("9111S1", "代理户一", 10, agencyId_);
        AddCompany("9111S2", "代理户二", 10, agencyId_);
        AddCompany("9111C", "普通户", 0);
        ModuleLib::GetCompanyInfoVO()->SetObjValue("DLJGXX", new TAgencyMgrImpl(agencyId_));
    }
    void TearDown() override {
        ModuleLib::GetCompanyInfoVO()->SetObjValue("DLJGXX", nullptr);
        EngineTest::TearDown();
    }
    static TAgencyMgr* Agency() {
        return dynamic_cast<TAgencyMgr*>(ModuleLib::GetCompanyInfoVO()->GetObjValue("DLJGXX"));
    }
    void Open() {
        page_.reset(new TfrmGljgsz());
        page_->show();
    }
    QLineEdit* Edit(const char* name) const {
        return DialogDriver::Child<QLineEdit>(page_.get(), name);
    }
    void Save() const { DialogDriver::Child<QAbstractButton>(page_.get(), "tbtnSave")->click(); }
    QStringList PlainTexts() const {
        QStringList texts;
        for (const auto& message : Messages()) {
            EXPECT_EQ(message.kind, HostSetup::THostMessage::Plain);
            texts << message.text;
        }
        return texts;
    }
    QString Stored(const char* column) const {
        return Scalar(QStringLiteral("select %1 from XT_QYXX where QYID=%2")
                          .arg(QLatin1String(column), agencyId_));
    }

    QString agencyId_;
    std::unique_ptr<TfrmGljgsz> page_;
};
INSTANTIATE_ON_ENGINES(AgencySettingsWindow);

TEST_P(AgencySettingsWindow, ShowsTheAgencyAndItsServedCompanies) {
    Open();
    EXPECT_EQ(page_->windowTitle(), "代理机构设置");
    EXPECT_EQ(Edit("edtAgentCode")->text(), "91110108AG0001");
    EXPECT_EQ(Edit("edtAgentName")->text(), "北京诚信税务师事务所");
    EXPECT_EQ(Edit("edtTaxAuthorities")->text(), "海淀区税务局");
    EXPECT_EQ(Edit("edtLegalRepresentative")->text(), "王五");
    EXPECT_EQ(Edit("edtPhone")->text(), "010-88886666");
    EXPECT_EQ(Edit("edtPostCode")->text(), "100080");
    EXPECT_EQ(Edit("edtAddr")->text(), "中关村大街1号");
    EXPECT_EQ(Edit("edtCount")->text(), "2");
    EXPECT_FALSE(Edit("edtCount")->isEnabled());
    EXPECT_FALSE(Edit("edtAgentCode")->isEnabled());
}

// Full-width digits and signs enter as ASCII; a key of another character is
// dropped, a paste holding one is refused whole.
TEST_P(AgencySettingsWindow, PhoneAndPostCodeKeepOnlyTheirCharactersTypedOrPasted) {
    Open();
    struct FilterCase {
        const char* field;
        QString typed;
        QString pasted;
        QString expected;
    };
    const std::vector<FilterCase> cases = {
        {"edtPhone", "0a1 0-(8)8", "", "010-88"},       {"edtPhone", "", "010-8888 6666转3", ""},
        {"edtPhone", "010", "(010)+86 ext.5-1", "010"}, {"edtPhone", "", "０１０－１", "010-1"},
        {"edtPostCode", "10a0+0 8", "", "10008"},       {"edtPostCode", "1234567890", "", "123456"},
        {"edtPostCode", "", "1000８80-12", ""},         {"edtPostCode", "1", "000801", "1"},
        {"edtPostCode", "", "１２３４５６", "123456"},
    };
    for (const FilterCase& c : cases) {
        QLineEdit* edit = Edit(c.field);
        edit->clear();
        edit->setFocus();
        QTest::keyClicks(edit, c.typed);
        QGuiApplication::clipboard()->setText(c.pasted);
        edit->paste();
        EXPECT_EQ(edit->text(), c.expected) << c.field << " " << c.typed.toStdString();
    }
    Save();
    EXPECT_EQ(Stored("QYDHHM"), "010-1");
    EXPECT_EQ(Stored("YZBM"), "123456");
}

TEST_P(AgencySettingsWindow, ChecksStopAtTheFirstFailureAndWriteNothing) {
    Open();
    struct CheckCase {
        QString name;
        QString postCode;
        QString message;
        const char* focus;
    };
    const std::vector<CheckCase> cases = {
        {"   ", "10008", "代理机构名称不能为空！", "edtAgentName"},
        {"新名称", "10008", "邮政编码必须等于六位！", "edtPostCode"},
        {"新名称", " 1000 ", "邮政编码必须等于六位！", "edtPostCode"},
    };
    for (const CheckCase& c : cases) {
        HostSetup::ClearRecorded();
        Edit("edtAgentName")->setText(c.name);
        Edit("edtPostCode")->setText(c.postCode);
        Edit("edtAddr")->setFocus();
        Save();
        EXPECT_EQ(PlainTexts(), QStringList{c.message}) << c.message.toStdString();
        EXPECT_EQ(page_->focusWidget(), Edit(c.focus)) << c.message.toStdString();
        EXPECT_EQ(Edit("edtAgentName")->text(), c.name);
    }
    EXPECT_EQ(Stored("QYMC"), "北京诚信税务师事务所");
    EXPECT_EQ(Stored("YZBM"), "100080");
    EXPECT_EQ(Agency()->GetName(), "北京诚信税务师事务所");
}

TEST_P(AgencySettingsWindow, SavesTheFieldsAsEnteredAndTellsTheHostTheName) {
    Open();
    ModuleLib::SetgsAgencyInfo("");
    Edit("edtAgentName")->setText(" O'Brien 税务师事务所");
    Edit("edtPostCode")->clear();
    Edit("edtPhone")->setText("021-1");
    Edit("edtLegalRepresentative")->setText("赵六");
    Save();
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(Stored("QYMC"), " O'Brien 税务师事务所");
    EXPECT_EQ(Stored("YZBM"), "");
    EXPECT_EQ(Stored("QYDHHM"), "021-1");
    EXPECT_EQ(Stored("FDDBRMC"), "赵六");
    EXPECT_EQ(Stored("QYSBH"), "91110108AG0001");
    EXPECT_EQ(HostSetup::AgencyInfo(), " O'Brien 税务师事务所");
}

TEST_P(AgencySettingsWindow, AFailedSaveReloadsTheSharedAgency) {
    Open();
    RefuseRowChanges("UPDATE", "XT_QYXX");
    ModuleLib::SetgsAgencyInfo("");
    Edit("edtAgentName")->setText("未保存的名称");
    Edit("edtPhone")->setText("021-1");
    Save();
    EXPECT_EQ(PlainTexts(), QStringList{"代理机构设置保存失败！"});
    EXPECT_EQ(Stored("QYMC"), "北京诚信税务师事务所");
    // The next window shows what is stored, not what was typed.
    EXPECT_EQ(Agency()->GetName(), "北京诚信税务师事务所");
    EXPECT_EQ(Agency()->GetPhone(), "010-88886666");
    EXPECT_NE(HostSetup::AgencyInfo(), "未保存的名称");
    // This one keeps the operator's entries for another try.
    EXPECT_EQ(Edit("edtAgentName")->text(), "未保存的名称");
}

// A save that changes no row is no save; another desk's change of the same
// field is asked about, of another field kept.
TEST_P(AgencySettingsWindow, ASaveOfNoRowFailsAndAnotherDesksChangeIsKeptOrAsked) {
    Open();
    ASSERT_TRUE(
        ExecElsewhere("UPDATE XT_QYXX SET YYDZ='别处', QYMC='别名' where QYID=" + agencyId_));
    Answer(0, 3);
    Edit("edtAgentName")->setText("甲");
    Edit("edtPhone")->setText("021-1");
    Save();
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_TRUE(Messages()[0].text.contains("XT_QYXX.QYMC")) << Messages()[0].text.toStdString();
    EXPECT_EQ(Stored("QYDHHM"), "010-88886666");
    HostSetup::ClearRecorded();
    Edit("edtAgentName")->setText("别名");
    Save();
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(Stored("QYDHHM") + Stored("YYDZ"), "021-1别处");

    ModuleLib::SetgsAgencyInfo("");
    ASSERT_TRUE(ExecElsewhere("DELETE FROM XT_QYXX WHERE QYID=" + agencyId_));
    Edit("edtAgentName")->setText("乙");
    Save();
    EXPECT_EQ(PlainTexts(), QStringList{"代理机构设置保存失败！"});
    EXPECT_NE(HostSetup::AgencyInfo(), "乙");
}

TEST_P(AgencySettingsWindow, TakesTheManagerTheHostHoldsAtEachSave) {
    Open();
    // The host replaces the object while the window is open.
    ModuleLib::GetCompanyInfoVO()->SetObjValue("DLJGXX", new TAgencyMgrImpl(agencyId_));
    Edit("edtAgentName")->setText("新事务所");
    Save();
    EXPECT_EQ(Stored("QYMC"), "新事务所");
    EXPECT_EQ(Agency()->GetName(), "新事务所");
}

TEST_P(AgencySettingsWindow, WithoutAnAgencyManagerTheFieldsStayEmpty) {
    ModuleLib::GetCompanyInfoVO()->SetObjValue("DLJGXX", nullptr);
    Open();
    for (const char* field : {"edtAgentCode", "edtAgentName", "edtPhone", "edtCount"}) {
        EXPECT_EQ(Edit(field)->text(), "") << field;
    }
    Edit("edtAgentName")->setText("某事务所");
    Save();
    EXPECT_EQ(PlainTexts(), QStringList{"代理机构代码不能为空！"});
    EXPECT_EQ(Stored("QYMC"), "北京诚信税务师事务所");
}

}  // namespace
