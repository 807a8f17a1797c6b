# Setup.exe's Windows resources (win32 build only): the application manifest,
# the icon and the version block, compiled by windres from setup.rc.in. The
# version is the project's (project() in CMakeLists.txt), written into the
# manifest's assemblyIdentity and into FILEVERSION/PRODUCTVERSION here.
enable_language(RC)

set(ZX_RES_DIR ${CMAKE_SOURCE_DIR}/src/app/res)
set(ZX_VERSION_DOTTED
    "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.${PROJECT_VERSION_TWEAK}")
set(ZX_VERSION_COMMAS
    "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},${PROJECT_VERSION_TWEAK}")
set(ZX_COPYRIGHT_YEAR 2026)
set(ZX_MANIFEST ${CMAKE_BINARY_DIR}/res/Setup.exe.manifest)
set(ZX_ICON ${ZX_RES_DIR}/setup.ico)
configure_file(${ZX_RES_DIR}/Setup.exe.manifest.in ${ZX_MANIFEST} @ONLY)
configure_file(${ZX_RES_DIR}/setup.rc.in ${CMAKE_BINARY_DIR}/res/setup.rc @ONLY)

target_sources(Setup PRIVATE ${CMAKE_BINARY_DIR}/res/setup.rc)
# windres does not see the files the .rc pulls in; rebuild when they change.
set_source_files_properties(${CMAKE_BINARY_DIR}/res/setup.rc PROPERTIES
    OBJECT_DEPENDS "${ZX_MANIFEST};${ZX_ICON}")

# GCC links the toolchain's default-manifest.o into every program when the
# toolchain has one (Debian's has none). Ours must be the only RT_MANIFEST
# resource; scripts/check-setup-exe.sh fails the build's check otherwise.
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=default-manifest.o
                OUTPUT_VARIABLE ZX_DEFAULT_MANIFEST OUTPUT_STRIP_TRAILING_WHITESPACE)
if(IS_ABSOLUTE "${ZX_DEFAULT_MANIFEST}" AND EXISTS "${ZX_DEFAULT_MANIFEST}")
  message(WARNING "The toolchain links ${ZX_DEFAULT_MANIFEST} into every program; "
                  "check that Setup.exe still carries only its own manifest "
                  "(scripts/check-setup-exe.sh).")
endif()

# The baseline program of the planted-DLL check (tests/windows) carries the
# same manifest as Setup.exe, so that both load the same system DLLs.
file(WRITE ${CMAKE_BINARY_DIR}/res/dll_baseline.rc "1 24 \"${ZX_MANIFEST}\"\n")
add_executable(dll_baseline ${CMAKE_SOURCE_DIR}/tools/windrive/dll_baseline.cpp
               ${CMAKE_BINARY_DIR}/res/dll_baseline.rc)
target_compile_definitions(dll_baseline PRIVATE UNICODE _UNICODE _WIN32_WINNT=0x0602)
target_link_options(dll_baseline PRIVATE -municode)
target_link_libraries(dll_baseline PRIVATE ole32 shell32 advapi32 user32 gdi32 comdlg32)
set_source_files_properties(${CMAKE_BINARY_DIR}/res/dll_baseline.rc PROPERTIES OBJECT_DEPENDS "${ZX_MANIFEST}")
set_target_properties(dll_baseline PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
