#include "RecentCompanies.h"

#include "ContextValues.h"
#include "HostServices.h"
#include "f_CommonUnit.h"
#include "f_DataVO.h"

namespace RecentCompanies {

namespace {

constexpr const char* kSection = "RecentCompanies";
constexpr const char* kKey = "Ids";

bool SettingsAreOperators(const QString& operatorCode) {
    if (operatorCode.isEmpty()) {
        return true;
    }
    // An operator code is never empty, so no operator object means not his.
    return ContextValues::Text(ModuleLib::GetUserInfoVO(), "CZY_DM") == operatorCode;
}

}  // namespace

QStringList Parse(const QString& text) {
    QStringList ids;
    for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString id = part.trimmed();
        if (ids.size() >= kMaxCount) {
            break;
        }
        if (IsSqlInteger(id) && !ids.contains(id)) {
            ids << id;
        }
    }
    return ids;
}

QStringList Update(const QStringList& list, const QString& id, const IsVisible& visible) {
    const QString chosen = id.trimmed();
    if (!IsSqlInteger(chosen)) {
        return list;
    }
    QStringList updated{chosen};
    for (const QString& old : list) {
        if (updated.size() >= kMaxCount) {
            break;
        }
        if (old != chosen && !updated.contains(old) && visible(old)) {
            updated << old;
        }
    }
    return updated;
}

QStringList Read(const QString& operatorCode) {
    if (!SettingsAreOperators(operatorCode)) {
        return {};
    }
    return Parse(
        ModuleLib::GetUserConfigParam(QLatin1String(kSection), QLatin1String(kKey), QString()));
}

bool Remember(const QString& id, const IsVisible& visible, const QString& operatorCode) {
    if (!SettingsAreOperators(operatorCode)) {
        return false;
    }
    const QStringList current = Read();
    const QStringList updated = Update(current, id, visible);
    if (updated == current) {
        return true;
    }
    return ModuleLib::SetUserConfigParam(QLatin1String(kSection), QLatin1String(kKey),
                                         updated.join(QLatin1Char(',')));
}

}  // namespace RecentCompanies
