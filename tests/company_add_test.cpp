// The add company dialog, opened from the docked company manager.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <vector>

#include "ManagerPage.h"
#include "TestHost.h"

namespace {

class CompanyAddDialog : public EngineTest {
  protected:
    static QLineEdit* Edit(QWidget* dialog, const char* name) {
        return DialogDriver::Child<QLineEdit>(dialog, name);
    }
    static void Fill(QWidget* dialog, const QString& taxId, const QString& name,
                     const QString& phone) {
        Edit(dialog, "edtQysbh")->setText(taxId);
        Edit(dialog, "edtQymc")->setText(name);
        Edit(dialog, "edtlxdh")->setText(phone);
    }
    static void Click(QWidget* dialog, const char* name) {
        DialogDriver::Child<QAbstractButton>(dialog, name)->click();
    }
};
INSTANTIATE_ON_ENGINES(CompanyAddDialog);

TEST_P(CompanyAddDialog, AnAddedCompanyIsAnnouncedAndListed) {
    AddCompany("9111A", "甲");
    ManagerPage manager;
    // The list is read again with the search fields as they are.
    manager.Child<QLineEdit>("edtQymc")->setText("新");
    const QString longName = QStringLiteral("新") + QString(199, QChar(0x7532));
    DialogDriver driver([&](QWidget* dialog) {
        Fill(dialog, " 9111N ", longName, "(010)-1234");
        Click(dialog, "sBtnSave");
    });
    manager.Press("tbtCompanyAdd");

    const QString id = Scalar("select QYID from XT_QYXX where QYSBH='9111N'");
    ASSERT_FALSE(id.isEmpty());
    EXPECT_EQ(Scalar("select QYMC from XT_QYXX where QYID=" + id), longName);
    EXPECT_EQ(Scalar("select QYDHHM from XT_QYXX where QYID=" + id), "(010)-1234");
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].code, 106017);
    EXPECT_EQ(manager.Session().added, QStringList{id});
    EXPECT_EQ(manager.TaxIds(), QStringList{"9111N"});
}

// A host without a session object hears of nothing; the company is still added.
TEST_P(CompanyAddDialog, WithoutASessionObjectTheCompanyIsStillAddedAndListed) {
    ManagerPage manager;
    ModuleLib::GetUserInfoVO()->SetObjValue("TPSession", nullptr);
    DialogDriver driver([&](QWidget* dialog) {
        Fill(dialog, "9111N", "新", "");
        Click(dialog, "sBtnSave");
    });
    manager.Press("tbtCompanyAdd");
    EXPECT_EQ(Count("select count(*) from XT_QYXX where QYSBH='9111N'"), 1);
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].code, 106017);
    EXPECT_EQ(manager.TaxIds(), QStringList{"9111N"});
}

struct CheckCase {
    const char* name;
    QString taxId;
    QString phone;
    bool agency;
    HostSetup::THostMessage::Kind kind;
    int code;
    QString detail;  // the extra text of a numbered message, the text of a plain one
    const char* focus;
    QString phoneAfter;
};

TEST_P(CompanyAddDialog, AFailedCheckKeepsTheDialogOpen) {
    AddCompany("9111TAKEN", "甲");
    ManagerPage manager;
    const int rows = Count("select count(*) from XT_QYXX");
    using Kind = HostSetup::THostMessage::Kind;
    const std::vector<CheckCase> cases = {
        {"blank id", "   ", "x", false, Kind::Numbered, 106013, "", "edtQysbh", "x"},
        {"a blank in the phone", "9111N", "010 1234", false, Kind::Numbered, 106015, "", "edtlxdh",
         ""},
        {"a number taken", " 9111TAKEN ", "", false, Kind::Plain, 0, "该单位[9111TAKEN]已经存在。",
         "edtQysbh", ""},
        {"an agency without its own row", "9111N", "", true, Kind::Numbered, 106016, "70019506",
         nullptr, ""},
        {"an invisible character", QStringLiteral("9111\u2060N"), "", false, Kind::Plain, 0,
         "纳税人识别号含有控制字符或不可见字符", "edtQysbh", ""},
        {"a wrong check character, not added", "91110108MA00ABCD1X", "", false, Kind::Plain, 0,
         "纳税人识别号的校验位不正确，请核对。仍要新增吗？", "edtQysbh", ""},
        {"a similar number, not added", "9111-taken", "", false, Kind::Plain, 0,
         "已存在相似的纳税人识别号：9111TAKEN，仍要新增吗？", "edtQysbh", ""},
    };
    Answer(0, 2);
    DialogDriver driver([&](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "企业新增");
        EXPECT_EQ(DialogDriver::Child<QLabel>(dialog, "lblQysbh")->text(), "企业识别号：");
        EXPECT_EQ(dialog->focusWidget(), Edit(dialog, "edtQysbh"));
        EXPECT_EQ(Edit(dialog, "edtQysbh")->maxLength(), 20);
        EXPECT_EQ(Edit(dialog, "edtQymc")->maxLength(), 200);
        EXPECT_EQ(Edit(dialog, "edtlxdh")->maxLength(), 30);
        QStringList tabOrder;
        for (int i = 0; i < 5; ++i) {
            tabOrder << dialog->focusWidget()->objectName();
            QTest::keyClick(dialog->focusWidget(), Qt::Key_Tab);
        }
        EXPECT_EQ(tabOrder,
                  (QStringList{"edtQysbh", "edtQymc", "edtlxdh", "sBtnSave", "sBtnClose"}));

        for (const CheckCase& c : cases) {
            HostSetup::SetAgencyExist(c.agency);
            HostSetup::ClearRecorded();
            Fill(dialog, c.taxId, "名称", c.phone);
            Click(dialog, "sBtnSave");
            EXPECT_TRUE(dialog->isVisible()) << c.name;
            const auto messages = HostSetup::RecordedMessages();
            ASSERT_EQ(messages.size(), 1u) << c.name;
            EXPECT_EQ(messages[0].kind, c.kind) << c.name;
            EXPECT_EQ(messages[0].code, c.code) << c.name;
            EXPECT_EQ(c.kind == Kind::Plain ? messages[0].text : messages[0].extra, c.detail)
                << c.name;
            if (c.focus != nullptr) {
                EXPECT_EQ(dialog->focusWidget(), Edit(dialog, c.focus)) << c.name;
            }
            EXPECT_EQ(Edit(dialog, "edtlxdh")->text(), c.phoneAfter) << c.name;
            EXPECT_EQ(Edit(dialog, "edtQysbh")->text(), c.taxId) << c.name;
        }
        HostSetup::SetAgencyExist(false);
        HostSetup::ClearRecorded();
        Click(dialog, "sBtnClose");
    });
    manager.Press("tbtCompanyAdd");
    EXPECT_EQ(Count("select count(*) from XT_QYXX"), rows);
    EXPECT_TRUE(Messages().empty());
    EXPECT_TRUE(manager.Session().added.isEmpty());
}

}  // namespace
