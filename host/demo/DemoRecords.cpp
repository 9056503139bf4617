#include "DemoRecords.h"

#include <QDate>

namespace DemoRecords {

using namespace DemoWords;

namespace {

// Characters a unified social credit code may hold; a character's value is
// its position here.
constexpr QStringView kCreditCodeChars = u"0123456789ABCDEFGHJKLMNPQRTUWXY";

// Retries before a full name space is reported instead of looping on.
constexpr int kAttempts = 64;

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

int OrgCodeValue(QChar c) {
    return c.isDigit() ? c.digitValue() : 10 + (c.unicode() - u'A');
}

}  // namespace

quint64 Random::Next() {
    state_ += 0x9E3779B97F4A7C15ULL;
    quint64 z = state_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

int Random::Below(int bound) {
    return static_cast<int>(Next() % static_cast<quint64>(bound));
}

int Random::Between(int low, int high) {
    return low + Below(high - low + 1);
}

QString Digits(Random& random, int count) {
    QString text;
    text.reserve(count);
    for (int i = 0; i < count; ++i) {
        text += QChar(u'0' + random.Below(10));
    }
    return text;
}

QChar OrgCodeCheckChar(QStringView body) {
    static const int kWeights[] = {3, 7, 9, 10, 5, 8, 4, 2};
    int sum = 0;
    for (int i = 0; i < 8; ++i) {
        sum += OrgCodeValue(body[i]) * kWeights[i];
    }
    const int check = 11 - sum % 11;
    if (check == 10) {
        return u'X';
    }
    return QChar(u'0' + check % 11);
}

QChar CreditCodeCheckChar(QStringView first17) {
    static const int kWeights[] = {1, 3, 9, 27, 19, 26, 16, 17, 20, 29, 25, 13, 8, 24, 10, 30, 28};
    int sum = 0;
    for (int i = 0; i < 17; ++i) {
        sum += static_cast<int>(kCreditCodeChars.indexOf(first17[i])) * kWeights[i];
    }
    return kCreditCodeChars[(31 - sum % 31) % 31];
}

QChar IdentityCheckChar(QStringView first17) {
    static const int kWeights[] = {7, 9, 10, 5, 8, 4, 2, 1, 6, 3, 7, 9, 10, 5, 8, 4, 2};
    static constexpr QStringView kChecks = u"10X98765432";
    int sum = 0;
    for (int i = 0; i < 17; ++i) {
        sum += first17[i].digitValue() * kWeights[i];
    }
    return kChecks[sum % 11];
}

QString Generator::PersonName() {
    QString name = Text(random_.Pick(Surnames()));
    const int chars = random_.Percent(70) ? 2 : 1;
    for (int i = 0; i < chars; ++i) {
        name += Text(random_.Pick(GivenNameChars()));
    }
    return name;
}

QString Generator::MobileNumber() {
    static const char* const kPrefixes[] = {"13", "15", "18"};
    return Text(random_.Pick(std::span<const char* const>(kPrefixes))) + Digits(random_, 9);
}

QString Generator::PhoneNumber(const City& city) {
    return Text(city.phoneArea) + u'-' + QString::number(random_.Between(2, 8)) +
           Digits(random_, 7);
}

QString Generator::Address(const Place& place) {
    QString address = Text(place.city->name) + Text(place.district->name) +
                      Text(random_.Pick(Streets())) + QString::number(random_.Between(1, 999)) +
                      QStringLiteral("号");
    if (random_.Percent(50)) {
        address += QString::number(random_.Between(1, 20)) + QStringLiteral("幢") +
                   QString::number(random_.Between(1, 25) * 100 + random_.Between(1, 20)) +
                   QStringLiteral("室");
    }
    return address;
}

Place Generator::AnyPlace() {
    Place place;
    place.city = &random_.Pick(Cities());
    place.district = &place.city->districts[random_.Below(2)];
    return place;
}

QString Generator::NewCreditCode(const Place& place, QString& orgCode) {
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        QString body;
        if (random_.Percent(50)) {
            body = QString::number(random_.Between(1, 9)) + Digits(random_, 7);
        } else {
            // Codes given out since the unified code came in read "MA...".
            body = QStringLiteral("MA");
            for (int i = 0; i < 6; ++i) {
                body += kCreditCodeChars[random_.Below(static_cast<int>(kCreditCodeChars.size()))];
            }
        }
        orgCode = body + OrgCodeCheckChar(body);
        QString code = QStringLiteral("91") + Text(place.district->code) + orgCode;
        code += CreditCodeCheckChar(code);
        if (!codes_.contains(code)) {
            codes_.insert(code);
            return code;
        }
    }
    return QString();
}

bool Generator::FillFirm(Company& company, const char* trade, const char* suffix, Place place) {
    const Syllable& head = random_.Pick(TradeHeads());
    const Syllable* tail = &random_.Pick(TradeTails());
    while (qstrcmp(tail->hanzi, head.hanzi) == 0) {
        tail = &random_.Pick(TradeTails());
    }
    const City& city = *place.city;
    const QString name =
        Text(city.shortName) + Text(head.hanzi) + Text(tail->hanzi) + Text(trade) + Text(suffix);
    if (names_.contains(name)) {
        return false;
    }
    company.code = NewCreditCode(place, company.orgCode);
    if (company.code.isEmpty()) {
        return false;
    }
    names_.insert(name);
    company.name = name;
    company.syllablesPinyin = Text(head.pinyin) + Text(tail->pinyin);
    company.place = place;
    company.legalRep = PersonName();
    company.finance = PersonName();
    company.financeMobile = MobileNumber();
    company.financePhone = PhoneNumber(city);
    company.address = Address(place);
    company.regAddress = random_.Percent(70) ? company.address : Address(place);
    company.postCode = Text(city.postCode).left(4) + Digits(random_, 2);

    static const char* const kMailboxes[] = {"info", "service", "office", "finance", "contact"};
    static const char* const kDomains[] = {".com", ".cn", ".com.cn"};
    company.email = Text(random_.Pick(std::span<const char* const>(kMailboxes))) + u'@' +
                    company.syllablesPinyin +
                    (random_.Percent(40) ? QString::number(random_.Between(1, 99)) : QString()) +
                    Text(random_.Pick(std::span<const char* const>(kDomains)));
    company.phone = PhoneNumber(city);
    company.fax = PhoneNumber(city);
    company.taxOffice = Text(city.name) + Text(place.district->name) + QStringLiteral("税务局");
    company.taxOfficeCode = u'1' + Text(place.district->code) + QStringLiteral("0000");
    return true;
}

bool Generator::NextCompany(Company& company) {
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const Place place = AnyPlace();
        const Trade& trade = random_.Pick(Trades());
        const bool jointStock = random_.Percent(20);
        if (FillFirm(company, trade.word, jointStock ? "股份有限公司" : "有限公司", place)) {
            company.jointStock = jointStock;
            company.industry = FindIndustry(trade.industryCode);
            company.registration =
                &random_.Pick(jointStock ? JointStockTypes() : LimitedCompanyTypes());
            return true;
        }
    }
    return false;
}

bool Generator::NextAgency(Company& agency) {
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (FillFirm(agency, "税务师事务所", "有限公司", AnyPlace())) {
            agency.jointStock = false;
            agency.industry = FindIndustry("72");
            agency.registration = &LimitedCompanyTypes()[0];
            return true;
        }
    }
    return false;
}

Officer Generator::NextOfficer() {
    const Place place = AnyPlace();
    Officer officer;
    officer.name = PersonName();
    const QDate birth = QDate(1965, 1, 1).addDays(random_.Below(30 * 365));
    QString number = Text(place.district->code) + birth.toString(QStringLiteral("yyyyMMdd")) +
                     QStringLiteral("%1").arg(random_.Between(1, 999), 3, 10, QLatin1Char('0'));
    number += IdentityCheckChar(number);
    officer.idNumber = number;
    officer.canton = Text(place.city->canton);
    officer.mobile = MobileNumber();
    officer.phone = PhoneNumber(*place.city);
    return officer;
}

}  // namespace DemoRecords
