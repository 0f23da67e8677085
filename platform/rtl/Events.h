#pragma once
// Events: typed callables that remember the name of their handler, so form files can store them.
//
//   TNotifyEvent OnChange;
//   OnChange = [](TObject* Sender) { ... };           // anonymous handler
//   OnChange.Bind(this, &TForm1::Button1Click, "Button1Click");
//   if (OnChange) OnChange(this);
//
// Events that answer through a Boolean argument are called with the answer set to false first.

#include "platform/rtl/Types.h"

#include <functional>
#include <type_traits>
#include <utility>

namespace qor {

class TObject;

template <class... Args>
class TEvent {
public:
    using THandler = std::function<void(Args...)>;

    TEvent() = default;
    TEvent(std::nullptr_t) {}
    // Any callable but another event (which is copied with its handler's name, not wrapped).
    template <class F, class = std::enable_if_t<std::is_invocable_v<F&, Args...> &&
                                                !std::is_same_v<std::remove_cvref_t<F>, TEvent>>>
    TEvent(F&& Handler) : FHandler(std::forward<F>(Handler)) {}

    template <class F, class = std::enable_if_t<std::is_invocable_v<F&, Args...> &&
                                                !std::is_same_v<std::remove_cvref_t<F>, TEvent>>>
    TEvent& operator=(F&& Handler)
    {
        FHandler = std::forward<F>(Handler);
        FName.clear();
        return *this;
    }
    TEvent& operator=(std::nullptr_t)
    {
        Clear();
        return *this;
    }

    // Sets the handler together with the name it is stored under.
    void Assign(THandler Handler, String Name)
    {
        FHandler = std::move(Handler);
        FName = FHandler ? std::move(Name) : String();
    }
    // Binds a method of an object; Name is the method's published name.
    template <class C, class M>
    void Bind(C* Instance, M Method, String Name = {})
    {
        Assign([Instance, Method](Args... a) { (Instance->*Method)(std::forward<Args>(a)...); }, std::move(Name));
    }
    void Clear()
    {
        FHandler = nullptr;
        FName.clear();
    }
    // Keeps only the name of a handler the program does not have (a design names a method that
    // only its own application defines): the name is stored again, calling does nothing and the
    // event counts as unassigned.
    void AssignName(String Name)
    {
        FHandler = nullptr;
        FName = std::move(Name);
    }

    explicit operator bool() const { return static_cast<bool>(FHandler); }
    bool Assigned() const { return static_cast<bool>(FHandler); }
    const String& Name() const { return FName; }
    const THandler& Handler() const { return FHandler; }

    void operator()(Args... a) const
    {
        if (FHandler)
            FHandler(std::forward<Args>(a)...);
    }

private:
    THandler FHandler;
    String FName;
};

using TNotifyEvent = TEvent<TObject*>;

} // namespace qor
