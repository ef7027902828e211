// Hooks: the installable entry points through which a lower subsystem calls a window
// or service that lives above it, and the seams that tests replace.
//
// Every hook has a name and is registered when the program loads, so the program can
// ask whether the window behind a command is part of it yet, and a test can check
// that start-up installs every hook or leaves it at its default knowingly. A hook
// made with only a name holds the "not built" default: calling it is reported as a
// fault (see ReportUnbuiltCall), changes nothing and gives a zero result, and Built()
// is false, which is what the menus and buttons of its commands ask before they offer
// them. A hook made with a function
// holds that function as its real default (a seam a test may replace).
#pragma once
#include <functional>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace mv {

class HookBase {
 public:
  // "group::Name", e.g. "commands::SetSpikeFilter"; empty for an unregistered copy.
  const char* Name() const { return name_ ? name_ : ""; }
  // False while the hook holds the "not built" default (or nothing at all).
  virtual bool Built() const = 0;
  // True while the hook holds the default it was made with.
  virtual bool AtDefault() const = 0;
  virtual void Reset() = 0;

 protected:
  // Registers the hook; a null name makes an unregistered copy.
  explicit HookBase(const char* name);
  HookBase(const HookBase&) = delete;
  HookBase& operator=(const HookBase&) = delete;
  ~HookBase() = default;

 private:
  const char* name_;
};

// Every registered hook, in the order they were made.
const std::vector<HookBase*>& AllHooks();
// Restores every hook whose name starts with prefix (e.g. "commands::") to its default.
void ResetHooks(std::string_view prefix);

template <class Signature>
class Hook;

// A call of a hook that nothing installed is a fault of the wiring, never a quiet
// no-op: it goes to the handler, which by default writes one line to standard error for
// each such hook; the tests' handler fails the running test.
using UnbuiltCallHandler = void (*)(const char* name);
void SetUnbuiltCallHandler(UnbuiltCallHandler handler);
void ReportUnbuiltCall(const char* name);

template <class R, class... Args>
class Hook<R(Args...)> final : public std::function<R(Args...)>, public HookBase {
  // The "not built" default: reports the call, changes nothing, gives a zero result.
  struct NotBuilt {
    const char* name;
    R operator()(Args...) const {
      ReportUnbuiltCall(name);
      return R();
    }
  };

 public:
  using Function = std::function<R(Args...)>;
  using Pointer = R (*)(Args...);

  // A hook whose owner has not installed it yet.
  explicit Hook(const char* name) : Function(NotBuilt{name}), HookBase(name), real_(nullptr) {}
  // A seam whose default is the real behaviour.
  Hook(const char* name, Pointer real) : Function(real), HookBase(name), real_(real) {}
  // A copy is a plain function value (a test keeping the installed function to call
  // it from a fake); it is not registered.
  Hook(const Hook& other)
      : Function(static_cast<const Function&>(other)), HookBase(nullptr), real_(other.real_) {}
  ~Hook() = default;

  Hook& operator=(const Hook& other) {
    Function::operator=(static_cast<const Function&>(other));
    return *this;
  }
  template <class F>
  requires(!std::is_same_v<std::remove_cvref_t<F>, Hook>) Hook& operator=(F&& f) {
    Function::operator=(std::forward<F>(f));
    return *this;
  }

  bool Built() const override {
    return static_cast<bool>(*this) && this->template target<NotBuilt>() == nullptr;
  }
  bool AtDefault() const override {
    if (!real_) return this->template target<NotBuilt>() != nullptr;
    const Pointer* held = this->template target<Pointer>();
    return held && *held == real_;
  }
  void Reset() override {
    if (real_)
      Function::operator=(real_);
    else
      Function::operator=(NotBuilt{Name()});
  }

 private:
  Pointer real_;
};

}  // namespace mv
