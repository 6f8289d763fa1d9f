# What quorvane.exe needs beside it on Windows when built with MinGW, so that the installed folder
# runs as it is: Qt's DLLs, the platform plugin, the .ico reader, the style plugin where Qt has it, and the
# compiler's run-time DLLs, which Qt's DLLs and the program share. Included from src/.

install(FILES $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Widgets>
        DESTINATION .)
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION platforms)
# The three icons are .ico files.
install(FILES $<TARGET_FILE:Qt6::QICOPlugin> DESTINATION imageformats)
if(TARGET Qt6::QWindowsVistaStylePlugin)
  install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION styles)
endif()

# The compiler's run-time: Debian's -posix compilers keep it in their library folder, which the
# compiler names; Qt's MinGW for Windows keeps it beside the compiler.
get_filename_component(quorvane_compiler_dir ${CMAKE_CXX_COMPILER} DIRECTORY)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE dll_path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${dll_path}" OR NOT EXISTS "${dll_path}")
    set(dll_path ${quorvane_compiler_dir}/${dll})
  endif()
  if(EXISTS "${dll_path}")
    file(REAL_PATH "${dll_path}" dll_path)
    install(FILES ${dll_path} DESTINATION .)
  else()
    message(WARNING "${dll} was not found beside the compiler; copy it beside quorvane.exe")
  endif()
endforeach()

# `cmake --install --strip` strips the program only; the DLLs copied beside it lose their
# symbols too (about 25 MB for the folder instead of about 60).
if(CMAKE_STRIP)
  install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
      file(GLOB_RECURSE quorvane_dlls \"\${CMAKE_INSTALL_PREFIX}/*.dll\")
      execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded \${quorvane_dlls})
    endif()")
endif()
