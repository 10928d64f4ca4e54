# The logic side never reaches into the windows: no file under src/core
# includes a file of src/gui or src/app. Run at configure time and, as
# `cmake -DSRC=... -P CheckLayering.cmake`, as a test.
function(zentova_check_layering src)
  file(GLOB_RECURSE core_files "${src}/core/*.h" "${src}/core/*.cpp")
  set(offenders)
  foreach(f ${core_files})
    file(STRINGS "${f}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<](gui|app)/")
    if(lines)
      file(RELATIVE_PATH rel "${src}" "${f}")
      list(APPEND offenders "${rel}: ${lines}")
    endif()
  endforeach()
  if(offenders)
    list(JOIN offenders "\n  " text)
    message(FATAL_ERROR "core/ includes the window side:\n  ${text}")
  endif()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE AND DEFINED SRC)
  zentova_check_layering("${SRC}")
endif()
