find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
target_link_libraries(zx_platform PUBLIC Threads::Threads)
