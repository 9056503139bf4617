// Made-up companies, an agency and a tax officer, drawn from a seeded
// generator so that the same seed always gives the same people and firms.
#pragma once

#include <QSet>
#include <QString>
#include <QStringView>

#include <span>

#include "DemoWords.h"

namespace DemoRecords {

// splitmix64: tiny, and its output is fixed by the seed on every platform,
// which the standard library's distributions are not.
class Random {
  public:
    explicit Random(quint64 seed) : state_(seed) {}

    quint64 Next();
    // 0 <= result < bound; bound > 0.
    int Below(int bound);
    int Between(int low, int high);
    bool Percent(int percent) { return Below(100) < percent; }

    template <typename T>
    const T& Pick(std::span<const T> items) {
        return items[static_cast<std::size_t>(Below(static_cast<int>(items.size())))];
    }

  private:
    quint64 state_;
};

QString Digits(Random& random, int count);

// Check characters of the organisation code (GB 11714), of the unified social
// credit code (GB 32100) and of the resident identity number (ISO 7064 MOD 11-2).
// Each takes the characters in front of the check character.
QChar OrgCodeCheckChar(QStringView body);
QChar CreditCodeCheckChar(QStringView first17);
QChar IdentityCheckChar(QStringView first17);

struct Place {
    const DemoWords::City* city = nullptr;
    const DemoWords::District* district = nullptr;
};

struct Company {
    QString code;     // unified social credit code
    QString orgCode;  // the nine characters of it after the region
    QString name;
    QString syllablesPinyin;
    bool jointStock = false;
    Place place;
    QString legalRep;
    QString finance;
    QString financeMobile;
    QString financePhone;
    QString regAddress;
    QString address;
    QString postCode;
    QString email;
    QString phone;
    QString fax;
    const DemoWords::Industry* industry = nullptr;
    const DemoWords::RegistrationType* registration = nullptr;
    QString taxOffice;
    QString taxOfficeCode;
};

struct Officer {
    QString name;
    QString idNumber;
    QString canton;
    QString mobile;
    QString phone;
};

class Generator {
  public:
    explicit Generator(quint64 seed) : random_(seed) {}

    // False when no name or code could be found that is not taken yet.
    bool NextCompany(Company& company);
    bool NextAgency(Company& agency);
    Officer NextOfficer();

    QString PersonName();
    QString MobileNumber();
    QString PhoneNumber(const DemoWords::City& city);
    QString Address(const Place& place);
    Place AnyPlace();

    Random& random() { return random_; }

  private:
    bool FillFirm(Company& company, const char* trade, const char* suffix, Place place);
    QString NewCreditCode(const Place& place, QString& orgCode);

    Random random_;
    QSet<QString> names_;
    QSet<QString> codes_;
};

}  // namespace DemoRecords
