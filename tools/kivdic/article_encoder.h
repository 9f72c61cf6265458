#pragma once

#include "article.h"
#include "lexeme.h"
#include "text_compression.h"

// The article of a lexeme: its distinct form texts, and as main text the
// declaration of the word in the game language,
//   $лемма {
//   @класс
//   key=#свои ключи
//   defkey=#ключ по умолчанию
//   #ключ формы = "форма"      (one line per form and key)
//   }
// where the form lines are form bindings that name the form by its index.
// A lexeme that the file cannot carry (no forms, more distinct texts than a
// binding can address, a text that would break the form list) is refused
// with std::invalid_argument.
article EncodeArticle(const lexeme& word, const text_compressor& compressor);
