// The four list orders, as a permutation so the caller can reorder its entries in one move.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/collation.h"
#include "core/entry.h"

namespace bivane {

enum class SortOrder { Name, Ext, Size, Date };

// perm[i] is the old index of the entry that goes to position i; the sort is stable.
std::vector<std::uint32_t> SortPermutation(const std::vector<Entry>& entries, SortOrder order,
                                           const Collation& collation);

// Where e goes among sorted (in order): after every entry that does not sort after it, as a
// stable sort of the two together would put it. Computes keys for a few probes only.
std::size_t InsertionPoint(const std::vector<Entry>& sorted, const Entry& e, SortOrder order, const Collation& collation);
// Whether a sorts before b.
bool SortsBefore(const Entry& a, const Entry& b, SortOrder order, const Collation& collation);

// The name order by keys computed beforehand, one per entry (NameSortKey): a listing computes
// them while it is still being read. perm as above; equal keys keep their order.
std::string NameSortKey(const Entry& e, const Collation& collation);
std::vector<std::uint32_t> PermutationByNameKeys(const std::vector<std::string_view>& keys);

// Title suffix of an order: "", "   [by ext]", "   [by size]", "   [by date]".
const char* SortSuffix(SortOrder order);

}  // namespace bivane
