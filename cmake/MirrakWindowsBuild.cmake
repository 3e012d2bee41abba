# The Windows build, included by the top CMakeLists.txt once the core libraries are defined:
# batch mode as mirrak-generator.exe, its tests under Wine, and the zip to download.

# The program and the tests carry their C and C++ runtime, so that they run without DLLs beside
# them.
add_link_options(-static)

# windows.h without its min and max macros and its rarely used parts; the files that need the
# CryptoAPI include wincrypt.h themselves.
target_compile_definitions(mirrak_os PRIVATE NOMINMAX WIN32_LEAN_AND_MEAN)

add_executable(mirrak-generator app/main.cpp)
target_include_directories(mirrak-generator PRIVATE ${MIRRAK_INCLUDE_ROOT}/mirrak_app)
target_link_libraries(mirrak-generator PRIVATE mirrak_app mirrak_generator mirrak_os)

include(GNUInstallDirs)
install(TARGETS mirrak-generator RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

enable_testing()
if(MIRRAK_TESTS)
    add_subdirectory(tests)
endif()
