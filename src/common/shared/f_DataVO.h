// The named value object shared by host and module: an ordered list of named
// texts, variants and objects. Defined once, in the shared library both sides
// link, so the two can never disagree on its layout.
#pragma once

#include <QString>
#include <QVariant>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "SharedApi.h"

// Root of every object a container can hold; the virtual destructor lets an
// owning container destroy what it was given.
class SHARED_API TObject {
  public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject();
};

enum TParamKind : std::uint8_t {
    pkText = 0,
    pkVariant = 6,
    pkOwnedObject = 7,
    pkBorrowedObject = 8,
};

// One value record per entry, replaced whole on every assignment.
struct SHARED_API TParamValue {
    QString Text;
    QVariant Var;
    TObject* Obj = nullptr;
};

struct SHARED_API TParamItem {
    static constexpr int kMaxNameLength = 255;

    QString Name;
    std::uint8_t Kind = pkText;
    std::unique_ptr<TParamValue> Value;
};

class SHARED_API TDataVO : public TObject {
  public:
    TDataVO();
    ~TDataVO() override;

    TParamItem* FindItem(const QString& name) const;

    TObject* GetObjValue(const QString& name, TObject* defaultObject = nullptr) const;
    void GetStrValue(const QString& name, const QString& defaultText, QString& result) const;
    QString GetStrValue(const QString& name, const QString& defaultText = QString()) const;
    void GetVarValue(const QString& name, QVariant& result) const;

    // Takes the value record; kind is one of TParamKind.
    void SetValue(const QString& name, std::uint8_t kind, std::unique_ptr<TParamValue> value);
    void SetStrValue(const QString& name, const QString& text);
    void SetVarValue(const QString& name, const QVariant& value);
    // The container owns the object from now on.
    void SetObjValue(const QString& name, TObject* object);

    static void FreeValue(TParamItem& item, bool dropObject);

    // Read-only walk in insertion order, for host diagnostics.
    void ForEachItem(const std::function<void(const TParamItem&)>& visit) const;

  private:
    std::vector<std::unique_ptr<TParamItem>> items_;
};

// The host's session object stored in the operator object under "TPSession".
// The module only tells it about companies it added or removed.
class SHARED_API TPSession : public TObject {
  public:
    ~TPSession() override;
    virtual void CompanyAdded(const QString& companyId) = 0;
    virtual void CompanyRemoved(const QString& companyId) = 0;
};
