#pragma once

#include <cstdint>

#include "object.h"
#include "value.h"
#include "wstring.h"

// A location: an object on a three-dimensional grid of a named plane, with
// one exit per direction (up, down, north, south, east, west, northeast,
// northwest, southeast, southwest: the direction codes 37 to 46).
class location : public object {
 public:
  static constexpr int exit_count = 10;

  struct exit_slot {
    int32_t target = 0;  // identifier of the location it leads to; 0: none
    wstring text;
    wstring blocked_text;
  };

  location(context* where, bool inside, const wstring& name);
  std::unique_ptr<object> CopyFor(world& home) const override;

  // The location the direction leads to, or the result word fail with the
  // text telling why not.
  value GetExit(int direction);
  wstring GetExitText(int direction);
  // The direction leading to other, or 16 (null) when none does.
  int GetDirection(const location& other) const;

  // The exit slot of a direction (raises for codes outside 37 to 46).
  exit_slot& Exit(int direction);
  const exit_slot& Exit(int direction) const;

  int32_t position[3] = {0, 0, 0};  // x, y, z
  wstring plane;
  exit_slot exits[exit_count];

 private:
  location(world& home, const location& original);

  // The location of the same plane one step away in the direction.
  location* Neighbour(int direction) const;
  // The direction whose step leads from here to other on the grid, or 16.
  int DirectionOnGrid(const location& other) const;
};

// The grid step and the texts of a direction (codes 37 to 46).
struct direction_info {
  int step[3];
  const char16_t* no_way_text;
  const char16_t* way_text;
};
const direction_info& direction_of(int direction);
