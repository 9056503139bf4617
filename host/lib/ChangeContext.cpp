#include "ChangeContext.h"

#include <QSysInfo>

#include "ServiceState.h"
#include "SqlText.h"

namespace ChangeContext {

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
                                 .arg(SqlText::Literal(Value(0)), SqlText::Literal(Value(1)),
                                      SqlText::Literal(Value(2)));
    return settings == ServiceState::Get().sentChangeContext ? QString() : settings;
}

void Sent(const QString& settings) {
    ServiceState::Get().sentChangeContext = settings;
}

void Forget() {
    ServiceState::Get().sentChangeContext.clear();
}

}  // namespace ChangeContext
