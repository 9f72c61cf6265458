#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <vector>

// Which stem keys list which articles. Every form text has two keys, its
// noun key and its verb key, and the engine tries both, so an article needs
// one of the two keys of each of its forms; a key lists at most three
// articles. Articles are placed most useful first, each under the keys that
// cover most of its forms, the less loaded key winning a tie. When such a key
// is full, an article already there is moved to its other keys if room can
// be made there (two articles deep); only when no key of a form can take the
// article is the form lost.
//
// A text that several articles share (стали: сталь and стать) should find
// the most useful of them. The engine tries the noun key first and takes the
// first article of an entry that has the word, and entries list their
// articles most useful first; so when a less useful article of the text
// sits in the text's noun key entry and the most useful one does not, the
// most useful one is added to that entry too, if it has room.

constexpr size_t articles_per_key = 3;

constexpr uint32_t unshared_text = UINT32_MAX;

struct form_keys {
  uint16_t noun_key;
  uint16_t verb_key;
  // For a text that other articles have too, a number naming the text.
  uint32_t shared_text = unshared_text;
};

struct placement_loss {
  size_t article;  // index
  size_t keys;     // (key, article) pairs that found no room
  size_t forms;    // form texts left without a key
};

struct stem_placement {
  // Articles per key, most useful first.
  std::map<uint16_t, std::vector<size_t>> entries;
  std::vector<placement_loss> losses;  // most useful first
};

// `forms[i]` holds the keys of the distinct form texts of article i;
// `priority` lists every article index once, most useful first.
stem_placement PlaceArticles(std::span<const std::vector<form_keys>> forms, std::span<const size_t> priority);
