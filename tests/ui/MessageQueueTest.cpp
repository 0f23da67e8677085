#include "platform/ui/MessageQueue.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using namespace qor;

namespace {

std::vector<std::string> gLog;

class TBaseTarget : public TMessageTarget {
public:
    explicit TBaseTarget(std::string Name) : FName(std::move(Name)) {}
    HWND Handle() { return AllocateHandle(); }
    void Drop() { ReleaseHandle(); }
    void OnUser1(TMessage& M)
    {
        gLog.push_back(FName + ":base1:" + std::to_string(M.WParam));
        M.Result = 11;
    }
    void OnUser2(TMessage& M) { gLog.push_back(FName + ":base2:" + std::to_string(M.LParam)); }
    void DefaultHandler(TMessage& M) override
    {
        gLog.push_back(FName + ":default:" + std::to_string(M.Msg - WM_USER));
        M.Result = -1;
    }
    std::string FName;
};

class TDerivedTarget : public TBaseTarget {
public:
    using TBaseTarget::TBaseTarget;
    void OnUser1(TMessage& M)
    {
        gLog.push_back(FName + ":derived1");
        TBaseTarget::OnUser1(M); // the inherited handler, called by name
        M.Result = 22;
    }
};

// Handlers that hand on to what their bases do, without naming them.
class TThirdTarget : public TDerivedTarget {
public:
    using TDerivedTarget::TDerivedTarget;
    void OnAny(TMessage& M)
    {
        gLog.push_back(FName + ":third" + std::to_string(M.Msg - WM_USER));
        InheritedMessage<TThirdTarget>(M);
    }
};

// A target that reposts to itself every time: delivery must still come to an end.
class TEchoTarget : public TBaseTarget {
public:
    using TBaseTarget::TBaseTarget;
    void OnEcho(TMessage&)
    {
        ++Count;
        PostMessage(Handle(), WM_USER + 7);
    }
    int Count = 0;
};

class TThrowingTarget : public TBaseTarget {
public:
    using TBaseTarget::TBaseTarget;
    void OnThrow(TMessage&) { throw std::runtime_error("boom"); }
};

QOR_MESSAGE(WM_USER + 1, &TBaseTarget::OnUser1);
QOR_MESSAGE(WM_USER + 2, &TBaseTarget::OnUser2);
QOR_MESSAGE(WM_USER + 1, &TDerivedTarget::OnUser1);
QOR_MESSAGE(WM_USER + 7, &TEchoTarget::OnEcho);
QOR_MESSAGE(WM_USER + 1, &TThirdTarget::OnAny);
QOR_MESSAGE(WM_USER + 2, &TThirdTarget::OnAny);
QOR_MESSAGE(WM_USER + 3, &TThirdTarget::OnAny);
QOR_MESSAGE(WM_USER + 9, &TThrowingTarget::OnThrow);

class MessageQueueTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearMessageQueue();
        gLog.clear();
    }
    void TearDown() override { ClearMessageQueue(); }
};

} // namespace

TEST_F(MessageQueueTest, HandlersAreFoundByNumberOnTheMostDerivedClass)
{
    TBaseTarget base("b");
    TDerivedTarget derived("d");
    EXPECT_EQ(base.Perform(WM_USER + 1, 5), 11);
    EXPECT_EQ(derived.Perform(WM_USER + 1, 6), 22);
    // a message only the base class handles reaches the derived object through the base handler
    derived.Perform(WM_USER + 2, 0, 42);
    // and a message nobody handles goes to the default handler
    EXPECT_EQ(derived.Perform(WM_USER + 3), -1);
    EXPECT_EQ(gLog, (std::vector<std::string>{"b:base1:5", "d:derived1", "d:base1:6", "d:base2:42", "d:default:3"}));
}

TEST_F(MessageQueueTest, AHandlerHandsOnToTheNearestBaseHandlingOrTheDefault)
{
    TThirdTarget third("t");
    EXPECT_EQ(third.Perform(WM_USER + 1, 7), 22);   // the next class up
    third.Perform(WM_USER + 2, 0, 8);               // passes over a class without a handler
    EXPECT_EQ(third.Perform(WM_USER + 3), -1);      // no base handles it: the default
    EXPECT_EQ(gLog, (std::vector<std::string>{"t:third1", "t:derived1", "t:base1:7", "t:third2", "t:base2:8",
                                              "t:third3", "t:default:3"}));
}

TEST_F(MessageQueueTest, PostedMessagesWaitAndRunInOrderSentMessagesRunAtOnce)
{
    TBaseTarget a("a"), b("b");
    ASSERT_TRUE(PostMessage(a.Handle(), WM_USER + 1, 1));
    ASSERT_TRUE(PostMessage(b.Handle(), WM_USER + 2, 0, 2));
    ASSERT_TRUE(PostMessage(a.Handle(), WM_USER + 1, 3));
    EXPECT_TRUE(gLog.empty());
    EXPECT_EQ(SendMessage(b.Handle(), WM_USER + 1, 9), 11);
    EXPECT_EQ(gLog, std::vector<std::string>{"b:base1:9"});
    EXPECT_EQ(PendingMessageCount(), 3);
    EXPECT_EQ(DeliverPostedMessages(), 3);
    EXPECT_EQ(gLog, (std::vector<std::string>{"b:base1:9", "a:base1:1", "b:base2:2", "a:base1:3"}));
    EXPECT_EQ(PendingMessageCount(), 0);
}

TEST_F(MessageQueueTest, MessagesToDeadHandlesAreDropped)
{
    HWND gone;
    {
        TBaseTarget t("t");
        gone = t.Handle();
        EXPECT_TRUE(IsWindow(gone));
        ASSERT_TRUE(PostMessage(gone, WM_USER + 1));
    }
    EXPECT_FALSE(IsWindow(gone));
    EXPECT_FALSE(PostMessage(gone, WM_USER + 1));
    EXPECT_EQ(SendMessage(gone, WM_USER + 1), 0);
    // a new target never receives the old handle's messages, even if it lives at the same address
    TBaseTarget fresh("fresh");
    EXPECT_NE(fresh.Handle(), gone);
    EXPECT_EQ(DeliverPostedMessages(), 0);
    EXPECT_TRUE(gLog.empty());
    EXPECT_FALSE(PostMessage(nullptr, WM_USER + 1));
}

TEST_F(MessageQueueTest, ReleasedHandleDropsItsMessagesAndANewHandleDiffers)
{
    TBaseTarget t("t");
    HWND first = t.Handle();
    PostMessage(first, WM_USER + 1, 1);
    t.Drop();
    EXPECT_FALSE(t.HandleAllocated());
    HWND second = t.Handle();
    EXPECT_NE(first, second);
    PostMessage(second, WM_USER + 1, 2);
    DeliverPostedMessages();
    EXPECT_EQ(gLog, std::vector<std::string>{"t:base1:2"});
}

TEST_F(MessageQueueTest, MessageToTargetWithoutWindowWaitsForIt)
{
    TBaseTarget t("t");
    TBaseTarget other("o");
    PostMessageTo(&t, WM_USER + 1, 1);
    PostMessage(other.Handle(), WM_USER + 1, 2);
    EXPECT_EQ(DeliverPostedMessages(), 1);
    EXPECT_EQ(gLog, std::vector<std::string>{"o:base1:2"});
    EXPECT_EQ(PendingMessageCount(), 1);
    t.Handle();
    EXPECT_EQ(DeliverPostedMessages(), 1);
    EXPECT_EQ(gLog.back(), "t:base1:1");

    // destroyed before it ever got a window: the message is dropped, nothing dangles
    {
        TBaseTarget never("never");
        PostMessageTo(&never, WM_USER + 1);
    }
    EXPECT_EQ(PendingMessageCount(), 0);
}

TEST_F(MessageQueueTest, HandlerPostingToItselfDoesNotKeepDeliveryGoing)
{
    TEchoTarget e("e");
    PostMessage(e.Handle(), WM_USER + 7);
    EXPECT_EQ(DeliverPostedMessages(), 1);
    EXPECT_EQ(e.Count, 1);
    EXPECT_EQ(PendingMessageCount(), 1);
    EXPECT_EQ(DeliverPostedMessages(), 1);
    EXPECT_EQ(e.Count, 2);
}

TEST_F(MessageQueueTest, HandlerExceptionPassesOnAndLeavesLaterMessagesQueued)
{
    TThrowingTarget t("t");
    TBaseTarget b("b");
    PostMessage(t.Handle(), WM_USER + 9);
    PostMessage(b.Handle(), WM_USER + 1, 4);
    EXPECT_THROW(DeliverPostedMessages(), std::runtime_error);
    EXPECT_EQ(PendingMessageCount(), 1);
    DeliverPostedMessages();
    EXPECT_EQ(gLog, std::vector<std::string>{"b:base1:4"});
}
