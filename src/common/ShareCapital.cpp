#include "ShareCapital.h"

#include <QStringView>

#include <algorithm>
#include <utility>

namespace {

// NUMERIC(19,2): 17 digits before the point.
constexpr qsizetype kShareCapitalIntegerDigits = 17;

// A decimal as written: its digits, and where the point falls among them once
// the exponent is applied (negative: that many zeros come first).
struct Decimal {
    bool negative = false;
    QString digits;
    qsizetype point = 0;
};

bool IsDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// "[+-]digits[.digits][(e|E)[+-]digits]", a digit on at least one side of the
// point. A double holds only about 16 of NUMERIC(19,2)'s 19 digits, so none is
// used.
bool ReadDecimal(QStringView text, Decimal& number) {
    const qsizetype size = text.size();
    qsizetype i = 0;
    if (i < size && (text[i] == u'+' || text[i] == u'-')) {
        number.negative = text[i] == u'-';
        ++i;
    }
    for (; i < size && IsDigit(text[i]); ++i) {
        number.digits += text[i];
    }
    number.point = number.digits.size();
    if (i < size && text[i] == u'.') {
        for (++i; i < size && IsDigit(text[i]); ++i) {
            number.digits += text[i];
        }
    }
    if (number.digits.isEmpty()) {
        return false;
    }
    if (i < size && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        const bool negative = i < size && text[i] == u'-';
        if (i < size && (text[i] == u'+' || text[i] == u'-')) {
            ++i;
        }
        // Past this an exponent moves every digit out of range or below a
        // cent, however many leading zeros the digits have.
        const qsizetype limit = size + kShareCapitalIntegerDigits + 3;
        const qsizetype start = i;
        qsizetype exponent = 0;
        for (; i < size && IsDigit(text[i]); ++i) {
            exponent = std::min(exponent * 10 + (text[i].unicode() - u'0'), limit);
        }
        if (i == start) {
            return false;
        }
        number.point += negative ? -exponent : exponent;
    }
    return i == size;
}

// Adds one to a run of decimal digits.
void Increment(QString& digits) {
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        if (digits[i] != u'9') {
            digits[i] = QChar(digits[i].unicode() + 1);
            return;
        }
        digits[i] = u'0';
    }
    digits.prepend(u'1');
}

// Cents, rounded half away from zero; false when more than 17 digits stay
// before the point.
bool Cents(Decimal number, QString& formatted) {
    QString& digits = number.digits;
    qsizetype zeros = 0;
    while (zeros < digits.size() && digits[zeros] == u'0') {
        ++zeros;
    }
    digits.remove(0, zeros);
    number.point -= zeros;
    // Nothing but zeros, or below a thousandth: nothing to round up.
    if (digits.isEmpty() || number.point < -2) {
        formatted = QStringLiteral("0.00");
        return true;
    }
    if (number.point > kShareCapitalIntegerDigits) {
        return false;
    }
    if (number.point < 0) {
        digits.prepend(QString(-number.point, u'0'));
        number.point = 0;
    }
    const qsizetype kept = number.point + 2;
    if (digits.size() <= kept) {
        digits.append(QString(kept + 1 - digits.size(), u'0'));
    }
    const bool roundUp = digits[kept] >= u'5';
    digits.truncate(kept);
    if (roundUp) {
        Increment(digits);
    }
    // Leading zeros went above, so the whole part, if any, starts with another digit.
    QString whole = digits.left(digits.size() - 2);
    const QString cents = digits.right(2);
    if (whole.isEmpty()) {
        whole = QStringLiteral("0");
    }
    if (whole.size() > kShareCapitalIntegerDigits) {
        return false;
    }
    const bool zero = whole == QLatin1String("0") && cents == QLatin1String("00");
    formatted = (number.negative && !zero ? QStringLiteral("-") : QString()) + whole +
                QLatin1Char('.') + cents;
    return true;
}

}  // namespace

bool ParseShareCapital(const QString& text, QString& formatted) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        formatted = QStringLiteral("0.00");
        return true;
    }
    Decimal number;
    return ReadDecimal(trimmed, number) && Cents(std::move(number), formatted);
}

bool ReadStoredShareCapital(const QString& stored, QString& shown) {
    if (ParseShareCapital(stored, shown)) {
        return true;
    }
    shown = stored;
    return false;
}

QString ShareCapitalInvalidMessage() {
    return QStringLiteral("请输入正确的公司股本总额。");
}
