#include <gtest/gtest.h>

#include <vector>

#include "f_DataVO.h"

namespace {

// Records its destruction, in order, so ownership can be counted.
class Tracked : public TObject {
  public:
    Tracked(std::vector<int>& log, int id) : log_(log), id_(id) {}
    ~Tracked() override { log_.push_back(id_); }

  private:
    std::vector<int>& log_;
    int id_;
};

TEST(DataVOLookup, NamesIgnoreAsciiCaseOnly) {
    TDataVO vo;
    vo.SetStrValue("QYID", "15");
    EXPECT_EQ(vo.GetStrValue("qyid"), "15");
    vo.SetStrValue("qyid", "16");
    const TParamItem* item = vo.FindItem("Qyid");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->Name, "QYID");
    EXPECT_EQ(vo.GetStrValue("QYID"), "16");

    vo.SetStrValue("单位名称", "甲");
    EXPECT_EQ(vo.GetStrValue("单位名称"), "甲");
    // Only A-Z fold: accented letters must match exactly.
    vo.SetStrValue("É", "x");
    EXPECT_EQ(vo.FindItem("é"), nullptr);
}

TEST(DataVOLookup, AbsentNamesGiveTheDefaults) {
    TDataVO vo;
    EXPECT_EQ(vo.GetStrValue("NONE", "dflt"), "dflt");
    QString text = "old";
    vo.GetStrValue("NONE", QString(), text);
    EXPECT_TRUE(text.isEmpty());
    QVariant variant("old");
    vo.GetVarValue("NONE", variant);
    EXPECT_EQ(variant, QVariant(0));
    TDataVO marker;
    EXPECT_EQ(vo.GetObjValue("NONE", &marker), &marker);
    EXPECT_EQ(vo.GetObjValue("NONE"), nullptr);

    vo.SetStrValue("T", "text");
    EXPECT_EQ(vo.GetObjValue("T", &marker), nullptr);
    vo.GetVarValue("T", variant);
    EXPECT_FALSE(variant.isValid());
    vo.SetVarValue("V", 12.5);
    vo.GetVarValue("V", variant);
    EXPECT_EQ(variant.toDouble(), 12.5);
    EXPECT_TRUE(vo.GetStrValue("V").isEmpty());
}

TEST(DataVOLookup, LongNamesAreCutTo255Characters) {
    TDataVO vo;
    const QString longName(300, QLatin1Char('N'));
    vo.SetStrValue(longName, "v");
    EXPECT_EQ(vo.FindItem(longName), nullptr);
    const TParamItem* item = vo.FindItem(longName.left(255));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->Name.size(), 255);
    // A character beyond the basic plane is never cut in half.
    const QString emoji = QString(254, QLatin1Char('E')) + QString::fromUcs4(U"\U0001F600x");
    vo.SetStrValue(emoji, "w");
    const TParamItem* cut = vo.FindItem(emoji.left(254));
    ASSERT_NE(cut, nullptr);
    EXPECT_EQ(cut->Name.size(), 254);
}

TEST(DataVOOwnership, ReplacingAnOwnedObjectDestroysItExactlyOnce) {
    std::vector<int> destroyed;
    {
        TDataVO vo;
        auto* first = new Tracked(destroyed, 1);
        vo.SetObjValue("QYDSXX", first);
        vo.SetObjValue("QYDSXX", first);  // the same object again stays alive
        EXPECT_TRUE(destroyed.empty());
        EXPECT_EQ(vo.GetObjValue("QYDSXX"), first);

        vo.SetObjValue("QYDSXX", new Tracked(destroyed, 2));
        EXPECT_EQ(destroyed, std::vector<int>{1});
        vo.SetStrValue("QYDSXX", "text");
        EXPECT_EQ(destroyed, (std::vector<int>{1, 2}));
        EXPECT_EQ(vo.GetObjValue("QYDSXX"), nullptr);
    }
    EXPECT_EQ(destroyed, (std::vector<int>{1, 2}));
}

TEST(DataVOOwnership, BorrowedObjectsAreNeverDestroyed) {
    std::vector<int> destroyed;
    Tracked borrowed(destroyed, 7);
    {
        TDataVO vo;
        auto value = std::make_unique<TParamValue>();
        value->Obj = &borrowed;
        vo.SetValue("TPSession", pkBorrowedObject, std::move(value));
        EXPECT_EQ(vo.GetObjValue("TPSession"), &borrowed);
        vo.SetStrValue("TPSession", "replaced");
        auto again = std::make_unique<TParamValue>();
        again->Obj = &borrowed;
        vo.SetValue("OTHER", pkBorrowedObject, std::move(again));
    }
    EXPECT_TRUE(destroyed.empty());
}

TEST(DataVOOwnership, SameObjectUnderAnotherKindIsNotFreedUnderTheNewValue) {
    std::vector<int> destroyed;
    auto* object = new Tracked(destroyed, 3);
    {
        TDataVO vo;
        vo.SetObjValue("X", object);
        auto value = std::make_unique<TParamValue>();
        value->Obj = object;
        vo.SetValue("X", pkBorrowedObject, std::move(value));
        EXPECT_TRUE(destroyed.empty());
        EXPECT_EQ(vo.GetObjValue("X"), object);
    }
    EXPECT_TRUE(destroyed.empty());
    delete object;
}

TEST(DataVOOwnership, DestroyingTheContainerFreesOwnedObjectsLastEntryFirst) {
    std::vector<int> destroyed;
    {
        TDataVO vo;
        vo.SetObjValue("A", new Tracked(destroyed, 1));
        vo.SetStrValue("T", "text");
        vo.SetObjValue("B", new Tracked(destroyed, 2));
        auto* child = new TDataVO;
        child->SetObjValue("C", new Tracked(destroyed, 3));
        vo.SetObjValue("CHILD", child);
    }
    EXPECT_EQ(destroyed, (std::vector<int>{3, 2, 1}));
}

// A host may free an entry's value through FindItem and FreeValue: the entry
// then reads as absent, freeing it again does nothing, and a set fills it anew.
TEST(DataVOFreedValues, ReadAsAbsentUntilSetAgain) {
    std::vector<int> destroyed;
    TDataVO marker;
    {
        TDataVO vo;
        vo.SetStrValue("T", "text");
        vo.SetVarValue("V", 2);
        vo.SetObjValue("O", new Tracked(destroyed, 1));
        auto* kept = new Tracked(destroyed, 2);
        vo.SetObjValue("K", kept);
        for (const char* name : {"T", "V", "O"}) {
            TParamItem* item = vo.FindItem(name);
            ASSERT_NE(item, nullptr) << name;
            TDataVO::FreeValue(*item, true);
            EXPECT_EQ(item->Value, nullptr) << name;
            TDataVO::FreeValue(*item, true);
        }
        // Freed without dropping, the object is the caller's.
        TDataVO::FreeValue(*vo.FindItem("K"), false);
        EXPECT_EQ(destroyed, std::vector<int>{1});
        delete kept;
        EXPECT_EQ(destroyed, (std::vector<int>{1, 2}));

        for (const char* name : {"T", "V", "O", "K"}) {
            SCOPED_TRACE(name);
            EXPECT_EQ(vo.GetStrValue(name, "dflt"), "dflt");
            QVariant variant("old");
            vo.GetVarValue(name, variant);
            EXPECT_EQ(variant, QVariant(0));
            EXPECT_EQ(vo.GetObjValue(name, &marker), &marker);
        }

        vo.SetStrValue("T", "again");
        vo.SetVarValue("V", 3);
        auto* fresh = new Tracked(destroyed, 3);
        vo.SetObjValue("O", fresh);
        vo.SetValue("K", pkText, nullptr);  // no value record: an empty one
        EXPECT_EQ(vo.GetStrValue("T"), "again");
        QVariant variant;
        vo.GetVarValue("V", variant);
        EXPECT_EQ(variant.toInt(), 3);
        EXPECT_EQ(vo.GetObjValue("O"), fresh);
        ASSERT_NE(vo.FindItem("K")->Value, nullptr);
        EXPECT_EQ(vo.GetStrValue("K", "dflt"), "");
        EXPECT_EQ(vo.GetObjValue("K", &marker), nullptr);
        EXPECT_EQ(destroyed, (std::vector<int>{1, 2}));
    }
    EXPECT_EQ(destroyed, (std::vector<int>{1, 2, 3}));
}

TEST(DataVOWalk, VisitsEntriesInInsertionOrder) {
    TDataVO vo;
    vo.SetStrValue("B", "1");
    vo.SetStrValue("A", "2");
    vo.SetStrValue("b", "3");
    QStringList seen;
    vo.ForEachItem([&](const TParamItem& item) { seen << item.Name + "=" + item.Value->Text; });
    EXPECT_EQ(seen, (QStringList{"B=3", "A=2"}));
}

}  // namespace
