# What only the Windows cross build makes: the package, the installer, and the console programs
# with which the Wine test drives the Windows serial layer.

# The zip keeps the font and the sounds beside hxm.exe: there is no installed data directory
# apart from the program's own.
set_property(SOURCE app/data_dir.cpp APPEND PROPERTY COMPILE_DEFINITIONS HXM_DATA_FROM_PROGRAM=".")

# hxm.exe's icon and version information. The icon is rasterised at the sizes Windows shows
# (the title bar, the taskbar, Explorer's views) and packed as PNG pictures.
enable_language(RC)
find_program(HXM_RSVG rsvg-convert REQUIRED)
set(HXM_ICON_ICO ${CMAKE_BINARY_DIR}/hxm.ico)
set(HXM_ICON_PNGS "")
set(HXM_ICON_COMMANDS "")
foreach(size 16 32 48 256)
  set(png ${CMAKE_BINARY_DIR}/icon/hxm-${size}.png)
  list(APPEND HXM_ICON_PNGS ${png})
  list(APPEND HXM_ICON_COMMANDS
       COMMAND ${HXM_RSVG} -w ${size} -h ${size} -f png -o ${png} ${HXM_ICON_SVG})
endforeach()
add_custom_command(
  OUTPUT ${HXM_ICON_ICO}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icon
  ${HXM_ICON_COMMANDS}
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/packaging/windows/make_ico.py ${HXM_ICON_ICO}
          ${HXM_ICON_PNGS}
  DEPENDS ${HXM_ART_DIR}/ringFist.png ${CMAKE_SOURCE_DIR}/packaging/windows/make_ico.py
  COMMENT "Making the Windows icon")
configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/hxm.rc.in ${CMAKE_BINARY_DIR}/hxm.rc @ONLY)
target_sources(hxm PRIVATE ${CMAKE_BINARY_DIR}/hxm.rc)
set_source_files_properties(${CMAKE_BINARY_DIR}/hxm.rc PROPERTIES OBJECT_DEPENDS ${HXM_ICON_ICO})

# Not shipped: the link thread on the real Windows port layer, reporting what it reads.
add_executable(hxm-link-probe tests/wine/link_probe.cpp link/sensor_link.cpp
                              link/serial_port_win32.cpp)
target_include_directories(hxm-link-probe PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(hxm-link-probe PRIVATE setupapi winmm Threads::Threads)

# Not shipped: SetupAPI discovery against stand-in device lists. Linked without setupapi: the
# test defines the calls the port layer makes.
add_executable(hxm-discovery-test tests/wine/discovery_test.cpp link/sensor_link.cpp
                                  link/serial_port_win32.cpp)
target_include_directories(hxm-discovery-test PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(hxm-discovery-test PRIVATE winmm Threads::Threads)

# HXM-windows-x64.zip: hxm.exe (static: no DLL beside it), the font, the sounds, a README and
# the licence, in one folder to unpack and start from.
set(HXM_PACKAGE_NAME HXM-windows-x64)
set(HXM_PACKAGE_DIR ${CMAKE_BINARY_DIR}/${HXM_PACKAGE_NAME})
configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/README.txt
               ${CMAKE_BINARY_DIR}/package-README.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(${CMAKE_SOURCE_DIR}/LICENSE ${CMAKE_BINARY_DIR}/package-LICENSE.txt @ONLY
               NEWLINE_STYLE CRLF)
add_custom_target(hxm_package ALL
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${HXM_PACKAGE_DIR} ${HXM_PACKAGE_NAME}.zip
  COMMAND ${CMAKE_COMMAND} -E make_directory ${HXM_PACKAGE_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:hxm> ${HXM_PACKAGE_DIR}/hxm.exe
  COMMAND ${CMAKE_STRIP} ${HXM_PACKAGE_DIR}/hxm.exe
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${HXM_RUN_DIR}/font ${HXM_PACKAGE_DIR}/font
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${HXM_RUN_DIR}/sound ${HXM_PACKAGE_DIR}/sound
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_BINARY_DIR}/package-README.txt
          ${HXM_PACKAGE_DIR}/README.txt
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_BINARY_DIR}/package-LICENSE.txt
          ${HXM_PACKAGE_DIR}/LICENSE.txt
  COMMAND ${CMAKE_COMMAND} -E tar cf ${HXM_PACKAGE_NAME}.zip --format=zip ${HXM_PACKAGE_NAME}
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  COMMENT "Packaging ${CMAKE_BINARY_DIR}/${HXM_PACKAGE_NAME}.zip")
add_dependencies(hxm_package hxm hxm_run_data)

# HXM-setup-<version>.exe: the same folder, installed per user (packaging/windows/installer.nsi).
# Packed again only when what goes into it changed: its compression takes a while.
find_program(HXM_MAKENSIS makensis REQUIRED)
set(HXM_INSTALLER ${CMAKE_BINARY_DIR}/HXM-setup-${PROJECT_VERSION}.exe)
file(GLOB_RECURSE HXM_HOST_RUN_DATA CONFIGURE_DEPENDS ${HXM_HOST_BUILD}/run/font/*
     ${HXM_HOST_BUILD}/run/sound/*)
add_custom_command(
  OUTPUT ${HXM_INSTALLER}
  COMMAND ${HXM_MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} "-DPUBLISHER=${HXM_PUBLISHER}"
          -DPACKAGE=${HXM_PACKAGE_DIR} -DICON=${HXM_ICON_ICO} -DOUTFILE=${HXM_INSTALLER}
          ${CMAKE_SOURCE_DIR}/packaging/windows/installer.nsi
  DEPENDS hxm ${CMAKE_SOURCE_DIR}/packaging/windows/installer.nsi ${HXM_ICON_ICO}
          ${CMAKE_BINARY_DIR}/package-README.txt ${CMAKE_BINARY_DIR}/package-LICENSE.txt
          ${HXM_HOST_RUN_DATA}
  COMMENT "Building ${HXM_INSTALLER}"
  VERBATIM)
add_custom_target(hxm_installer ALL DEPENDS ${HXM_INSTALLER})
add_dependencies(hxm_installer hxm_package)
