#pragma once

// A temporary current folder (with "logs/", where message boxes are
// written) holding a dictionary file built by the test, and the dictionary
// read from it.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "dic_file_writer.h"
#include "dic_loader.h"
#include "dictionary.h"
#include "test_support.h"
#include "world.h"

class dictionary_fixture : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kiv-dic-XXXXXX";
    folder_ = mkdtemp(pattern);
    std::filesystem::create_directory(folder_ / "logs");
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(folder_);
  }
  void TearDown() override {
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(folder_);
  }

  // Writes the bytes as kiv.dic and loads them.
  void LoadBytes(const std::string& bytes) {
    dic_file_writer::WriteBytes(folder_ / "kiv.dic", bytes);
    file_ = std::make_unique<dic_loader>(dic_loader::default_file);
    dictionary_ = std::make_unique<dictionary>(*file_, &label_);
  }
  void Load() { LoadBytes(writer_.Bytes()); }

  // The expanded article of the word, or a marker when none is found.
  std::string Article(world& home, const std::string& word, bool browse = false) {
    wstring text;
    if (!dictionary_->FindArticle(home, Wide(word), &text, browse)) return "<none>";
    return utf8(text.Text());
  }
  bool Matches(world& home, const std::string& word) {
    return dictionary_->FindArticle(home, Wide(word), nullptr, false);
  }

  // The payload of the message f raises, of either kind.
  template <class F>
  static std::string Failure(F&& f) {
    try {
      f();
    } catch (const char16_t* message) {
      return utf8(message);
    } catch (const wstring& message) {
      return utf8(message.Text());
    }
    return "<nothing thrown>";
  }

  std::string MessageBoxes() const {
    std::ifstream in(folder_ / "logs" / "engine.log", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  static wstring Wide(const std::string& text) {
    return wstring(decode_utf8_replacing(text.data(), text.size()).c_str());
  }

  std::filesystem::path folder_;
  std::filesystem::path previous_;
  dic_file_writer writer_;
  std::unique_ptr<dic_loader> file_;
  std::unique_ptr<dictionary> dictionary_;
  wstring label_;
};
