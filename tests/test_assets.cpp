// The compiled-in pictures, the fonts, the fixed texts and their loading.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "assets/catalog.h"
#include "assets/loader.h"
#include "tests/support.h"
#include "tools/png_file.h"

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

// Each picture's pixels as RGBA bytes, rows unpadded, reduced to one number.
size_t rgba_checksum(const void* pixels, Uint32 format, int pitch, int w, int h) {
  std::string rgba((size_t)w * h * 4, '\0');
  if (SDL_ConvertPixels(w, h, format, pixels, pitch, SDL_PIXELFORMAT_RGBA32, rgba.data(), w * 4))
    return 0;
  return std::hash<std::string>{}(rgba);
}

// The rasterised PNG as the art build wrote it.
size_t png_checksum(const ImageInfo& info) {
  std::string png = read_file(std::string(HXM_ART_DIR "/") + info.name + ".png");
  const unsigned char* p = (const unsigned char*)png.data();
  if (png.size() < 33 || memcmp(p, "\x89PNG\r\n\x1a\n", 8) != 0 || memcmp(p + 12, "IHDR", 4) != 0)
    return 0;
  // The art build's promise: 8-bit RGBA (colour type 6) at the listed size.
  if ((int32_t)be32(p + 16) != info.width || (int32_t)be32(p + 20) != info.height || p[24] != 8 ||
      p[25] != 6)
    return 0;
  std::vector<unsigned char> rgba;
  int w = 0, h = 0;
  std::string why;
  if (!read_png_rgba(std::string(HXM_ART_DIR "/") + info.name + ".png", rgba, w, h, why)) return 0;
  return rgba_checksum(rgba.data(), SDL_PIXELFORMAT_RGBA32, w * 4, w, h);
}

}  // namespace

// The packed pixels are exactly the rasterised PNG's, decoded straight in the renderers'
// layout and through the conversion used for any other layout (with padded rows).
TEST(Pictures, EveryOneDecodesToTheRasterisedPixels) {
  std::set<std::string> names;
  for (const ImageInfo& info : image_info) {
    SCOPED_TRACE(info.name);
    names.insert(info.name);
    size_t expected = png_checksum(info);
    ASSERT_NE(expected, 0u) << "not an 8-bit RGBA PNG of " << info.width << "x" << info.height;
    struct {
      Uint32 format;
      int padding;
    } targets[] = {{PICTURE_PACK_FORMAT, 0}, {SDL_PIXELFORMAT_RGBA32, 12}};
    for (const auto& t : targets) {
      int pitch = info.width * 4 + t.padding;
      std::string pixels((size_t)pitch * info.height, '\0');
      const char* cause = decode_picture(info, t.format, pixels.data(), pitch);
      ASSERT_EQ(cause, nullptr) << cause;
      EXPECT_EQ(rgba_checksum(pixels.data(), t.format, pitch, info.width, info.height), expected)
          << SDL_GetPixelFormatName(t.format);
    }
  }
  EXPECT_EQ(names.size(), (size_t)IMAGE_COUNT) << "every picture has its own name";
}

// A damaged entry is reported, never read past or written past (the sanitizers watch).
TEST(Pictures, DamagedEntriesAreRefused) {
  const ImageInfo& good = image_info[IMG_closeCross];
  std::string frame((const char*)good.pack, good.pack_size);
  auto flipped = [&](size_t at) {
    std::string f = frame;
    f[at] = (char)(f[at] ^ 0x5A);
    return f;
  };
  const ImageInfo& other = image_info[IMG_checkMark];
  struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"cut to its header", frame.substr(0, 6)},
      {"cut by one byte", frame.substr(0, frame.size() - 1)},
      {"cut in half", frame.substr(0, frame.size() / 2)},
      {"magic number", flipped(1)},
      {"frame header", flipped(5)},
      {"middle", flipped(frame.size() / 2)},
      {"checksum", flipped(frame.size() - 1)},
      {"trailing byte", frame + '\0'},
      {"another picture's frame", std::string((const char*)other.pack, other.pack_size)},
  };
  int pitch = good.width * 4;
  for (const auto& c : cases) {
    ImageInfo damaged = good;
    damaged.pack = (const unsigned char*)c.bytes.data();
    damaged.pack_size = c.bytes.size();
    std::vector<unsigned char> pixels((size_t)pitch * good.height);
    EXPECT_NE(decode_picture(damaged, PICTURE_PACK_FORMAT, pixels.data(), pitch), nullptr)
        << c.what;
    EXPECT_NE(decode_picture(damaged, SDL_PIXELFORMAT_RGBA32, pixels.data(), pitch), nullptr)
        << c.what;
    const PixelSize half{good.width / 2, good.height / 2};
    EXPECT_NE(make_picture(damaged, half, PICTURE_PACK_FORMAT, pixels.data(), half.w * 4), nullptr)
        << c.what << ", made smaller";
  }
  std::vector<unsigned char> pixels((size_t)pitch * good.height);
  EXPECT_EQ(decode_picture(good, PICTURE_PACK_FORMAT, pixels.data(), pitch), nullptr);
}

// A picture made smaller: each new pixel is the mean of the block it covers, colours weighted
// by alpha (a transparent pixel's colour counts for nothing); at a size that is no whole
// fraction the coverage still adds up.
TEST(Pictures, MadeSmallerByAveragingWhatEachPixelCovers) {
  for (ImageId id : {IMG_ringGears, IMG_closeCross, IMG_background}) {
    const ImageInfo& info = image_info[id];
    SCOPED_TRACE(info.name);
    std::vector<Uint8> own((size_t)info.width * info.height * 4);
    ASSERT_EQ(decode_picture(info, SDL_PIXELFORMAT_RGBA32, own.data(), info.width * 4), nullptr);
    for (int f : {2, 5}) {
      const PixelSize size{info.width / f, info.height / f};
      std::vector<Uint8> made((size_t)size.w * size.h * 4);
      ASSERT_EQ(make_picture(info, size, SDL_PIXELFORMAT_RGBA32, made.data(), size.w * 4), nullptr);
      int worst = 0;
      // The block sums cover f x f whole pixels only where the size divides exactly.
      const bool exact = info.width % f == 0 && info.height % f == 0;
      for (int y = 0; y < size.h && exact; ++y)
        for (int x = 0; x < size.w; ++x) {
          double a = 0, c[3] = {0, 0, 0};
          for (int v = 0; v < f; ++v)
            for (int u = 0; u < f; ++u) {
              const Uint8* p = &own[(((size_t)(y * f + v)) * info.width + x * f + u) * 4];
              a += p[3];
              for (int k = 0; k < 3; ++k) c[k] += p[3] * (double)p[k];
            }
          const Uint8* m = &made[((size_t)y * size.w + x) * 4];
          worst = std::max(worst, std::abs((int)m[3] - (int)(a / (f * f) + 0.5)));
          for (int k = 0; k < 3 && a > 0; ++k)
            worst = std::max(worst, std::abs((int)m[k] - (int)(c[k] / a + 0.5)));
        }
      EXPECT_LE(worst, 1) << "by " << f;
    }
    // A size of no whole fraction: as much alpha in all as before, per pixel of area.
    const PixelSize odd{info.width * 3 / 7, info.height * 5 / 11};
    std::vector<Uint8> made((size_t)odd.w * odd.h * 4);
    ASSERT_EQ(make_picture(info, odd, SDL_PIXELFORMAT_RGBA32, made.data(), odd.w * 4), nullptr);
    double before = 0, after = 0;
    for (size_t k = 3; k < own.size(); k += 4) before += own[k];
    for (size_t k = 3; k < made.size(); k += 4) after += made[k];
    EXPECT_NEAR(after / ((double)odd.w * odd.h), before / ((double)info.width * info.height), 0.5);
  }
  // Never made larger than its own size.
  const ImageInfo& small = image_info[IMG_closeCross];
  std::vector<Uint8> room((size_t)(small.width + 1) * small.height * 4);
  EXPECT_NE(make_picture(small, PixelSize{small.width + 1, small.height}, SDL_PIXELFORMAT_RGBA32,
                         room.data(), (small.width + 1) * 4),
            nullptr);
}

// Where the pictures are made at the size they are drawn at: the backgrounds at the screen's,
// the buttons at theirs; a picture drawn through part of itself or at many sizes keeps its own.
TEST(Pictures, MadeAtTheSizeTheyAreDrawnAt) {
  for (const auto& screen : {PixelSize{1920, 1080}, PixelSize{1366, 768}}) {
    SCOPED_TRACE(screen.h);
    LayoutInput in;
    in.width = screen.w;
    in.height = screen.h;
    in.unit = (float)(screen.h / 40);
    for (int32_t i = 0; i < IMAGE_COUNT; ++i) in.image[i] = {image_info[i].width, image_info[i].height};
    for (PixelSize& t : in.text) t = {40, 20};
    LayoutTable layout;
    compute_layout(layout, in);
    PixelSize sizes[IMAGE_COUNT];
    picture_sizes(layout, in.unit, sizes);
    auto expect_drawn = [&](ImageId id, const SDL_FRect& r) {
      EXPECT_EQ(sizes[id].w, (int32_t)r.w) << image_info[id].name;
      EXPECT_EQ(sizes[id].h, (int32_t)r.h) << image_info[id].name;
    };
    expect_drawn(IMG_background, layout.backgroundRect);
    expect_drawn(IMG_caveBackground, layout.caveBackgroundRect);
    expect_drawn(IMG_targetRings, layout.introRingsRect);
    expect_drawn(IMG_ringPlay, layout.playButtonRect);
    expect_drawn(IMG_rankTitle1, layout.rankTitleRect[0]);
    expect_drawn(IMG_rankTitle9, layout.rankTitleRect[8]);
    expect_drawn(IMG_log2, layout.leftLogRect[1]);
    expect_drawn(IMG_log4, layout.rightLogRect[7]);
    const int32_t gem = (int32_t)(4.0f * in.unit);
    EXPECT_EQ(sizes[IMG_pebble].w, gem);
    EXPECT_GE(sizes[IMG_emerald].w, gem);
    for (ImageId own : {IMG_powerScale, IMG_duckBlue1, IMG_duckRed6}) {
      EXPECT_EQ(sizes[own].w, image_info[own].width) << image_info[own].name;
      EXPECT_EQ(sizes[own].h, image_info[own].height) << image_info[own].name;
    }
    int64_t total = 0;
    for (const PixelSize& s : sizes) {
      EXPECT_GE(s.w, 1);
      EXPECT_GE(s.h, 1);
      total += (int64_t)s.w * s.h;
    }
    // Far fewer pixels than the 95 million of the pictures' own sizes.
    EXPECT_LT(total, 40'000'000);
  }
}

// Drawing again and packing again gives the very bytes compiled in.
TEST(Pictures, TheArtBuildIsReproducible) {
  std::string dir = make_temp_dir();
  ASSERT_FALSE(dir.empty());
  std::string only = "logo,rankTitle9,wheelGreen3,duckRed5,blast4,tagLime,background";
  std::string cmd = "python3 " HXM_SOURCE_DIR "/assets/art/make_art.py --catalog " HXM_SOURCE_DIR
                    "/assets/catalog.def --jobs 1 --out " + dir + " --only " + only;
  ASSERT_EQ(system(cmd.c_str()), 0);
  std::string pack = std::string(HXM_PACK_TOOL " ") + std::to_string(HXM_PACK_LEVEL) + " " + dir;
  for (const ImageInfo& info : image_info)
    if (only.find(info.name) != std::string::npos) pack += " " + dir + "/" + info.name + ".png";
  ASSERT_EQ(system(pack.c_str()), 0);
  int checked = 0;
  for (const ImageInfo& info : image_info) {
    if (only.find(info.name) == std::string::npos) continue;
    std::string png = read_file(dir + "/" + info.name + ".png");
    ASSERT_FALSE(png.empty()) << info.name;
    EXPECT_TRUE(png == read_file(std::string(HXM_ART_DIR "/") + info.name + ".png"))
        << info.name << ".png differs from the build's";
    std::string again = read_file(dir + "/" + info.name + ".zst");
    EXPECT_EQ(again.size(), info.pack_size) << info.name;
    EXPECT_TRUE(again == std::string((const char*)info.pack, info.pack_size))
        << info.name << " differs from the compiled-in copy";
    ++checked;
  }
  EXPECT_EQ(checked, 7);
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
  // Each picture's texture has the size it is drawn at and holds that picture's own pixels at
  // that size (the three ring digits, say, are all alike in size). Copying without blending
  // looks the same only where nothing shows through: every picture with a pixel that is not
  // fully opaque must blend.
  PixelSize sizes[IMAGE_COUNT];
  picture_sizes(layout, display.unit, sizes);
  int32_t opaque = 0;
  for (int32_t i = 0; i < IMAGE_COUNT; ++i) {
    const ImageInfo& info = image_info[i];
    SDL_Texture* texture = image_texture(textures, (ImageId)i);
    Uint32 format = 0;
    int w = 0, h = 0;
    SDL_QueryTexture(texture, &format, nullptr, &w, &h);
    EXPECT_EQ(w, sizes[i].w) << info.name;
    EXPECT_EQ(h, sizes[i].h) << info.name;
    std::string own((size_t)w * h * 4, '\0');
    ASSERT_EQ(make_picture(info, sizes[i], SDL_PIXELFORMAT_RGBA32, own.data(), w * 4), nullptr);
    SDL_Rect whole{0, 0, w, h};
    SDL_SetRenderTarget(clock.renderer, nullptr);
    std::string held((size_t)w * h * 4, '\0');
    SDL_Texture* target = SDL_CreateTexture(clock.renderer, format, SDL_TEXTUREACCESS_TARGET, w, h);
    ASSERT_NE(target, nullptr) << info.name;
    SDL_SetRenderTarget(clock.renderer, target);
    SDL_BlendMode mode = SDL_BLENDMODE_NONE;
    SDL_GetTextureBlendMode(texture, &mode);
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_NONE);
    SDL_RenderCopy(clock.renderer, texture, nullptr, &whole);
    SDL_SetTextureBlendMode(texture, mode);
    SDL_RenderReadPixels(clock.renderer, &whole, SDL_PIXELFORMAT_RGBA32, held.data(), w * 4);
    SDL_SetRenderTarget(clock.renderer, nullptr);
    SDL_DestroyTexture(target);
    EXPECT_TRUE(held == own) << info.name;
    bool see_through = false;
    for (size_t k = 3; k < own.size() && !see_through; k += 4) see_through = (Uint8)own[k] != 255;
    SDL_BlendMode blend = SDL_BLENDMODE_NONE;
    SDL_GetTextureBlendMode(texture, &blend);
    EXPECT_EQ(blend, see_through ? SDL_BLENDMODE_BLEND : SDL_BLENDMODE_NONE) << info.name;
    opaque += !see_through;
  }
  EXPECT_GT(opaque, 0) << "the full-screen backgrounds are opaque";
  // Each turned picture's sheet, at the flying size, blending.
  const PixelSize sheet = turned_sheet_size(turned_cell(display.unit));
  EXPECT_EQ(sheet.w, 6 * (int)(4 * display.unit));
  for (SDL_Texture* turned : textures.turned) {
    int w = 0, h = 0;
    ASSERT_EQ(SDL_QueryTexture(turned, nullptr, nullptr, &w, &h), 0);
    EXPECT_EQ(w, sheet.w);
    EXPECT_EQ(h, sheet.h);
    SDL_BlendMode blend = SDL_BLENDMODE_NONE;
    SDL_GetTextureBlendMode(turned, &blend);
    EXPECT_EQ(blend, SDL_BLENDMODE_BLEND);
  }
  // A screen's run-time texture is released too.
  textures.macValueTexture2 = SDL_CreateTexture(clock.renderer, SDL_PIXELFORMAT_RGBA32,
                                                SDL_TEXTUREACCESS_STATIC, 4, 4);
  release_assets(textures, fonts);
  for (int32_t i = 0; i < TEXTURE_SLOT_COUNT; ++i)
    EXPECT_EQ(catalog_slot(textures, i), nullptr) << slot_names[i];
  for (SDL_Texture* turned : textures.turned) EXPECT_EQ(turned, nullptr);
  EXPECT_EQ(fonts.fontMedium, nullptr);
  release_assets(textures, fonts);  // twice is harmless
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

namespace {

// A start of the program that is expected to fail: its exit code and its own stderr lines.
struct FailedStart {
  int code = -1;
  std::vector<std::string> lines;  // those starting "hxm:"; SDL or ALSA may chatter too
  std::string all;
};

FailedStart start_failing(const std::string& binary, const std::string& dir) {
  FailedStart out;
  int err[2];
  if (pipe(err) != 0) return out;
  pid_t pid = fork();
  if (pid < 0) return out;
  if (pid == 0) {
    dup2(err[1], 2);
    close(err[0]);
    if (chdir(dir.c_str()) != 0) _exit(100);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    execl(binary.c_str(), binary.c_str(), (char*)nullptr);
    _exit(101);
  }
  close(err[1]);
  char buf[512];
  for (ssize_t n; (n = read(err[0], buf, sizeof buf)) > 0;) out.all.append(buf, (size_t)n);
  close(err[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  out.code = WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
  std::stringstream lines(out.all);
  for (std::string line; std::getline(lines, line);)
    if (line.rfind("hxm:", 0) == 0) out.lines.push_back(line);
  return out;
}

}  // namespace

TEST(Binary, WithoutItsFontExitsSevenNamingTheFile) {
  std::string dir = make_temp_dir();
  ASSERT_FALSE(dir.empty());
  // A copy of the program, so that no font lies beside it either.
  std::string program = dir + "/hxm";
  std::error_code ec;
  ASSERT_TRUE(std::filesystem::copy_file(HXM_BINARY, program, ec)) << ec.message();
  FailedStart start = start_failing(program, dir);
  EXPECT_EQ(start.code, 7);
  ASSERT_EQ(start.lines.size(), 1u) << start.all;
  EXPECT_NE(start.lines[0].find("font/hxm_font.ttf"), std::string::npos) << start.lines[0];
  remove_tree(dir);
}

// One damaged byte in one picture of the pack: exit 7 and one line naming that picture.
TEST(Binary, WithADamagedPictureExitsSevenNamingIt) {
  std::string dir = make_temp_dir();
  ASSERT_FALSE(dir.empty());
  std::error_code ec;
  std::filesystem::create_directory_symlink(HXM_RUN_DIR "/font", dir + "/font", ec);
  ASSERT_FALSE(ec) << ec.message();
  std::string binary = read_file(HXM_BINARY);
  const ImageInfo& victim = image_info[IMG_ringGear];
  std::string frame((const char*)victim.pack, victim.pack_size);
  size_t at = binary.find(frame);
  ASSERT_NE(at, std::string::npos);
  ASSERT_EQ(binary.find(frame, at + 1), std::string::npos) << "the frame is not unique";
  binary[at + frame.size() / 2] = (char)(binary[at + frame.size() / 2] ^ 0x5A);
  std::string path = dir + "/hxm";
  {
    std::ofstream out(path, std::ios::binary);
    out << binary;
  }
  ASSERT_EQ(chmod(path.c_str(), 0755), 0);
  FailedStart start = start_failing(path, dir);
  EXPECT_EQ(start.code, 7) << start.all;
  ASSERT_EQ(start.lines.size(), 1u) << start.all;
  EXPECT_NE(start.lines[0].find("picture ringGear"), std::string::npos) << start.lines[0];
  remove_tree(dir);
}
