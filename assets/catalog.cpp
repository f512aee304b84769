#include "assets/catalog.h"

#define IMAGE(name, w, h) extern "C" const unsigned char hxm_pack_##name[], hxm_pack_##name##_end[];
#define TEXT HXM_IGNORE_TEXT
#define SLOT HXM_IGNORE_SLOT
#include "assets/catalog.def"
#undef IMAGE
#undef TEXT
#undef SLOT

const ImageInfo image_info[IMAGE_COUNT] = {
#define IMAGE(name, w, h) \
  {#name, w, h, hxm_pack_##name, (size_t)(hxm_pack_##name##_end - hxm_pack_##name)},
#define TEXT HXM_IGNORE_TEXT
#define SLOT HXM_IGNORE_SLOT
#include "assets/catalog.def"
#undef IMAGE
#undef TEXT
#undef SLOT
};

const TextInfo text_info[TEXT_COUNT] = {
#define IMAGE HXM_IGNORE_IMAGE
#define TEXT(name, text, font, colour) {#name, text, &FontSet::font, &Palette::colour},
#define SLOT HXM_IGNORE_SLOT
#include "assets/catalog.def"
#undef IMAGE
#undef TEXT
#undef SLOT
};

const char* const slot_names[TEXTURE_SLOT_COUNT] = {
#define IMAGE(name, w, h) #name,
#define TEXT(name, text, font, colour) #name,
#define SLOT(name) #name,
#include "assets/catalog.def"
#undef IMAGE
#undef TEXT
#undef SLOT
};

namespace {

const size_t slot_offsets[TEXTURE_SLOT_COUNT] = {
#define IMAGE(name, w, h) offsetof(TextureCatalog, name),
#define TEXT(name, text, font, colour) offsetof(TextureCatalog, name),
#define SLOT(name) offsetof(TextureCatalog, name),
#include "assets/catalog.def"
#undef IMAGE
#undef TEXT
#undef SLOT
};

const size_t image_offsets[IMAGE_COUNT] = {
#define IMAGE(name, w, h) offsetof(TextureCatalog, name),
#define TEXT HXM_IGNORE_TEXT
#define SLOT HXM_IGNORE_SLOT
#include "assets/catalog.def"
#undef IMAGE
#undef TEXT
#undef SLOT
};

const size_t text_offsets[TEXT_COUNT] = {
#define IMAGE HXM_IGNORE_IMAGE
#define TEXT(name, text, font, colour) offsetof(TextureCatalog, name),
#define SLOT HXM_IGNORE_SLOT
#include "assets/catalog.def"
#undef IMAGE
#undef TEXT
#undef SLOT
};

SDL_Texture*& at_offset(TextureCatalog& catalog, size_t offset) {
  return *(SDL_Texture**)((char*)&catalog + offset);
}

}  // namespace

SDL_Texture*& catalog_slot(TextureCatalog& catalog, int32_t index) {
  return at_offset(catalog, slot_offsets[index]);
}
SDL_Texture*& image_texture(TextureCatalog& catalog, ImageId id) {
  return at_offset(catalog, image_offsets[id]);
}
SDL_Texture*& text_texture(TextureCatalog& catalog, TextId id) {
  return at_offset(catalog, text_offsets[id]);
}
SDL_Texture* image_texture(const TextureCatalog& catalog, ImageId id) {
  return image_texture(const_cast<TextureCatalog&>(catalog), id);
}
SDL_Texture* text_texture(const TextureCatalog& catalog, TextId id) {
  return text_texture(const_cast<TextureCatalog&>(catalog), id);
}

void font_point_sizes(float unit, int sizes[5]) {
  static const float factors[5] = {1.0f, 1.5f, 2.5f, 3.5f, 6.0f};
  for (int i = 0; i < 5; ++i) sizes[i] = (int)(factors[i] * unit);
}
