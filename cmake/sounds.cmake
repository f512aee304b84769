# The program's music and effects, synthesised at build time into the run directory:
# effects as WAV straight from the synthesiser, music as WAV encoded to MP3 by lame.
# The file list is read from the sound bank's slot table, the one place that names them.

if(CMAKE_CROSSCOMPILING)
  add_custom_target(hxm_sounds
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${HXM_HOST_BUILD}/run/sound ${HXM_RUN_DIR}/sound
    COMMENT "Copying the native build's music and effects")
  add_dependencies(hxm_run_data hxm_sounds)
  return()
endif()

find_program(HXM_LAME lame REQUIRED)

add_executable(hxm-synth ${CMAKE_SOURCE_DIR}/tools/sound_synth.cpp)
target_include_directories(hxm-synth PRIVATE ${CMAKE_SOURCE_DIR} ${HXM_DEPS_INCLUDE_DIRS})

file(READ ${CMAKE_SOURCE_DIR}/assets/sound_bank.h HXM_SOUND_BANK_HEADER)
string(REGEX MATCHALL "sound/(mp3|wav)/[A-Za-z0-9]+\\.(mp3|wav)" HXM_SOUND_PATHS
       "${HXM_SOUND_BANK_HEADER}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/assets/sound_bank.h)
set(HXM_MUSIC_WAV_DIR ${CMAKE_BINARY_DIR}/music_wav)
set(HXM_SYNTH_OUTPUTS "")
set(HXM_MUSIC_NAMES "")
foreach(path IN LISTS HXM_SOUND_PATHS)
  string(REGEX MATCH "sound/(mp3|wav)/([A-Za-z0-9]+)" unused "${path}")
  set(name ${CMAKE_MATCH_2})
  if(CMAKE_MATCH_1 STREQUAL "wav")
    list(APPEND HXM_SYNTH_OUTPUTS ${HXM_RUN_DIR}/${path})
  else()
    list(APPEND HXM_SYNTH_OUTPUTS ${HXM_MUSIC_WAV_DIR}/${name}.wav)
    list(APPEND HXM_MUSIC_NAMES ${name})
  endif()
endforeach()

add_custom_command(
  OUTPUT ${HXM_SYNTH_OUTPUTS}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${HXM_RUN_DIR}/sound/wav ${HXM_MUSIC_WAV_DIR}
  COMMAND hxm-synth ${HXM_RUN_DIR} ${HXM_MUSIC_WAV_DIR}
  DEPENDS hxm-synth
  COMMENT "Synthesising the music and effects")

set(HXM_MP3_FILES "")
foreach(name IN LISTS HXM_MUSIC_NAMES)
  set(mp3 ${HXM_RUN_DIR}/sound/mp3/${name}.mp3)
  # lame writes its gapless header, so the decoder trims the encoder's delay and padding
  # and the loops stay seamless.
  add_custom_command(
    OUTPUT ${mp3}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${HXM_RUN_DIR}/sound/mp3
    COMMAND ${HXM_LAME} --silent -q 3 -b 192 --noreplaygain ${HXM_MUSIC_WAV_DIR}/${name}.wav ${mp3}
    DEPENDS ${HXM_MUSIC_WAV_DIR}/${name}.wav
    COMMENT "Encoding ${name}.mp3")
  list(APPEND HXM_MP3_FILES ${mp3})
endforeach()

add_custom_target(hxm_sounds DEPENDS ${HXM_SYNTH_OUTPUTS} ${HXM_MP3_FILES})
add_dependencies(hxm_run_data hxm_sounds)
