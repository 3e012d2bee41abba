# The Windows build's own test pieces, included by tests/CMakeLists.txt.

# A test build of the program whose system calls fail where its environment asks
# (support/FaultShimWindows.cpp): the Windows counterpart of the preloaded FaultShim.
add_executable(mirrak-generator-faults ${CMAKE_SOURCE_DIR}/app/main.cpp support/FaultShimWindows.cpp)
mirrak_link(mirrak-generator-faults mirrak_app)
mirrak_include_folders(mirrak-generator-faults)
target_compile_definitions(mirrak-generator-faults PRIVATE NOMINMAX WIN32_LEAN_AND_MEAN)
foreach(test BatchModeTest BatchModeWindowsTest)
    add_dependencies(${test} mirrak-generator-faults)
endforeach()

# The download, unpacked into an empty folder, runs under Wine by itself.
add_test(NAME WindowsZip
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/package/windows_zip_test.sh ${MIRRAK_ZIP}
                 ${CMAKE_CROSSCOMPILING_EMULATOR})
set_tests_properties(WindowsZip PROPERTIES TIMEOUT 120)
