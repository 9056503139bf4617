// Which fields of the company information page the operator may edit, merged
// from the "AppComs/BaseInfo/CmdCompanyInfo.xml" of every sub-application: a
// field is editable as soon as one file marks it edit="true".
#pragma once

#include <QString>

#include <vector>

class TCmdCompanyInfo {
  public:
    // Merges the file of every installed sub-application, in the host's order.
    // Missing or unreadable files contribute what they could.
    void LoadAll();
    // Merges one file. False with errorText for a missing file or one that
    // cannot be decoded or parsed; entries merged before the error remain.
    bool ReadFile(const QString& path, QString& errorText);

    // Key looked up ignoring letter case and blanks around the stored name.
    bool BasicFieldEditable(const QString& key) const;
    bool StateTaxFieldEditable(const QString& key) const;
    bool StateTaxVisible() const { return stateTaxVisible_; }
    bool LocalTaxVisible() const { return localTaxVisible_; }

  private:
    struct Entry {
        QString key;
        QString edit;
    };
    using EntryList = std::vector<Entry>;

    static bool Editable(const EntryList& list, const QString& key);

    bool stateTaxVisible_ = false;
    bool localTaxVisible_ = false;
    EntryList basic_;
    EntryList stateTax_;
    EntryList localTax_;
};
