// The members of a grid cell and of a row of stazioni, named and numbered
// in the order the compiled files store them, and sets of them: what a
// record or the finishing pass sets, what a difference or a dump names.
#pragma once

#include <cstdint>
#include <string>

#include "model/model.h"

namespace compactor {

enum class CellMember : uint8_t { tipo, dato1, dato2, dato3, dato4, tempo, preavviso, montagna, velocita, pendenza, aderenza };
inline constexpr int kCellMemberCount = 11;

// Every member but nome is a number; nome stands where the file stores it.
enum class RowMember : uint8_t {
  tipo, inizio, fine, posizione, campo4, nome, campo7, campo8, campo10, campo11, campo12, campo9, campo13, campo6, campo5, orario
};
inline constexpr int kRowMemberCount = 16;

// A set of members of one kind, one bit each; `kCount` members in all.
template <typename Member, int kCount>
class MemberSet {
 public:
  constexpr MemberSet() = default;
  template <typename... M>
  constexpr explicit MemberSet(Member first, M... rest) : bits_(bit(first) | (0u | ... | bit(rest))) {}
  constexpr bool contains(Member m) const { return (bits_ & bit(m)) != 0; }
  constexpr bool empty() const { return bits_ == 0; }
  constexpr uint32_t bits() const { return bits_; }
  constexpr MemberSet operator|(MemberSet o) const { return from_bits(bits_ | o.bits_); }
  constexpr bool operator==(const MemberSet&) const = default;
  static constexpr MemberSet all() { return from_bits((1u << kCount) - 1); }
  static constexpr MemberSet from_bits(uint32_t b) {
    MemberSet s;
    s.bits_ = b;
    return s;
  }

 private:
  static constexpr uint32_t bit(Member m) { return 1u << static_cast<unsigned>(m); }
  uint32_t bits_ = 0;
};

using CellMembers = MemberSet<CellMember, kCellMemberCount>;
using RowMembers = MemberSet<RowMember, kRowMemberCount>;

// A cell's kind (tipo) in words: "signal", "signboard", "nothing".
std::string kind_name(uint8_t tipo);

const char* member_name(CellMember m);
const char* member_name(RowMember m);

// The value of a member as a whole number; a row's nome has none (0).
int64_t member_value(const cella& c, CellMember m);
int64_t member_value(const stazione& s, RowMember m);

}  // namespace compactor
