// The host's growable array (value semantics, indices as int).
#pragma once
#include <algorithm>
#include <cassert>
#include <utility>
#include <vector>

template <typename T>
class AcArray {
 public:
  AcArray() = default;
  explicit AcArray(int physicalLength, int /*growLength*/ = 8) { m_items.reserve(physicalLength); }

  int length() const { return static_cast<int>(m_items.size()); }
  int logicalLength() const { return length(); }
  int physicalLength() const { return static_cast<int>(m_items.capacity()); }
  bool isEmpty() const { return m_items.empty(); }
  AcArray& setLogicalLength(int n) { m_items.resize(static_cast<size_t>(n)); return *this; }
  AcArray& setPhysicalLength(int n) { m_items.reserve(static_cast<size_t>(n)); return *this; }

  // Index of the appended element.
  int append(const T& value) { m_items.push_back(value); return length() - 1; }
  AcArray& append(const AcArray& other) {
    m_items.insert(m_items.end(), other.m_items.begin(), other.m_items.end());
    return *this;
  }
  AcArray& insertAt(int index, const T& value) {
    m_items.insert(m_items.begin() + index, value);
    return *this;
  }
  AcArray& removeAt(int index) { m_items.erase(m_items.begin() + index); return *this; }
  AcArray& removeFirst() { return removeAt(0); }
  AcArray& removeLast() { m_items.pop_back(); return *this; }
  AcArray& removeAll() { m_items.clear(); return *this; }
  AcArray& setAll(const T& value) { std::fill(m_items.begin(), m_items.end(), value); return *this; }
  AcArray& reverse() { std::reverse(m_items.begin(), m_items.end()); return *this; }
  bool remove(const T& value, int start = 0) {
    int index = -1;
    if (!find(value, index, start)) return false;
    removeAt(index);
    return true;
  }

  const T& at(int index) const { assert(index >= 0 && index < length()); return m_items[index]; }
  T& at(int index) { assert(index >= 0 && index < length()); return m_items[index]; }
  const T& operator[](int index) const { return at(index); }
  T& operator[](int index) { return at(index); }
  AcArray& setAt(int index, const T& value) { at(index) = value; return *this; }
  const T& first() const { return at(0); }
  const T& last() const { return at(length() - 1); }
  T& first() { return at(0); }
  T& last() { return at(length() - 1); }

  bool contains(const T& value, int start = 0) const { int i; return find(value, i, start); }
  bool find(const T& value, int& index, int start = 0) const {
    for (int i = start; i < length(); ++i)
      if (m_items[i] == value) { index = i; return true; }
    return false;
  }
  int find(const T& value) const { int i = -1; find(value, i); return i; }

  const T* asArrayPtr() const { return m_items.data(); }
  T* asArrayPtr() { return m_items.data(); }
  typename std::vector<T>::const_iterator begin() const { return m_items.begin(); }
  typename std::vector<T>::const_iterator end() const { return m_items.end(); }
  typename std::vector<T>::iterator begin() { return m_items.begin(); }
  typename std::vector<T>::iterator end() { return m_items.end(); }

  bool operator==(const AcArray& other) const { return m_items == other.m_items; }

 private:
  std::vector<T> m_items;
};
