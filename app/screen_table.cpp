#include "app/screen_table.h"

#include "ui/draw_list.h"

ScreenBinding screen_binding(Program& p, int32_t screen) {
  if (const ScreenEntry* e = screen_entry(screen))
    return ScreenBinding{e->def, e->record ? e->record(p.screens) : nullptr};
  if (game_entry(screen)) return ScreenBinding{&game_screen, &p.games};
  return ScreenBinding{};
}

ScreenContext screen_context(Program& p, const ScreenDef& def) {
  return ScreenContext{p.clock,   p.display, p.palette, p.sounds, p.textures, p.layout,
                       p.fonts,   p.app,     p.pointer, p.link,   p.store,    def.back};
}

void reset_screens(Program& p) {
  for (int32_t i = 0; i < SCREEN_ENTRY_COUNT; ++i) {
    const ScreenEntry& e = screen_entries[i];
    if (!e.def->reset) continue;
    ScreenContext c = screen_context(p, *e.def);
    e.def->reset(e.record ? e.record(p.screens) : nullptr, c);
  }
  ScreenContext c = screen_context(p, game_screen);
  game_screen.reset(&p.games, c);
}

void run_screen(Program& p) {
  ScreenBinding s = screen_binding(p, p.app.screen);
  if (!s.def) return;
  ScreenContext c = screen_context(p, *s.def);
  if (s.def->backdrop) draw_backdrop(p.clock, p.textures, p.layout);
  if (s.def->update) s.def->update(s.record, c);
  if (s.def->tick) s.def->tick(s.record, c);
  if (s.def->draw) s.def->draw(s.record, c);
  if (s.def->after_draw) s.def->after_draw(s.record, c);
}
