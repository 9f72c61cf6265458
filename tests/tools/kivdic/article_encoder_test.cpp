#include "article_encoder.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "aspect_texts.h"
#include "dictionary_text.h"

namespace {

lexeme word_with_forms(std::vector<word_form> forms) {
  lexeme word;
  word.lemma = forms.empty() ? "слово" : forms[0].text;
  word.classes = {"@существительное"};
  word.forms = std::move(forms);
  return word;
}

TEST(text_compression, TokenExpansionsBecomeTheirCodes) {
  text_compressor compressor;
  EXPECT_EQ(compressor.Compress(ToCp1251("@существительное\nkey=#ЖрНд")), "\x0B\x02" + ToCp1251("ЖрНд"));
  EXPECT_EQ(compressor.Compress("\ndefkey=#\nkey=#"), "\x03\x02");
  EXPECT_EQ(compressor.Compress(ToCp1251("@несовершенный_глагол @совершенный_глагол @прилагательное")),
            "\x0E \x0D \x0C");
  EXPECT_EQ(compressor.Compress("preposition word var x\n--parsing--\nfail, act action("),
            "\x05\x01\x07x\x12\x15\x10\x11");
  EXPECT_EQ(compressor.Compress("plain\ttext\n"), "plain\ttext\n");
}

TEST(text_compression, ControlBytesThatReadAsCodesAreRefused) {
  text_compressor compressor;
  EXPECT_THROW(compressor.Compress("line\r\n"), std::invalid_argument);
  EXPECT_THROW(compressor.Compress(std::string("a\x04", 2)), std::invalid_argument);
  EXPECT_THROW(compressor.Compress(std::string("a\0b", 3)), std::invalid_argument);
}

TEST(text_compression, FormBindingNamesTheFormByIndexPlusOne) {
  std::string text;
  AppendFormBinding(text, 0, ToCp1251("ИпЕч"));
  AppendFormBinding(text, max_bound_form_index, "k");
  EXPECT_EQ(text, "\x04\x01" + ToCp1251("ИпЕч") + "\x04\x7Fk");
  EXPECT_THROW(AppendFormBinding(text, max_bound_form_index + 1, "k"), std::invalid_argument);
  EXPECT_THROW(AppendFormBinding(text, 0, ""), std::invalid_argument);
  EXPECT_THROW(AppendFormBinding(text, 0, "a b"), std::invalid_argument);
}

TEST(article_encoder, DistinctTextsInOrderAndOneBindingPerFormAndKey) {
  lexeme word = word_with_forms({{"ёж", "ИпЕч"}, {"ежа", "РпЕч"}, {"ёж", "ВпЕч"}, {"ежа", "РпЕч"}, {"ежом", ""}});
  word.own_key = "МрОд";
  word.default_key = "Еч";
  article entry = EncodeArticle(word, text_compressor());
  EXPECT_EQ(entry.forms, (std::vector<std::string>{ToCp1251("ёж"), ToCp1251("ежа"), ToCp1251("ежом")}));
  EXPECT_EQ(entry.main_text, ToCp1251("$ёж {\n") + "\x0B\x02" + ToCp1251("МрОд") + "\x03" + ToCp1251("Еч") +
                                 "\x04\x01" + ToCp1251("ИпЕч") + "\x04\x02" + ToCp1251("РпЕч") + "\x04\x01" +
                                 ToCp1251("ВпЕч") + "\n}");
  EXPECT_EQ(entry.lemma, "ёж");
}

TEST(article_encoder, TwoAspectVerbListsBothClasses) {
  lexeme word = word_with_forms({{"женить", "ИвПф"}});
  word.classes = {"@совершенный_глагол", "@несовершенный_глагол"};
  EXPECT_EQ(EncodeArticle(word, text_compressor()).main_text,
            ToCp1251("$женить {\n") + "\x0D\n\x0E\x04\x01" + ToCp1251("ИвПф") + "\n}");
}

TEST(article_encoder, InputTheFileCannotCarryIsRefused) {
  text_compressor compressor;
  std::vector<word_form> many;
  for (int i = 0; i < 127; ++i) many.push_back({"форма" + std::to_string(i), "Еч"});
  EXPECT_NO_THROW(EncodeArticle(word_with_forms(many), compressor));
  many.push_back({"ещё", "Еч"});
  EXPECT_THROW(EncodeArticle(word_with_forms(many), compressor), std::invalid_argument);
  EXPECT_THROW(EncodeArticle(word_with_forms({}), compressor), std::invalid_argument);
  EXPECT_THROW(EncodeArticle(word_with_forms({{"а;б", "Еч"}}), compressor), std::invalid_argument);
  EXPECT_THROW(EncodeArticle(word_with_forms({{"", "Еч"}}), compressor), std::invalid_argument);
  EXPECT_THROW(EncodeArticle(word_with_forms({{"草", "Еч"}}), compressor), std::invalid_argument);
  EXPECT_THROW(EncodeArticle(word_with_forms({{"кот", "Ип Еч"}}), compressor), std::invalid_argument);
}

TEST(article_encoder, EncodedArticleHasItsSectionsAndSize) {
  article entry;
  entry.forms = {"a", "bc"};
  entry.main_text = "main";
  entry.tagged_texts = {{1, "t"}};
  std::string bytes;
  const uint16_t numbers[] = {7, 0x1234};
  AppendEncodedArticle(entry, numbers, bytes);
  EXPECT_EQ(bytes, std::string("a;bc;;main\0\x34\x12t\0\xFF\xFF\xFF\xFF", 19));
  EXPECT_EQ(EncodedSize(entry), bytes.size());
}

lexeme verb(std::string lemma, std::string own_key, std::string partner) {
  lexeme word = word_with_forms({{lemma, "ИвПф"}});
  word.own_key = std::move(own_key);
  word.aspect_partner = std::move(partner);
  return word;
}

TEST(aspect_texts, PartnersOfTheOtherAspectArePairedOnce) {
  std::vector<lexeme> words = {
      verb("взять", "Сш", "брать"), verb("брать", "НшВз", "взять"),  // reflexivity does not hide the aspect
      verb("сделать", "Сш", "делать"),                               // partner not among the words
      verb("женить", "", "жениться"), verb("жениться", "Нш", "женить"),  // женить has both aspects
      verb("прыгнуть", "Сш", "скакать"), verb("скакать", "Сш", ""),       // same aspect
  };
  std::vector<partner_verbs> pairs = FindPartnerVerbs(words);
  ASSERT_EQ(pairs.size(), 1u);
  EXPECT_EQ(pairs[0].first, 0u);
  EXPECT_EQ(pairs[0].second, 1u);
}

TEST(aspect_texts, PartnerThatNamesTheVerbBackIsPreferred) {
  std::vector<lexeme> words = {verb("стать", "Сш", "становиться"), verb("становиться", "Нш", "ставать"),
                               verb("становиться", "Нш", "стать")};
  std::vector<partner_verbs> pairs = FindPartnerVerbs(words);
  ASSERT_FALSE(pairs.empty());
  EXPECT_EQ(pairs[0].first, 0u);
  EXPECT_EQ(pairs[0].second, 2u);
}

TEST(aspect_texts, EachArticleGetsTheTextUnderTheOthersTag) {
  std::vector<lexeme> words = {verb("взять", "Сш", "брать"), verb("брать", "Нш", "взять")};
  std::vector<article> articles(2);
  AddAspectTexts(words, {0, 1}, text_compressor(), articles);
  ASSERT_EQ(articles[0].tagged_texts.size(), 1u);
  EXPECT_EQ(articles[0].tagged_texts[0].tag_article, 1u);
  EXPECT_EQ(Cp1251ToUtf8(articles[0].tagged_texts[0].text),
            "$взять {\n#ИвПфНш = \"брать\"\n}\n$брать {\n#ИвПфСш = \"взять\"\n}");
  ASSERT_EQ(articles[1].tagged_texts.size(), 1u);
  EXPECT_EQ(articles[1].tagged_texts[0].tag_article, 0u);
  EXPECT_EQ(Cp1251ToUtf8(articles[1].tagged_texts[0].text),
            "$брать {\n#ИвПфСш = \"взять\"\n}\n$взять {\n#ИвПфНш = \"брать\"\n}");
}

}  // namespace
