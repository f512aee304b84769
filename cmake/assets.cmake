# Run-time data beside the binary: the font (and, as they come, the sounds).
# Compiled-in pictures are generated here too.

set(HXM_GENERATED_SOURCES "")
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/generated)

set(HXM_FONT_SOURCE /usr/share/fonts/truetype/paratype/PTS75F.ttf)
add_custom_command(
  OUTPUT ${HXM_RUN_DIR}/font/hxm_font.ttf
  COMMAND ${CMAKE_COMMAND} -E make_directory ${HXM_RUN_DIR}/font
  COMMAND ${CMAKE_COMMAND} -E copy ${HXM_FONT_SOURCE} ${HXM_RUN_DIR}/font/hxm_font.ttf
  DEPENDS ${HXM_FONT_SOURCE}
  COMMENT "Installing the font into the run directory")

add_custom_target(hxm_run_data ALL DEPENDS ${HXM_RUN_DIR}/font/hxm_font.ttf)

# The pictures: SVG sources generated and rasterised to PNG by assets/art/make_art.py, packed
# (pixels as zstd frames, see tools/pack_pictures.cpp), then compiled into the library
# with .incbin (fast to build, nothing read from disk at run time).
find_package(Python3 REQUIRED COMPONENTS Interpreter)
if(CMAKE_CROSSCOMPILING)
  set(HXM_ART_DIR ${HXM_HOST_BUILD}/art)  # the same pictures as the native build's
else()
  set(HXM_ART_DIR ${CMAKE_BINARY_DIR}/art)
endif()
# The program's icon on every platform: the fist ring of the training menu.
set(HXM_ICON_SVG ${HXM_ART_DIR}/ringFist.svg)
set(HXM_CATALOG ${CMAKE_SOURCE_DIR}/assets/catalog.def)
# Level 12: 15 % larger than level 19's pack in a twentieth of its packing time (4 s on one
# core), and as fast to decode; lower levels give larger packs that decode more slowly.
set(HXM_PACK_LEVEL 12)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${HXM_CATALOG})
file(STRINGS ${HXM_CATALOG} HXM_IMAGE_LINES REGEX "^IMAGE\\(")
set(HXM_IMAGE_PNGS "")
set(HXM_IMAGE_PACKS "")
# Read-only data in ELF and in PE (where only ELF wants the non-executable stack note).
if(WIN32)
  set(HXM_INCBIN "\t.section .rdata,\"dr\"\n")
  set(HXM_INCBIN_END "")
else()
  set(HXM_INCBIN "\t.section .rodata\n")
  set(HXM_INCBIN_END "\t.section .note.GNU-stack,\"\",@progbits\n")
endif()
foreach(line ${HXM_IMAGE_LINES})
  string(REGEX REPLACE "^IMAGE\\(([A-Za-z0-9_]+),.*" "\\1" name "${line}")
  list(APPEND HXM_IMAGE_PNGS ${HXM_ART_DIR}/${name}.png)
  list(APPEND HXM_IMAGE_PACKS ${HXM_ART_DIR}/${name}.zst)
  string(APPEND HXM_INCBIN
    "\t.global hxm_pack_${name}\n\t.global hxm_pack_${name}_end\n\t.balign 16\n"
    "hxm_pack_${name}:\n\t.incbin \"${HXM_ART_DIR}/${name}.zst\"\nhxm_pack_${name}_end:\n")
endforeach()
string(APPEND HXM_INCBIN "${HXM_INCBIN_END}")
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/image_pack.S CONTENT "${HXM_INCBIN}")

if(CMAKE_CROSSCOMPILING)
  # The packer is a host program: the packs are the native build's, which `make windows`
  # brings up to date first.
  add_custom_target(hxm_art)
else()
  file(GLOB HXM_ART_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/assets/art/*.py)
  add_custom_command(
    OUTPUT ${HXM_IMAGE_PNGS}
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/assets/art/make_art.py
            --catalog ${HXM_CATALOG} --out ${HXM_ART_DIR} --jobs 2
    DEPENDS ${HXM_ART_SOURCES} ${HXM_CATALOG}
    COMMENT "Drawing and rasterising the pictures")

  # PNG files are read and written only by the build, the tools and the tests.
  pkg_check_modules(HXM_ZLIB REQUIRED IMPORTED_TARGET zlib)
  add_library(hxm_png STATIC ${CMAKE_SOURCE_DIR}/tools/png_file.cpp)
  target_include_directories(hxm_png PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(hxm_png PUBLIC PkgConfig::HXM_ZLIB)

  add_executable(hxm-pack-pictures ${CMAKE_SOURCE_DIR}/tools/pack_pictures.cpp)
  target_include_directories(hxm-pack-pictures PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(hxm-pack-pictures PRIVATE hxm_png PkgConfig::HXM_DEPS Threads::Threads)
  add_custom_command(
    OUTPUT ${HXM_IMAGE_PACKS}
    COMMAND hxm-pack-pictures ${HXM_PACK_LEVEL} ${HXM_ART_DIR} ${HXM_IMAGE_PNGS}
    DEPENDS hxm-pack-pictures ${HXM_IMAGE_PNGS}
    COMMENT "Packing the pictures")
  add_custom_target(hxm_art DEPENDS ${HXM_IMAGE_PACKS})

  add_custom_target(contact-sheet
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/assets/art/make_art.py
            --catalog ${HXM_CATALOG} --out ${HXM_ART_DIR} --contact-sheet ${CMAKE_BINARY_DIR}/contact-sheet.png
    DEPENDS hxm_art
    COMMENT "Contact sheet of every picture: ${CMAKE_BINARY_DIR}/contact-sheet.png")
endif()
set_source_files_properties(${CMAKE_BINARY_DIR}/generated/image_pack.S PROPERTIES
  OBJECT_DEPENDS "${HXM_IMAGE_PACKS}")
list(APPEND HXM_GENERATED_SOURCES ${CMAKE_BINARY_DIR}/generated/image_pack.S)
