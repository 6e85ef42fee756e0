# lupe_session(RESULT MODE MODULE...): whether a kind of session is built.
# MODE ON requires the pkg-config MODULEs, AUTO builds it when they are
# found, OFF never. RESULT is set in the caller's scope.
function(lupe_session result mode)
  set(built OFF)
  if(mode STREQUAL "ON")
    pkg_check_modules(${result}_MODULES REQUIRED ${ARGN})
    set(built ON)
  elseif(mode STREQUAL "AUTO")
    pkg_check_modules(${result}_MODULES QUIET ${ARGN})
    if(${result}_MODULES_FOUND)
      set(built ON)
    endif()
  elseif(NOT mode STREQUAL "OFF")
    message(FATAL_ERROR "${result}: AUTO, ON or OFF, not '${mode}'")
  endif()
  set(${result} ${built} PARENT_SCOPE)
endfunction()
