# Installs the build into a fresh temporary prefix and checks that every file a
# desktop needs is where it looks for it. Run as:
#   cmake -DBUILD_DIR=<build> -DWORK_DIR=<scratch> -P CheckInstall.cmake
set(prefix "${WORK_DIR}/install-prefix")
file(REMOVE_RECURSE "${prefix}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${prefix}"
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()

set(expected
    bin/morva99
    share/applications/morva99.desktop
    share/mime/packages/morva99-setup.xml
    share/icons/hicolor/scalable/apps/morva99.svg
    share/metainfo/org.example.morva99.metainfo.xml)
foreach(f ${expected})
  if(NOT EXISTS "${prefix}/${f}")
    message(FATAL_ERROR "missing after install: ${f}")
  endif()
endforeach()

file(READ "${prefix}/share/applications/morva99.desktop" desktop)
foreach(line "Name=MORVA 99" "Exec=morva99 %f" "Icon=morva99" "Categories=Education;Science;Biology;"
             "MimeType=application/x-morva99-setup;")
  string(FIND "${desktop}" "${line}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "desktop entry lacks '${line}'")
  endif()
endforeach()

find_program(VALIDATE desktop-file-validate REQUIRED)
execute_process(COMMAND ${VALIDATE} "${prefix}/share/applications/morva99.desktop"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "desktop-file-validate: ${out}")
endif()

# The MIME database built from the installed type knows .morva files.
find_program(UPDATE_MIME update-mime-database REQUIRED)
execute_process(COMMAND ${UPDATE_MIME} "${prefix}/share/mime"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "update-mime-database: ${out}")
endif()
file(READ "${prefix}/share/mime/globs2" globs)
string(FIND "${globs}" "application/x-morva99-setup:*.morva" at)
if(at EQUAL -1)
  message(FATAL_ERROR "the MIME database lacks the *.morva glob: ${globs}")
endif()
file(REMOVE_RECURSE "${prefix}")
message(STATUS "install layout ok")
