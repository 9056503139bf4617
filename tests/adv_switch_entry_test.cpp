// The agency's company switch through the built module, as the host calls it.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QLineEdit>
#include <QTest>

#include <cstring>
#include <string>

#include "DialogDriver.h"
#include "HostServices.h"
#include "ModuleLoader.h"
#include "TestHost.h"
#include "f_DataVO.h"

namespace {

using BufferEntry = bool (*)(int, char**);

class AdvSwitchEntry : public HostTest {
  protected:
    void SetUp() override {
        HostTest::SetUp();
        HostSetup::SetAgencyExist(true);
        Exec("INSERT INTO XT_QYXX(QYSBH, QYMC, LBDM) VALUES('AGENCY01', '某税务师事务所', 19)");
        const QString agencyId = Scalar("select QYID from XT_QYXX where LBDM=19");
        first_ = AddCompany("911100000000000001", "甲公司", 10, agencyId);
        second_ = AddCompany("911100000000000002", "乙公司", 10, agencyId);
        ModuleLib::GetUserInfoVO()->SetStrValue("CZY_DM", "0001");
        ModuleLib::GetUserInfoVO()->SetStrValue("CZY_LB", "0");
        // Loading a company on an agency installation gives the company
        // object its agency manager, which the switch lists through.
        std::string init = "CZY_DM=0001;CZY_LB=0;QYID=" + first_.toStdString();
        init.resize(500);
        char* initBuffers[] = {init.data()};
        ASSERT_TRUE(ModuleLoader::Entry<BufferEntry>("InitGlobalCompanyInfo")(1, initBuffers));
    }

    bool Switch(const std::string& params) {
        std::memset(buffer_, '#', sizeof buffer_);
        std::memcpy(buffer_, params.c_str(), params.size() + 1);
        char* buffers[] = {buffer_};
        return ModuleLoader::Entry<BufferEntry>("LoadAdvSwitchCompanyForm")(0, buffers);
    }
    std::string Param() const { return buffer_; }
    // Everything past the string's end is as the caller left it.
    bool TailUntouched() const {
        for (std::size_t i = std::strlen(buffer_) + 1; i < sizeof buffer_; ++i) {
            if (buffer_[i] != '#') {
                return false;
            }
        }
        return true;
    }

    static QAbstractItemView* List(QWidget* dialog) {
        return DialogDriver::Child<QAbstractItemView>(dialog, "vstCompList");
    }
    static void Click(QWidget* dialog, const char* button) {
        DialogDriver::Child<QAbstractButton>(dialog, button)->click();
    }
    // A failed check must not leave the modal dialog waiting for ever.
    static void CloseIfOpen(QWidget* dialog) {
        if (dialog->isVisible()) {
            Click(dialog, "sBtnClose");
        }
    }

    QString first_;
    QString second_;
    char buffer_[500] = {};
};

TEST_F(AdvSwitchEntry, AChoiceReplacesTheCompanyKeysAndKeepsTheRest) {
    DialogDriver driver([](QWidget* dialog) {
        QAbstractItemView* list = List(dialog);
        EXPECT_EQ(list->model()->rowCount(), 2);
        list->setCurrentIndex(list->model()->index(1, 0));
        Click(dialog, "btnSwitch");
        CloseIfOpen(dialog);
    });
    EXPECT_TRUE(Switch("QYID=77;CZY_DM=0001;QYSBH=OLD;MARK=1"));
    EXPECT_EQ(Param(),
              "QYID=" + second_.toStdString() + ";CZY_DM=0001;QYSBH=911100000000000002;MARK=1;");
    EXPECT_TRUE(Messages().empty());
}

TEST_F(AdvSwitchEntry, DoubleClickOnARowChoosesIt) {
    DialogDriver driver([](QWidget* dialog) {
        QAbstractItemView* list = List(dialog);
        const QPoint at = list->visualRect(list->model()->index(0, 2)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        CloseIfOpen(dialog);
    });
    EXPECT_TRUE(Switch("CZY_DM=0001"));
    EXPECT_EQ(Param(), "CZY_DM=0001;QYID=" + first_.toStdString() + ";QYSBH=911100000000000001");
}

TEST_F(AdvSwitchEntry, CancelLeavesTheBufferUntouched) {
    DialogDriver driver([](QWidget* dialog) {
        QAbstractItemView* list = List(dialog);
        list->setCurrentIndex(list->model()->index(1, 0));
        Click(dialog, "sBtnClose");
    });
    EXPECT_FALSE(Switch("QYID=77;QYSBH=OLD"));
    EXPECT_EQ(Param(), "QYID=77;QYSBH=OLD");
    EXPECT_TRUE(TailUntouched());
}

TEST_F(AdvSwitchEntry, SwitchOnAnEmptyListDoesNothing) {
    DialogDriver driver([](QWidget* dialog) {
        DialogDriver::Child<QLineEdit>(dialog, "edtName")->setText("无此单位");
        Click(dialog, "btnQuery");
        EXPECT_EQ(List(dialog)->model()->rowCount(), 0);
        HostSetup::ClearRecorded();  // the query said it found nothing
        Click(dialog, "btnSwitch");
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_TRUE(HostSetup::RecordedMessages().empty());
        Click(dialog, "sBtnClose");
    });
    EXPECT_FALSE(Switch("QYID=77"));
    EXPECT_EQ(Param(), "QYID=77");
}

TEST_F(AdvSwitchEntry, SwitchWithoutASelectionAsksForOne) {
    DialogDriver driver([](QWidget* dialog) {
        QAbstractItemView* list = List(dialog);
        EXPECT_EQ(list->model()->rowCount(), 2);
        list->clearSelection();
        Click(dialog, "btnSwitch");
        EXPECT_TRUE(dialog->isVisible());
        const auto messages = HostSetup::RecordedMessages();
        EXPECT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages.empty() ? QString() : messages[0].text, "选择后再进行切换。");
        Click(dialog, "sBtnClose");
    });
    EXPECT_FALSE(Switch("QYID=77"));
    EXPECT_EQ(Param(), "QYID=77");
}

TEST_F(AdvSwitchEntry, NoBufferIsAFailureWithoutADialog) {
    DialogDriver driver([](QWidget* dialog) { dialog->close(); }, DialogDriver::Expect::NoDialog);
    auto entry = ModuleLoader::Entry<BufferEntry>("LoadAdvSwitchCompanyForm");
    char* none[] = {nullptr};
    EXPECT_FALSE(entry(0, nullptr));
    EXPECT_FALSE(entry(1, none));
}

}  // namespace
