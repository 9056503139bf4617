#include "f_DataVO.h"

namespace {

bool SameNameAscii(const QString& a, const QString& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a[i].unicode();
        char16_t y = b[i].unicode();
        if (x >= u'a' && x <= u'z') {
            x = static_cast<char16_t>(x - u'a' + u'A');
        }
        if (y >= u'a' && y <= u'z') {
            y = static_cast<char16_t>(y - u'a' + u'A');
        }
        if (x != y) {
            return false;
        }
    }
    return true;
}

QString CutName(const QString& name) {
    if (name.size() <= TParamItem::kMaxNameLength) {
        return name;
    }
    qsizetype length = TParamItem::kMaxNameLength;
    if (name[length - 1].isHighSurrogate()) {
        --length;  // never keep half a character
    }
    return name.left(length);
}

bool HoldsObject(std::uint8_t kind) {
    return kind == pkOwnedObject || kind == pkBorrowedObject;
}

}  // namespace

TObject::~TObject() = default;

TPSession::~TPSession() = default;

TDataVO::TDataVO() = default;

TDataVO::~TDataVO() {
    while (!items_.empty()) {
        FreeValue(*items_.back(), true);
        items_.pop_back();
    }
}

TParamItem* TDataVO::FindItem(const QString& name) const {
    for (const auto& item : items_) {
        if (SameNameAscii(item->Name, name)) {
            return item.get();
        }
    }
    return nullptr;
}

TObject* TDataVO::GetObjValue(const QString& name, TObject* defaultObject) const {
    const TParamItem* item = FindItem(name);
    return item != nullptr && item->Value ? item->Value->Obj : defaultObject;
}

void TDataVO::GetStrValue(const QString& name, const QString& defaultText, QString& result) const {
    result = defaultText;
    const TParamItem* item = FindItem(name);
    if (item != nullptr && item->Value) {
        result = item->Value->Text;
    }
}

QString TDataVO::GetStrValue(const QString& name, const QString& defaultText) const {
    QString result;
    GetStrValue(name, defaultText, result);
    return result;
}

void TDataVO::GetVarValue(const QString& name, QVariant& result) const {
    result = QVariant(0);
    const TParamItem* item = FindItem(name);
    if (item != nullptr && item->Value) {
        result = item->Value->Var;
    }
}

void TDataVO::FreeValue(TParamItem& item, bool dropObject) {
    if (item.Value && dropObject) {
        if (item.Kind == pkOwnedObject) {
            delete item.Value->Obj;
        }
        if (HoldsObject(item.Kind)) {
            item.Value->Obj = nullptr;
        }
    }
    item.Value.reset();
}

void TDataVO::SetValue(const QString& name, std::uint8_t kind, std::unique_ptr<TParamValue> value) {
    if (!value) {
        value = std::make_unique<TParamValue>();
    }
    TParamItem* item = FindItem(name);
    if (item == nullptr) {
        auto fresh = std::make_unique<TParamItem>();
        fresh->Name = CutName(name);
        fresh->Kind = kind;
        fresh->Value = std::move(value);
        items_.push_back(std::move(fresh));
        return;
    }
    TObject* oldObject = item->Value ? item->Value->Obj : nullptr;
    // The object that is set again stays alive whatever the new kind; giving
    // it up here would leave the new value pointing at freed memory.
    const bool sameObject = HoldsObject(kind) && value->Obj == oldObject;
    const bool dropObject = HoldsObject(item->Kind) && !sameObject;
    FreeValue(*item, dropObject);
    item->Kind = kind;
    item->Value = std::move(value);
}

void TDataVO::SetStrValue(const QString& name, const QString& text) {
    auto value = std::make_unique<TParamValue>();
    value->Text = text;
    SetValue(name, pkText, std::move(value));
}

void TDataVO::SetVarValue(const QString& name, const QVariant& variant) {
    auto value = std::make_unique<TParamValue>();
    value->Var = variant;
    SetValue(name, pkVariant, std::move(value));
}

void TDataVO::SetObjValue(const QString& name, TObject* object) {
    auto value = std::make_unique<TParamValue>();
    value->Obj = object;
    SetValue(name, pkOwnedObject, std::move(value));
}

void TDataVO::ForEachItem(const std::function<void(const TParamItem&)>& visit) const {
    for (const auto& item : items_) {
        visit(*item);
    }
}
