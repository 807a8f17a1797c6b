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

# For the Windows end-to-end suite (tests/windows): zxdrive reads what the
# program's screens show; the marker DLL and the careless probe program show
# whether a DLL planted beside a program is loaded.
add_executable(zxdrive ${CMAKE_SOURCE_DIR}/tools/windrive/zxdrive.cpp)
target_link_options(zxdrive PRIVATE -municode)
target_link_libraries(zxdrive PRIVATE zx_platform)
add_library(dll_marker SHARED ${CMAKE_SOURCE_DIR}/tools/windrive/dll_marker.cpp)
set_target_properties(dll_marker PROPERTIES PREFIX "")
target_link_options(dll_marker PRIVATE -static -static-libgcc -static-libstdc++)
add_executable(dll_probe ${CMAKE_SOURCE_DIR}/tools/windrive/dll_probe.cpp)
target_link_options(dll_probe PRIVATE -municode)
# zxnames prints what a screen reader learns of the screens (it may link
# oleacc: it is a test tool, never shipped beside a download).
add_executable(zxnames ${CMAKE_SOURCE_DIR}/tools/windrive/zxnames.cpp)
target_link_options(zxnames PRIVATE -municode -static -static-libgcc -static-libstdc++)
target_link_libraries(zxnames PRIVATE oleacc ole32 oleaut32 uuid)
set_target_properties(zxdrive zxnames dll_marker dll_probe
    PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
