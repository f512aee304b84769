# Cross build for 64-bit Windows with Debian's mingw-w64 (the POSIX-threads flavour, so
# std::thread and pthreads work). HXM_WINDOWS_PREFIX names the directory that holds the
# Windows builds of SDL2, SDL2_mixer, SDL2_ttf, FreeType, SQLite and zstd made
# by scripts/windows-deps; everything there is a static library, so hxm.exe needs no DLL.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(HXM_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${HXM_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${HXM_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${HXM_MINGW_TRIPLET}-windres)
set(CMAKE_AR ${HXM_MINGW_TRIPLET}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${HXM_MINGW_TRIPLET}-ranlib CACHE FILEPATH "")

# try_compile projects read this file again: hand them the prefix too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES HXM_WINDOWS_PREFIX)

set(CMAKE_FIND_ROOT_PATH /usr/${HXM_MINGW_TRIPLET})
if(HXM_WINDOWS_PREFIX)
  list(APPEND CMAKE_FIND_ROOT_PATH ${HXM_WINDOWS_PREFIX})
  # pkg-config sees only the Windows libraries, and with what static linking needs.
  set(ENV{PKG_CONFIG_LIBDIR} ${HXM_WINDOWS_PREFIX}/lib/pkgconfig)
  set(ENV{PKG_CONFIG_PATH} "")
  set(PKG_CONFIG_ARGN --static)
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# mingw-w64 declares the POSIX localtime_r only when asked to.
set(CMAKE_C_FLAGS_INIT "-D_POSIX_THREAD_SAFE_FUNCTIONS=200112L")
set(CMAKE_CXX_FLAGS_INIT "-D_POSIX_THREAD_SAFE_FUNCTIONS=200112L")

# The C and C++ runtimes and winpthreads go into the executable as well.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
