# What quorvane.exe needs beside it on Windows when built with MinGW, so that the installed folder
# runs as it is: Qt's DLLs, the platform plugin, the style plugin where Qt has it, and the
# compiler's run-time DLLs, which Qt's DLLs and the program share. Included from src/.

install(FILES $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Widgets>
        DESTINATION .)
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION platforms)
if(TARGET Qt6::QWindowsVistaStylePlugin)
  install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION styles)
endif()

# The compiler knows where its own run-time lies (the -posix compilers' folder on Debian).
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE dll_path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${dll_path}" OR NOT EXISTS "${dll_path}")
    message(FATAL_ERROR "The compiler's run-time ${dll} was not found (got \"${dll_path}\")")
  endif()
  file(REAL_PATH "${dll_path}" dll_path)
  install(FILES ${dll_path} DESTINATION .)
endforeach()
