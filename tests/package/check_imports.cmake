# Fails when PROGRAM imports a DLL outside Windows' known DLLs (and EXTRA_ALLOWED): Windows
# looks for any other DLL in the program's own folder first, where a planted file would win.
# cmake -DOBJDUMP=<objdump> -DPROGRAM=<exe> [-DEXTRA_ALLOWED=<dll>] -P check_imports.cmake
cmake_minimum_required(VERSION 3.25)
set(known_dlls
  advapi32.dll clbcatq.dll combase.dll comdlg32.dll coml2.dll difxapi.dll gdi32.dll
  gdiplus.dll imagehlp.dll imm32.dll kernel32.dll msctf.dll msvcrt.dll normaliz.dll nsi.dll
  ole32.dll oleaut32.dll psapi.dll rpcrt4.dll sechost.dll setupapi.dll shcore.dll shell32.dll
  shlwapi.dll user32.dll wldap32.dll ws2_32.dll ${EXTRA_ALLOWED})

execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE headers RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${PROGRAM} failed: ${status}")
endif()
string(REGEX MATCHALL "DLL Name: [^\r\n]+" lines "${headers}")
set(imports "")
foreach(line IN LISTS lines)
  string(REGEX REPLACE "^DLL Name: " "" dll "${line}")
  string(STRIP "${dll}" dll)
  string(TOLOWER "${dll}" dll)
  list(APPEND imports ${dll})
endforeach()
# Every Windows program imports kernel32: without it the table was not read.
if(NOT "kernel32.dll" IN_LIST imports)
  message(FATAL_ERROR "no import table read from ${PROGRAM}")
endif()
set(unexpected "")
foreach(dll IN LISTS imports)
  if(NOT dll IN_LIST known_dlls)
    list(APPEND unexpected ${dll})
  endif()
endforeach()
if(unexpected)
  message(FATAL_ERROR "${PROGRAM} imports DLLs that are not known system DLLs: ${unexpected}")
endif()
message(STATUS "${PROGRAM} imports: ${imports}")
