#pragma once
// Small set of enumeration values: bit n stands for the value of ordinal n,
// so a set's integer value matches the stored and documented bit patterns.
#include <cstdint>
#include <initializer_list>
#include <type_traits>

namespace fw {

template <typename E, typename Bits = std::uint32_t>
class Set {
 public:
  using bits_type = Bits;
  constexpr Set() noexcept = default;
  constexpr Set(std::initializer_list<E> values) noexcept {
    for (E e : values) m_bits |= Bit(e);
  }
  static constexpr Set FromBits(Bits b) noexcept {
    Set s;
    s.m_bits = b;
    return s;
  }
  constexpr Bits ToBits() const noexcept { return m_bits; }

  constexpr bool Contains(E e) const noexcept { return (m_bits & Bit(e)) != 0; }
  constexpr bool Empty() const noexcept { return m_bits == 0; }
  constexpr Set& Include(E e) noexcept {
    m_bits |= Bit(e);
    return *this;
  }
  constexpr Set& Exclude(E e) noexcept {
    m_bits &= static_cast<Bits>(~Bit(e));
    return *this;
  }
  constexpr Set operator+(Set o) const noexcept { return FromBits(m_bits | o.m_bits); }
  constexpr Set operator*(Set o) const noexcept { return FromBits(m_bits & o.m_bits); }
  constexpr Set operator-(Set o) const noexcept { return FromBits(m_bits & static_cast<Bits>(~o.m_bits)); }
  constexpr Set& operator+=(Set o) noexcept { return *this = *this + o; }
  constexpr Set& operator*=(Set o) noexcept { return *this = *this * o; }
  constexpr Set& operator-=(Set o) noexcept { return *this = *this - o; }
  constexpr bool operator==(const Set&) const noexcept = default;
  // Subset test, as Pascal's "<=" on sets.
  constexpr bool SubsetOf(Set o) const noexcept { return (m_bits & ~o.m_bits) == 0; }

 private:
  static constexpr Bits Bit(E e) noexcept {
    return static_cast<Bits>(Bits{1} << static_cast<unsigned>(static_cast<std::underlying_type_t<E>>(e)));
  }
  Bits m_bits = 0;
};

}  // namespace fw
