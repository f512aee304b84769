#include "assets/layout.h"

namespace {
float aspect(const LayoutInput& in, ImageId id) {
  return (float)in.image[id].w / (float)in.image[id].h;
}
}  // namespace

void compute_layout(LayoutTable& l, const LayoutInput& in) {
  float W = (float)in.width, H = (float)in.height, U = in.unit;
  l.fullScreenRect = {0, 0, W, H};
  float a = aspect(in, IMG_background);
  if (a > W / H) l.backgroundRect = {W / 2 - H * a / 2, 0, H * a, H};
  else if (a < W / H) l.backgroundRect = {0, H - W / a, W, W / a};
  else l.backgroundRect = {0, 0, W, H};
  l.bottomBarRect = {0, H - H / 7, W, H / 7};
  a = aspect(in, IMG_targetRings);
  l.introRingsRect = {W / 2 - 50 * U * a / 2, H / 2 - 25 * U, 50 * U * a, 50 * U};
  a = aspect(in, IMG_logo);
  l.introLogoRect = {W / 2 - 10 * U * a / 2, H / 2 - 5 * U, 10 * U * a, 10 * U};
}

void draw_backdrop(const FrameClock& c, const TextureCatalog& t, const LayoutTable& l) {
  SDL_RenderCopyF(c.renderer, t.background, nullptr, &l.backgroundRect);
  SDL_RenderCopyF(c.renderer, t.barShadow, nullptr, &l.bottomBarRect);
}

void draw_intro(const FrameClock& c, const TextureCatalog& t, const LayoutTable& l) {
  SDL_RenderCopyF(c.renderer, t.targetRings, nullptr, &l.introRingsRect);
  SDL_RenderCopyF(c.renderer, t.logo, nullptr, &l.introLogoRect);
}
