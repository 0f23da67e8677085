#include "TestComponents.h"

#include "platform/rtl/Streams.h"

#include <algorithm>

namespace qor {

const TIntIdentMap TestColorIdents = {{0x000000, "clBlack"}, {0xFFFFFF, "clWhite"}, {0x0000FF, "clRed"}};

QOR_PUBLISH(TTestFont)
{
    b.Property("Name", &TTestFont::GetName, &TTestFont::SetName).Default("Arial");
    b.Property("Size", &TTestFont::GetSize, &TTestFont::SetSize).Default(10);
    b.Property("Color", &TTestFont::GetColor, &TTestFont::SetColor).Default(0).Idents(TestColorIdents);
}

void TTestFont::Assign(TPersistent* Source)
{
    if (auto* f = dynamic_cast<TTestFont*>(Source)) {
        FName = f->FName;
        FSize = f->FSize;
        FColor = f->FColor;
        return;
    }
    TPersistent::Assign(Source);
}

QOR_PUBLISH(TTestItem)
{
    b.Property("Caption", &TTestItem::Caption);
    b.Property("Value", &TTestItem::Value).Default(0);
    b.Property("Target", &TTestItem::Target);
}

QOR_PUBLISH(TTestNode)
{
    b.Property("Caption", &TTestNode::Caption);
    b.Property("Count", &TTestNode::Count).Default(0);
    b.Property("Big", &TTestNode::Big).Default(0);
    b.Property("Ratio", &TTestNode::Ratio).Default(0.0);
    b.Property("Price", &TTestNode::Price).Default(Currency());
    b.Property("Kind", &TTestNode::Kind).Default(skNone);
    b.Property("Options", &TTestNode::Options).Default(TTestOptions{});
    b.Property("Enabled", &TTestNode::Enabled).Default(true);
    b.Property("Letter", &TTestNode::Letter).Default(u'a');
    b.Property("Color", &TTestNode::Color).Default(0).Idents(TestColorIdents);
    b.SubObject("Font", &TTestNode::GetFont);
    b.SubObject("Lines", &TTestNode::GetLines);
    b.SubObject("Items", &TTestNode::GetItems);
    b.Property("Link", &TTestNode::GetLink, &TTestNode::SetLink);
    b.Event("OnClick", &TTestNode::OnClick);
}

QOR_PUBLISH(TTestGreedy)
{
    b.Property("Reserve", &TTestGreedy::GetReserve, &TTestGreedy::SetReserve).Default(0);
}

QOR_PUBLISH(TTestForm)
{
    b.Method("NodeClick", &TTestForm::NodeClick);
    b.Method("OtherClick", &TTestForm::OtherClick);
    b.Method("WrongSignature", &TTestForm::WrongSignature);
}

TTestNode::TTestNode(TComponent* AOwner) : TComponent(AOwner)
{
    FItems = std::make_unique<TCollection>(TTestItem::StaticClass(), this);
    ++Alive;
}

TTestNode::~TTestNode()
{
    --Alive;
    SetParentNode(nullptr);
    for (TTestNode* c : FChildren)
        c->FParent = nullptr;
}

void TTestNode::SetLink(TTestNode* Value)
{
    if (FLink == Value)
        return;
    if (FLink)
        FLink->RemoveFreeNotification(this);
    FLink = Value;
    if (FLink)
        FLink->FreeNotification(this);
}

void TTestNode::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FLink)
        FLink = nullptr;
    if (Operation == opRemove && AComponent == FParent)
        FParent = nullptr;
    if (Operation == opRemove) {
        auto it = std::find(FChildren.begin(), FChildren.end(), AComponent);
        if (it != FChildren.end())
            FChildren.erase(it);
    }
}

void TTestNode::SetParentNode(TTestNode* Value)
{
    if (FParent == Value)
        return;
    if (FParent) {
        auto& v = FParent->FChildren;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
    }
    FParent = Value;
    if (FParent)
        FParent->FChildren.push_back(this);
}

void TTestNode::SetParentComponent(TComponent* Value)
{
    auto* node = dynamic_cast<TTestNode*>(Value);
    // Children of the root are top level: the root writes them as the components it owns.
    SetParentNode(node && node != Owner() ? node : nullptr);
}

void TTestNode::GetChildren(const TGetChildProc& Proc, TComponent* Root)
{
    TComponent::GetChildren(Proc, Root);
    for (TTestNode* c : FChildren)
        if (c->Owner() == Root)
            Proc(c);
}

void TTestNode::DefineProperties(TFiler& Filer)
{
    TComponent::DefineProperties(Filer);
    Filer.DefineBinaryProperty(
        "Data",
        [this](TStream& S) { Data = S.ReadBytes(S.Size() - S.Position()); },
        [this](TStream& S) { S.WriteBuffer(Data.data(), static_cast<Int64>(Data.size())); }, !Data.empty());
    Filer.DefineProperty(
        "Points",
        [this](TReader& R) {
            Points.clear();
            R.ReadListBegin();
            while (!R.EndOfList()) {
                R.ReadListBegin();
                Integer x = R.ReadInteger();
                String label = R.ReadString();
                R.ReadListEnd();
                Points.emplace_back(x, label);
            }
            R.ReadListEnd();
        },
        [this](TWriter& W) {
            W.WriteListBegin();
            for (const auto& [x, label] : Points) {
                W.WriteListBegin();
                W.WriteInteger(x);
                W.WriteString(label);
                W.WriteListEnd();
            }
            W.WriteListEnd();
        },
        !Points.empty());
}

void TTestNode::Loaded()
{
    TComponent::Loaded();
    ++LoadedCalls;
    LinkResolvedAtLoaded = FLink != nullptr;
}

void TTestNode::BeforeDestruction()
{
    if (RefuseFree)
        throw EInvalidOperation("Node " + Name() + " cannot be deleted");
    TComponent::BeforeDestruction();
}

} // namespace qor
