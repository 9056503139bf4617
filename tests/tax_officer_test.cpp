// The tax officer settings: the identity-number check, the region list and
// its file, and the window over the officer row of class 20.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTest>

#include <memory>
#include <vector>

#include "DialogDriver.h"
#include "HostServices.h"
#include "IdentityNumber.h"
#include "TaxOfficer.h"
#include "TestHost.h"
#include "TextCodec.h"
#include "f_Bsyxxsz.h"

namespace {

const QString kLengthError = QStringLiteral("您输入的身份证号码长度不是15位或18位，请检查！");
const QString kNumberError = QStringLiteral("身份证号码错误。请仔细核对身份证件，正确录入。");

TEST(IdentityNumber, ChecksLengthDigitsBirthDateAndCheckCharacter) {
    struct Case {
        const char* name;
        QString number;
        QString error;
    };
    const std::vector<Case> cases = {
        {"check character X", "11010519491231002X", ""},
        {"check character 4", "440524188001010014", ""},
        {"born 1920", "53010219200508011X", ""},
        {"blanks around", " 11010519491231002X ", ""},
        {"15 digits, widened", "110105491231002", ""},
        {"wrong check digit", "110105194912310021", kNumberError},
        {"lower-case x", "11010519491231002x", kNumberError},
        {"month 13", "110105194913310028", kNumberError},
        {"February 30", "110105194902300028", kNumberError},
        {"letter among the first 17", "1101051949123A002X", kNumberError},
        {"full-width digit", "11010519491231002Ｘ", kNumberError},
        {"a blank among the first 17", "1101051949 231002X", kNumberError},
        {"15 characters with a letter", "11010549123100A", kNumberError},
        {"15 digits, month 13", "110105491331002", kNumberError},
        {"16 characters", "1101051949123100", kLengthError},
        {"17 characters", "11010519491231002", kLengthError},
        {"19 characters", "11010519491231002X0", kLengthError},
        {"empty", "", kLengthError},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IdentityNumber::Check(c.number), c.error) << c.name;
    }
}

TEST(RegionList, CodesAreTheFirstFourCharactersOfItemsThatAreNoHeadings) {
    const QStringList items = {"－请选择主管税务机关所在地－", "－华北－", "1101北京市市辖区",
                               "1201天津市市辖区", ""};
    EXPECT_EQ(TaxOfficer::RegionCode(items[0]), "");
    EXPECT_EQ(TaxOfficer::RegionCode(items[2]), "1101");
    EXPECT_EQ(TaxOfficer::RegionCode(""), "");
}

TEST(DataFileLines, ReadUtf8OrGbkWithoutLineEnds) {
    QTemporaryDir dir;
    const QString path = dir.filePath("lines.dat");
    const QStringList expected = {"－华北－", "1101北京市市辖区", "", "1201天津市"};
    const QString text = expected.join("\r\n");
    struct Case {
        const char* name;
        QByteArray bytes;
        bool read;
    };
    const std::vector<Case> cases = {
        {"GBK, CR/LF", TextCodec::EncodeGbk(text + "\r\n"), true},
        {"UTF-8, LF", expected.join("\n").toUtf8(), true},
        {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF" + text.toUtf8() + "\n", true},
        {"neither", QByteArray("1101\xFF\xFF\n"), false},
    };
    for (const Case& c : cases) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.bytes);
        file.close();
        QStringList lines = {"kept"};
        QString error;
        EXPECT_EQ(ModuleLib::ReadDataFileLines(path, lines, error), c.read) << c.name;
        EXPECT_EQ(lines, c.read ? expected : QStringList{"kept"}) << c.name;
    }
    QStringList lines;
    QString error;
    EXPECT_FALSE(ModuleLib::ReadDataFileLines(dir.filePath("missing.dat"), lines, error));
    EXPECT_FALSE(error.isEmpty());
}

class TaxOfficerWindow : public EngineTest {
  protected:
    void WriteRegions() const {
        // As the demo folder has it: a heading first, in GBK.
        WriteFile("AppComs/Dmzd/CantonCode.dat",
                  TextCodec::EncodeGbk("－请选择主管税务机关所在地－\r\n－华北－\r\n"
                                       "1101北京市市辖区\r\n1201天津市市辖区\r\n"));
    }
    QString AddOfficer(const QString& idNumber, const QString& region) const {
        const QString id = AddCompany(idNumber, "张三", 20);
        Exec("UPDATE XT_QYXX SET XZQHDM='" + region + "' where QYID=" + id);
        return id;
    }
    void Open() {
        page_.reset(new Tfrm_Bsyxxsz());
        page_->show();
    }
    QLineEdit* Edit(const char* name) const {
        return DialogDriver::Child<QLineEdit>(page_.get(), name);
    }
    QComboBox* Regions() const {
        return DialogDriver::Child<QComboBox>(page_.get(), "cbxCantonCode");
    }
    void Save() const { DialogDriver::Child<QAbstractButton>(page_.get(), "tbtnSave")->click(); }
    QStringList Texts() {
        QStringList texts;
        for (const auto& message : Messages()) {
            texts << message.text;
        }
        HostSetup::ClearRecorded();
        return texts;
    }

    std::unique_ptr<Tfrm_Bsyxxsz> page_;
};
INSTANTIATE_ON_ENGINES(TaxOfficerWindow);

TEST_P(TaxOfficerWindow, ShowsTheOfficerAndSelectsTheStoredRegionByCode) {
    WriteRegions();
    AddOfficer("110105491231002", "1201");
    Open();
    EXPECT_EQ(Edit("edtBsymc")->text(), "张三");
    EXPECT_EQ(Edit("edtSfzh")->text(), "110105491231002");
    EXPECT_FALSE(Edit("edtSfzh")->isEnabled());
    EXPECT_EQ(Regions()->count(), 4);
    EXPECT_EQ(Regions()->maxVisibleItems(), 20);
    EXPECT_EQ(Regions()->currentText(), "1201天津市市辖区");

    // A code that is only part of an item is no item's code: it shows on its
    // own, first.
    Exec("UPDATE XT_QYXX SET XZQHDM='01' where LBDM=20");
    Open();
    EXPECT_EQ(Regions()->currentIndex(), 0);
}

// A save the region was not picked for writes back the stored one, one the
// file does not list included, and no region stands in for none.
TEST_P(TaxOfficerWindow, TheStoredRegionStaysUntilAnotherIsPicked) {
    WriteFile("AppComs/Dmzd/CantonCode.dat", TextCodec::EncodeGbk("1101北京\r\n1201天津\r\n"));
    const QString id = AddOfficer("11010519491231002X", "");
    const struct {
        QString stored;
        int pick;  // -1 none
        QString saved;
    } cases[] = {{"9999", -1, "9999"}, {"9999", 1, "1101"}, {"", -1, ""}};
    for (const auto& c : cases) {
        Exec("UPDATE XT_QYXX SET XZQHDM='" + c.stored + "' where QYID=" + id);
        Open();
        Regions()->setCurrentIndex(c.pick < 0 ? Regions()->currentIndex() : c.pick);
        Save();
        EXPECT_EQ(Scalar("select XZQHDM from XT_QYXX where QYID=" + id), c.saved) << c.pick;
    }
}

TEST_P(TaxOfficerWindow, SavesNameAndRegionAndNeverTheIdentityNumber) {
    WriteRegions();
    const QString id = AddOfficer("110105491231002", "1201");
    Open();
    Edit("edtBsymc")->setText("  O'Neil 李四 ");
    Regions()->setCurrentIndex(2);
    Save();
    EXPECT_EQ(Texts(), QStringList{"办税员设置成功！"});
    EXPECT_EQ(Scalar("select QYMC from XT_QYXX where QYID=" + id), "O'Neil 李四");
    EXPECT_EQ(Scalar("select XZQHDM from XT_QYXX where QYID=" + id), "1101");
    EXPECT_EQ(Scalar("select QYSBH from XT_QYXX where QYID=" + id), "110105491231002");
    EXPECT_EQ(Edit("edtBsymc")->text(), "O'Neil 李四");
}

// Typing finds a region by its name; a text that is no line is never saved.
TEST_P(TaxOfficerWindow, TypingFindsARegionByName) {
    WriteRegions();
    const QString id = AddOfficer("110105491231002", "1101");
    Open();
    QLineEdit* typed = Regions()->lineEdit();
    ASSERT_NE(typed, nullptr);
    QApplication::setActiveWindow(page_.get());
    typed->setFocus(Qt::TabFocusReason);  // which selects the text to type over
    QInputMethodEvent commit;             // as an input method types
    commit.setCommitString(QStringLiteral("天津"));
    QApplication::sendEvent(typed, &commit);
    QAbstractItemView* popup = Regions()->completer()->popup();
    ASSERT_TRUE(popup->isVisible());
    QTest::keyClick(popup, Qt::Key_Down);
    QTest::keyClick(popup, Qt::Key_Return);
    EXPECT_EQ(Regions()->currentText(), "1201天津市市辖区");
    Regions()->setEditText("杭州");
    Save();
    EXPECT_EQ(Texts(), QStringList{"请从列表中选择所在地。"});
    emit typed->editingFinished();
    EXPECT_EQ(Regions()->currentText(), "1201天津市市辖区");
    Save();
    EXPECT_EQ(Scalar("select XZQHDM from XT_QYXX where QYID=" + id), "1201");
}

TEST_P(TaxOfficerWindow, HeadingsAndAMissingFileLeaveNoRegionToSave) {
    AddOfficer("11010519491231002X", "");
    // Without the file the design-time item stays, and nothing is chosen.
    Open();
    EXPECT_EQ(Regions()->count(), 1);
    EXPECT_EQ(Regions()->itemText(0), "请选择主管税务机关所在地");
    EXPECT_EQ(Regions()->currentIndex(), -1);
    Save();
    EXPECT_EQ(Texts(), QStringList{"所在地不能为空！"});

    WriteRegions();
    Open();
    EXPECT_EQ(Regions()->currentIndex(), 0);
    for (int heading : {0, 1}) {
        Regions()->setCurrentIndex(heading);
        Save();
        EXPECT_EQ(Texts(), QStringList{"所在地不能为空！"}) << heading;
        EXPECT_EQ(page_->focusWidget(), Regions());
    }
    Regions()->setCurrentIndex(3);
    Save();
    EXPECT_EQ(Texts(), QStringList{"办税员设置成功！"});
    EXPECT_EQ(Scalar("select XZQHDM from XT_QYXX where LBDM=20"), "1201");
}

TEST_P(TaxOfficerWindow, ChecksInOrderWithTheIdentityTextsEndingInACarriageReturn) {
    WriteRegions();
    AddOfficer("11010519491231002x", "1101");
    Open();
    struct Case {
        QString name;
        QString idNumber;
        QString message;
    };
    const std::vector<Case> cases = {
        {"  ", "11010519491231002x", "办税员姓名不能为空！"},
        {"张三", "11010519491231002x", kNumberError + "\r"},
        {"张三", "1101051949123100", kLengthError + "\r"},
        {"张三", "11010549123100A", kNumberError + "\r"},
        {"张三", " ", "身份证号不能为空！"},
    };
    for (const Case& c : cases) {
        Edit("edtBsymc")->setText(c.name);
        Edit("edtSfzh")->setText(c.idNumber);
        Save();
        EXPECT_EQ(Texts(), QStringList{c.message}) << c.message.toStdString();
    }
    EXPECT_EQ(Scalar("select QYMC from XT_QYXX where LBDM=20"), "张三");
}

TEST_P(TaxOfficerWindow, WithoutAnOfficerRowNothingIsWritten) {
    WriteRegions();
    const QString company = AddCompany("9111A", "甲");
    Open();
    EXPECT_EQ(Edit("edtBsymc")->text(), "");
    EXPECT_EQ(Edit("edtSfzh")->text(), "");
    Edit("edtBsymc")->setText("李四");
    Save();
    EXPECT_EQ(Texts(), QStringList{"身份证号不能为空！"});

    Edit("edtSfzh")->setText("11010519491231002X");
    Regions()->setCurrentIndex(2);
    Save();
    EXPECT_EQ(Texts(), QStringList{"办税员设置失败！"});
    EXPECT_EQ(Scalar("select QYMC from XT_QYXX where QYID=" + company), "甲");
    EXPECT_EQ(LogCount("Error"), 0);
}

// A company table that cannot be read shows no officer and saves none.
TEST_P(TaxOfficerWindow, AnUnreadableTableShowsAndSavesNothing) {
    WriteRegions();
    AddOfficer("11010519491231002X", "1101");
    ASSERT_TRUE(Exec("ALTER TABLE XT_QYXX RENAME TO XT_QYXX_AWAY"));
    Open();
    EXPECT_EQ(Edit("edtBsymc")->text(), "");
    EXPECT_EQ(Edit("edtSfzh")->text(), "");
    TaxOfficer::TRow row;
    EXPECT_FALSE(TaxOfficer::ReadRow(row));
    QStringList changed;
    EXPECT_EQ(TaxOfficer::Save(row, QString("李四"), QString("1201"), changed),
              TaxOfficer::SaveResult::Failed);
    ASSERT_TRUE(Exec("ALTER TABLE XT_QYXX_AWAY RENAME TO XT_QYXX"));
    EXPECT_EQ(Scalar("select QYMC from XT_QYXX where LBDM=20"), "张三");
    EXPECT_EQ(Scalar("select XZQHDM from XT_QYXX where LBDM=20"), "1101");
}

// An update the database passes over, as a rule of the site's may make it,
// saved no officer.
TEST_P(TaxOfficerWindow, AnUpdateThatChangesNoRowIsNoSave) {
    WriteRegions();
    AddOfficer("11010519491231002X", "1101");
    if (GetParam() == "POSTGRESQL") {
        ASSERT_TRUE(
            Exec("CREATE FUNCTION skip_row() RETURNS trigger AS "
                 "'BEGIN RETURN NULL; END;' LANGUAGE plpgsql"));
        ASSERT_TRUE(
            Exec("CREATE TRIGGER skip_update BEFORE UPDATE ON XT_QYXX "
                 "FOR EACH ROW EXECUTE FUNCTION skip_row()"));
    } else {
        ASSERT_TRUE(
            Exec("CREATE TRIGGER skip_update BEFORE UPDATE ON XT_QYXX "
                 "BEGIN SELECT RAISE(IGNORE); END"));
    }
    Open();
    Edit("edtBsymc")->setText("李四");
    Regions()->setCurrentIndex(3);
    Save();
    EXPECT_EQ(Texts(), QStringList{"办税员设置失败！"});
    EXPECT_EQ(Scalar("select QYMC from XT_QYXX where LBDM=20"), "张三");
    EXPECT_EQ(Scalar("select XZQHDM from XT_QYXX where LBDM=20"), "1101");
}

// Shown again, the window reads the row anew, so another desk's change
// shows; what was typed and not saved is kept.
TEST_P(TaxOfficerWindow, ShowingAgainKeepsWhatWasTyped) {
    WriteRegions();
    AddOfficer("11010519491231002X", "1101");
    Open();
    Exec("UPDATE XT_QYXX SET QYMC='李四' where LBDM=20");
    page_->hide();
    page_->show();
    EXPECT_EQ(Edit("edtBsymc")->text(), "李四");
    Edit("edtBsymc")->setText("未保存");
    Regions()->setCurrentIndex(3);
    page_->hide();
    page_->show();
    EXPECT_EQ(Edit("edtBsymc")->text(), "未保存");
    EXPECT_EQ(Regions()->currentIndex(), 3);
}

}  // namespace
