#include "ShareCapital.h"

#include <QLocale>
#include <QRegularExpression>

#include <cmath>

namespace {

// NUMERIC(19,2): 17 digits before the point.
constexpr int kShareCapitalIntegerDigits = 17;

}  // namespace

bool ParseShareCapital(const QString& text, QString& formatted) {
    const QString trimmed = text.trimmed();
    // A double holds only about 16 of NUMERIC(19,2)'s 19 digits.
    static const QRegularExpression plain(QStringLiteral("^(-?)0*(\\d*?)(\\d)(?:\\.(\\d{0,2}))?$"));
    if (const QRegularExpressionMatch m = plain.match(trimmed); m.hasMatch()) {
        const QString whole = m.captured(2) + m.captured(3);
        if (whole.size() > kShareCapitalIntegerDigits) {
            return false;
        }
        const QString cents = (m.captured(4) + QStringLiteral("00")).left(2);
        const bool zero = whole == QLatin1String("0") && cents == QLatin1String("00");
        formatted = (zero ? QString() : m.captured(1)) + whole + QLatin1Char('.') + cents;
        return true;
    }
    double value = 0;
    if (!trimmed.isEmpty()) {
        QLocale c = QLocale::c();
        c.setNumberOptions(QLocale::RejectGroupSeparator);
        bool ok = false;
        value = c.toDouble(trimmed, &ok);
        if (!ok || !std::isfinite(value)) {
            return false;
        }
    }
    QString result = QString::number(value, 'f', 2);
    if (result == QLatin1String("-0.00")) {
        result = QStringLiteral("0.00");
    }
    const int point = result.indexOf(QLatin1Char('.'));
    const int digits = point - (result.startsWith(QLatin1Char('-')) ? 1 : 0);
    if (digits > kShareCapitalIntegerDigits) {
        return false;
    }
    formatted = result;
    return true;
}

QString FormatStoredShareCapital(const QString& text) {
    QString formatted;
    if (!ParseShareCapital(text, formatted)) {
        return QStringLiteral("0.00");
    }
    return formatted;
}

QString ShareCapitalInvalidMessage() {
    return QStringLiteral("请输入正确的公司股本总额。");
}
