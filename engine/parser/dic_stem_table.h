#pragma once

#include <cstdint>
#include <vector>

class dic_loader;

// The articles filed under a stem key in the dictionary's hash table, in
// file order (at most three); none when the key has no entry.
std::vector<uint16_t> FindStemArticles(const dic_loader& dic, uint16_t key);
