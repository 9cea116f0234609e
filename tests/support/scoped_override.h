// A global (or a member of one) changed for the length of a test: the value
// is saved when the override is made and put back when it goes, also when a
// failed assertion ends the test early.
#pragma once

#include <utility>

template <class T>
class cScopedOverride {
 public:
  explicit cScopedOverride(T& target) : m_rTarget(target), m_Saved(target) {}
  cScopedOverride(T& target, T value) : cScopedOverride(target) { m_rTarget = std::move(value); }
  ~cScopedOverride() { m_rTarget = std::move(m_Saved); }
  cScopedOverride(const cScopedOverride&) = delete;
  cScopedOverride& operator=(const cScopedOverride&) = delete;

  const T& Saved() const { return m_Saved; }

 private:
  T& m_rTarget;
  T m_Saved;
};
