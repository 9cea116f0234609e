// The program's vector and list with a checked index. An index outside the
// container is reported ("err V[...]" / "err L[...]" in the trace log and the
// report), the main window is asked to close, and the access hands back a
// usable element so that the caller can finish its step; the program then
// ends in order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <list>
#include <string>
#include <vector>

// The element size that a failure line names. The lines name the sizes of
// the original program's records; a record type whose size differs here
// states its own with a specialisation.
template <class T>
struct ReportedSize {
  static constexpr int value = static_cast<int>(sizeof(T));
};

// Writes the failure line and posts WM_CLOSE to the main window.
// kind is 'V' for vectors and 'L' for lists.
void ReportCheckedAccess(char kind, int index, int size, int elementSize);
// How many checked accesses have failed in this run. Start-up compares it
// across the steps that run before the main window is published, whose
// close requests would otherwise go nowhere.
int CheckedAccessFailures();

// Strings are named with the original's string size.
template <>
struct ReportedSize<std::string> {
  static constexpr int value = 16;
};

template <class T>
class cVector : public std::vector<T> {
 public:
  using std::vector<T>::vector;
  cVector() = default;
  cVector(const std::vector<T>& v) : std::vector<T>(v) {}
  cVector(std::vector<T>&& v) : std::vector<T>(std::move(v)) {}

  T& CheckedAt(int i) {
    if (i >= 0 && static_cast<size_t>(i) < this->size()) return (*this)[i];
    ReportCheckedAccess('V', i, static_cast<int>(this->size()), ReportedSize<T>::value);
    if (!this->empty()) return (*this)[0];
    // Nothing to hand back: a fresh default element of this thread, so that
    // a write through it changes nothing that a later access reads.
    thread_local T s_Default{};
    s_Default = T{};
    return s_Default;
  }
  const T& CheckedAt(int i) const { return const_cast<cVector*>(this)->CheckedAt(i); }
};

template <class T>
class cList : public std::list<T> {
 public:
  using std::list<T>::list;
  cList() = default;

  T& CheckedListAt(int i) {
    if (i >= 0 && static_cast<size_t>(i) < this->size()) {
      auto it = this->begin();
      std::advance(it, i);
      return *it;
    }
    ReportCheckedAccess('L', i, static_cast<int>(this->size()), ReportedSize<T>::value);
    thread_local T s_Default{};
    s_Default = T{};
    return s_Default;
  }
};

void FillInt(cVector<int32_t>& v, int32_t n);
void FillByte(cVector<uint8_t>& v, uint8_t b);
