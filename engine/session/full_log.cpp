#include "full_log.h"

#include "log_file.h"

void full_log_row::Clear() {
  for (wstring& field : fields) field.Clear();
}

wstring full_log_row::Format() const {
  wstring row;
  for (int i = 0; i < column_count; ++i) {
    wstring field(fields[i]);
    field.Trim(256);
    field.Replace(u'\r', nullptr);
    field.Replace(u'\n', u" ");
    field.Replace(u'\t', u" ");
    if (i > 0) row += u'\t';
    row += field;
  }
  row += u"\r\n";
  return row;
}

void full_log_row::Write(const wstring& base_folder) const {
  append_to_log(base_folder, u"logs\\full_log.csv", Format());
}
