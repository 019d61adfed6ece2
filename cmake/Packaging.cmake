# Installation layout and the Debian package.
#
# The program looks for help/ beside its own file, and its file dialogs start there, where the
# example templates are. Qt's applicationDirPath resolves symbolic links, so the program, help/
# and the examples share one private folder and the bin folder only holds a link to the program:
#
#   <prefix>/lib/nx-iparameter/{NX_iParameter, help/NX_iParameter.chm, *.xml}
#   <prefix>/bin/NX_iParameter -> ../lib/nx-iparameter/NX_iParameter
#   <prefix>/bin/nx-ipar
#   <prefix>/share/{applications, icons/hicolor/scalable/apps, man/man1}/...

include(GNUInstallDirs)

set(NX_INSTALL_PROGRAM_DIR "lib/nx-iparameter" CACHE STRING
    "Folder of the program, its help and the example templates, relative to the prefix")
set(NX_PACKAGE_MAINTAINER "NX_iParameter developers <nx-iparameter@localhost>" CACHE STRING
    "Maintainer field of the Debian package")

set(_nx_packaging ${PROJECT_SOURCE_DIR}/packaging)
set(_nx_staging ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${_nx_staging})

install(TARGETS nx-ipar RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

file(GLOB _nx_example_templates ${PROJECT_SOURCE_DIR}/examples/*.xml)
install(FILES ${_nx_example_templates} DESTINATION ${NX_INSTALL_PROGRAM_DIR})

if(TARGET NX_iParameter)
  install(TARGETS NX_iParameter RUNTIME DESTINATION ${NX_INSTALL_PROGRAM_DIR})
  # A relative link survives DESTDIR and the package's staging folder.
  file(RELATIVE_PATH _nx_link_target /p/${CMAKE_INSTALL_BINDIR}
       /p/${NX_INSTALL_PROGRAM_DIR}/NX_iParameter)
  file(CREATE_LINK ${_nx_link_target} ${_nx_staging}/NX_iParameter SYMBOLIC)
  install(FILES ${_nx_staging}/NX_iParameter DESTINATION ${CMAKE_INSTALL_BINDIR})

  install(FILES ${_nx_packaging}/nx-iparameter.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${_nx_packaging}/nx-iparameter.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

# The help file is compiled by its own target into <build>/bin/help, next to the program.
if(TARGET nx_help)
  install(DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/help DESTINATION ${NX_INSTALL_PROGRAM_DIR})
endif()

# Debian wants manual pages compressed, without a time stamp in the gzip header.
find_program(NX_GZIP gzip)
if(NX_GZIP)
  add_custom_command(
    OUTPUT ${_nx_staging}/nx-ipar.1.gz
    COMMAND ${NX_GZIP} -9n -c ${_nx_packaging}/nx-ipar.1 > ${_nx_staging}/nx-ipar.1.gz
    DEPENDS ${_nx_packaging}/nx-ipar.1
    COMMENT "Compressing the manual page of nx-ipar")
  add_custom_target(nx_man_page ALL DEPENDS ${_nx_staging}/nx-ipar.1.gz)
  install(FILES ${_nx_staging}/nx-ipar.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  install(FILES ${_nx_packaging}/nx-ipar.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME nx-iparameter)
set(CPACK_PACKAGE_VENDOR "NX_iParameter developers")
set(CPACK_PACKAGE_CONTACT ${NX_PACKAGE_MAINTAINER})
# All four parts: the info window shows the file version 2.0.0.2, not 2.0.0.
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "iParameter CRC (F_iPar_CRC) of a PROFIsafe device")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
# The first line is the summary; the long text follows with Debian's leading blank.
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
       "iParameter CRC (F_iPar_CRC) of a PROFIsafe device\n"
       " NX_iParameter opens an XML template that describes a device's individual\n"
       " parameters, lets the user edit their values within the template's rules and\n"
       " computes the CRC-32 over them, to be entered as the F-parameter F_iPar_CRC.\n"
       " Parameter sets are saved and reopened as XML. nx-ipar computes, checks and\n"
       " saves the same from the command line.")
# Libraries come from dpkg-shlibdeps; Qt's platform plugins are loaded at run time, where it
# cannot see them, and without one the program does not start.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(TARGET NX_iParameter)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)

if(NX_BUILD_TESTS)
  add_test(NAME packaging_deb
           COMMAND ${CMAKE_COMMAND}
                   -DBUILD_DIR=${CMAKE_BINARY_DIR}
                   -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
                   -DCPACK=${CMAKE_CPACK_COMMAND}
                   -DNX_IPAR=$<TARGET_FILE:nx-ipar>
                   -DVERSION=${PROJECT_VERSION}
                   -DWITH_GUI=$<TARGET_EXISTS:NX_iParameter>
                   -DWITH_HELP=$<TARGET_EXISTS:nx_help>
                   -P ${PROJECT_SOURCE_DIR}/tests/packaging/check_package.cmake)
  # Packs the whole build; nothing else may be writing into bin/ meanwhile.
  set_tests_properties(packaging_deb PROPERTIES RUN_SERIAL TRUE TIMEOUT 300)

  if(TARGET NX_iParameter)
    add_executable(program_folder_probe ${PROJECT_SOURCE_DIR}/tests/packaging/program_folder_probe.cpp)
    target_link_libraries(program_folder_probe PRIVATE Qt6::Core nx_warnings)
    set_target_properties(program_folder_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY
                          ${CMAKE_BINARY_DIR}/tests/packaging)
    add_test(NAME packaging_program_folder
             COMMAND ${CMAKE_COMMAND} -DPROBE=$<TARGET_FILE:program_folder_probe>
                     -DWORK=${CMAKE_BINARY_DIR}/tests/packaging/layout
                     -P ${PROJECT_SOURCE_DIR}/tests/packaging/check_program_folder.cmake)
  endif()
endif()
