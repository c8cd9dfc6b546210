# Assembles the party release: one directory with the demo, its data, music and timeline, the
# info file, FILE_ID.DIZ and a screenshot, packed as a tar.gz that keeps the executable bits.
# Run by the release-archive target: cmake -DDEMO=... -DDEMO_DIR=... -DSOURCE_DIR=...
# -DWORK_DIR=... -DARCHIVE=... -DVERSION=... -DARCHITECTURE=... -DSTRIP=... -P this file.
cmake_minimum_required(VERSION 3.18)

# The Debian packages that hold the shared libraries the demo needs, as dpkg-shlibdeps
# reads them from the binary: the same computation as the package's Depends.
function(runtime_packages binary out)
  set(scratch ${WORK_DIR}/shlibdeps)
  file(REMOVE_RECURSE ${scratch})
  file(MAKE_DIRECTORY ${scratch}/debian)
  file(WRITE ${scratch}/debian/control "Source: solvane\n\nPackage: solvane\nArchitecture: any\n")
  execute_process(COMMAND dpkg-shlibdeps -O ${binary} WORKING_DIRECTORY ${scratch}
    OUTPUT_VARIABLE substvars ERROR_VARIABLE errors RESULT_VARIABLE status)
  file(REMOVE_RECURSE ${scratch})
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "dpkg-shlibdeps: ${errors}")
  endif()
  string(REGEX REPLACE "^shlibs:Depends=" "" depends "${substvars}")
  # Versions go, and of alternatives the first stays: what apt install takes.
  string(REGEX REPLACE "\\([^)]*\\)" "" depends "${depends}")
  string(REGEX REPLACE "\\|[^,]*" "" depends "${depends}")
  string(REGEX REPLACE "[ \n]" "" depends "${depends}")
  string(REPLACE "," ";" names "${depends}")
  list(SORT names)
  list(JOIN names " " joined)
  set(${out} "${joined}" PARENT_SCOPE)
endfunction()

# Text viewers of the scene show FILE_ID.DIZ in a 40-column box.
function(check_diz path)
  file(STRINGS ${path} lines)
  foreach(line IN LISTS lines)
    string(LENGTH "${line}" width)
    if(width GREATER 40)
      message(FATAL_ERROR "${path}: a line is ${width} columns wide, at most 40 fit: ${line}")
    endif()
  endforeach()
endfunction()

set(stage ${WORK_DIR}/solvane)
file(REMOVE_RECURSE ${stage})
file(MAKE_DIRECTORY ${stage})

file(COPY ${DEMO} DESTINATION ${stage})
execute_process(COMMAND ${STRIP} ${stage}/solvane COMMAND_ERROR_IS_FATAL ANY)
file(COPY ${DEMO_DIR}/data ${DEMO_DIR}/music.mp3 ${DEMO_DIR}/script.odml DESTINATION ${stage})
file(COPY ${SOURCE_DIR}/packaging/screenshot.png ${SOURCE_DIR}/packaging/FILE_ID.DIZ
  DESTINATION ${stage})
check_diz(${stage}/FILE_ID.DIZ)

set(LAUNCHER_DATA_DIR .)
set(LAUNCHER_DEMO solvane)
configure_file(${SOURCE_DIR}/packaging/solvane-launcher.in ${stage}/solvane.sh @ONLY)
file(CHMOD ${stage}/solvane.sh PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
  GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(SOLVANE_VERSION ${VERSION})
set(SOLVANE_ARCHITECTURE ${ARCHITECTURE})
runtime_packages(${stage}/solvane SOLVANE_RUNTIME_PACKAGES)
configure_file(${SOURCE_DIR}/packaging/solvane.txt.in ${stage}/solvane.txt @ONLY)

file(REMOVE ${ARCHIVE})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar czf ${ARCHIVE} solvane
  WORKING_DIRECTORY ${WORK_DIR} COMMAND_ERROR_IS_FATAL ANY)
message(STATUS "Release archive: ${ARCHIVE}")
