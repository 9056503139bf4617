#include "ChangeContext.h"

#include <QSysInfo>

#include "ServiceState.h"

namespace ChangeContext {

namespace {

QString Quoted(QString text) {
    return QLatin1Char('\'') + text.replace(QLatin1Char('\''), QLatin1String("''")) +
           QLatin1Char('\'');
}

}  // namespace

QString Value(int part) {
    const ServiceState::State& state = ServiceState::Get();
    switch (part) {
        case 0:
            return state.changeSource;
        case 1:
            return state.userInfo->GetStrValue(QStringLiteral("CZY_DM"));
        case 2: {
            static const QString desk = QSysInfo::machineHostName();
            return desk;
        }
        default:
            return QString();
    }
}

QString PendingSettings() {
    const QString settings = QStringLiteral(
                                 "SELECT set_config('companymgr.source', %1, false), "
                                 "set_config('companymgr.operator', %2, false), "
                                 "set_config('companymgr.desk', %3, false)")
                                 .arg(Quoted(Value(0)), Quoted(Value(1)), Quoted(Value(2)));
    return settings == ServiceState::Get().sentChangeContext ? QString() : settings;
}

void Sent(const QString& settings) {
    ServiceState::Get().sentChangeContext = settings;
}

void Forget() {
    ServiceState::Get().sentChangeContext.clear();
}

}  // namespace ChangeContext
