// The dictionary's compressed text: bytes 1 to 31 but tab and line feed
// are token codes; every other byte stands for itself (code page 1251).

#include "dic_decoder.h"

#include <string>

#include "codepage.h"

namespace {

constexpr unsigned char form_binding = 4;
constexpr unsigned char last_code = 31;
constexpr unsigned char last_form_index_byte = 127;
constexpr unsigned char last_key_stop = 32;

// What each code expands to; codes 22 to 31 expand to nothing.
constexpr const char16_t* token_texts[last_code + 1] = {
    nullptr,
    u"word ",
    u"\nkey=#",
    u"\ndefkey=#",
    nullptr,  // form binding
    u"preposition ",
    u"attribute ",
    u"var ",
    u"property ",
    nullptr,  // tab
    nullptr,  // line feed
    u"@существительное",
    u"@прилагательное",
    u"@совершенный_глагол",
    u"@несовершенный_глагол",
    u"synonym=$",
    u"act ",
    u"action(",
    u"\n--parsing--\n",
    u"\n--check--\n",
    u"\n--execute--\n",
    u"fail, ",
    u"", u"", u"", u"", u"", u"", u"", u"", u"", u"",
};

bool is_token_code(unsigned char byte) { return byte >= 1 && byte <= last_code && byte != '\t' && byte != '\n'; }

void append(std::u16string& out, std::u16string_view text) {
  if (out.size() + text.size() > max_expanded_article) throw u"Decoder() статья разворачивается в слишком длинный текст!";
  out += text;
}

void append_1251(std::u16string& out, std::string_view bytes) {
  append(out, decode_windows1251(bytes.data(), bytes.size()));
}

// Code 4, a byte b and a key name up to the next byte of 0 to 32: a line
// binding the key to form b - 1. Returns where the text goes on.
size_t expand_binding(std::string_view text, size_t at, const std::vector<std::string_view>* forms,
                      std::u16string& out) {
  if (!forms) throw u"Decoder() словоформа в кросс-статье!";
  const unsigned char index_byte = at < text.size() ? static_cast<unsigned char>(text[at]) : 0;
  if (index_byte == 0 || index_byte > last_form_index_byte || index_byte > forms->size())
    throw u"Decoder() Ошибка в кодировании словоформ!";
  size_t key_end = ++at;
  while (key_end < text.size() && static_cast<unsigned char>(text[key_end]) > last_key_stop) ++key_end;
  append(out, u"\n#");
  append_1251(out, text.substr(at, key_end - at));
  append(out, u" = \"");
  append_1251(out, (*forms)[index_byte - 1]);
  append(out, u"\"");
  return key_end;
}

}  // namespace

void Decoder(std::string_view text, const std::vector<std::string_view>* forms, std::u16string& out) {
  size_t plain_start = 0;
  size_t at = 0;
  while (at < text.size()) {
    const unsigned char byte = static_cast<unsigned char>(text[at]);
    if (!is_token_code(byte)) {
      ++at;
      continue;
    }
    append_1251(out, text.substr(plain_start, at - plain_start));
    if (byte == form_binding) {
      at = expand_binding(text, at + 1, forms, out);
    } else {
      append(out, token_texts[byte]);
      ++at;
    }
    plain_start = at;
  }
  append_1251(out, text.substr(plain_start));
}
