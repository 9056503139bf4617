// Company list statements, SQL quoting and the input checks shared by the
// module's windows.
#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <span>

#include "CompanyRecord.h"
#include "SqlWriter.h"

// "0", "SYSTEM" and "BUSINESS" see every company; any other class is a role code.
bool IsAllCompanyClass(const QString& operatorClass);
// Company classes 19 and 20: the agency's and the tax officer's own rows,
// which hold no company to file for.
bool IsOwnRowClass(const QString& companyClass);

// Statement over every company of the installation's kind.
QString BuildCompanyListSql(const QString& taxIdText, const QString& nameText, bool countOnly,
                            bool tailMatch);
// Statement over the companies granted to a role.
QString BuildRoleCompanyListSql(const QString& roleCode, const QString& taxIdText,
                                const QString& nameText, bool countOnly, bool tailMatch);
// Statement the operator class selects, as every caller picks it.
QString BuildOperatorCompanyListSql(const QString& operatorClass, const QString& taxIdText,
                                    const QString& nameText, bool countOnly, bool tailMatch);

// The identification-number filter for a column: a contains filter (the text
// is found literally, "%" and "_" included, as in the name filter), or with
// tail match a comparison with the start of the last queryLength characters
// in the dialect of the engine.
QString BuildTaxIdFilter(const QString& column, const QString& taxIdText, bool tailMatch,
                         const QString& engine, int queryLength);

// Runs a listing statement and replaces records with its rows, each with the
// given columns (in field order), stepping it no further than maxRows; false,
// records untouched, when it failed.
bool ReadCompanyList(const char* operation, const QString& sql,
                     std::span<const CompanyField> fields, TCompanyRecordArray& records,
                     std::size_t maxRows = SIZE_MAX);

// How many trailing characters of the identification number a short filter matches.
int ReadQueryLength();

bool IsValidEmail(const QString& text);
bool IsValidPhone(const QString& text);
// Empty, or six characters once the blanks around are gone.
bool IsValidPostCode(const QString& text);

// Trims a folder path and makes it end with the path separator ("/" here).
QString EnsureTrailingBackslash(const QString& path);

// Caption of the company identification number in every window: the setting
// "DisplayCompanyCodeName" as the last window that read it found it.
QString CompanyCodeCaption();
// Reads the setting again and returns it.
QString ReadCompanyCodeCaption();
