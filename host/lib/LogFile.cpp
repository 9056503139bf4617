// The host's log: one line per entry in Log/CompanyMgr.log (time, level,
// text, tab-separated), with control characters and backslashes in the text
// escaped.
#include <QDateTime>
#include <QFile>

#include <cstdio>

#include "HostSetup.h"
#include "ServiceState.h"

namespace {

// One entry stays one line and its fields stay apart: line breaks, tabs and
// other control characters are written as escapes, and the backslash too, so
// every escape reads back as the one text it came from.
QString EscapeControls(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        if (code == u'\\') {
            out += QLatin1String("\\\\");
        } else if (code == u'\n') {
            out += QLatin1String("\\n");
        } else if (code == u'\r') {
            out += QLatin1String("\\r");
        } else if (code == u'\t') {
            out += QLatin1String("\\t");
        } else if (code < 0x20 || (code >= 0x7F && code <= 0x9F)) {
            out += QStringLiteral("\\x%1").arg(code, 2, 16, QLatin1Char('0'));
        } else if (code == 0x2028 || code == 0x2029) {
            out += QStringLiteral("\\u%1").arg(code, 4, 16, QLatin1Char('0'));
        } else {
            out += c;
        }
    }
    return out;
}

bool Append(const QString& path, const QByteArray& line, QString& errorText) {
    QFile file(path);
    if (!file.open(QIODevice::Append | QIODevice::WriteOnly) || file.write(line) != line.size() ||
        !file.flush()) {
        errorText = file.errorString();
        return false;
    }
    return true;
}

void WriteLog(const QString& level, const QString& text) {
    ServiceState::State& state = ServiceState::Get();
    const QString oneLine = EscapeControls(text);
    if (state.recording) {
        state.logLines.push_back({level, oneLine});
    }
    const QByteArray line =
        (QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")) +
         QLatin1Char('\t') + level + QLatin1Char('\t') + oneLine + QLatin1Char('\n'))
            .toUtf8();
    if (state.logPath.isEmpty()) {
        std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stderr);
        return;
    }
    QString errorText;
    if (!Append(state.logPath, line, errorText) && !state.logFailureReported) {
        // Once: a full disk would otherwise double every entry on the console.
        state.logFailureReported = true;
        const QByteArray notice =
            QStringLiteral("日志文件[%1]无法写入：%2；此后的写入失败不再提示\n")
                .arg(state.logPath, errorText)
                .toUtf8();
        std::fwrite(notice.constData(), 1, static_cast<std::size_t>(notice.size()), stderr);
    }
}

}  // namespace

namespace logQuery {

void Error(const QString& /*level*/, const QString& text) {
    WriteLog(QStringLiteral("Error"), text);
}

void Warn(const QString& /*level*/, const QString& text) {
    WriteLog(QStringLiteral("Warn"), text);
}

}  // namespace logQuery

namespace HostSetup {

void LogInfo(const QString& text) {
    WriteLog(QStringLiteral("Info"), text);
}

}  // namespace HostSetup
