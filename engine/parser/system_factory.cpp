// The table of combination rules, in the order the search tries them.

#include "system_factory.h"

#include "composite_word.h"
#include "denial.h"
#include "function.h"
#include "npc_command.h"
#include "prep_word.h"
#include "union_objects.h"

namespace {

const char16_t* const address_name = u"обращение к NPC";
const char16_t* const address_pattern_at_start = u"||| #ovИп; ,;";
const char16_t* const address_pattern_at_end = u"||| ,; #ovИп;";
const char16_t* const function_pattern = u"||| #*v; #*v;";

}  // namespace

void system_factory::Init() {
  for (std::unique_ptr<class link>& slot : slots_) slot.reset();
  count_ = 0;
  Add(std::make_unique<NPC_command>(address_pattern_at_start, 0, address_name));
  Add(std::make_unique<composite_word>(u"|рчпд|рчпд| #wv*ч*п; #wv*ч*п;", 1, u"словосочетание"));
  Add(std::make_unique<composite_word>(u"|рчпд|    | #wv*ч*п; #wv*чРп;", 0, u"слово + чьё/чего"));
  Add(std::make_unique<composite_word>(u"||| #wv; #-v; #wv;", 0, u"слово + предлог + слово"));
  Add(std::make_unique<composite_word>(u"|влфчы|| #wvПф*в; #wv*чВп;", 0, u"синоним глагола"));
  Add(std::make_unique<composite_word>(u"|члр|| #wvНв*л*ч; #wvИв;", 0, u"составной глагол"));
  Add(std::make_unique<composite_word>(u"||| #wv1ф; #wvИв;", 0, u"глагол с наречием"));
  Add(std::make_unique<prep_word>(u"||| #-v; #*v;", 1, u"предлог + значение"));
  Add(std::make_unique<function>(function_pattern, 0, wstring(), u'/'));
  Add(std::make_unique<denial>(u"||| не; #c!;", 1, u"отрицание"));
  Add(std::make_unique<NPC_command>(address_pattern_at_end, 1, address_name));
  Add(std::make_unique<function>(function_pattern, 0, wstring(), u'0'));
  Add(std::make_unique<function>(function_pattern, 0, wstring(), u'1'));
  Add(std::make_unique<union_objects>(u"||| #*v; и; #*v;", 0, u"союз И"));
  Add(std::make_unique<union_objects>(u"||| #*v; или; #*v;", 0, u"союз ИЛИ"));
}

// Slot 0 stays empty: rule index 0 means no rule.
void system_factory::Add(std::unique_ptr<class link> rule) {
  if (count_ + 1 >= slot_count) throw u"system_factory::Init() - превышен CombCount!";
  slots_[++count_] = std::move(rule);
}

const class link* system_factory::Rule(int slot) const {
  return slot >= 0 && slot < slot_count ? slots_[slot].get() : nullptr;
}
