// A save whose connection dropped while the server committed it, and whose
// outcome the host could not find out afterwards: the operator is told
// exactly that, never "saved" or "failed".
#pragma once

#include <QString>

#include "HostServices.h"

namespace CommitOutcome {

inline QString UnknownText() {
    return QStringLiteral(
        "与数据库的连接在保存时断开，重新连接后也无法确认这次保存是否已经生效。"
        "请在连接恢复后重新打开，查看已保存的内容。");
}

inline void TellUnknown() {
    ModuleLib::InfoMsgBox(UnknownText());
}

}  // namespace CommitOutcome
