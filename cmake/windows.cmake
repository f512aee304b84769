# What only the Windows cross build makes: the package, and the console program with which
# the Wine test drives the Windows serial layer.

# The zip keeps the font and the sounds beside hxm.exe: there is no installed data directory
# apart from the program's own.
set_property(SOURCE app/data_dir.cpp APPEND PROPERTY COMPILE_DEFINITIONS HXM_DATA_FROM_PROGRAM=".")

# Not shipped: the link thread on the real Windows port layer, reporting what it reads.
add_executable(hxm-link-probe tests/wine/link_probe.cpp link/sensor_link.cpp
                              link/serial_port_win32.cpp)
target_include_directories(hxm-link-probe PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(hxm-link-probe PRIVATE setupapi winmm Threads::Threads)

# HXM-windows-x64.zip: hxm.exe (static: no DLL beside it), the font, the sounds and a README,
# in one folder to unpack and start from.
set(HXM_PACKAGE_NAME HXM-windows-x64)
set(HXM_PACKAGE_DIR ${CMAKE_BINARY_DIR}/${HXM_PACKAGE_NAME})
configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/README.txt
               ${CMAKE_BINARY_DIR}/package-README.txt @ONLY NEWLINE_STYLE CRLF)
add_custom_target(hxm_package ALL
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${HXM_PACKAGE_DIR} ${HXM_PACKAGE_NAME}.zip
  COMMAND ${CMAKE_COMMAND} -E make_directory ${HXM_PACKAGE_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:hxm> ${HXM_PACKAGE_DIR}/hxm.exe
  COMMAND ${CMAKE_STRIP} ${HXM_PACKAGE_DIR}/hxm.exe
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${HXM_RUN_DIR}/font ${HXM_PACKAGE_DIR}/font
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${HXM_RUN_DIR}/sound ${HXM_PACKAGE_DIR}/sound
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_BINARY_DIR}/package-README.txt
          ${HXM_PACKAGE_DIR}/README.txt
  COMMAND ${CMAKE_COMMAND} -E tar cf ${HXM_PACKAGE_NAME}.zip --format=zip ${HXM_PACKAGE_NAME}
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  COMMENT "Packaging ${CMAKE_BINARY_DIR}/${HXM_PACKAGE_NAME}.zip")
add_dependencies(hxm_package hxm hxm_run_data)
