// Identity numbers: a number built from a real calendar date and a check
// character computed the second way (powers of two modulo 11) passes; one
// with an impossible date fails; and for any number that passes, checking it
// again passes while every change of one character fails.
#include <fuzzer/FuzzedDataProvider.h>

#include <chrono>
#include <string>

#include "FuzzSupport.h"
#include "IdentityNumber.h"

namespace {

const QString kCheckCharacters = QStringLiteral("0123456789X");

// ISO 7064 MOD 11-2: digit i counts 2^(17-i) modulo 11.
QChar CheckCharacterByPowers(const QString& first17) {
    int sum = 0;
    int weight = 1;
    for (int i = 16; i >= 0; --i) {
        weight = weight * 2 % 11;
        sum += (first17[i].unicode() - '0') * weight;
    }
    const int value = (12 - sum % 11) % 11;
    return value == 10 ? QLatin1Char('X') : QChar(u'0' + value);
}

QString Digits(FuzzedDataProvider& input, int count) {
    QString text;
    for (int i = 0; i < count; ++i) {
        text += QChar(u'0' + input.ConsumeIntegralInRange<int>(0, 9));
    }
    return text;
}

QString TwoDigits(int value) {
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

bool RealDate(int year, int month, int day) {
    // The calendar has no year 0: 1 BC is followed by AD 1.
    using namespace std::chrono;
    return year != 0 &&
           year_month_day(std::chrono::year(year), std::chrono::month(month), std::chrono::day(day))
               .ok();
}

void CheckEveryOneCharacterChangeFails(const QString& number) {
    for (qsizetype i = 0; i < number.size(); ++i) {
        for (const QChar c : kCheckCharacters) {
            if (c == number[i]) {
                continue;
            }
            QString changed = number;
            changed[i] = c;
            Require(!IdentityNumber::Check(changed).isEmpty());
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    if (input.ConsumeBool()) {
        // Built: region, birth date, sequence, check character.
        const bool firstGeneration = input.ConsumeBool();
        const QString region = Digits(input, 6);
        const int year = firstGeneration ? 1900 + input.ConsumeIntegralInRange<int>(0, 99)
                                         : input.ConsumeIntegralInRange<int>(0, 9999);
        const int month = input.ConsumeIntegralInRange<int>(0, 13);
        const int day = input.ConsumeIntegralInRange<int>(0, 32);
        const QString sequence = Digits(input, 3);
        const QString first17 = region + QStringLiteral("%1").arg(year, 4, 10, QLatin1Char('0')) +
                                TwoDigits(month) + TwoDigits(day) + sequence;
        const QString number = first17 + CheckCharacterByPowers(first17);
        const QString written = firstGeneration ? region + TwoDigits(year % 100) +
                                                      TwoDigits(month) + TwoDigits(day) + sequence
                                                : number;
        const QString blanks = input.ConsumeBool() ? QStringLiteral(" \t") : QString();
        const bool passes = IdentityNumber::Check(blanks + written + blanks).isEmpty();
        Require(passes == RealDate(year, month, day));
        Require(IdentityNumber::CheckCharacter(first17) == CheckCharacterByPowers(first17));
        if (passes) {
            CheckEveryOneCharacterChangeFails(number);
        }
        return 0;
    }
    const std::string bytes = input.ConsumeRemainingBytesAsString();
    const QString text = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    if (!IdentityNumber::Check(text).isEmpty()) {
        return 0;
    }
    const QString number = text.trimmed();
    Require(number.size() == 15 || number.size() == 18);
    Require(IdentityNumber::Check(number).isEmpty());
    // A first-generation number is checked as its widened form.
    const QString widened =
        number.size() == 18
            ? number
            : number.left(6) + QStringLiteral("19") + number.mid(6) +
                  CheckCharacterByPowers(number.left(6) + QStringLiteral("19") + number.mid(6));
    Require(CheckCharacterByPowers(widened.left(17)) == widened[17]);
    CheckEveryOneCharacterChangeFails(widened);
    return 0;
}
