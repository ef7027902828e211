// Hooks: the installable entry points through which a lower subsystem calls a window
// or service that lives above it, and the seams that tests replace.
//
// Every hook has a name and is registered when the program loads, so the program can
// ask whether the window behind a command is part of it yet, and a test can check
// that start-up installs every hook or leaves it at its default knowingly. A hook
// made with only a name holds the "not built" default: calling it changes nothing
// (and gives a zero result), and Built() is false, which is what the menus and
// buttons of its commands ask before they offer them. A hook made with a function
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

template <class R, class... Args>
class Hook<R(Args...)> final : public std::function<R(Args...)>, public HookBase {
 public:
  using Function = std::function<R(Args...)>;
  using Pointer = R (*)(Args...);

  // A hook whose owner has not installed it yet.
  explicit Hook(const char* name) : Function(&NotBuilt), HookBase(name), default_(&NotBuilt) {}
  // A seam whose default is the real behaviour.
  Hook(const char* name, Pointer real) : Function(real), HookBase(name), default_(real) {}
  // A copy is a plain function value (a test keeping the installed function to call
  // it from a fake); it is not registered.
  Hook(const Hook& other)
      : Function(static_cast<const Function&>(other)), HookBase(nullptr), default_(other.default_) {}
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

  bool Built() const override { return static_cast<bool>(*this) && !Holds(&NotBuilt); }
  bool AtDefault() const override { return Holds(default_); }
  void Reset() override { Function::operator=(default_); }

 private:
  static R NotBuilt(Args...) { return R(); }
  bool Holds(Pointer p) const {
    const Pointer* held = this->template target<Pointer>();
    return held && *held == p;
  }

  Pointer default_;
};

}  // namespace mv
