# The portable part of the program (the core, the desktop emulation and the
# logic) must build on every platform: it may include no GUI toolkit, no
# window system and no platform API. The check runs with every build, so a
# stray include fails the build at once rather than on the other platform.
function(lupe_check_portable_includes)
  set(folders)
  foreach(folder IN LISTS ARGN)
    list(APPEND folders "${CMAKE_SOURCE_DIR}/${folder}")
  endforeach()
  add_custom_target(portable_includes ALL
    COMMAND ${CMAKE_COMMAND} "-DFOLDERS=${folders}" -P "${CMAKE_SOURCE_DIR}/cmake/check_portable_includes.cmake"
    COMMENT "Checking that the portable part includes no toolkit or platform header"
    VERBATIM)
endfunction()
