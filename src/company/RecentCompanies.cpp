#include "RecentCompanies.h"

#include <optional>
#include <utility>

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

namespace {

struct Proposal {
    QString id;
    QStringList hidden;  // stored ids the choosing window no longer showed
    QString operatorCode;
};

// The windows run on the host's one user-interface thread.
std::optional<Proposal>& Pending() {
    static std::optional<Proposal> pending;
    return pending;
}

}  // namespace

void Propose(const QString& id, const IsVisible& visible, const QString& operatorCode) {
    Proposal proposal{id.trimmed(), {}, operatorCode};
    for (const QString& stored : Read(operatorCode)) {
        if (!visible(stored)) {
            proposal.hidden << stored;
        }
    }
    Pending() = std::move(proposal);
}

bool Confirm(const QString& loadedId) {
    const std::optional<Proposal> proposal = std::exchange(Pending(), std::nullopt);
    if (!proposal || proposal->id != loadedId.trimmed()) {
        return true;
    }
    const QStringList& hidden = proposal->hidden;
    return Remember(
        proposal->id, [&hidden](const QString& stored) { return !hidden.contains(stored); },
        proposal->operatorCode);
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
