// Word lists the demo data are built from: regions, industries, trade names,
// people's names and streets. Region and industry codes follow the public
// code tables closely enough to look right; everything else is made up.
#pragma once

#include <span>

namespace DemoWords {

struct District {
    const char* code;  // six digits: the city's four and two of its own
    const char* name;
};

struct City {
    const char* area;        // group heading of the region list
    const char* canton;      // four digits
    const char* cantonName;  // as the region list shows it
    const char* name;        // as addresses start
    const char* shortName;   // as company names start
    const char* phoneArea;
    const char* postCode;
    District districts[2];
};

struct Industry {
    const char* code;
    const char* name;
};

// The line of business in a company name and the industry it belongs to.
struct Trade {
    const char* word;
    const char* industryCode;
};

struct Syllable {
    const char* hanzi;
    const char* pinyin;
};

struct RegistrationType {
    int code;
    const char* name;
};

std::span<const City> Cities();
std::span<const Industry> Industries();
const Industry* FindIndustry(const char* code);
std::span<const Trade> Trades();
// Trade names are one syllable of each list.
std::span<const Syllable> TradeHeads();
std::span<const Syllable> TradeTails();
std::span<const char* const> Surnames();
std::span<const char* const> GivenNameChars();
std::span<const char* const> Streets();
std::span<const RegistrationType> LimitedCompanyTypes();
std::span<const RegistrationType> JointStockTypes();

}  // namespace DemoWords
