#pragma once
// Components used by the object-model and form-file tests.

#include "platform/rtl/Collection.h"
#include "platform/rtl/Component.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/StringList.h"

#include <memory>
#include <new>
#include <vector>

namespace qor {

enum TShapeKind : Byte { skNone, skBox, skCircle };
QOR_ENUM_NAMES(TShapeKind, "skNone", "skBox", "skCircle");

enum TTestOption : Byte { toOne, toTwo, toThree };
QOR_ENUM_NAMES(TTestOption, "toOne", "toTwo", "toThree");
using TTestOptions = TSet<TTestOption>;

extern const TIntIdentMap TestColorIdents;

class TTestNode;

class TTestFont : public TPersistent {
    QOR_CLASS(TTestFont, TPersistent)
public:
    TTestFont() = default;
    const String& GetName() const { return FName; }
    void SetName(const String& V) { FName = V; }
    Integer GetSize() const { return FSize; }
    void SetSize(Integer V) { FSize = V; }
    Integer GetColor() const { return FColor; }
    void SetColor(Integer V) { FColor = V; }
    void Assign(TPersistent* Source) override;

private:
    String FName = "Arial";
    Integer FSize = 10;
    Integer FColor = 0;
};

class TTestItem : public TCollectionItem {
    QOR_CLASS(TTestItem, TCollectionItem)
public:
    explicit TTestItem(TCollection* C) : TCollectionItem(C) {}
    String Caption;
    Integer Value = 0;
    TTestNode* Target = nullptr; // a reference from inside a collection
};

class TTestNode : public TComponent {
    QOR_CLASS(TTestNode, TComponent)
public:
    explicit TTestNode(TComponent* AOwner);
    ~TTestNode() override;

    // How many nodes exist: error paths of the reader must leave this where it was.
    static inline Integer Alive = 0;

    String Caption;
    Integer Count = 0;
    Int64 Big = 0;
    Double Ratio = 0;
    Currency Price;
    TShapeKind Kind = skNone;
    TTestOptions Options;
    bool Enabled = true;
    char16_t Letter = u'a';
    Integer Color = 0;

    TTestFont* GetFont() const { return FFont.get(); }
    TStringList* GetLines() const { return FLines.get(); }
    TCollection* GetItems() const { return FItems.get(); }
    TTestNode* GetLink() const { return FLink; }
    void SetLink(TTestNode* Value);

    // Stored outside the published properties.
    std::vector<Byte> Data;
    std::vector<std::pair<Integer, String>> Points;

    TNotifyEvent OnClick;

    // Nesting: a node's parent is another node, and it is written inside it.
    TTestNode* ParentNode() const { return FParent; }
    void SetParentNode(TTestNode* Value);
    const std::vector<TTestNode*>& ChildNodes() const { return FChildren; }
    void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
    TComponent* GetParentComponent() const override { return FParent; }
    void SetParentComponent(TComponent* Value) override;
    bool HasParent() const override { return FParent != nullptr; }

    void DefineProperties(TFiler& Filer) override;
    void Loaded() override;

    // What Loaded saw: whether the link was already resolved.
    Integer LoadedCalls = 0;
    bool LinkResolvedAtLoaded = false;
    // Refuses Free while set.
    bool RefuseFree = false;
    void BeforeDestruction() override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    std::unique_ptr<TTestFont> FFont = std::make_unique<TTestFont>();
    std::unique_ptr<TStringList> FLines = std::make_unique<TStringList>();
    std::unique_ptr<TCollection> FItems;
    TTestNode* FLink = nullptr;
    TTestNode* FParent = nullptr;
    std::vector<TTestNode*> FChildren;
};

class TTestForm : public TTestNode {
    QOR_CLASS(TTestForm, TTestNode)
public:
    explicit TTestForm(TComponent* AOwner) : TTestNode(AOwner) {}
    void NodeClick(TObject* Sender) { LastClicked = Sender; }
    void OtherClick(TObject* Sender) { LastClicked = Sender; ++OtherClicks; }
    void WrongSignature(Integer) {}
    TObject* LastClicked = nullptr;
    Integer OtherClicks = 0;
};

// A node whose Reserve property stands for a size read from a file that the memory cannot hold:
// setting it runs out of memory.
class TTestGreedy : public TTestNode {
    QOR_CLASS(TTestGreedy, TTestNode)
public:
    explicit TTestGreedy(TComponent* AOwner) : TTestNode(AOwner) {}
    Integer GetReserve() const { return 0; }
    void SetReserve(Integer) { throw std::bad_alloc(); }
};

} // namespace qor
