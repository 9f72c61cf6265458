#pragma once

// Builds small data folders in the layout of the morphology data, so that
// the reader can be tested without the real files.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "dictionary_text.h"
#include "opencorpora_tables.h"

namespace opencorpora_test {

// A DAWG in the layout the reader expects, placed naively: every node's
// children (label 0 for its value) at node ^ offset ^ label.
class dawg_builder {
 public:
  explicit dawg_builder(const std::map<std::string, uint32_t>& keys) {
    for (const auto& [key, value] : keys) Insert(key, value);
    Grow(1);
    used_[0] = true;
    Place(root_, 0);
  }

  std::string Bytes() const {
    std::string bytes;
    AppendU32(bytes, static_cast<uint32_t>(units_.size()));
    for (uint32_t unit : units_) AppendU32(bytes, unit);
    AppendU32(bytes, static_cast<uint32_t>(units_.size()));
    for (const auto& [child, sibling] : guide_) {
      bytes.push_back(static_cast<char>(child));
      bytes.push_back(static_cast<char>(sibling));
    }
    return bytes;
  }

 private:
  struct node {
    std::map<uint8_t, std::unique_ptr<node>> children;
    bool has_value = false;
    uint32_t value = 0;
  };

  static void AppendU32(std::string& bytes, uint32_t n) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>((n >> (8 * i)) & 0xFF));
  }

  void Insert(const std::string& key, uint32_t value) {
    node* at = &root_;
    for (char c : key) {
      auto& child = at->children[static_cast<uint8_t>(c)];
      if (!child) child = std::make_unique<node>();
      at = child.get();
    }
    at->has_value = true;
    at->value = value;
  }

  void Grow(size_t size) {
    if (units_.size() >= size) return;
    units_.resize(size, 0);
    used_.resize(size, false);
    guide_.resize(size, {0, 0});
  }

  std::vector<uint8_t> Labels(const node& n) const {
    std::vector<uint8_t> labels;
    if (n.has_value) labels.push_back(0);
    for (const auto& [label, child] : n.children) labels.push_back(label);
    return labels;
  }

  uint32_t FreeOffset(uint32_t index, const std::vector<uint8_t>& labels) {
    for (uint32_t offset = 1;; ++offset) {
      bool free = true;
      for (uint8_t label : labels) {
        uint32_t at = index ^ offset ^ label;
        Grow(at + 1);
        free = free && !used_[at];
      }
      if (free) return offset;
    }
  }

  void Place(const node& n, uint32_t index) {
    std::vector<uint8_t> labels = Labels(n);
    if (labels.empty()) return;
    uint32_t offset = FreeOffset(index, labels);
    units_[index] |= offset << 10;
    if (n.has_value) {
      units_[index] |= 1u << 8;
      units_[index ^ offset] = n.value | 0x80000000u;
      used_[index ^ offset] = true;
    }
    uint8_t previous = 0;
    for (const auto& [label, child] : n.children) {
      uint32_t at = index ^ offset ^ label;
      used_[at] = true;
      units_[at] = label;
      if (previous == 0)
        guide_[index].first = label;
      else
        guide_[index ^ offset ^ previous].second = label;
      previous = label;
    }
    for (const auto& [label, child] : n.children) Place(*child, index ^ offset ^ label);
  }

  node root_;
  std::vector<uint32_t> units_;
  std::vector<bool> used_;
  std::vector<std::pair<uint8_t, uint8_t>> guide_;
};

inline std::string WordKey(const std::string& utf8_form, uint16_t paradigm, uint16_t index) {
  std::string key = ToCp1251(utf8_form);
  key.push_back('\x01');
  for (uint16_t n : {paradigm, index}) {
    key.push_back(static_cast<char>(((n >> 7) << 1) | 1));
    key.push_back(static_cast<char>(((n & 127) << 1) | 1));
  }
  return key;
}

inline std::string JsonArray(const std::vector<std::string>& items) {
  std::string json = "[\n";
  for (size_t i = 0; i < items.size(); ++i) json += (i ? ",\n  \"" : "  \"") + items[i] + "\"";
  return json + "\n]";
}

struct test_cell {
  std::string suffix;  // UTF-8
  std::string tag;
  std::string prefix = "";
};

// A data folder of a few paradigms and lexemes, written as the real files.
class data_builder {
 public:
  uint16_t Paradigm(const std::vector<test_cell>& cells) {
    paradigms_.push_back(cells);
    return static_cast<uint16_t>(paradigms_.size() - 1);
  }

  void Lexeme(uint16_t paradigm, const std::string& stem) { lexemes_.push_back({paradigm, stem}); }

  // P(tag | form) in millionths, as p_t_given_w.intdawg keeps it.
  void Probability(const std::string& form, const std::string& tag, uint32_t millionths) {
    probabilities_[ToCp1251(form) + ":" + tag] = millionths;
  }

  std::string WriteTo(const std::filesystem::path& dir) const {
    std::filesystem::create_directories(dir);
    std::vector<std::string> suffixes, tags;
    std::vector<std::string> prefixes = {"", "по", "наи"};
    std::string array;
    AppendU16(array, static_cast<uint16_t>(paradigms_.size()));
    for (const auto& cells : paradigms_) {
      AppendU16(array, static_cast<uint16_t>(3 * cells.size()));
      for (const test_cell& cell : cells) AppendU16(array, IdOf(suffixes, cell.suffix));
      for (const test_cell& cell : cells) AppendU16(array, IdOf(tags, cell.tag));
      for (const test_cell& cell : cells) AppendU16(array, IdOf(prefixes, cell.prefix));
    }
    Write(dir / "paradigms.array", array);
    Write(dir / "suffixes.json", JsonArray(suffixes));
    Write(dir / "gramtab-opencorpora-int.json", JsonArray(tags));
    Write(dir / "meta.json", "[[\"compile_options\", {\"paradigm_prefixes\": " + JsonArray(prefixes) + "}]]");
    Write(dir / "words.dawg", dawg_builder(WordKeys()).Bytes());
    Write(dir / "p_t_given_w.intdawg", dawg_builder(probabilities_).Bytes());
    return dir.string();
  }

 private:
  struct test_lexeme {
    uint16_t paradigm;
    std::string stem;
  };

  static uint16_t IdOf(std::vector<std::string>& list, const std::string& item) {
    for (size_t i = 0; i < list.size(); ++i)
      if (list[i] == item) return static_cast<uint16_t>(i);
    list.push_back(item);
    return static_cast<uint16_t>(list.size() - 1);
  }

  static void AppendU16(std::string& bytes, uint16_t n) {
    bytes.push_back(static_cast<char>(n & 0xFF));
    bytes.push_back(static_cast<char>(n >> 8));
  }

  static void Write(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }

  std::map<std::string, uint32_t> WordKeys() const {
    std::map<std::string, uint32_t> keys;
    for (const test_lexeme& lexeme : lexemes_) {
      const auto& cells = paradigms_[lexeme.paradigm];
      for (size_t i = 0; i < cells.size(); ++i)
        keys[WordKey(cells[i].prefix + lexeme.stem + cells[i].suffix, lexeme.paradigm, static_cast<uint16_t>(i))] = 0;
    }
    return keys;
  }

  std::vector<std::vector<test_cell>> paradigms_;
  std::vector<test_lexeme> lexemes_;
  std::map<std::string, uint32_t> probabilities_;
};

}  // namespace opencorpora_test
