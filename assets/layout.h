// Every on-screen rectangle, computed once from the output size, the pictures' sizes and the
// texts' sizes, so no screen positions a static element by itself.
#pragma once

#include <SDL.h>

#include <cstddef>
#include <cstdint>

#include "assets/catalog.h"

struct LayoutInput {
  int32_t width = 0, height = 0;  // output size in pixels (W, H)
  float unit = 0.0f;              // U = height / 40 in integers, as float
  PixelSize image[IMAGE_COUNT];   // pixel size of each decoded picture
  PixelSize text[TEXT_COUNT];     // TTF_SizeUTF8 of each fixed text in its own font
};

// Float rectangles for pictures, integer rectangles for texts. Fields a screen fills while it
// runs stay zero here (the list says which).
struct LayoutTable {
#define LAYOUT_F(name) SDL_FRect name{};
#define LAYOUT_I(name) SDL_Rect name{};
#define LAYOUT_F_ARRAY(name, n) SDL_FRect name[n]{};
#define LAYOUT_I_ARRAY(name, n) SDL_Rect name[n]{};
#define LAYOUT_F_GRID(name, rows, cols) SDL_FRect name[rows][cols]{};
#define LAYOUT_FLOAT(name) float name = 0.0f;
#define LAYOUT_FLOATS(name, n) float name[n]{};
#define LAYOUT_SIZE(name) PixelSize name{};
#include "assets/layout.def"
};

// Pure: the whole table from the output size, the pictures' sizes and the texts' sizes.
void compute_layout(LayoutTable& layout, const LayoutInput& in);

// The table's fields as data, for tools and tests that walk all of them.
enum LayoutFieldId : int16_t {
#define LAYOUT_FIELD(name, ...) LF_##name,
#define LAYOUT_F LAYOUT_FIELD
#define LAYOUT_I LAYOUT_FIELD
#define LAYOUT_F_ARRAY LAYOUT_FIELD
#define LAYOUT_I_ARRAY LAYOUT_FIELD
#define LAYOUT_F_GRID LAYOUT_FIELD
#define LAYOUT_FLOAT LAYOUT_FIELD
#define LAYOUT_FLOATS LAYOUT_FIELD
#define LAYOUT_SIZE LAYOUT_FIELD
#include "assets/layout.def"
#undef LAYOUT_FIELD
  LAYOUT_FIELD_COUNT,
  LF_NONE = -1
};

enum LayoutKind : uint8_t { KIND_FRECT, KIND_RECT, KIND_FLOAT, KIND_SIZE };
struct LayoutField {
  const char* name;
  LayoutKind kind;
  size_t offset;    // of element 0 in LayoutTable
  int32_t count;    // elements
  int32_t columns;  // of a grid; 1 otherwise
};
extern const LayoutField layout_fields[LAYOUT_FIELD_COUNT];

// Element `index` of a rectangle field as floats; false for the plain numbers.
bool layout_rect(const LayoutTable& layout, LayoutFieldId field, int32_t index, SDL_FRect& out);
// The element's own name: "closeButtonRect", "padPlateRect3", "chargeBarRect24".
void layout_element_name(LayoutFieldId field, int32_t index, char* out, size_t size);

// Which rectangles each screen shows and what is drawn in them: read by the layout overlay
// tool and by the layout tests.
enum RectRole : uint8_t {
  ROLE_BACKDROP,   // fills the screen and may reach past its edges
  ROLE_BUTTON,     // a picture that takes clicks
  ROLE_PICTURE,    // a picture always shown
  ROLE_SOMETIMES,  // a picture shown only in some states (dialogs, countdown, warnings, hover)
  ROLE_TEXT,       // a fixed text
  ROLE_SPRITE,     // the loader gives its size and start; the screen moves it
  ROLE_RUNTIME,    // the loader leaves it (partly) empty; the screen fills it
};
enum : int16_t { NO_ART = -1, EVERY_ELEMENT = -1 };
// A menu row's target: a screen id, or one of these.
enum : int16_t { TARGET_NONE = 0, TARGET_CLOSE = -1, TARGET_BACK = -2 };
struct ScreenRect {
  uint16_t screens;     // bit s set: shown on screen s
  LayoutFieldId field;
  int16_t index;        // element of an array field, or EVERY_ELEMENT
  RectRole role;
  int16_t image;        // ImageId drawn in it, or NO_ART
  int16_t text;         // TextId drawn in it, or NO_ART
  int16_t cycle;        // > 0: element i shows art number (image or text) + i % cycle
  LayoutFieldId on;     // the button this label is centred on, or LF_NONE
  int16_t target = TARGET_NONE;  // in a menu: what a click on it does
};
extern const ScreenRect screen_rects[];
extern const int32_t SCREEN_RECT_COUNT;

constexpr uint16_t screen_bit(int32_t screen) { return (uint16_t)(1u << screen); }
// Screens first to last, inclusive.
constexpr uint16_t screen_bits(int32_t first, int32_t last) {
  return first > last ? 0 : (uint16_t)(screen_bit(first) | screen_bits(first + 1, last));
}

// A menu's table: the rows of screen_rects shown on that screen alone, which follow one
// another in drawing order.
struct MenuRows {
  const ScreenRect* first = nullptr;
  int32_t count = 0;
};
MenuRows menu_rows(int32_t screen);
