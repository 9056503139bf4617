// The agency and tax officer settings windows when the host's state is not
// what the window found at opening: the agency manager gone, a region file
// that lists nothing or cannot be read.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>

#include <memory>

#include "AgencyMgrImpl.h"
#include "DialogDriver.h"
#include "HostServices.h"
#include "TestHost.h"
#include "f_AdvSwitchCompay.h"
#include "f_Bsyxxsz.h"
#include "f_CompanyManage.h"
#include "f_DataVO.h"
#include "f_Dljgsz.h"

namespace {

class SettingsWindows : public EngineTest {
  protected:
    void TearDown() override {
        ModuleLib::GetCompanyInfoVO()->SetObjValue("DLJGXX", nullptr);
        EngineTest::TearDown();
    }
    static void Save(QWidget* window) {
        DialogDriver::Child<QAbstractButton>(window, "tbtnSave")->click();
    }
    QStringList Texts() const {
        QStringList texts;
        for (const auto& message : Messages()) {
            texts << message.text;
        }
        return texts;
    }
};
INSTANTIATE_ON_ENGINES(SettingsWindows);

// The host may drop the agency manager while the window is open: the entries
// pass their checks and then go nowhere.
TEST_P(SettingsWindows, AnAgencySaveAfterTheHostDroppedTheManagerWritesNothing) {
    const QString agency = AddCompany("91110108AG0001", "某税务师事务所", 19);
    ModuleLib::GetCompanyInfoVO()->SetObjValue("DLJGXX", new TAgencyMgrImpl(agency));
    TfrmGljgsz window;
    window.show();
    ASSERT_EQ(DialogDriver::Child<QLineEdit>(&window, "edtAgentName")->text(), "某税务师事务所");
    DialogDriver::Child<QLineEdit>(&window, "edtAgentName")->setText("新事务所");
    ModuleLib::SetgsAgencyInfo("unchanged");
    ModuleLib::GetCompanyInfoVO()->SetObjValue("DLJGXX", nullptr);
    HostSetup::ClearRecorded();
    Save(&window);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(Scalar("select QYMC from XT_QYXX where QYID=" + agency), "某税务师事务所");
    EXPECT_EQ(HostSetup::AgencyInfo(), "unchanged");
    EXPECT_EQ(DialogDriver::Child<QLineEdit>(&window, "edtAgentName")->text(), "新事务所");
}

// Without a region to choose the officer is not saved, whether the file lists
// none or cannot be read and the operator picks the item the window was made with.
TEST_P(SettingsWindows, AnOfficerWithoutARegionFromTheFileIsNotSaved) {
    const QString officer = AddCompany("110105491231002", "张三", 20);
    Exec("UPDATE XT_QYXX SET XZQHDM='1101' where QYID=" + officer);
    const struct {
        const char* name;
        bool file;  // an empty region file, else none
        int items;
        int pick;  // the index chosen before saving, -1 none
    } cases[] = {
        {"an empty file", true, 0, -1},
        {"no file, the design-time item picked", false, 1, 0},
    };
    for (const auto& c : cases) {
        QFile::remove(AppPath() + "AppComs/Dmzd/CantonCode.dat");
        if (c.file) {
            WriteFile("AppComs/Dmzd/CantonCode.dat", "");
        }
        Tfrm_Bsyxxsz window;
        window.show();
        auto* regions = DialogDriver::Child<QComboBox>(&window, "cbxCantonCode");
        EXPECT_EQ(regions->count(), c.items) << c.name;
        EXPECT_EQ(regions->currentIndex(), -1) << c.name;
        regions->setCurrentIndex(c.pick);
        DialogDriver::Child<QLineEdit>(&window, "edtBsymc")->setText("李四");
        HostSetup::ClearRecorded();
        Save(&window);
        EXPECT_EQ(Texts(), QStringList{"所在地不能为空！"}) << c.name;
        EXPECT_EQ(window.focusWidget(), regions) << c.name;
        EXPECT_EQ(Scalar("select QYMC || '/' || XZQHDM from XT_QYXX where QYID=" + officer),
                  "张三/1101")
            << c.name;
    }
}

// Each window opens where typing belongs.
TEST_P(SettingsWindows, WindowsOpenInTheirFirstField) {
    const std::pair<std::function<QWidget*()>, const char*> cases[] = {
        {[] { return new Tfrm_CompanyManage; }, "vstCompList"},
        {[] { return new TfrmAdvSwitchCompay; }, "edtSbh"},
        {[] { return new TfrmGljgsz; }, "edtAgentName"},
        {[] { return new Tfrm_Bsyxxsz; }, "edtBsymc"},
    };
    for (const auto& [make, field] : cases) {
        std::unique_ptr<QWidget> window(make());
        window->show();
        EXPECT_EQ(window->focusWidget() ? window->focusWidget()->objectName() : "", field);
    }
}

}  // namespace
