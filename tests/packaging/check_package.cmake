# Builds the Debian package of a finished build into a folder of its own and checks what a user
# gets: the file list, the links, the dependencies, a working nx-ipar from the unpacked package,
# and a manual page that covers every command of nx-ipar.
#
#   cmake -DBUILD_DIR=... -DSOURCE_DIR=... -DCPACK=... -DNX_IPAR=... -DVERSION=...
#         -DWITH_GUI=0|1 -DWITH_HELP=0|1 -P check_package.cmake

cmake_minimum_required(VERSION 3.25)

set(work ${BUILD_DIR}/packaging-test)
file(REMOVE_RECURSE ${work})
file(MAKE_DIRECTORY ${work})

# expect(CONDITION MESSAGE): CONDITION is the text of an if() condition, parsed afresh here.
set(failures "")
macro(expect condition message)
  cmake_language(EVAL CODE "if(${condition})\nset(_met TRUE)\nelse()\nset(_met FALSE)\nendif()")
  if(NOT _met)
    string(APPEND failures "  ${message}\n")
  endif()
endmacro()

function(run output)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out
                  ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "failed (${status}): ${ARGN}\n${out}\n${err}")
  endif()
  set(${output} "${out}" PARENT_SCOPE)
endfunction()

run(cpack_out ${CPACK} -G DEB --config ${BUILD_DIR}/CPackConfig.cmake -B ${work})
file(GLOB debs ${work}/*.deb)
list(LENGTH debs count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "expected one package in ${work}, found: ${debs}\n${cpack_out}")
endif()
message(STATUS "package: ${debs}")

# --- the file list ---------------------------------------------------------------------------
run(listing dpkg-deb -c ${debs})
string(REPLACE "\n" ";" lines "${listing}")
set(files "")
set(links "")
set(modes "")
foreach(line IN LISTS lines)
  if(line MATCHES "^([-dlrwxs]+) [^ ]+ +[0-9]+ [0-9-]+ [0-9:]+ \\./([^ ]*)( -> (.*))?$")
    set(mode ${CMAKE_MATCH_1})
    set(path ${CMAKE_MATCH_2})
    set(target "${CMAKE_MATCH_4}")
    if(path MATCHES "/$" OR path STREQUAL "")
      continue()
    endif()
    list(APPEND files ${path})
    set(mode_${path} ${mode})
    set(link_${path} "${target}")
  endif()
endforeach()
message(STATUS "files: ${files}")

set(expected usr/bin/nx-ipar usr/share/man/man1/nx-ipar.1.gz)
file(GLOB examples RELATIVE ${SOURCE_DIR}/examples ${SOURCE_DIR}/examples/*.xml)
foreach(example IN LISTS examples)
  list(APPEND expected usr/lib/nx-iparameter/${example})
endforeach()
if(WITH_GUI)
  list(APPEND expected usr/lib/nx-iparameter/NX_iParameter usr/bin/NX_iParameter
       usr/share/applications/nx-iparameter.desktop
       usr/share/icons/hicolor/scalable/apps/nx-iparameter.svg)
endif()
if(WITH_HELP)
  list(APPEND expected usr/lib/nx-iparameter/help/NX_iParameter.chm)
endif()
foreach(path IN LISTS expected)
  expect("\"${path}\" IN_LIST files" "missing from the package: ${path}")
endforeach()
foreach(path IN LISTS files)
  expect("\"${path}\" IN_LIST expected" "not meant for the package: ${path}")
endforeach()
expect("\"${mode_usr/bin/nx-ipar}\" STREQUAL \"-rwxr-xr-x\""
       "usr/bin/nx-ipar is not an executable file: ${mode_usr/bin/nx-ipar}")
if(WITH_GUI)
  # The program must be reached through a link, so that it finds help/ beside its real file.
  expect("\"${link_usr/bin/NX_iParameter}\" STREQUAL \"../lib/nx-iparameter/NX_iParameter\""
         "usr/bin/NX_iParameter should link to ../lib/nx-iparameter/NX_iParameter, is "
         "'${link_usr/bin/NX_iParameter}'")
  expect("\"${mode_usr/lib/nx-iparameter/NX_iParameter}\" STREQUAL \"-rwxr-xr-x\""
         "the program is not an executable file")
endif()

# --- the control fields ----------------------------------------------------------------------
run(package dpkg-deb -f ${debs} Package)
expect("\"${package}\" STREQUAL \"nx-iparameter\n\"" "Package is '${package}'")
run(version dpkg-deb -f ${debs} Version)
expect("\"${version}\" STREQUAL \"${VERSION}\n\"" "Version is '${version}', not ${VERSION}")
run(depends dpkg-deb -f ${debs} Depends)
message(STATUS "Depends: ${depends}")
set(needed libc6 libstdc++6)
# Only what the programs really link decides; a static pugixml adds no dependency.
run(dynamic readelf -d ${NX_IPAR})
if(dynamic MATCHES "libpugixml")
  list(APPEND needed libpugixml1v5)
endif()
if(WITH_GUI)
  list(APPEND needed libqt6widgets6 libqt6core6 libqt6gui6 qt6-qpa-plugins)
  run(program_dynamic readelf -d ${BUILD_DIR}/bin/NX_iParameter)
  if(program_dynamic MATCHES "libchm")
    list(APPEND needed libchm1)
  endif()
endif()
# The package names alone: versions and alternatives left out.
string(STRIP "${depends}" depends)
string(REGEX REPLACE " *\\([^)]*\\)" "" depends "${depends}")
string(REGEX REPLACE " *[,|] *" ";" depend_names "${depends}")
foreach(name IN LISTS needed)
  expect("\"${name}\" IN_LIST depend_names" "Depends lacks ${name}")
endforeach()
# Build-only packages must never be required on the user's machine.
foreach(name IN LISTS depend_names)
  expect("NOT \"${name}\" MATCHES \"-dev$|^googletest$|^cmake$\""
         "Depends names a build package: ${name}")
endforeach()

# --- the unpacked package works ----------------------------------------------------------------
set(root ${work}/root)
run(unpacked dpkg-deb -x ${debs} ${root})
run(crc ${root}/usr/bin/nx-ipar crc ${root}/usr/lib/nx-iparameter/Demo_unit.xml)
expect("\"${crc}\" MATCHES \"^[0-9]+\n$\"" "nx-ipar crc on the installed example printed '${crc}'")
foreach(example IN LISTS examples)
  execute_process(COMMAND ${root}/usr/bin/nx-ipar check ${root}/usr/lib/nx-iparameter/${example}
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  expect("status EQUAL 0" "nx-ipar check ${example}: status ${status}\n${out}${err}")
endforeach()
if(WITH_GUI)
  file(READ ${root}/usr/share/applications/nx-iparameter.desktop desktop)
  expect("desktop MATCHES \"\nExec=NX_iParameter\n\"" "the desktop entry does not start NX_iParameter")
  expect("desktop MATCHES \"\nIcon=nx-iparameter\n\""
         "the desktop entry does not name the installed icon")
  expect("desktop MATCHES \"\nType=Application\n\"" "the desktop entry is no application")
endif()

# --- the manual page covers every command ------------------------------------------------------
execute_process(COMMAND ${NX_IPAR} ERROR_VARIABLE usage OUTPUT_QUIET)
string(REGEX MATCHALL "nx-ipar [a-z]+" commands "${usage}")
list(REMOVE_DUPLICATES commands)
list(LENGTH commands command_count)
expect("command_count GREATER 0" "nx-ipar printed no usage: ${usage}")
file(READ ${SOURCE_DIR}/packaging/nx-ipar.1 man)
foreach(command IN LISTS commands)
  string(REPLACE "nx-ipar " "" name "${command}")
  expect("man MATCHES \"\n\\\\.B nx-ipar ${name}\n\""
         "the manual page has no synopsis line for '${name}'")
  expect("man MATCHES \"\n\\\\.B ${name} \"" "the manual page does not describe '${name}'")
endforeach()

if(failures)
  message(FATAL_ERROR "package check failed:\n${failures}")
endif()
message(STATUS "package check passed")
