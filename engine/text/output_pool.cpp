#include "output_pool.h"

// Length of the mark-up tag at `start` ("<" then a letter or "/", up to
// ">"), or 0 when no tag starts there.
static int tag_length(const wstring& text, int start) {
  if (text[start] != u'<' || start + 1 >= text.Length()) return 0;
  char16_t next = text[start + 1];
  bool opens_tag = next == u'/' || (next >= u'a' && next <= u'z') || (next >= u'A' && next <= u'Z');
  if (!opens_tag) return 0;
  int end = text.Find(u'>', start + 1);
  return end < 0 ? 0 : end - start + 1;
}

void output_pool::Add(const wstring& text) {
  int run_start = 0;
  for (int i = 0; i < text.Length();) {
    int tag = tag_length(text, i);
    if (tag == 0) {
      i += text[i] == u'\\' ? 2 : 1;  // an escaped "<" is text
      continue;
    }
    if (i > run_start) {
      wstring run = text.Mid(run_start, i - run_start);
      AddItem(text_kind, run, run);
    }
    AddItem(tag_kind, text.Mid(i, tag), wstring());
    i += tag;
    run_start = i;
  }
  if (run_start < text.Length()) {
    wstring run = text.Mid(run_start, text.Length() - run_start);
    AddItem(text_kind, run, run);
  }
}

void output_pool::AddItem(char16_t kind, const wstring& print_text, const wstring& speech_text) {
  output_pool_item& item = items_.Insert(items_.Count(), kind);
  item.print_text = print_text;
  item.speech_text = speech_text;
}

void output_pool::Finish() {
  for (output_pool_item& item : items_) {
    item.print_text.Unescape();
    item.speech_text.Unescape();
  }
}

wstring output_pool::GetSpeechText() const {
  wstring speech;
  for (const output_pool_item& item : items_)
    if (item.kind != call_kind && item.kind != call_argument_kind) speech += item.speech_text;
  speech.Replace(u'`', u"<");
  return speech;
}
