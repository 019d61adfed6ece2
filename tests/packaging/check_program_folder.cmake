# Starts PROBE through a symbolic link in another folder, as /usr/bin/NX_iParameter starts the
# installed program, and expects the folder of the real file: that is where help/ is looked for.
#   cmake -DPROBE=... -DWORK=... -P check_program_folder.cmake
cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/lib/nx-iparameter ${WORK}/bin)
file(COPY ${PROBE} DESTINATION ${WORK}/lib/nx-iparameter)
get_filename_component(name ${PROBE} NAME)
file(CREATE_LINK ../lib/nx-iparameter/${name} ${WORK}/bin/${name} SYMBOLIC)
execute_process(COMMAND ${WORK}/bin/${name} RESULT_VARIABLE status OUTPUT_VARIABLE folder
                ERROR_VARIABLE err)
string(STRIP "${folder}" folder)
file(REAL_PATH ${WORK}/lib/nx-iparameter expected)
if(NOT status EQUAL 0 OR NOT folder STREQUAL expected)
  message(FATAL_ERROR "started through ${WORK}/bin/${name}: status ${status}, folder '${folder}', "
                      "expected '${expected}'\n${err}")
endif()
message(STATUS "program folder through the link: ${folder}")
