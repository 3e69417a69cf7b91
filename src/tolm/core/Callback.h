// Callback objects: an object, one of its member operations and up to two argument values, bound now and
// run later. Screens, windows, board actions and effects hand them to each other.
//
// Ownership: whoever is handed a callback owns it. It invokes it at most once and deletes it afterwards,
// or deletes it uninvoked when the callback is replaced or its holder dies first. A callback never owns
// its object.
#pragma once

#include <functional>
#include <type_traits>
#include <utility>

class baseCallback
{
public:
    virtual ~baseCallback() = default;
    // Runs the member operation; its result as an int (0 for operations that return nothing).
    virtual int Invoke() = 0;
    // A new callback with the same object, operation and argument values.
    virtual baseCallback* Clone() = 0;
};

namespace CallbackDetail {

template <typename Call>
int ResultAsInt(Call&& call)
{
    using Result = std::invoke_result_t<Call>;
    if constexpr (std::is_void_v<Result>) {
        std::forward<Call>(call)();
        return 0;
    } else {
        return static_cast<int>(std::forward<Call>(call)());
    }
}

} // namespace CallbackDetail

// The operation may belong to a base class of T, virtual bases included: the object is converted to that
// base when the callback runs.
template <typename T>
class CB_Callback : public baseCallback
{
public:
    template <typename Base, typename Result>
    CB_Callback(T* object, Result (Base::*operation)())
        : object(object), call([operation](T* target) {
              return CallbackDetail::ResultAsInt([&] { return (static_cast<Base*>(target)->*operation)(); });
          })
    {}

    int Invoke() override { return call(object); }
    baseCallback* Clone() override { return new CB_Callback(*this); }

private:
    CB_Callback(const CB_Callback&) = default;

    T* object;
    std::function<int(T*)> call;
};

template <typename T, typename A>
class CB_Callback_P1 : public baseCallback
{
public:
    template <typename Base, typename Result, typename P>
    CB_Callback_P1(T* object, Result (Base::*operation)(P), A argument)
        : object(object), argument(std::move(argument)), call([operation](T* target, const A& value) {
              return CallbackDetail::ResultAsInt([&] { return (static_cast<Base*>(target)->*operation)(value); });
          })
    {}

    int Invoke() override { return call(object, argument); }
    baseCallback* Clone() override { return new CB_Callback_P1(*this); }

private:
    CB_Callback_P1(const CB_Callback_P1&) = default;

    T* object;
    A argument;
    std::function<int(T*, const A&)> call;
};

template <typename T, typename A, typename B>
class CB_Callback_P2 : public baseCallback
{
public:
    template <typename Base, typename Result, typename P, typename Q>
    CB_Callback_P2(T* object, Result (Base::*operation)(P, Q), A first, B second)
        : object(object), first(std::move(first)), second(std::move(second)),
          call([operation](T* target, const A& a, const B& b) {
              return CallbackDetail::ResultAsInt([&] { return (static_cast<Base*>(target)->*operation)(a, b); });
          })
    {}

    int Invoke() override { return call(object, first, second); }
    baseCallback* Clone() override { return new CB_Callback_P2(*this); }

private:
    CB_Callback_P2(const CB_Callback_P2&) = default;

    T* object;
    A first;
    B second;
    std::function<int(T*, const A&, const B&)> call;
};
