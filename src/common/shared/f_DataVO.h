/// @file f_DataVO.h
/// @brief The named value object shared by host and module.
///
/// Defined once, in the shared library both sides link (libDataVO.so), so the
/// two can never disagree on its layout.
#pragma once

#include <QString>
#include <QVariant>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "SharedApi.h"

/// Root of every object a container can hold; the virtual destructor lets an
/// owning container destroy what it was given.
class SHARED_API TObject {
  public:
    /// An object of no content.
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    /// Lets an owning TDataVO destroy any object it holds.
    virtual ~TObject();
};

/// What a TParamItem holds.
enum TParamKind : std::uint8_t {
    pkText = 0,            ///< a text, TParamValue::Text
    pkVariant = 6,         ///< a variant, TParamValue::Var
    pkOwnedObject = 7,     ///< an object the container owns and destroys, TParamValue::Obj
    pkBorrowedObject = 8,  ///< an object someone else owns, TParamValue::Obj
};

/// One value record per entry, replaced whole on every assignment.
struct SHARED_API TParamValue {
    QString Text;            ///< the text of a pkText entry
    QVariant Var;            ///< the value of a pkVariant entry
    TObject* Obj = nullptr;  ///< the object of a pkOwnedObject or pkBorrowedObject entry
};

/// One named entry of a TDataVO.
struct SHARED_API TParamItem {
    /// Longest name an entry may have, in characters.
    static constexpr int kMaxNameLength = 255;

    QString Name;                        ///< the entry's name, unique in its container
    std::uint8_t Kind = pkText;          ///< one of TParamKind
    std::unique_ptr<TParamValue> Value;  ///< the value; null for an entry without one
};

/// The named value object: an ordered list of named texts, variants and
/// objects. Host and module hand each other the operator
/// (ModuleLib::GetUserInfoVO), the current company
/// (ModuleLib::GetCompanyInfoVO, whose tax data are child objects) and
/// registration data (the CallBackToWrite... entry points) in it.
class SHARED_API TDataVO : public TObject {
  public:
    /// An empty container.
    TDataVO();
    /// Destroys the objects it owns.
    ~TDataVO() override;

    /// The entry named name, or null.
    TParamItem* FindItem(const QString& name) const;

    /// The object stored under name, or defaultObject when there is none.
    TObject* GetObjValue(const QString& name, TObject* defaultObject = nullptr) const;
    /// The text stored under name into result, or defaultText when there is none.
    void GetStrValue(const QString& name, const QString& defaultText, QString& result) const;
    /// The text stored under name, or defaultText when there is none.
    QString GetStrValue(const QString& name, const QString& defaultText = QString()) const;
    /// The variant stored under name into result; an invalid one when there is none.
    void GetVarValue(const QString& name, QVariant& result) const;

    /// Stores a value record under name, replacing what was there; kind is one
    /// of TParamKind.
    void SetValue(const QString& name, std::uint8_t kind, std::unique_ptr<TParamValue> value);
    /// Stores a text under name.
    void SetStrValue(const QString& name, const QString& text);
    /// Stores a variant under name.
    void SetVarValue(const QString& name, const QVariant& value);
    /// Stores an object under name; the container owns it from now on.
    void SetObjValue(const QString& name, TObject* object);

    /// Empties an entry's value; dropObject destroys an object the entry owns.
    static void FreeValue(TParamItem& item, bool dropObject);

    /// Read-only walk in insertion order, for host diagnostics.
    void ForEachItem(const std::function<void(const TParamItem&)>& visit) const;

  private:
    std::vector<std::unique_ptr<TParamItem>> items_;
};

/// The host's session object stored in the operator object under "TPSession".
/// The module only tells it about companies it added or removed.
class SHARED_API TPSession : public TObject {
  public:
    ~TPSession() override;
    /// Called after the company manager added a company (also by an import).
    virtual void CompanyAdded(const QString& companyId) = 0;
    /// Called after the company manager deleted a company.
    virtual void CompanyRemoved(const QString& companyId) = 0;
};
