// The location events that end a turn: the background of the place the
// player stays in, leaving it, entering the places the player is sent to
// (at most three in a turn), and the scene of the place reached.

#include "keyword_table.h"
#include "location.h"
#include "property_read.h"
#include "session.h"

// What an event answered and the stop signal its code left.
struct session::event_answer {
  value result;
  int32_t signal = context::stop_none;

  bool Restarts() const { return signal == context::stop_run; }
  bool SendsOn() const { return signal == context::stop_goto && result.Type() == kw::type_location; }
};

namespace {

bool is_answer(const value& v, int code) { return v.Type() == kw::type_bool && v.Code() == code; }

bool is_pending(const value& v) { return v.Type() == kw::type_location; }

// The variables events read are the event's alone: the next entering of
// the place removes them with the other temporary ones.
void set_event_variable(context& place, const char16_t* name, const value& v) {
  place.SetVariable(wstring(name), v, false, false);
  if (variable* set = place.FindVariable(context::NormalisedName(wstring(name)))) set->is_temporary = true;
}

void remove_temporary_variables(context& place) {
  c_index<variable, wstring>& variables = place.Variables();
  for (int i = variables.Count() - 1; i >= 0; --i)
    if (variables[i].is_temporary) variables.Delete(i);
}

value location_value(object& place) { return value::Entity(kw::type_location, &place); }

}  // namespace

object* session::Player() const {
  if (!world_ || world_->player == 0) return nullptr;
  object* player = world_->FindById(world_->player);
  return player && player->Type() == kw::type_object ? player : nullptr;
}

location* session::PlayerLocation() const {
  object* player = Player();
  return player ? static_cast<location*>(player->NearestLocation()) : nullptr;
}

session::turn_flow session::RunLocationEvents(value pending) {
  location* here = PlayerLocation();
  if (here) {
    ResetCharacters(*here);
    if (!is_pending(pending)) {
      event_answer background = CallEvent(*here, u"_background", u"_фон");
      FailOnRefusal(background.result, *here);
      if (background.Restarts()) return turn_flow::restart;
      if (background.SendsOn()) pending = background.result;
    }
    if (is_pending(pending) && Leave(*here, pending) == turn_flow::restart) return turn_flow::restart;
  }
  if (MoveAlong(here, pending) == turn_flow::restart) return turn_flow::restart;
  return ShowScene();
}

// An event is the location's method, by its English name or else its
// Russian one; a location without it answers ok.
session::event_answer session::CallEvent(location& place, const char16_t* english, const char16_t* russian) {
  event_answer answer{value::Keyword(kw::result_ok)};
  for (const char16_t* name : {english, russian}) {
    const wstring normalised = context::NormalisedName(wstring(name));
    c_array<context*, context*> holders = property_holders(place, normalised);
    if (holders.Count() == 0) continue;
    variable* event = holders[0]->FindVariable(normalised);
    answer.result = event->GetValue(*holders[0], &place, &place, &answer.signal);
    return answer;
  }
  return answer;
}

session::turn_flow session::Leave(location& here, value& pending) {
  set_event_variable(here, u"_куда", pending);
  set_event_variable(here, u"_to", pending);
  event_answer exit = CallEvent(here, u"_exit", u"_выход");
  if (is_answer(exit.result, kw::result_unclear)) FailOnRefusal(exit.result, here);
  if (is_answer(exit.result, kw::result_fail)) {
    PrintEventMessage(exit.result);
    pending = value();
    return turn_flow::go_on;
  }
  if (exit.Restarts()) return turn_flow::restart;
  if (exit.SendsOn()) pending = exit.result;
  if (object* player = Player()) {
    player->SetVariable(wstring(u"last_loc"), location_value(here), false, false);
    player->SetVariable(wstring(u"место_последнее"), location_value(here), false, false);
  }
  return turn_flow::go_on;
}

// Moves the player to the pending location, and on while entering events
// send it further. Game code may destroy the places or the player meanwhile,
// so they are held by reference.
session::turn_flow session::MoveAlong(location* here, value& pending) {
  entity_ref previous = here ? here->Ref() : entity_ref();
  for (int moves = 0; is_pending(pending) && moves < max_moves; ++moves) {
    object* target = pending.GetEntity();
    pending = value();
    if (!target || world_->FindById(target->Id()) != target) throw u"session::Execute() invalid NewLoc!";
    if (target->Type() != kw::type_location) throw u"session::Execute() invalid NewLoc type!";
    location& next = *static_cast<location*>(target);
    object* player = Player();
    if (!player) return turn_flow::go_on;
    ResetCharacters(next);
    player->MoveTo(&next, u'I');
    object* left = previous.Get();
    if (!left) return turn_flow::go_on;
    set_event_variable(next, u"_откуда", location_value(*left));
    set_event_variable(next, u"_from", location_value(*left));
    event_answer enter = CallEvent(next, u"_enter", u"_вход");
    remove_temporary_variables(next);
    if (is_answer(enter.result, kw::result_unclear)) FailOnRefusal(enter.result, next);
    if (is_answer(enter.result, kw::result_fail)) {
      PrintEventMessage(enter.result);
      player = Player();
      left = previous.Get();
      if (player && left) player->MoveTo(left, u'I');
      return turn_flow::go_on;
    }
    if (enter.Restarts()) return turn_flow::restart;
    if (!enter.SendsOn()) return turn_flow::go_on;
    pending = enter.result;
    previous = next.Ref();
  }
  return turn_flow::go_on;
}

session::turn_flow session::ShowScene() {
  if (location* scene = PlayerLocation()) {
    event_answer answer = CallEvent(*scene, u"_scene", u"_сцена");
    FailOnRefusal(answer.result, *scene);
    if (answer.Restarts()) return turn_flow::restart;
  }
  PutCurrentTree();
  return turn_flow::go_on;
}

void session::PutCurrentTree() {
  // A replay's turns were shown when played: the rebuilt game sends one
  // tree when it is done.
  if (replaying_) return;
  location* scene = PlayerLocation();
  PutObjTree(scene ? scene->Name() : wstring(u"global"));
}

void session::FailOnRefusal(const value& answer, context& ctx) const {
  if (is_parse_failure(answer)) throw ValueText(answer, ctx);
}

void session::PrintEventMessage(const value& answer) {
  if (answer.Text().IsEmpty()) return;
  if (output.PrintedOutsideLocation()) Print(wstring(u"\n"));
  Print(answer.Text());
}
