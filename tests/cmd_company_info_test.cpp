// The merged edit rights of the company information page.
#include <QString>

#include <gtest/gtest.h>

#include <optional>
#include <utility>

#include "CmdCompanyInfo.h"
#include "HostServices.h"
#include "TestHost.h"
#include "TextCodec.h"

namespace {

const QString kSubApps = QStringLiteral(
    "[SubApps]\nCodes=GS,DS\n[SubApp_GS]\nPath=SubApps/GS/\n[SubApp_DS]\nPath=SubApps/DS/\n");

QByteArray Config(const QString& body, const char* encoding = "UTF-8") {
    return (QStringLiteral("<?xml version=\"1.0\" encoding=\"%1\"?>\n<CmdCompanyInfo>")
                .arg(QLatin1String(encoding)) +
            body + QStringLiteral("</CmdCompanyInfo>\n"))
        .toUtf8();
}

class CmdCompanyInfoTest : public HostTest {
  protected:
    void SetUp() override { StartHost("SQLITE", kSubApps); }
    void WriteConfig(const char* subApp, const QByteArray& content) {
        WriteFile(QStringLiteral("SubApps/%1/AppComs/BaseInfo/CmdCompanyInfo.xml")
                      .arg(QLatin1String(subApp)),
                  content);
    }
    TCmdCompanyInfo Loaded() {
        TCmdCompanyInfo config;
        config.LoadAll();
        return config;
    }
};

TEST_F(CmdCompanyInfoTest, WithoutFilesNothingIsEditableOrVisible) {
    const TCmdCompanyInfo config = Loaded();
    EXPECT_FALSE(config.BasicFieldEditable("QYMC"));
    EXPECT_FALSE(config.StateTaxFieldEditable("SSDLJG"));
    EXPECT_FALSE(config.StateTaxVisible());
    EXPECT_FALSE(config.LocalTaxVisible());
    TCmdCompanyInfo single;
    QString error;
    EXPECT_FALSE(single.ReadFile(AppPath() + "nowhere.xml", error));
    EXPECT_EQ(error, QStringLiteral("配置文件不存在。"));
}

TEST_F(CmdCompanyInfoTest, OneTrueInEitherFileMakesTheFieldEditable) {
    const struct {
        const char* first;
        const char* second;
        bool editable;
    } cases[] = {{"false", "true", true},
                 {"true", "false", true},
                 {"no", " TRUE ", true},
                 {"false", "false", false}};
    for (const auto& c : cases) {
        WriteConfig("GS", Config(QStringLiteral("<jcxx><f key=\"QYMC\" edit=\"%1\"/></jcxx>")
                                     .arg(QLatin1String(c.first))));
        WriteConfig("DS", Config(QStringLiteral("<jcxx><f key=\"qymc\" edit=\"%1\"/></jcxx>")
                                     .arg(QLatin1String(c.second))));
        EXPECT_EQ(Loaded().BasicFieldEditable("QYMC"), c.editable) << c.first << "/" << c.second;
    }
}

TEST_F(CmdCompanyInfoTest, LookupsIgnoreCaseAndBlanks) {
    WriteConfig("GS",
                Config("<jcxx><f key=\" QYMC \" edit=\" True \"/><f key=\"ZCDZ\"/>"
                       "<!-- comment --><f edit=\"true\"/><f key=\"EMAIL\" edit=\"yes\"/></jcxx>"
                       "<jcxx><f key=\"YZBM\" edit=\"true\"/></jcxx>"
                       "<gsxx visible=\"True\"><f key=\"SSDLJG\" edit=\"TRUE\"/></gsxx>"
                       "<dsxx visible=\"no\"/>"));
    const TCmdCompanyInfo config = Loaded();
    EXPECT_TRUE(config.BasicFieldEditable("qymc"));
    EXPECT_FALSE(config.BasicFieldEditable("ZCDZ"));   // no edit attribute
    EXPECT_FALSE(config.BasicFieldEditable("EMAIL"));  // not "true"
    EXPECT_FALSE(config.BasicFieldEditable("YZBM"));   // second jcxx ignored
    EXPECT_FALSE(config.BasicFieldEditable("SSDLJG"));
    EXPECT_TRUE(config.StateTaxFieldEditable("ssdljg"));
    EXPECT_TRUE(config.StateTaxVisible());
    EXPECT_FALSE(config.LocalTaxVisible());
}

TEST_F(CmdCompanyInfoTest, VisibleFlagOnceSetStays) {
    WriteConfig("GS", Config("<gsxx visible=\"TRUE\"/>"));
    WriteConfig("DS", Config("<gsxx visible=\"false\"/><dsxx visible=\"true\"/>"));
    const TCmdCompanyInfo config = Loaded();
    EXPECT_TRUE(config.StateTaxVisible());
    EXPECT_TRUE(config.LocalTaxVisible());
}

TEST_F(CmdCompanyInfoTest, GbkFileIsRead) {
    const QString body = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"GBK\"?>\n<配置><jcxx>"
        "<字段 key=\"QYMC\" edit=\"true\"/></jcxx></配置>\n");
    WriteConfig("DS", TextCodec::EncodeGbk(body));
    EXPECT_TRUE(Loaded().BasicFieldEditable("QYMC"));
}

TEST_F(CmdCompanyInfoTest, BrokenFileKeepsNothingAndSaysWhere) {
    const std::pair<const char*, QByteArray> files[] = {
        {"unclosed.xml", "<CmdCompanyInfo><jcxx><f key=\"QYMC\" edit=\"true\"/></jcxx>"},
        {"no-text.xml", QByteArray("<a/>\0\xFF", 6)},
    };
    for (const auto& [name, bytes] : files) {
        WriteFile(name, bytes);
        TCmdCompanyInfo config;
        QString error;
        const QString path = AppPath() + name;
        EXPECT_FALSE(config.ReadFile(path, error)) << name;
        EXPECT_TRUE(error.startsWith(QStringLiteral("解析文件") + path + QStringLiteral("出错：")))
            << error.toStdString();
        EXPECT_FALSE(config.BasicFieldEditable("QYMC")) << name;
    }
}

TEST(DataFileText, IsUtf8OrGbkAndNothingElse) {
    const QByteArray mark("\xEF\xBB\xBF");
    const std::pair<QByteArray, std::optional<QString>> cases[] = {
        {"[a]", QStringLiteral("[a]")},
        {mark + "[a]", QStringLiteral("[a]")},
        {mark + mark + "[a]", QStringLiteral("[a]")},
        {QStringLiteral("中文").toUtf8(), QStringLiteral("中文")},
        {TextCodec::EncodeGbk(QStringLiteral("中文")), QStringLiteral("中文")},
        {QByteArray("a\0b", 3), std::nullopt},
        {TextCodec::EncodeGbk(QStringLiteral("中")) + "\x81", std::nullopt},
        // The replacement mark spelled in the file is a character like any
        // other; one the decoder would put for a byte is not.
        {TextCodec::EncodeGbk(QStringLiteral("中")) + "\x84\x31\xA4\x37",
         QStringLiteral("中\uFFFD")},
        {TextCodec::EncodeGbk(QStringLiteral("中")) + "\x84\x31\xA4\x37\x80\xFF", std::nullopt},
    };
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(TextCodec::DecodeUtf8OrGbk(bytes), text) << bytes.toHex().toStdString();
    }
}

TEST_F(CmdCompanyInfoTest, DataFileLinesDecodeGbkAndDropLineEnds) {
    WriteFile(
        "AppComs/Dmzd/hy.txt",
        TextCodec::EncodeGbk(QStringLiteral("01|农、林、牧、渔业\r\n1101|煤炭开采和洗选业\r\n")));
    QStringList lines;
    QString error;
    ASSERT_TRUE(ModuleLib::ReadDataFileLines(AppPath() + "AppComs/Dmzd/hy.txt", lines, error));
    EXPECT_EQ(lines, QStringList({QStringLiteral("01|农、林、牧、渔业"),
                                  QStringLiteral("1101|煤炭开采和洗选业")}));
    EXPECT_FALSE(ModuleLib::ReadDataFileLines(AppPath() + "missing.txt", lines, error));
    EXPECT_EQ(lines.size(), 2);  // a failed read keeps what was there
    EXPECT_TRUE(error.contains("missing.txt"));
    WriteFile("nul.txt", QByteArray("a\0b", 3));
    EXPECT_FALSE(ModuleLib::ReadDataFileLines(AppPath() + "nul.txt", lines, error));
}

}  // namespace
