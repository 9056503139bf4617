// The exported entry points, called through the built library as a host does.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <tuple>

#include "DialogDriver.h"
#include "HostFrame.h"
#include "HostServices.h"
#include "ModuleLoader.h"
#include "TestHost.h"
#include "WindowMessage.h"
#include "f_DataVO.h"

// Entry names the public header declares, null-terminated (entry_header.c).
extern "C" const char* const companymgr_header_entries[];

namespace {

using BufferEntry = bool (*)(int, char**);
using NoArgsEntry = bool (*)();
using WriteEntry = bool (*)(const char*, TDataVO*);

// A host buffer of exactly 500 bytes, so a write past it is caught.
class HostBuffer {
  public:
    explicit HostBuffer(const std::string& text) : data_(std::make_unique<char[]>(500)) {
        std::memset(data_.get(), 0, 500);
        std::memcpy(data_.get(), text.data(), text.size());
    }
    bool Call(const char* entry) {
        char* buffers[] = {data_.get()};
        return ModuleLoader::Entry<BufferEntry>(entry)(1, buffers);
    }
    std::string Text() const { return data_.get(); }

  private:
    std::unique_ptr<char[]> data_;
};

class EntryPoints : public HostTest {
  protected:
    void SetUp() override {
        HostTest::SetUp();
        company_ = AddCompany("911100000000000001", "北京甲公司");
        ModuleLib::GetUserInfoVO()->SetStrValue("CZY_DM", "0001");
        ModuleLib::GetUserInfoVO()->SetStrValue("CZY_LB", "0");
    }
    QString company_;
};

TEST_F(EntryPoints, InitGlobalCompanyInfoLoadsTheChosenCompany) {
    HostBuffer buffer("CZY_DM=0001;CZY_LB=0;QYID=" + company_.toStdString());
    EXPECT_TRUE(buffer.Call("InitGlobalCompanyInfo"));
    EXPECT_EQ(buffer.Text(), "CZY_DM=0001;CZY_LB=0;QYID=" + company_.toStdString());
    EXPECT_EQ(ModuleLib::GetCompanyInfoVO()->GetStrValue("QYMC"), "北京甲公司");
    EXPECT_TRUE(LogLines().empty());
}

TEST_F(EntryPoints, InitGlobalCompanyInfoReportsWhatItCouldNotLoad) {
    for (const std::string& params :
         {std::string("CZY_DM=0001;CZY_LB=0"), std::string("CZY_DM=0001;CZY_LB=0;QYID=424242"),
          std::string("QYID=1 or 1=1")}) {
        HostSetup::ClearRecorded();
        HostBuffer buffer(params);
        EXPECT_FALSE(buffer.Call("InitGlobalCompanyInfo")) << params;
        EXPECT_EQ(buffer.Text(), params + ";ResultMsgStr=[70019504]系统初始化企业信息失败。");
        // Last, after the gate's reason for an id it refuses.
        const auto lines = LogLines();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back().level, "Error");
        EXPECT_EQ(lines.back().text, "[70019504]系统初始化企业信息失败。");
    }
    EXPECT_EQ(ModuleLib::GetCompanyInfoVO()->FindItem("QYID"), nullptr);
}

// The buffer holds 500 bytes; an incoming string of 499 leaves no room for
// more. An answer that does not fit is a failure with an error in the log,
// never a success without its answer, and nothing is written past the buffer.
TEST_F(EntryPoints, AnAnswerThatDoesNotFitTheBufferIsAFailure) {
    const std::string id = company_.toStdString();
    const std::string answer = ";QYID=" + id + ";QYSBH=911100000000000001";
    struct Case {
        const char* entry;
        std::string head;
        std::size_t length;  // of the incoming string
        bool expected;
        const char* lost;  // names in the error line; null when all fits
    };
    const Case cases[] = {
        {"LoadSelectCompanyForm", "CZY_DM=0001;CZY_LB=0;PAD=", 499, false, "QYID,QYSBH"},
        {"LoadSelectCompanyForm", "CZY_DM=0001;CZY_LB=0;PAD=", 499 - answer.size(), true, nullptr},
        {"LoadSelectCompanyForm", "CZY_DM=0001;CZY_LB=0;PAD=", 500 - answer.size(), false,
         "QYID,QYSBH"},
        {"InitGlobalCompanyInfo", "CZY_DM=0001;CZY_LB=0;QYID=424242;PAD=", 499, false,
         "ResultMsgStr"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.entry) + " " + std::to_string(c.length));
        HostSetup::ClearRecorded();
        const std::string params = c.head + std::string(c.length - c.head.size(), 'x');
        HostBuffer buffer(params);
        EXPECT_EQ(buffer.Call(c.entry), c.expected);
        if (c.lost == nullptr) {
            EXPECT_EQ(buffer.Text(), params + answer);
            EXPECT_EQ(LogCount("Error"), 0);
            continue;
        }
        // None of the answer comes back, not even the pairs that would fit.
        EXPECT_EQ(buffer.Text(), params);
        const auto lines = LogLines();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back().level, "Error");
        EXPECT_TRUE(lines.back().text.endsWith(QString::fromUtf8(c.lost)))
            << lines.back().text.toStdString();
    }
}

// The start-up entry point also leaves its line in the log.
TEST_F(EntryPoints, NoBufferIsAFailureNotACrash) {
    char* none[] = {nullptr};
    const struct {
        int count;
        char** buffers;
    } missing[] = {{0, none}, {1, nullptr}, {1, none}};
    for (const bool init : {true, false}) {
        const char* entry = init ? "InitGlobalCompanyInfo" : "LoadSelectCompanyForm";
        for (const auto& m : missing) {
            HostSetup::ClearRecorded();
            EXPECT_FALSE(ModuleLoader::Entry<BufferEntry>(entry)(m.count, m.buffers)) << entry;
            const auto lines = LogLines();
            ASSERT_EQ(lines.size(), init ? 1u : 0u) << entry;
            if (init) {
                EXPECT_EQ(lines[0].level, "Error");
                EXPECT_EQ(lines[0].text, "[70019504]系统初始化企业信息失败。");
            }
        }
    }
}

// The information dialog without a company id shows nothing and says so.
TEST_F(EntryPoints, InformationDialogWithoutACompanyIdIsRefused) {
    using DialogEntry = bool (*)(const char*, bool);
    EXPECT_FALSE(ModuleLoader::Entry<DialogEntry>("ShowComapnayInfoProc")(nullptr, false));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// The information page opens on the company its parameters name, and on the
// current company when they name none or there are no parameters at all.
TEST_F(EntryPoints, InformationPageShowsTheNamedOrTheCurrentCompany) {
    const QString other = AddCompany("911100000000000002", "北京乙公司");
    HostBuffer init("CZY_DM=0001;CZY_LB=0;QYID=" + company_.toStdString());
    ASSERT_TRUE(init.Call("InitGlobalCompanyInfo"));
    using ShowProc = void (*)(std::uintptr_t, std::uintptr_t, char**);
    const auto show = ModuleLoader::Entry<ShowProc>("ShowComapnayInfoInnerProc");
    const struct {
        const char* name;
        std::optional<std::string> params;  // nullopt: a null string
        const char* shown;
    } cases[] = {
        {"no company named", "TOVIEW=true", "北京甲公司"},
        {"a null string", std::nullopt, "北京甲公司"},
        {"another company named", "TOVIEW=true;ModalFormMsg=P;QYID=" + other.toStdString(),
         "北京乙公司"},
    };
    THostFrame frame;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QWidget container;
        new QVBoxLayout(&container);
        container.show();
        std::string params = c.params.value_or(std::string());
        char* text = c.params ? params.data() : nullptr;
        show(0, container.winId(), &text);
        QWidget* page = container.findChild<QWidget*>("frm_CompanyInfoInner");
        ASSERT_NE(page, nullptr);
        const auto* name = page->findChild<QLineEdit*>("edtQymc");
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(name->text(), c.shown);
    }
    // Announced with the flag off, unlike the settings pages.
    const QStringList shown = frame.Texts(HostMsg::kFormShown);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith("P|") && shown[0].endsWith("|0|0")) << shown[0].toStdString();
}

// A host that closes a page as soon as it hears of it being docked does not
// keep it: the module takes the page back and frees it.
TEST_F(EntryPoints, APageTheHostClosesAsItIsDockedIsFreed) {
    THostFrame frame;
    frame.onMessage = [](const THostFrame::Message& message) {
        if (message.code == HostMsg::kFormShown) {
            const auto id = static_cast<WId>(message.text.section('|', 1, 1).toULongLong());
            EXPECT_TRUE(SendHostMessage(QWidget::find(id), HostMsg::kClosePage));
        }
    };
    QWidget container;
    new QVBoxLayout(&container);
    container.show();
    std::string params = "ModalFormMsg=01004-01-16-00-00";
    char* text = params.data();
    using ShowProc = void (*)(std::uintptr_t, std::uintptr_t, char**);
    ModuleLoader::Entry<ShowProc>("ShowGljgszProc")(0, container.winId(), &text);
    EXPECT_EQ(frame.Count(HostMsg::kFormShown), 1);
    EXPECT_TRUE(frame.Texts(HostMsg::kFormShown).value(0).endsWith("|0|1"));
    EXPECT_EQ(container.findChild<QWidget*>("frmGljgsz"), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(EntryPoints, RefreshReloadsTheCurrentCompany) {
    auto refresh = ModuleLoader::Entry<NoArgsEntry>("RefreshCurrentCompanyInfo");
    EXPECT_FALSE(refresh());
    ModuleLib::GetCompanyInfoVO()->SetStrValue("QYID", company_);
    EXPECT_TRUE(refresh());
    EXPECT_EQ(ModuleLib::GetCompanyInfoVO()->GetStrValue("QYSBH"), "911100000000000001");
    Exec("UPDATE XT_QYXX SET QYMC='改名' where QYID=" + company_);
    EXPECT_TRUE(refresh());
    EXPECT_EQ(ModuleLib::GetCompanyInfoVO()->GetStrValue("QYMC"), "改名");
    ModuleLib::GetCompanyInfoVO()->SetStrValue("QYID", "x");
    EXPECT_FALSE(refresh());
}

TEST_F(EntryPoints, WriteBackStoresAndRefusesWithAWarning) {
    auto writeLocal = ModuleLoader::Entry<WriteEntry>("CallBackToWriteQYDSXX");
    auto writeState = ModuleLoader::Entry<WriteEntry>("CallBackToWriteQYGSXX");
    auto writeBasic = ModuleLoader::Entry<WriteEntry>("CallBackToWriteQYJCXX");
    TDataVO data;
    data.SetStrValue("KJYWRBM", "K1");
    data.SetStrValue("NSRSBH", "911100000000000001");
    data.SetStrValue("QYMC", "北京甲公司");
    const std::string id = company_.toStdString();
    EXPECT_TRUE(writeLocal(id.c_str(), &data));
    EXPECT_TRUE(writeState(id.c_str(), &data));
    EXPECT_TRUE(writeBasic(id.c_str(), &data));
    EXPECT_EQ(Count("select count(*) from XT_QYDSXX where KJYWRBM='K1'"), 1);
    EXPECT_EQ(Count("select count(*) from XT_QYGSXX"), 1);
    EXPECT_TRUE(LogLines().empty());

    // An empty id is refused silently, without a statement.
    EXPECT_FALSE(writeLocal("", &data));
    EXPECT_FALSE(writeLocal(nullptr, &data));
    EXPECT_TRUE(LogLines().empty());

    EXPECT_FALSE(writeLocal(id.c_str(), nullptr));
    TDataVO empty;
    EXPECT_FALSE(writeState(id.c_str(), &empty));
    const auto lines = LogLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].level, "Warn");
    EXPECT_EQ(lines[0].text, "传入的DataVO为nil");
    EXPECT_EQ(lines[1].text, "传入的企业ID或纳税人识别号为空");
}

TEST_F(EntryPoints, MalformedCompanyIdsChangeNoRow) {
    auto writeBasic = ModuleLoader::Entry<WriteEntry>("CallBackToWriteQYJCXX");
    auto writeLocal = ModuleLoader::Entry<WriteEntry>("CallBackToWriteQYDSXX");
    const QString other = AddCompany("911100000000000002", "乙公司");
    TDataVO data;
    data.SetStrValue("QYMC", "被改");
    data.SetStrValue("KJYWRBM", "K1");
    for (const char* id : {"1 or 1=1", "1;delete from XT_QYXX", "abc"}) {
        HostSetup::ClearRecorded();
        EXPECT_FALSE(writeBasic(id, &data)) << id;
        EXPECT_FALSE(writeLocal(id, &data)) << id;
        EXPECT_EQ(LogCount("Warn"), 2);
        EXPECT_EQ(LogCount("Error"), 0);  // no statement reached the database
    }
    EXPECT_EQ(Count("select count(*) from XT_QYXX where QYMC='被改'"), 0);
    EXPECT_EQ(Count("select count(*) from XT_QYXX"), 2);
    EXPECT_EQ(Count("select count(*) from XT_QYDSXX"), 0);
}

// A role operator reaches only his role's companies, whichever entry point the
// host hands an id to; the all-company classes reach every one.
class GrantedCompanies : public EngineTest {};
INSTANTIATE_ON_ENGINES(GrantedCompanies);

TEST_P(GrantedCompanies, AreAllARoleOperatorOpensLoadsSavesOrSees) {
    const QString granted = AddCompany("911100000000000001", "北京甲公司");
    const QString other = AddCompany("911100000000000002", "北京乙公司");
    GrantToRole("R01", granted);
    const auto page = ModuleLoader::Entry<void (*)(std::uintptr_t, std::uintptr_t, char**)>(
        "ShowComapnayInfoInnerProc");
    const auto dialog = ModuleLoader::Entry<bool (*)(const char*, bool)>("ShowComapnayInfoProc");
    const QString agency = AddCompany("91AGENCY", "代理", 19);
    const QString officer = AddCompany("11010519491231002X", "办税员", 20);
    // clang-format off
    const std::tuple<std::string, QString, bool> cases[] = {
        {"R01", granted, true}, {"R01", other, false}, {"0", other, true}, {"SYSTEM", other, true},
        {"", other, false}, {"0", agency, false}, {"0", granted + " or 1=1", false},
        {"0", officer, false}, {"R01", other + " or t2.QYID=" + granted, false}};
    // clang-format on
    for (const auto& [operatorClass, company, reached] : cases) {
        const std::string id = company.toStdString();
        SCOPED_TRACE(operatorClass + " " + id);
        HostSetup::ClearRecorded();
        ModuleLib::GetUserInfoVO()->SetStrValue("CZY_LB", QString::fromStdString(operatorClass));
        HostBuffer init("CZY_DM=0002;CZY_LB=" + operatorClass + ";QYID=" + id);
        EXPECT_EQ(init.Call("InitGlobalCompanyInfo"), reached);
        QWidget container;
        new QVBoxLayout(&container);
        std::string params = "QYID=" + id;
        char* text = params.data();
        page(0, container.winId(), &text);
        EXPECT_EQ(container.findChild<QWidget*>("frm_CompanyInfoInner") != nullptr, reached);
        {
            DialogDriver driver(
                [](QWidget* shown) { shown->close(); },
                reached ? DialogDriver::Expect::OneDialog : DialogDriver::Expect::NoDialog);
            EXPECT_FALSE(dialog(id.c_str(), true));
        }
        EXPECT_EQ(LogCount("Error") == 0, reached);
    }
}

QStringList NamedInVersionScript() {
    QFile map(COMPANYMGR_SOURCE_DIR "/src/entry/exports.map");
    EXPECT_TRUE(map.open(QIODevice::ReadOnly));
    const QString script = QString::fromUtf8(map.readAll());
    const QString global =
        script.section(QStringLiteral("global:"), 1).section(QStringLiteral("local:"), 0, 0);
    QStringList named;
    for (const QString& entry : global.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        if (!entry.trimmed().isEmpty()) {
            named << entry.trimmed();
        }
    }
    named.sort();
    return named;
}

// The version script names the entry points; the library exports exactly them:
// none missing, nothing else leaking.
TEST(ModuleLibrary, ExportsExactlyTheEntryPointsOfItsVersionScript) {
    const QStringList named = NamedInVersionScript();
    ASSERT_GE(named.size(), 6);

    QProcess nm;
    nm.start("nm", {"-D", "--defined-only", COMPANYMGR_MODULE_PATH});
    ASSERT_TRUE(nm.waitForFinished(30000));
    QStringList exported;
    for (const QString& line : QString::fromUtf8(nm.readAllStandardOutput()).split('\n')) {
        const QStringList fields = line.simplified().split(' ');
        if (fields.size() == 3) {
            exported << fields[2];
        }
    }
    exported.sort();
    EXPECT_EQ(exported, named);
}

// The public header, compiled as C in entry_header.c, declares exactly the
// exported entry points, and the module resolves each name it declares.
TEST(ModuleLibrary, PublicHeaderDeclaresEveryExportedEntryPoint) {
    ASSERT_NE(ModuleLoader::Handle(), nullptr) << dlerror();
    QStringList declared;
    for (const char* const* name = companymgr_header_entries; *name != nullptr; ++name) {
        declared << QString::fromLatin1(*name);
        EXPECT_NE(dlsym(ModuleLoader::Handle(), *name), nullptr) << *name;
    }
    declared.sort();
    EXPECT_EQ(declared, NamedInVersionScript());
}

}  // namespace

// The settings pages dock into a host container as the company manager does,
// with the controls a host presses; a missing parameter string is no fault.
TEST_F(EntryPoints, SettingsPagesDockIntoTheHostsContainer) {
    using ShowProc = void (*)(std::uintptr_t, std::uintptr_t, char**);
    struct Page {
        const char* entry;
        const char* objectName;
        const char* control;
    };
    for (const Page& page : {Page{"ShowGljgszProc", "frmGljgsz", "edtAgentName"},
                             Page{"ShowBsyxxszProc", "frm_Bsyxxsz", "cbxCantonCode"}}) {
        QWidget container;
        new QVBoxLayout(&container);
        container.show();
        ModuleLoader::Entry<ShowProc>(page.entry)(0, container.winId(), nullptr);
        QWidget* docked = container.findChild<QWidget*>(page.objectName);
        ASSERT_NE(docked, nullptr) << page.entry;
        EXPECT_TRUE(docked->isVisible()) << page.entry;
        EXPECT_NE(docked->findChild<QWidget*>("tbtnSave"), nullptr) << page.entry;
        EXPECT_NE(docked->findChild<QWidget*>(page.control), nullptr) << page.entry;
    }
}
