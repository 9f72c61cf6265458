#pragma once

#include <optional>
#include <string>
#include <vector>

#include "web_session.h"

// The web sessions kept on disk, a file each in one folder, written as
// they change so that a killed server loses no game: a restarted server
// resumes them all, and a browser returning to a session released for
// idleness finds it here.
class session_store {
 public:
  // The folder ends in "/".
  explicit session_store(std::string folder) : folder_(std::move(folder)) {}

  // Replaces the session's file as a whole (see replace_file).
  bool Keep(const web_session::kept_state& state) const;
  std::optional<web_session::kept_state> Find(const std::u16string& cookie, const std::u16string& game_folder) const;
  // Every kept session; files that cannot be read are passed over.
  std::vector<web_session::kept_state> All() const;

  // The state as the file holds it, and back; none for a damaged file.
  static std::string Format(const web_session::kept_state& state);
  static std::optional<web_session::kept_state> Parse(const std::string& bytes);

 private:
  // Cookies come from browsers: the name is the hexadecimal of cookie and
  // folder, so none of their characters reaches the file system.
  std::string FileName(const std::u16string& cookie, const std::u16string& game_folder) const;

  std::string folder_;
};
