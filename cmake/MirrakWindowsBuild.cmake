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

# The Windows download: the program, stripped, with a short README.txt (Windows line ends), in a
# folder of the zip's own name.
set(MIRRAK_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR})
set(MIRRAK_ZIP_NAME mirrak-generator-${MIRRAK_VERSION}-win64)
set(MIRRAK_ZIP ${CMAKE_BINARY_DIR}/${MIRRAK_ZIP_NAME}.zip)
set(stage ${CMAKE_BINARY_DIR}/package/${MIRRAK_ZIP_NAME})
configure_file(docs/windows-README.txt ${stage}/README.txt @ONLY NEWLINE_STYLE DOS)
add_custom_command(OUTPUT ${MIRRAK_ZIP}
    COMMAND ${CMAKE_STRIP} -o ${stage}/mirrak-generator.exe $<TARGET_FILE:mirrak-generator>
    COMMAND ${CMAKE_COMMAND} -E rm -f ${MIRRAK_ZIP}
    COMMAND ${CMAKE_COMMAND} -E tar cf ${MIRRAK_ZIP} --format=zip ${MIRRAK_ZIP_NAME}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/package
    DEPENDS mirrak-generator ${stage}/README.txt
    COMMENT "Packing ${MIRRAK_ZIP_NAME}.zip")
add_custom_target(package-windows ALL DEPENDS ${MIRRAK_ZIP})

enable_testing()
if(MIRRAK_TESTS)
    add_subdirectory(tests)
endif()
