#pragma once

#include <cstdint>

// The bilingual keyword table of the game language. A record's index is its
// code: values carry codes, and the interpreter reads type names, special
// properties, result words, directions and statement words from here.
namespace kw {

enum code : int8_t {
  // Value types.
  type_bool,
  type_number,
  type_keyword,
  type_string,
  type_course,
  type_object,
  type_attribute,
  type_relation,
  type_act,
  type_class,
  type_location,
  type_word,
  type_preposition,
  type_and_list,
  type_or_list,
  type_context,
  type_null,  // also the keyword null, the empty value
  // Special properties.
  prp_type,
  prp_name,
  prp_key,
  prp_length,
  prp_comment,
  prp_position,
  prp_opened,
  prp_transparent,
  prp_defkey,
  prp_any,
  prp_pos_x,
  prp_pos_y,
  prp_pos_z,
  // Result words: the codes of bool values.
  result_no,
  result_unclear,
  result_unknown,
  result_illegal,
  result_fail,
  result_yes,
  result_ok,
  // Directions: the codes of course values, in exit order.
  dir_up,
  dir_down,
  dir_north,
  dir_south,
  dir_east,
  dir_west,
  dir_northeast,
  dir_northwest,
  dir_southeast,
  dir_southwest,
  // Kinds of game functions.
  fn_expression,
  fn_action,
  fn_fact,
  // Special names.
  name_this,
  name_exits,
  name_pers,
  name_actor,
  name_speaker,
  name_addressee,
  name_count,
  name_synonym,
  // Statement words.
  st_if,
  st_else,
  st_for,
  st_switch,
  st_case,
  st_break,
  st_continue,
  st_var,
  st_prp,
  st_tmp,
  st_delete,
  st_return,
  st_check,
  st_goto,
  st_plane,
  // Operators and relations.
  rel_not,
  rel_is,
  rel_like,
  rel_above,
  rel_below,
  rel_north_of,
  rel_south_of,
  rel_east_of,
  rel_west_of,
  rel_or,
  rel_and,
  rel_inside,
  rel_outside,
  rel_part,
  count  // number of records
};

struct record {
  const char16_t* english;
  const char16_t* russian;
  const char16_t* key_text;     // the key a value of this keyword gets; may be empty
  const char16_t* second_name;  // another English spelling; may be empty
};

// The record of a code; a code outside the table raises an 8-bit message.
const record& at(int code);

// The key a value's type adds when its key is built (a keyword value uses
// its record's key text instead).
const char16_t* type_key_text(int type);

inline bool is_result_word(int code) { return code >= result_no && code <= result_ok; }
inline bool is_direction(int code) { return code >= dir_up && code <= dir_southwest; }
inline bool is_entity_type(int type) { return type >= type_object && type <= type_preposition; }
inline bool is_list_type(int type) { return type == type_and_list || type == type_or_list; }

}  // namespace kw
