#pragma once

#include "wstring.h"

class context;
class object;

// What two operators need beyond the world: a character's phrase goes to
// the session's output through the host's "print" function, and a command
// told to a character goes to the player-command parser. The session
// implements it and attaches it to the world (world::SetOperatorHost);
// without it those operators refuse with a message.
class operator_host {
 public:
  // How a command told to a character went.
  enum class told {
    executed,
    // The command only informs the character of something.
    information,
    // The parser found no reading; its error text comes back.
    unparsable,
  };

  virtual ~operator_host() = default;

  virtual void Print(const wstring& text) = 0;
  // Parses the command as a player's, with the character as actor, and
  // executes it in ctx.
  virtual told TellCharacter(object& character, const wstring& command, context& ctx, wstring& parse_error) = 0;
};
