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
