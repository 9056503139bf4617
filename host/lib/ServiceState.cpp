// The one instance of the host services' state.
#include "ServiceState.h"

namespace ServiceState {

State& Get() {
    static State state;
    return state;
}

QString OverrideKey(const QString& section, const QString& key) {
    return section.toLower() + QLatin1Char('\n') + key.toLower();
}

QString ConfigFolder() {
    return Get().appPath + QStringLiteral("Config/");
}

}  // namespace ServiceState
