#pragma once
// A table indexed by the signed numbers that ports, zones and addresses are
// counted in: the conversion to the table's unsigned index is written once here.

#include <cstddef>

template <typename Table>
constexpr decltype(auto) At(Table& table, int index) {
  return table[static_cast<std::size_t>(index)];
}
