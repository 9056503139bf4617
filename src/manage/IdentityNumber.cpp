#include "IdentityNumber.h"

#include <QDate>

namespace {

constexpr int kWeights[17] = {7, 9, 10, 5, 8, 4, 2, 1, 6, 3, 7, 9, 10, 5, 8, 4, 2};
constexpr char kCheckCharacters[] = "10X98765432";

bool AllAsciiDigits(const QString& text) {
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return false;
        }
    }
    return true;
}

QString LengthError() {
    return QStringLiteral("您输入的身份证号码长度不是15位或18位，请检查！");
}

QString NumberError() {
    return QStringLiteral("身份证号码错误。请仔细核对身份证件，正确录入。");
}

}  // namespace

namespace IdentityNumber {

QChar CheckCharacter(const QString& first17) {
    int sum = 0;
    for (int i = 0; i < 17; ++i) {
        sum += (first17.at(i).unicode() - '0') * kWeights[i];
    }
    return QLatin1Char(kCheckCharacters[sum % 11]);
}

QString Check(const QString& number) {
    QString n = number.trimmed();
    if (n.size() == 15) {
        // A first-generation number: the year lacks its century.
        if (!AllAsciiDigits(n)) {
            return NumberError();
        }
        n = n.left(6) + QStringLiteral("19") + n.mid(6);
        n += CheckCharacter(n);
    }
    if (n.size() != 18) {
        return LengthError();
    }
    const QString first17 = n.left(17);
    if (!AllAsciiDigits(first17)) {
        return NumberError();
    }
    const QDate birth(n.mid(6, 4).toInt(), n.mid(10, 2).toInt(), n.mid(12, 2).toInt());
    if (!birth.isValid()) {
        return NumberError();
    }
    if (n.at(17) != CheckCharacter(first17)) {
        return NumberError();
    }
    return QString();
}

}  // namespace IdentityNumber
