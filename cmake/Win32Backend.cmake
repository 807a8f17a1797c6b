target_compile_definitions(zx_platform PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
target_link_libraries(zx_platform PUBLIC ole32 oleaut32 uuid shell32 shlwapi advapi32 user32 gdi32
    comctl32 comdlg32 windowscodecs msimg32)
