# Makes the package with CPack and fails unless the zip holds both programs, the README and
# the licence under its top folder.
# cmake -DCPACK=<cpack> -DCONFIG=<CPackConfig.cmake> -DOUTPUT=<dir> -DEXPECTED=<name> -P ...
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${OUTPUT})
execute_process(COMMAND ${CPACK} --config ${CONFIG} -B ${OUTPUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cpack failed: ${status}")
endif()
set(zip ${OUTPUT}/${EXPECTED}.zip)
if(NOT EXISTS ${zip})
  message(FATAL_ERROR "no ${zip}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${zip} OUTPUT_VARIABLE listing
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${zip} is not a readable archive")
endif()
string(REGEX REPLACE "\r?\n" ";" entries "${listing}")
foreach(file Quillet.exe quillet-list.exe README.md LICENSE)
  if(NOT "${EXPECTED}/${file}" IN_LIST entries)
    message(FATAL_ERROR "${zip} lacks ${file}; it holds: ${entries}")
  endif()
endforeach()
