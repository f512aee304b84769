#include "ui/pointer_rect.h"

namespace {

bool inside(float px, float py, float rx, float ry, float rw, float rh) {
  return rx <= px && px <= rx + rw && ry <= py && py <= ry + rh;
}

}  // namespace

bool event_in_rect(const PointerState& p, const SDL_Rect& r) {
  return inside((float)p.event_x, (float)p.event_y, (float)r.x, (float)r.y, (float)r.w, (float)r.h);
}
bool event_in_frect(const PointerState& p, const SDL_FRect& r) {
  return inside((float)p.event_x, (float)p.event_y, r.x, r.y, r.w, r.h);
}
bool pointer_in_rect(const PointerState& p, const SDL_Rect& r) {
  return inside((float)p.x, (float)p.y, (float)r.x, (float)r.y, (float)r.w, (float)r.h);
}
bool pointer_in_frect(const PointerState& p, const SDL_FRect& r) {
  return inside((float)p.x, (float)p.y, r.x, r.y, r.w, r.h);
}
