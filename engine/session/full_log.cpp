#include "full_log.h"

#include "log_file.h"
#include "world_log.h"

void full_log_row::Clear() {
  for (wstring& field : fields) field.Clear();
}

wstring full_log_row::Format() const { return log_record_text(fields); }

void full_log_row::Write(const wstring& base_folder) const {
  append_to_log(base_folder, file_name, Format());
}
