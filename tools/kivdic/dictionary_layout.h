#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "article.h"
#include "ending_tables.h"

// The file kiv.dic, all integers little-endian:
//   header (28 bytes): version "2.a.5.3" NUL-padded to 8 bytes, 4 unread
//     bytes, hash entry count, noun ending table offset, article area
//     offset, article granule;
//   hash entries sorted by key, 8 bytes each: the key and three article
//     numbers, 0xFFFF for none;
//   the verb ending table, right after the entries;
//   the noun ending table;
//   the article area: article number n starts n granules into it.

constexpr std::string_view dictionary_version = "2.a.5.3";
constexpr size_t dictionary_header_size = 28;
constexpr size_t hash_entry_size = 8;
constexpr uint16_t max_article_number = 0xFFFE;  // 0xFFFF means none

struct article_layout {
  uint32_t granule = 0;
  std::vector<uint16_t> numbers;  // per article index
  uint64_t area_size = 0;         // bytes, padding included
  uint64_t padding = 0;           // bytes between articles
};

// Article numbers are 16 bits, so the granule is the smallest that still
// lets the last article's start be numbered; each article starts on a
// granule boundary. More articles than numbers is an error
// (std::length_error).
article_layout LayOutArticles(std::span<const size_t> sizes);

// The whole file. `entries` gives per key the article indexes, at most three.
std::string WriteDictionaryImage(const std::map<uint16_t, std::vector<size_t>>& entries, const ending_tables& tables,
                                 std::span<const article> articles, const article_layout& layout);
