// A host without widgets (a console program with a QCoreApplication): the
// entry points that need no window work, the ones that would show one fail
// cleanly instead of crashing.
#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>

#include "HostServices.h"
#include "HostSetup.h"
#include "ModuleApi.h"

namespace {

class ConsoleHost : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        QString error;
        ASSERT_TRUE(HostSetup::Start(dir_.path(), error)) << error.toStdString();
        HostSetup::SetRecording(true);
        ASSERT_TRUE(module_.Load(COMPANYMGR_MODULE_PATH, error)) << error.toStdString();
    }
    void TearDown() override { HostSetup::Stop(); }

    void AddCompany(const QString& taxId) {
        TADOQuery query;
        QString error;
        ASSERT_TRUE(query.Execute(
            kMainConnection,
            "INSERT INTO XT_QYXX(QYSBH, QYMC, LBDM) VALUES('" + taxId + "', '单位', 0)", error));
    }

    QTemporaryDir dir_;
    ModuleApi module_;
};

TEST_F(ConsoleHost, OneCompanyNeedsNoWindow) {
    AddCompany("911100000000000001");
    std::string params = "CZY_DM=0001;CZY_LB=0";
    EXPECT_TRUE(module_.CallWithParams("LoadSelectCompanyForm", params));
    EXPECT_EQ(params, "CZY_DM=0001;CZY_LB=0;QYID=1;QYSBH=911100000000000001");
    std::string init = "CZY_DM=0001;CZY_LB=0;QYID=1";
    EXPECT_TRUE(module_.CallWithParams("InitGlobalCompanyInfo", init));
}

TEST_F(ConsoleHost, ADialogThatCannotBeShownIsNoChoice) {
    AddCompany("911100000000000001");
    AddCompany("911100000000000002");
    std::string params = "CZY_DM=0001;CZY_LB=0";
    EXPECT_FALSE(module_.CallWithParams("LoadSelectCompanyForm", params));
    EXPECT_EQ(params, "CZY_DM=0001;CZY_LB=0");
}

// Every entry point that shows a window: nothing is shown, nothing is
// written, and the ones with a result say false.
TEST_F(ConsoleHost, WindowsThatCannotBeShownFailCleanly) {
    AddCompany("911100000000000001");
    for (const char* page :
         {"ShowComapnayInfoInnerProc", "ShowCompanyMgrProc", "ShowGljgszProc", "ShowBsyxxszProc"}) {
        EXPECT_TRUE(module_.ShowPage(page, 0, 0, "QYID=1")) << page;
    }
    EXPECT_FALSE(module_.CallIdFlag("ShowComapnayInfoProc", "1", false));
    std::string params = "CZY_DM=0001;CZY_LB=0";
    EXPECT_FALSE(module_.CallWithParams("LoadAdvSwitchCompanyForm", params));
    EXPECT_TRUE(HostSetup::RecordedMessages().empty());
    TADOQuery query;
    QString error;
    ASSERT_TRUE(query.Open(kMainConnection, "select count(*) as n from XT_QYXX", error));
    EXPECT_EQ(query.FieldByName("n"), "1");
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
