// The merge of the sub-applications' field configurations. Built files: the
// three sections (the first of each name counts), entries with keys in any
// letter case and padded with blanks, "edit" and "visible" spelled every way,
// comments, text and nested elements, in UTF-8 or GBK; a field is editable
// exactly when one entry for it in a counted section says true, whatever the
// order of the files. Any bytes: a file is merged or refused with a reason,
// and merging it twice changes nothing.
#include <fuzzer/FuzzedDataProvider.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "CmdCompanyInfo.h"
#include "FuzzSupport.h"
#include "HostServices.h"
#include "TextCodec.h"

// The host's side of LoadAll for this harness: the sub-applications are the
// folders the current input's files were written to, in this order.
namespace {
QStringList g_codes;
std::map<QString, TSubAppInfo> g_subApps;
}  // namespace

namespace ModuleLib {
QString GetAppPath() {
    return ScratchPath(QString()) + QLatin1Char('/');
}
void GetALLSubAppCodeList(QStringList& list) {
    list = g_codes;
}
const TSubAppInfo* GetpSubAppInfo(const QString& code) {
    const auto found = g_subApps.find(code);
    return found == g_subApps.end() ? nullptr : &found->second;
}
}  // namespace ModuleLib

namespace {

const QStringList kKeys = {QStringLiteral("NSRMC"),
                           QStringLiteral("nsrmc"),
                           QStringLiteral(" NsrMc "),
                           QStringLiteral("SSHY"),
                           QStringLiteral("dz"),
                           QStringLiteral("纳税人"),
                           QString(),
                           QStringLiteral("  ")};
const QStringList kTruths = {QStringLiteral("true"),
                             QStringLiteral("TRUE"),
                             QStringLiteral(" True "),
                             QStringLiteral("false"),
                             QString(),
                             QStringLiteral("1"),
                             QStringLiteral("yes"),
                             QStringLiteral("truE ")};
const char* const kSections[] = {"jcxx", "gsxx", "dsxx", "other"};

struct Expected {
    std::map<QString, bool> basic;
    std::map<QString, bool> stateTax;
    bool stateTaxVisible = false;
    bool localTaxVisible = false;
};

bool SaysTrue(const QString& text) {
    return text.trimmed().toLower() == QLatin1String("true");
}

QString Attribute(const char* name, const QString& value) {
    return QStringLiteral(" %1=\"%2\"").arg(QLatin1String(name), value);
}

QString Pick(FuzzedDataProvider& input, const QStringList& list) {
    return list[input.ConsumeIntegralInRange<qsizetype>(0, list.size() - 1)];
}

QString BuiltFile(FuzzedDataProvider& input, Expected& expected) {
    QString xml = QStringLiteral("<?xml version=\"1.0\"?>\n<root>\n");
    std::set<QString> seen;
    const int sectionCount = input.ConsumeIntegralInRange<int>(0, 5);
    for (int s = 0; s < sectionCount; ++s) {
        const int which = input.ConsumeIntegralInRange<int>(0, 3);
        const QString name = QLatin1String(kSections[which]);
        const bool counted = seen.insert(name).second && which < 3;
        const QString visible = Pick(input, kTruths);
        xml += QLatin1Char('<') + name + Attribute("visible", visible) + QStringLiteral(">\n");
        if (counted && which == 1) {
            expected.stateTaxVisible |= SaysTrue(visible);
        }
        if (counted && which == 2) {
            expected.localTaxVisible |= SaysTrue(visible);
        }
        const int entryCount = input.ConsumeIntegralInRange<int>(0, 6);
        for (int e = 0; e < entryCount; ++e) {
            const QString key = Pick(input, kKeys);
            const QString edit = Pick(input, kTruths);
            switch (input.ConsumeIntegralInRange<int>(0, 4)) {
                case 0:
                    xml += QStringLiteral("<!-- <item key=\"NSRMC\" edit=\"true\"/> -->\n");
                    break;
                case 1:
                    // Below an entry, not an entry of the section.
                    xml += QStringLiteral("<group><item") + Attribute("key", key) +
                           Attribute("edit", edit) + QStringLiteral("/></group>\n");
                    break;
                default: {
                    const bool hasKey = input.ConsumeBool();
                    xml += QStringLiteral("<item") + (hasKey ? Attribute("key", key) : QString()) +
                           Attribute("edit", edit) + QStringLiteral("/>text\n");
                    if (!counted || !hasKey || key.trimmed().isEmpty() || which == 2) {
                        break;
                    }
                    auto& list = which == 0 ? expected.basic : expected.stateTax;
                    list[key.trimmed().toLower()] |= SaysTrue(edit);
                }
            }
        }
        xml += QStringLiteral("</") + name + QStringLiteral(">\n");
    }
    return xml + QStringLiteral("</root>\n");
}

void CheckAgrees(const TCmdCompanyInfo& merged, const Expected& expected) {
    Require(merged.StateTaxVisible() == expected.stateTaxVisible);
    Require(merged.LocalTaxVisible() == expected.localTaxVisible);
    for (const QString& key : kKeys) {
        const auto basic = expected.basic.find(key.trimmed().toLower());
        const auto stateTax = expected.stateTax.find(key.trimmed().toLower());
        Require(merged.BasicFieldEditable(key) == (basic != expected.basic.end() && basic->second));
        Require(merged.StateTaxFieldEditable(key) ==
                (stateTax != expected.stateTax.end() && stateTax->second));
    }
}

QString WriteSubApp(const QString& code, const QByteArray& bytes) {
    g_codes.append(code);
    g_subApps[code] = TSubAppInfo{code, code, code + QLatin1Char('/')};
    return WriteScratchFile(code + QStringLiteral("/AppComs/BaseInfo/CmdCompanyInfo.xml"), bytes);
}

void BuiltFiles(FuzzedDataProvider& input) {
    Expected expected;
    const int fileCount = input.ConsumeIntegralInRange<int>(1, 3);
    QStringList paths;
    for (int f = 0; f < fileCount; ++f) {
        const QString xml = BuiltFile(input, expected);
        const bool gbk = input.ConsumeBool();
        paths.append(WriteSubApp(QStringLiteral("app%1").arg(f),
                                 gbk ? TextCodec::EncodeGbk(xml) : xml.toUtf8()));
    }
    TCmdCompanyInfo all;
    all.LoadAll();
    CheckAgrees(all, expected);
    TCmdCompanyInfo reversed;
    for (qsizetype i = paths.size() - 1; i >= 0; --i) {
        QString errorText;
        Require(reversed.ReadFile(paths[i], errorText));
    }
    CheckAgrees(reversed, expected);
}

void AnyBytes(FuzzedDataProvider& input) {
    const std::string raw = input.ConsumeRemainingBytesAsString();
    const QString path = WriteSubApp(QStringLiteral("any"),
                                     QByteArray(raw.data(), static_cast<qsizetype>(raw.size())));
    TCmdCompanyInfo once;
    QString errorText;
    const bool read = once.ReadFile(path, errorText);
    Require(read || !errorText.isEmpty());
    TCmdCompanyInfo twice;
    twice.LoadAll();
    twice.LoadAll();
    Require(once.StateTaxVisible() == twice.StateTaxVisible());
    Require(once.LocalTaxVisible() == twice.LocalTaxVisible());
    for (const QString& key : kKeys) {
        Require(once.BasicFieldEditable(key) == twice.BasicFieldEditable(key));
        Require(once.StateTaxFieldEditable(key) == twice.StateTaxFieldEditable(key));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    g_codes.clear();
    g_subApps.clear();
    FuzzedDataProvider input(data, size);
    if (input.ConsumeBool()) {
        BuiltFiles(input);
    } else {
        AnyBytes(input);
    }
    return 0;
}
