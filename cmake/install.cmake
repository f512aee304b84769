# Installing like any Linux program, and the Debian package (`make package`).
# The program itself goes to libexec/hxm/; bin/hxm is the launcher that starts it in the
# user's data directory, where hxm.db is kept. The font and the sounds go under share/hxm/,
# where the program finds them from its own directory.
include(GNUInstallDirs)

set(HXM_PROGRAM_DIR ${CMAKE_INSTALL_LIBEXECDIR}/hxm)
set(HXM_DATA_DIR ${CMAKE_INSTALL_DATADIR}/hxm)
file(RELATIVE_PATH HXM_DATA_FROM_PROGRAM
     ${CMAKE_INSTALL_FULL_LIBEXECDIR}/hxm ${CMAKE_INSTALL_FULL_DATADIR}/hxm)
file(RELATIVE_PATH HXM_PROGRAM_FROM_BIN
     ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBEXECDIR}/hxm/hxm)
set_property(SOURCE app/data_dir.cpp APPEND PROPERTY
             COMPILE_DEFINITIONS HXM_DATA_FROM_PROGRAM="${HXM_DATA_FROM_PROGRAM}")

set(HXM_PACKAGING_OUT ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${HXM_PACKAGING_OUT})
set(HXM_PACKAGING ${CMAKE_SOURCE_DIR}/packaging)

install(TARGETS hxm RUNTIME DESTINATION ${HXM_PROGRAM_DIR})
foreach(path IN LISTS HXM_SOUND_PATHS)
  get_filename_component(dir ${path} DIRECTORY)
  install(FILES ${HXM_RUN_DIR}/${path} DESTINATION ${HXM_DATA_DIR}/${dir})
endforeach()

# The font is fonts-paratype's own file (the package depends on it), linked, not copied.
# The link is relative, worked out when installing, when the prefix is known.
install(CODE "
  set(font_dir \"\${CMAKE_INSTALL_PREFIX}/${HXM_DATA_DIR}/font\")
  file(RELATIVE_PATH target \"\${font_dir}\" \"${HXM_FONT_SOURCE}\")
  file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${font_dir}\")
  message(STATUS \"Linking: \$ENV{DESTDIR}\${font_dir}/hxm_font.ttf -> \${target}\")
  file(CREATE_LINK \"\${target}\" \"\$ENV{DESTDIR}\${font_dir}/hxm_font.ttf\" SYMBOLIC)
")

configure_file(${HXM_PACKAGING}/hxm.in ${HXM_PACKAGING_OUT}/hxm @ONLY)
install(PROGRAMS ${HXM_PACKAGING_OUT}/hxm DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${HXM_PACKAGING}/hxm.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${HXM_PACKAGING}/70-hxm-ch340.rules DESTINATION lib/udev/rules.d)

# The icon is the fist ring of the training menu, at the usual hicolor sizes and as SVG.
find_program(HXM_RSVG rsvg-convert REQUIRED)
set(HXM_ICON_SIZES 16 22 24 32 48 64 128 256 512)
set(HXM_ICONS "")
foreach(size IN LISTS HXM_ICON_SIZES)
  set(png ${HXM_PACKAGING_OUT}/icons/${size}x${size}/apps/hxm.png)
  add_custom_command(
    OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${HXM_PACKAGING_OUT}/icons/${size}x${size}/apps
    COMMAND ${HXM_RSVG} -w ${size} -h ${size} -f png -o ${png} ${HXM_ICON_SVG}
    DEPENDS ${HXM_ART_DIR}/ringFist.png
    COMMENT "Rasterising the ${size}x${size} icon")
  list(APPEND HXM_ICONS ${png})
endforeach()
install(DIRECTORY ${HXM_PACKAGING_OUT}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${HXM_ICON_SVG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME hxm.svg)

# The manual page and the changelog, compressed as Debian wants them (no name, no time).
find_program(HXM_GZIP gzip REQUIRED)
set(HXM_VERSION ${PROJECT_VERSION})
configure_file(${HXM_PACKAGING}/hxm.6 ${HXM_PACKAGING_OUT}/hxm.6 @ONLY)
configure_file(${HXM_PACKAGING}/changelog ${HXM_PACKAGING_OUT}/changelog COPYONLY)
add_custom_command(
  OUTPUT ${HXM_PACKAGING_OUT}/hxm.6.gz ${HXM_PACKAGING_OUT}/changelog.gz
  COMMAND ${HXM_GZIP} -9nkf ${HXM_PACKAGING_OUT}/hxm.6 ${HXM_PACKAGING_OUT}/changelog
  DEPENDS ${HXM_PACKAGING_OUT}/hxm.6 ${HXM_PACKAGING_OUT}/changelog
  COMMENT "Compressing the manual page and the changelog")
install(FILES ${HXM_PACKAGING_OUT}/hxm.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${HXM_PACKAGING_OUT}/changelog.gz ${HXM_PACKAGING}/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
add_custom_target(hxm_install_data ALL
  DEPENDS ${HXM_ICONS} ${HXM_PACKAGING_OUT}/hxm.6.gz ${HXM_PACKAGING_OUT}/changelog.gz)

# The Debian package: build/hxm_<version>_<arch>.deb. Library dependencies come from
# dpkg-shlibdeps; the font package is named here because the program opens its file.
set(HXM_PACKAGE_MAINTAINER "HXM developers <hxm@example.org>" CACHE STRING
    "Maintainer field of the Debian package")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME hxm)
set(CPACK_PACKAGE_VENDOR ${HXM_PUBLISHER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "training and competition with a strike-sensor hub")
set(CPACK_PACKAGE_DESCRIPTION [[
HXM is a full-screen training and competition application for a strike-sensor
hub: up to four sensor pads report every punch or kick with its power and their
battery charge through a CH340 USB-serial adapter.

HXM measures hit power, reaction time and hit count, keeps the records and a
chart of every stored hit in each user's own database, and runs four two-player
games on the pads: a monster-truck tug of war, a tank duel, a duck hunt and a
prospectors' gem contest. The interface is in Russian and is made to be read on
a big screen from a few metres away.]])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${HXM_PACKAGE_MAINTAINER})
# Not "games": that section wants the command in /usr/games, which is not on every PATH
# (root's, for one); hxm is a training program first, with games beside.
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-paratype)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${HXM_PACKAGING}/postinst ${HXM_PACKAGING}/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
