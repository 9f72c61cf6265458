#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "block.h"
#include "lxms.h"
#include "wstring.h"

// Game code cut once: the same method, statement or expression text runs
// many times a command, and cutting it again each time was most of the
// cost of running it. Entries are found by their text, so changed code is
// simply other text; past max_entries (code made up while the game runs
// could otherwise grow it without end) the cache starts afresh.
class code_cache {
 public:
  static constexpr size_t max_entries = 8192;

  // The block of source, which cuts its lines on first use; shared, so that
  // a block running now outlives the cache starting afresh.
  std::shared_ptr<block> Block(const wstring& source);
  // The lexemes of an expression, sharing the cut ones. A text that does not
  // parse raises as lxms::Parse does, and is not kept.
  lxms Expression(const wstring& text);

 private:
  struct text_hash {
    using is_transparent = void;
    size_t operator()(std::u16string_view text) const { return std::hash<std::u16string_view>{}(text); }
  };
  template <class item>
  using text_map = std::unordered_map<std::u16string, item, text_hash, std::equal_to<>>;

  static std::u16string_view View(const wstring& text) { return {text.Text(), size_t(text.Length())}; }
  template <class item>
  static void MakeRoom(text_map<item>& map) {
    if (map.size() >= max_entries) map.clear();
  }

  text_map<std::shared_ptr<block>> blocks_;
  text_map<lxms> expressions_;
};
