#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class dawg;

// How often a form was seen with a tag in the disambiguated corpus of the
// data. p_t_given_w.intdawg keys "form:TAG" (form in Windows-1251) to
// int(P(tag | form) * 10^6), an add-one smoothed estimate over the tags a
// form can have, given for ambiguous forms only; the counts are recovered
// from those fractions.
class corpus_counts {
 public:
  corpus_counts() = default;
  // `tags` is the gramtab: tags not in it are ignored.
  corpus_counts(const dawg& probabilities, const std::vector<std::string>& tags);

  uint32_t Count(std::string_view form, uint16_t tag) const;

 private:
  void AddWord(std::string_view form, const std::vector<uint16_t>& tags, const std::vector<uint32_t>& millionths);

  std::unordered_map<std::string, uint32_t> counts_;  // form, 0x01, tag id
};

// The smallest whole counts whose fractions of their sum truncate to these
// millionths (off by at most one, as the data rounds); empty when none up to
// a bound fit. E.g. {750000, 250000} gives {3, 1}.
std::vector<uint32_t> CountsFromMillionths(const std::vector<uint32_t>& millionths);
