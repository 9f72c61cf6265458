// Narrowing a token's meanings to those that can stand for the whole.

#include <algorithm>

#include "key_matrix.h"
#include "keyword_table.h"
#include "token.h"

namespace {

bool is_result(const value& v, int code) { return v.Type() == kw::type_bool && v.Code() == code; }

// A text the player typed that is only itself, and the empty keyword, say
// nothing about which meaning holds.
bool counts(const op_value& meaning) {
  if (meaning.v.IsNull()) return false;
  return !(meaning.v.Type() == kw::type_string && key_matrix(meaning.keys.Text()).GetMarker(u'p') == u's');
}

bool is_true(const value& v) {
  if (v.Type() == kw::type_bool) return result_holds(v.Code());
  if (v.Type() == kw::type_keyword) return !v.IsNull();
  return v.IsEntity() && v.GetEntity();
}

bool is_false(const value& v) {
  return is_result(v, kw::result_no) || v.IsNull() || (v.IsEntity() && !v.GetEntity());
}

// Drops the key set's entries that fit the pattern, unless all do.
void drop_fitting(key_list& keys, const char16_t* pattern) {
  if (keys.Count() < 2) return;
  keys.MarkMatching(key_matrix(pattern));
  keys.DropMarked(false);
}

// Keeps only the key set's entries that fit the pattern, when any does.
void keep_fitting(key_list& keys, const char16_t* pattern) {
  if (keys.Count() < 2) return;
  keys.MarkMatching(key_matrix(pattern));
  keys.KeepMarked(false);
}

class resolver {
 public:
  explicit resolver(token& t) : t_(t) {}

  void Run(const char16_t* filter) {
    DropOutweighedTruths();
    t_.RebuildKeys();
    drop_fitting(t_.keys, u"Ус");
    t_.DropMeaningsOutsideKeys();
    KeepHeaviest();
    t_.RebuildKeys();
    drop_fitting(t_.keys, u"сv");
    drop_fitting(t_.keys, u"nc");
    keep_fitting(t_.keys, u"Ип");
    t_.DropMeaningsOutsideKeys();
    if (filter) ReduceKeys(filter);
  }

 private:
  // A truth beats a falsehood, anything beats a failure or an unknown, and
  // anything that counts beats the empty keyword. A failure that goes does
  // not count against an unknown, so that the two never drop each other.
  void DropOutweighedTruths() {
    bool any = false, any_true = false, any_but_fail = false, any_but_unknown = false;
    for (const op_value& meaning : t_.meanings) {
      if (!counts(meaning)) continue;
      any = true;
      any_true = any_true || is_true(meaning.v);
      any_but_fail = any_but_fail || !is_result(meaning.v, kw::result_fail);
    }
    for (const op_value& meaning : t_.meanings) {
      if (!counts(meaning) || is_result(meaning.v, kw::result_unknown)) continue;
      any_but_unknown = any_but_unknown || !(any_but_fail && is_result(meaning.v, kw::result_fail));
    }
    for (int n = t_.meanings.Count() - 1; n >= 0; --n) {
      const value& v = t_.meanings[n].v;
      bool outweighed = (any_true && is_false(v)) || (any_but_fail && is_result(v, kw::result_fail)) ||
                        (any_but_unknown && is_result(v, kw::result_unknown)) || (any && v.IsNull());
      if (outweighed) Drop(n);
    }
  }

  void KeepHeaviest() {
    int32_t heaviest = 0;
    for (const op_value& meaning : t_.meanings) heaviest = std::max(heaviest, meaning.weight);
    for (int n = t_.meanings.Count() - 1; n >= 0; --n)
      if (t_.meanings[n].weight < heaviest) Drop(n);
  }

  // Every key string cut down to the filter's key letters; meanings that
  // then repeat an earlier one go.
  void ReduceKeys(const char16_t* filter) {
    for (op_value& meaning : t_.meanings) {
      key_matrix reduced;
      reduced.AddKey(meaning.keys.Text(), filter);
      meaning.keys = reduced.GetKey();
    }
    for (int n = t_.meanings.Count() - 1; n > 0; --n) {
      for (int earlier = 0; earlier < n; ++earlier) {
        if (!t_.meanings[earlier].SameAs(t_.meanings[n])) continue;
        Drop(n);
        break;
      }
    }
    t_.RebuildKeys();
  }

  void Drop(int n) {
    t_.meanings.Delete(n);
    t_.changed = true;
  }

  token& t_;
};

}  // namespace

void token::Resolve(const char16_t* filter) { resolver(*this).Run(filter); }
