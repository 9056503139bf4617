#include "CmdCompanyInfo.h"

#include <QDomDocument>
#include <QDomElement>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>

#include "HostServices.h"

namespace {

const QString kTrue = QStringLiteral("true");

bool IsTrue(const QString& text) {
    return text.trimmed().compare(kTrue, Qt::CaseInsensitive) == 0;
}

}  // namespace

void TCmdCompanyInfo::LoadAll() {
    QStringList codes;
    ModuleLib::GetALLSubAppCodeList(codes);
    const QString appPath = ModuleLib::GetAppPath();
    for (const QString& code : codes) {
        const TSubAppInfo* info = ModuleLib::GetpSubAppInfo(code);
        if (info == nullptr) {
            continue;
        }
        QString errorText;
        ReadFile(appPath + info->Path + QStringLiteral("AppComs/BaseInfo/CmdCompanyInfo.xml"),
                 errorText);
    }
}

bool TCmdCompanyInfo::ReadFile(const QString& path, QString& errorText) {
    if (!QFileInfo(path).isFile()) {
        errorText = QStringLiteral("配置文件不存在。");
        return false;
    }
    const auto fail = [&](const QString& message) {
        errorText = QStringLiteral("解析文件") + path + QStringLiteral("出错：") + message;
        return false;
    };
    // The host decodes: the files may be GBK as well as UTF-8, whatever
    // their declaration says.
    QString text;
    QString readError;
    if (!ModuleLib::ReadDataFileText(path, text, readError)) {
        return fail(readError);
    }
    QDomDocument document;
    QString parseError;
    int line = 0;
    int column = 0;
    if (!document.setContent(text, &parseError, &line, &column)) {
        return fail(QStringLiteral("%1（第%2行第%3列）").arg(parseError).arg(line).arg(column));
    }
    const QDomElement root = document.documentElement();
    const struct {
        const char* name;
        EntryList* list;
        bool* visible;
    } sections[] = {
        {"jcxx", &basic_, nullptr},
        {"gsxx", &stateTax_, &stateTaxVisible_},
        {"dsxx", &localTax_, &localTaxVisible_},
    };
    for (const auto& section : sections) {
        const QDomElement element = root.firstChildElement(QLatin1String(section.name));
        if (element.isNull()) {
            continue;
        }
        if (section.visible != nullptr && IsTrue(element.attribute(QStringLiteral("visible")))) {
            *section.visible = true;
        }
        for (QDomNode node = element.firstChild(); !node.isNull(); node = node.nextSibling()) {
            const QDomElement entry = node.toElement();
            const QString key = entry.attribute(QStringLiteral("key"));
            // Comments, text and entries that name no field say nothing.
            if (entry.isNull() || key.trimmed().isEmpty()) {
                continue;
            }
            const QString edit = entry.attribute(QStringLiteral("edit"));
            EntryList& list = *section.list;
            auto found = std::find_if(list.begin(), list.end(), [&](const Entry& held) {
                return held.key.trimmed().compare(key.trimmed(), Qt::CaseInsensitive) == 0;
            });
            if (found == list.end()) {
                list.push_back({key, edit});
            } else if (IsTrue(edit)) {
                found->edit = kTrue;
            }
        }
    }
    return true;
}

bool TCmdCompanyInfo::Editable(const EntryList& list, const QString& key) {
    for (const Entry& entry : list) {
        if (entry.key.trimmed().compare(key.trimmed(), Qt::CaseInsensitive) == 0) {
            return IsTrue(entry.edit);
        }
    }
    return false;
}

bool TCmdCompanyInfo::BasicFieldEditable(const QString& key) const {
    return Editable(basic_, key);
}

bool TCmdCompanyInfo::StateTaxFieldEditable(const QString& key) const {
    return Editable(stateTax_, key);
}
