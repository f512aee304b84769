// The compiled-in pictures, the fonts, the fixed texts and their loading.
#include <SDL_image.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "assets/catalog.h"
#include "assets/loader.h"
#include "tests/support.h"

namespace {

uint32_t be32(const unsigned char* p) {
  return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3];
}

// Decodes the UTF-8 of a fixed text into code points.
std::vector<uint32_t> code_points(const char* s) {
  std::vector<uint32_t> out;
  for (const unsigned char* p = (const unsigned char*)s; *p;) {
    uint32_t c = *p;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    c &= extra ? (0x3F >> extra) : 0x7F;
    ++p;
    for (int i = 0; i < extra && *p; ++i, ++p) c = c << 6 | (*p & 0x3F);
    out.push_back(c);
  }
  return out;
}

std::string read_file(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

}  // namespace

TEST(Pictures, EveryOneIsAnRgbaPngOfItsListedSize) {
  ASSERT_EQ(IMG_Init(IMG_INIT_PNG) & IMG_INIT_PNG, IMG_INIT_PNG);
  std::set<std::string> names;
  for (const ImageInfo& info : image_info) {
    SCOPED_TRACE(info.name);
    names.insert(info.name);
    ASSERT_GT(info.png_size, 33u);
    const unsigned char* p = info.png;
    ASSERT_EQ(memcmp(p, "\x89PNG\r\n\x1a\n", 8), 0);
    ASSERT_EQ(memcmp(p + 12, "IHDR", 4), 0);
    EXPECT_EQ((int32_t)be32(p + 16), info.width);
    EXPECT_EQ((int32_t)be32(p + 20), info.height);
    EXPECT_EQ(p[24], 8) << "bit depth";
    EXPECT_EQ(p[25], 6) << "colour type: RGBA";
    SDL_RWops* rw = SDL_RWFromConstMem(info.png, (int)info.png_size);
    SDL_Surface* s = IMG_LoadPNG_RW(rw);
    SDL_RWclose(rw);
    ASSERT_NE(s, nullptr) << IMG_GetError();
    EXPECT_EQ(s->w, info.width);
    EXPECT_EQ(s->h, info.height);
    SDL_FreeSurface(s);
  }
  EXPECT_EQ(names.size(), (size_t)IMAGE_COUNT) << "every picture has its own name";
}

TEST(Pictures, TheArtBuildIsReproducible) {
  std::string dir = make_temp_dir();
  ASSERT_FALSE(dir.empty());
  std::string only = "logo,rankTitle9,wheelGreen3,duckRed5,blast4,tagLime,background";
  std::string cmd = "python3 " HXM_SOURCE_DIR "/assets/art/make_art.py --catalog " HXM_SOURCE_DIR
                    "/assets/catalog.def --jobs 1 --out " + dir + " --only " + only;
  ASSERT_EQ(system(cmd.c_str()), 0);
  for (const ImageInfo& info : image_info) {
    if (only.find(info.name) == std::string::npos) continue;
    std::string again = read_file(dir + "/" + info.name + ".png");
    ASSERT_FALSE(again.empty()) << info.name;
    EXPECT_EQ(again.size(), info.png_size) << info.name;
    EXPECT_TRUE(again == std::string((const char*)info.png, info.png_size))
        << info.name << " differs from the compiled-in copy";
  }
  remove_tree(dir);
}

TEST(Fonts, SizesFollowTheUnitAndCoverEveryFixedText) {
  int sizes[5];
  font_point_sizes(27.0f, sizes);
  EXPECT_EQ(sizes[0], 27);
  EXPECT_EQ(sizes[1], 40);
  EXPECT_EQ(sizes[2], 67);
  EXPECT_EQ(sizes[3], 94);
  EXPECT_EQ(sizes[4], 162);
  font_point_sizes(19.0f, sizes);
  EXPECT_EQ(sizes[1], 28);
  EXPECT_EQ(sizes[2], 47);

  ASSERT_EQ(TTF_Init(), 0);
  ASSERT_EQ(chdir(HXM_RUN_DIR), 0);
  FontSet fonts;
  ASSERT_TRUE(open_fonts(fonts, 27.0f)) << SDL_GetError();
  EXPECT_EQ(TTF_FontHeight(fonts.fontSmall) < TTF_FontHeight(fonts.fontMedium), true);
  EXPECT_EQ(TTF_FontHeight(fonts.fontHuge) < TTF_FontHeight(fonts.fontGiant), true);
  for (const TextInfo& t : text_info)
    for (uint32_t c : code_points(t.text))
      EXPECT_TRUE(TTF_GlyphIsProvided32(fonts.*t.font, c)) << t.name << " U+" << std::hex << c;
  TextureCatalog unused;
  release_assets(unused, fonts);
  EXPECT_EQ(fonts.fontSmall, nullptr);
  EXPECT_EQ(fonts.fontGiant, nullptr);
  TTF_Quit();
}

// The loader on a software renderer over an offscreen surface.
class Loaded : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(chdir(HXM_RUN_DIR), 0);
    ASSERT_TRUE(begin_offscreen(a, 1920, 1080)) << SDL_GetError();
  }
  void TearDown() override { end_offscreen(a); }
  OffscreenAssets a;
  OffscreenRenderer& screen = a.screen;
  FrameClock& clock = a.clock;
  Display& display = a.display;
  TextureCatalog& textures = a.textures;
  LayoutTable& layout = a.layout;
  Palette& palette = a.palette;
  FontSet& fonts = a.fonts;
};

TEST_F(Loaded, FillsImageAndTextSlotsAndReleasesAll) {
  ASSERT_EQ(load_assets(clock, display, textures, layout, palette, fonts), 0) << SDL_GetError();
  std::set<std::string> runtime;
#define IMAGE HXM_IGNORE_IMAGE
#define TEXT HXM_IGNORE_TEXT
#define SLOT(name) runtime.insert(#name);
#include "assets/catalog.def"
#undef IMAGE
#undef TEXT
#undef SLOT
  EXPECT_EQ(runtime.size(), 37u);
  for (int32_t i = 0; i < TEXTURE_SLOT_COUNT; ++i) {
    bool is_runtime = runtime.count(slot_names[i]) > 0;
    EXPECT_EQ(catalog_slot(textures, i) == nullptr, is_runtime) << slot_names[i];
  }
  for (int32_t i = 0; i < IMAGE_COUNT; ++i) {
    int w = 0, h = 0;
    SDL_QueryTexture(image_texture(textures, (ImageId)i), nullptr, nullptr, &w, &h);
    EXPECT_EQ(w, image_info[i].width) << image_info[i].name;
    EXPECT_EQ(h, image_info[i].height) << image_info[i].name;
  }
  // A screen's run-time texture is released too.
  textures.macValueTexture2 = SDL_CreateTexture(clock.renderer, SDL_PIXELFORMAT_RGBA32,
                                                SDL_TEXTUREACCESS_STATIC, 4, 4);
  release_assets(textures, fonts);
  for (int32_t i = 0; i < TEXTURE_SLOT_COUNT; ++i)
    EXPECT_EQ(catalog_slot(textures, i), nullptr) << slot_names[i];
  EXPECT_EQ(fonts.fontMedium, nullptr);
  release_assets(textures, fonts);  // twice is harmless
}

// Copying without blending looks the same only where nothing shows through: every picture
// with a pixel that is not fully opaque must blend.
TEST_F(Loaded, OnlyPicturesWithoutTransparencyAreCopiedWithoutBlending) {
  ASSERT_EQ(load_assets(clock, display, textures, layout, palette, fonts), 0) << SDL_GetError();
  SDL_Surface* surfaces[IMAGE_COUNT] = {};
  ASSERT_TRUE(decode_images(surfaces)) << SDL_GetError();
  int32_t opaque = 0;
  for (int32_t i = 0; i < IMAGE_COUNT; ++i) {
    const SDL_Surface* s = surfaces[i];
    ASSERT_EQ(s->format->BytesPerPixel, 4) << image_info[i].name;
    bool see_through = false;
    for (int y = 0; y < s->h && !see_through; ++y)
      for (int x = 0; x < s->w && !see_through; ++x) {
        Uint32 px;
        memcpy(&px, (const Uint8*)s->pixels + y * s->pitch + x * 4, 4);
        Uint8 r, g, b, alpha;
        SDL_GetRGBA(px, s->format, &r, &g, &b, &alpha);
        see_through = alpha != 255;
      }
    SDL_BlendMode mode;
    SDL_GetTextureBlendMode(image_texture(textures, (ImageId)i), &mode);
    EXPECT_EQ(mode, see_through ? SDL_BLENDMODE_BLEND : SDL_BLENDMODE_NONE) << image_info[i].name;
    opaque += !see_through;
  }
  EXPECT_GT(opaque, 0) << "the full-screen backgrounds are opaque";
  for (SDL_Surface* s : surfaces) SDL_FreeSurface(s);
}

TEST_F(Loaded, TextSizesAreTheRenderedSizes) {
  ASSERT_EQ(load_assets(clock, display, textures, layout, palette, fonts), 0) << SDL_GetError();
  PixelSize measured[TEXT_COUNT];
  measure_texts(fonts, measured);
  for (int32_t i = 0; i < TEXT_COUNT; ++i) {
    int w = 0, h = 0;
    ASSERT_EQ(SDL_QueryTexture(text_texture(textures, (TextId)i), nullptr, nullptr, &w, &h), 0)
        << text_info[i].name;
    EXPECT_EQ(measured[i].w, w) << text_info[i].name;
    EXPECT_EQ(measured[i].h, h) << text_info[i].name;
  }
  // Every text rectangle of every screen has its own text's rendered size.
  int checked = 0;
  for (int32_t i = 0; i < SCREEN_RECT_COUNT; ++i) {
    const ScreenRect& r = screen_rects[i];
    if (r.role != ROLE_TEXT || r.text == NO_ART) continue;
    int32_t count = r.index == EVERY_ELEMENT ? layout_fields[r.field].count : 1;
    for (int32_t e = 0; e < count; ++e) {
      int32_t element = r.index == EVERY_ELEMENT ? e : r.index;
      TextId id = (TextId)(r.text + (r.cycle > 0 ? element % r.cycle : 0));
      SDL_FRect rect;
      ASSERT_TRUE(layout_rect(layout, r.field, element, rect));
      int w = 0, h = 0;
      SDL_QueryTexture(text_texture(textures, id), nullptr, nullptr, &w, &h);
      EXPECT_EQ((int)rect.w, w) << layout_fields[r.field].name << " " << element;
      EXPECT_EQ((int)rect.h, h) << layout_fields[r.field].name << " " << element;
      ++checked;
    }
  }
  EXPECT_GT(checked, 70);
  // Cyrillic is measured by its glyphs, not its bytes: "Игрок" is 10 bytes, 5 letters.
  int byte_w = 0, h = 0;
  TTF_SizeText(fonts.fontMedium, "Игрок", &byte_w, &h);
  EXPECT_LT(measured[TXT_labelPlayerGreen].w, byte_w);
  EXPECT_GT(measured[TXT_labelPlayerGreen].w, byte_w / 3);
}

TEST_F(Loaded, FixedTextsAreDrawnInTheirColours) {
  ASSERT_EQ(load_assets(clock, display, textures, layout, palette, fonts), 0) << SDL_GetError();
  struct {
    SDL_Texture* texture;
    SDL_Color colour;
  } cases[] = {{textures.labelColonRed, palette.red},
               {textures.captionBrand, palette.green},
               {textures.captionInLime, palette.lime},
               {textures.labelPlayerGrey, palette.dark_grey},
               {textures.titleSettings, palette.white}};
  for (auto& c : cases) {
    SDL_SetRenderDrawColor(clock.renderer, 0, 0, 0, 255);
    SDL_RenderClear(clock.renderer);
    int w = 0, h = 0;
    SDL_QueryTexture(c.texture, nullptr, nullptr, &w, &h);
    SDL_Rect dst{0, 0, w, h};
    SDL_RenderCopy(clock.renderer, c.texture, nullptr, &dst);
    // The brightest pixel drawn is the text's own colour.
    SDL_Color best{0, 0, 0, 0};
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        SDL_Color p = offscreen_pixel(screen, x, y);
        if (p.r + p.g + p.b > best.r + best.g + best.b) best = p;
      }
    EXPECT_NEAR(best.r, c.colour.r, 3);
    EXPECT_NEAR(best.g, c.colour.g, 3);
    EXPECT_NEAR(best.b, c.colour.b, 3);
  }
}

TEST(Binary, WithoutItsFontExitsSevenNamingTheFile) {
  std::string dir = make_temp_dir();
  ASSERT_FALSE(dir.empty());
  // A copy of the program, so that no font lies beside it either.
  std::string program = dir + "/hxm";
  std::error_code ec;
  ASSERT_TRUE(std::filesystem::copy_file(HXM_BINARY, program, ec)) << ec.message();
  int err[2];
  ASSERT_EQ(pipe(err), 0);
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    dup2(err[1], 2);
    close(err[0]);
    if (chdir(dir.c_str()) != 0) _exit(100);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    execl(program.c_str(), program.c_str(), (char*)nullptr);
    _exit(101);
  }
  close(err[1]);
  std::string text;
  char buf[512];
  for (ssize_t n; (n = read(err[0], buf, sizeof buf)) > 0;) text.append(buf, (size_t)n);
  close(err[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 7);
  // SDL or ALSA may chatter about the audio device; ours is the one line starting "hxm:".
  std::vector<std::string> ours;
  std::stringstream lines(text);
  for (std::string line; std::getline(lines, line);)
    if (line.rfind("hxm:", 0) == 0) ours.push_back(line);
  ASSERT_EQ(ours.size(), 1u) << text;
  EXPECT_NE(ours[0].find("font/hxm_font.ttf"), std::string::npos) << ours[0];
  remove_tree(dir);
}
