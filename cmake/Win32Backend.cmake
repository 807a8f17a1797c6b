target_compile_definitions(zx_platform PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
# Only libraries of the system's KnownDLLs are linked: the loader resolves a
# program's imports before main runs, so an imported DLL outside that list
# (comctl32, msimg32, windowscodecs ...) would be searched for beside
# Setup.exe first. The backend loads such DLLs itself, from the system folder,
# after InitializeProcess (WIC is reached through COM and needs no import).
target_link_libraries(zx_platform PUBLIC ole32 oleaut32 uuid shell32 shlwapi advapi32 user32 gdi32
    comdlg32)

# A console program that exercises the Windows backend on a real system (or
# Wine): files, registry, special folders, shell links, processes, version.
add_executable(win32smoke ${CMAKE_SOURCE_DIR}/tools/win32smoke/win32smoke.cpp)
target_link_libraries(win32smoke PRIVATE zx_platform)
set_target_properties(win32smoke PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)

# The same for the widget model on real windows (needs a display).
add_executable(win32uismoke ${CMAKE_SOURCE_DIR}/tools/win32smoke/win32uismoke.cpp)
target_link_libraries(win32uismoke PRIVATE zx_platform)
set_target_properties(win32uismoke PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
