#pragma once

#include "world_log.h"
#include "wstring.h"

// The engine-wide log "logs\full_log.csv": one row per finished turn that
// printed text outside location blocks, per comment command and per crash.
struct full_log_row {
  enum column { outcome, location, command, transcript, spare, user, date, column_count };
  static_assert(column_count == log_record_fields);
  static constexpr const char16_t* file_name = u"logs\\full_log.csv";
  wstring fields[column_count];

  void Clear();
  // Fields abbreviated to 256 units, CR dropped, LF and TAB made spaces,
  // joined by TAB and ended by CR LF.
  wstring Format() const;
  void Write(const wstring& base_folder) const;
};
