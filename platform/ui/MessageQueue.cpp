#include "platform/ui/MessageQueue.h"

#include <cxxabi.h>

#include <deque>
#include <map>
#include <mutex>
#include <typeindex>
#include <unordered_map>
#include <vector>

namespace qor {

namespace {

struct HandlerKey {
    std::type_index Class;
    UINT Msg;
    bool operator<(const HandlerKey& O) const
    {
        if (Class != O.Class)
            return Class < O.Class;
        return Msg < O.Msg;
    }
};

struct HandlerRegistry {
    std::mutex Lock;
    std::map<HandlerKey, TMessageHandlerFn> Handlers;
    // (dynamic class, message) -> resolved handler or nullptr; cleared on every registration.
    std::map<HandlerKey, const TMessageHandlerFn*> Resolved;
    std::map<HandlerKey, const TMessageHandlerFn*> ResolvedAbove; // passing over the class itself
};

HandlerRegistry& Registry()
{
    static HandlerRegistry R;
    return R;
}

// The class itself, then its bases, depth first in declaration order.
void CollectClassChain(const std::type_info& Class, std::vector<const std::type_info*>& Out)
{
    Out.push_back(&Class);
    if (auto* si = dynamic_cast<const abi::__si_class_type_info*>(&Class)) {
        CollectClassChain(*si->__base_type, Out);
    } else if (auto* vmi = dynamic_cast<const abi::__vmi_class_type_info*>(&Class)) {
        for (unsigned i = 0; i < vmi->__base_count; ++i)
            CollectClassChain(*vmi->__base_info[i].__base_type, Out);
    }
}

struct QueuedMessage {
    Int64 Seq;
    HWND Handle;              // the window it was posted to, or nullptr while waiting for one
    TMessageTarget* Target;   // set only while waiting for the target's handle
    TMessage Message;
};

struct WindowSystem {
    std::mutex Lock;
    std::unordered_map<HWND, TMessageTarget*> Windows;
    std::uintptr_t NextHandle = 0x10000;
    std::deque<QueuedMessage> Queue;
    Int64 NextSeq = 1;
};

WindowSystem& Windows()
{
    static WindowSystem* W = new WindowSystem; // outlives every static target
    return *W;
}

} // namespace

// ---- Handlers ----------------------------------------------------------------------------------

void RegisterMessageHandler(const std::type_info& Class, UINT Msg, TMessageHandlerFn Handler)
{
    auto& R = Registry();
    std::lock_guard<std::mutex> guard(R.Lock);
    R.Handlers[HandlerKey{std::type_index(Class), Msg}] = std::move(Handler);
    R.Resolved.clear();
    R.ResolvedAbove.clear();
}

const TMessageHandlerFn* FindMessageHandler(const std::type_info& Class, UINT Msg, bool BasesOnly)
{
    auto& R = Registry();
    std::lock_guard<std::mutex> guard(R.Lock);
    const HandlerKey key{std::type_index(Class), Msg};
    auto& cache = BasesOnly ? R.ResolvedAbove : R.Resolved;
    if (auto it = cache.find(key); it != cache.end())
        return it->second;
    std::vector<const std::type_info*> chain;
    CollectClassChain(Class, chain);
    const TMessageHandlerFn* found = nullptr;
    for (size_t i = BasesOnly ? 1 : 0; i < chain.size(); ++i) {
        auto it = R.Handlers.find(HandlerKey{std::type_index(*chain[i]), Msg});
        if (it != R.Handlers.end()) {
            found = &it->second;
            break;
        }
    }
    cache[key] = found;
    return found;
}

// ---- Targets -----------------------------------------------------------------------------------

TMessageTarget::~TMessageTarget()
{
    auto& W = Windows();
    std::lock_guard<std::mutex> guard(W.Lock);
    if (FHandle)
        W.Windows.erase(FHandle);
    FHandle = nullptr;
    std::erase_if(W.Queue, [this](const QueuedMessage& Q) { return Q.Target == this; });
}

void TMessageTarget::WndProc(TMessage& Message) { Dispatch(Message); }

void TMessageTarget::Dispatch(TMessage& Message)
{
    if (const TMessageHandlerFn* handler = FindMessageHandler(typeid(*this), Message.Msg))
        (*handler)(this, Message);
    else
        DefaultHandler(Message);
}

void TMessageTarget::DispatchAbove(const std::type_info& Class, TMessage& Message)
{
    if (const TMessageHandlerFn* handler = FindMessageHandler(Class, Message.Msg, true))
        (*handler)(this, Message);
    else
        DefaultHandler(Message);
}

void TMessageTarget::DefaultHandler(TMessage&) {}

LRESULT TMessageTarget::Perform(UINT Msg, WPARAM WParam, LPARAM LParam)
{
    TMessage m{Msg, WParam, LParam, 0};
    WndProc(m);
    return m.Result;
}

HWND TMessageTarget::AllocateHandle()
{
    if (FHandle)
        return FHandle;
    {
        auto& W = Windows();
        std::lock_guard<std::mutex> guard(W.Lock);
        FHandle = reinterpret_cast<HWND>(W.NextHandle++);
        W.Windows[FHandle] = this;
        for (QueuedMessage& q : W.Queue) {
            if (q.Target == this) {
                q.Target = nullptr;
                q.Handle = FHandle;
            }
        }
    }
    HandleCreated();
    return FHandle;
}

void TMessageTarget::ReleaseHandle()
{
    if (!FHandle)
        return;
    HandleDestroying();
    auto& W = Windows();
    std::lock_guard<std::mutex> guard(W.Lock);
    W.Windows.erase(FHandle);
    FHandle = nullptr;
}

// ---- Handle table and queue --------------------------------------------------------------------

TMessageTarget* FindTarget(HWND Handle)
{
    if (!Handle)
        return nullptr;
    auto& W = Windows();
    std::lock_guard<std::mutex> guard(W.Lock);
    auto it = W.Windows.find(Handle);
    return it == W.Windows.end() ? nullptr : it->second;
}

bool IsWindow(HWND Handle) { return FindTarget(Handle) != nullptr; }

bool PostMessage(HWND Handle, UINT Msg, WPARAM WParam, LPARAM LParam)
{
    auto& W = Windows();
    std::lock_guard<std::mutex> guard(W.Lock);
    if (!Handle || !W.Windows.count(Handle))
        return false;
    W.Queue.push_back(QueuedMessage{W.NextSeq++, Handle, nullptr, TMessage{Msg, WParam, LParam, 0}});
    return true;
}

void PostMessageTo(TMessageTarget* Target, UINT Msg, WPARAM WParam, LPARAM LParam)
{
    if (!Target)
        return;
    auto& W = Windows();
    std::lock_guard<std::mutex> guard(W.Lock);
    const HWND h = Target->WindowHandle();
    W.Queue.push_back(QueuedMessage{W.NextSeq++, h, h ? nullptr : Target, TMessage{Msg, WParam, LParam, 0}});
}

LRESULT SendMessage(HWND Handle, UINT Msg, WPARAM WParam, LPARAM LParam)
{
    TMessageTarget* target = FindTarget(Handle);
    if (!target)
        return 0;
    return target->Perform(Msg, WParam, LParam);
}

Integer DeliverPostedMessages()
{
    auto& W = Windows();
    Int64 limit;
    {
        std::lock_guard<std::mutex> guard(W.Lock);
        limit = W.NextSeq;
    }
    Integer delivered = 0;
    for (;;) {
        TMessageTarget* target = nullptr;
        TMessage message;
        {
            std::lock_guard<std::mutex> guard(W.Lock);
            auto it = W.Queue.begin();
            while (it != W.Queue.end() && it->Seq < limit) {
                if (it->Target) {
                    if (it->Target->WindowHandle()) {
                        target = it->Target;
                        break;
                    }
                    ++it; // still waiting for its window
                    continue;
                }
                auto w = W.Windows.find(it->Handle);
                if (w != W.Windows.end()) {
                    target = w->second;
                    break;
                }
                it = W.Queue.erase(it); // the window is gone: the message is dropped
            }
            if (!target)
                break;
            message = it->Message;
            W.Queue.erase(it);
        }
        ++delivered;
        target->WndProc(message);
    }
    return delivered;
}

Integer PendingMessageCount()
{
    auto& W = Windows();
    std::lock_guard<std::mutex> guard(W.Lock);
    return static_cast<Integer>(W.Queue.size());
}

void ClearMessageQueue()
{
    auto& W = Windows();
    std::lock_guard<std::mutex> guard(W.Lock);
    W.Queue.clear();
}

} // namespace qor
