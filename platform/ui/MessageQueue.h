#pragma once
// Window handles, message handlers by number, and the posted-message queue.
//
// Anything that receives window messages is a TMessageTarget. A target gets a window handle on
// demand (AllocateHandle); the handle table maps handles back to targets, and handles are never
// reused, so messages to a handle whose target is gone are dropped.
//
// Handler methods are found by message number, walking from the target's own class up through its
// bases; the most derived class's handler wins. Register a handler at namespace scope in a .cpp:
//
//     QOR_MESSAGE(WM_USER + 1, &TKivPageManager::UpdateForm);   // void UpdateForm(TMessage&)
//
// The method has to be accessible there (public). A class may instead override Dispatch.
// A handler passes the message on to its bases' handling with InheritedMessage<ItsClass>(M).

#include "platform/ui/Messages.h"

#include <cstddef>
#include <functional>
#include <type_traits>
#include <typeinfo>

namespace qor {

class TMessageTarget {
public:
    TMessageTarget() = default;
    TMessageTarget(const TMessageTarget&) = delete;
    TMessageTarget& operator=(const TMessageTarget&) = delete;
    // Releases the handle (later messages to it are dropped) and drops messages posted to this
    // target that are still waiting for its handle.
    virtual ~TMessageTarget();

    // Every message to this target enters here. The default hands it to Dispatch.
    virtual void WndProc(TMessage& Message);
    // Calls the registered handler for Message.Msg of the nearest class, else DefaultHandler.
    virtual void Dispatch(TMessage& Message);
    // What happens to a message no handler takes: nothing (Result stays as it is).
    virtual void DefaultHandler(TMessage& Message);

    // Delivers a message at once and answers its result.
    LRESULT Perform(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);

    // The window handle, or nullptr before one has been made.
    HWND WindowHandle() const { return FHandle; }
    bool HandleAllocated() const { return FHandle != nullptr; }

protected:
    // For a handler registered on class Self: hands Message to the handler the nearest base of Self
    // has for it, else to DefaultHandler. Called first or last, it is the handler's inherited part.
    template <class Self>
    void InheritedMessage(TMessage& Message)
    {
        static_assert(std::is_base_of_v<TMessageTarget, Self>, "message handlers belong to message targets");
        DispatchAbove(typeid(Self), Message);
    }
    // Makes the handle when there is none; messages posted while the target had no handle are
    // from now on delivered by the queue.
    HWND AllocateHandle();
    // Lets the handle go; messages already posted to it are dropped. A later AllocateHandle
    // makes a new, different handle.
    void ReleaseHandle();
    // Called just after the handle has been made / just before it is released.
    virtual void HandleCreated() {}
    virtual void HandleDestroying() {}

private:
    void DispatchAbove(const std::type_info& Class, TMessage& Message);

    HWND FHandle = nullptr;
};

using TMessageHandlerFn = std::function<void(TMessageTarget*, TMessage&)>;

// Registers Handler for message Msg on the class whose type is Class. A second registration for
// the same class and message replaces the first.
void RegisterMessageHandler(const std::type_info& Class, UINT Msg, TMessageHandlerFn Handler);

template <class T>
bool RegisterMessageMethod(UINT Msg, void (T::*Method)(TMessage&))
{
    static_assert(std::is_base_of_v<TMessageTarget, T>, "message handlers belong to message targets");
    RegisterMessageHandler(typeid(T), Msg, [Method](TMessageTarget* Target, TMessage& M) {
        (static_cast<T*>(Target)->*Method)(M);
    });
    return true;
}

// Finds the handler a target of dynamic type Class has for Msg (nullptr when none). With
// BasesOnly, Class's own registration is passed over: what its bases have.
const TMessageHandlerFn* FindMessageHandler(const std::type_info& Class, UINT Msg, bool BasesOnly = false);

#define QOR_MESSAGE_CAT2(a, b) a##b
#define QOR_MESSAGE_CAT(a, b) QOR_MESSAGE_CAT2(a, b)
#define QOR_MESSAGE(Msg, Method)                                                                  \
    [[maybe_unused]] static const bool QOR_MESSAGE_CAT(qorMessageHandler_, __COUNTER__) =         \
        ::qor::RegisterMessageMethod((Msg), (Method))

// ---- Handle table ----------------------------------------------------------------------------------

// The target of a live handle, or nullptr.
TMessageTarget* FindTarget(HWND Handle);
// True while Handle belongs to a live target.
bool IsWindow(HWND Handle);

// ---- Queue -----------------------------------------------------------------------------------------

// Appends a message for Handle to the queue. False (and nothing queued) when Handle is not a live
// window. May be called from any thread; delivery happens on the thread that processes the queue.
bool PostMessage(HWND Handle, UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
// Appends a message for Target; when Target has no handle yet the message waits until it has one.
// Dropped when Target is destroyed first.
void PostMessageTo(TMessageTarget* Target, UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
// Delivers at once and answers the result; 0 for a handle that is not a live window.
LRESULT SendMessage(HWND Handle, UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);

// Delivers, in posting order, the messages that were waiting when the call began and whose
// targets have handles; messages posted by the handlers wait for the next call (so a handler that
// posts to itself cannot keep this call going forever). Messages for targets that still have no
// handle keep their place. An exception from a handler passes on after the message is removed.
// Answers the number of messages delivered.
Integer DeliverPostedMessages();
// Messages waiting in the queue (including those waiting for a handle).
Integer PendingMessageCount();
// Drops every waiting message.
void ClearMessageQueue();

} // namespace qor
