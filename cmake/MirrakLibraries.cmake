# One folder, one library; includes point down only.
#
# mirrak_library(NAME <target> DIR <folder> [QT] [PLATFORM_FILES] [USES <library>...]
#                [EXCLUDE <file>...])
#   A static library of the .cpp files directly in <folder>. With PLATFORM_FILES, a file whose
#   name ends in Posix.cpp is built only for POSIX and one ending in Windows.cpp only for Windows
#   (see mirrak_platform_sources). Its sources see, by include, the
#   headers of <folder> and of the libraries it uses, directly or not, and nothing else: each
#   library gets an include tree of its own in the build folder that links just those headers, so
#   an include that points up (or sideways) fails to compile. QT gives the library Qt Widgets; no
#   other library can include a Qt header.
#
# mirrak_link(<target> <library>...)
#   Links the libraries and, below them, every library they use, in an order the linker accepts.
#
# mirrak_include_folders(<target> <folder>...)
#   An include tree for a target that is no library (a test, a benchmark): the given folders and
#   the folders of the libraries it links through mirrak_link.

set(MIRRAK_INCLUDE_ROOT ${CMAKE_BINARY_DIR}/include)

# The platform the build is for: Windows or Posix, as the names of platform files end.
if(WIN32)
    set(MIRRAK_PLATFORM Windows)
else()
    set(MIRRAK_PLATFORM Posix)
endif()

# mirrak_platform_sources(<variable>): drops from the list of files in <variable> those of the
# other platform, files named *Posix.cpp or *Windows.cpp (tests: *PosixTest.cpp, *WindowsTest.cpp).
function(mirrak_platform_sources variable)
    set(sources ${${variable}})
    foreach(platform Posix Windows)
        if(NOT platform STREQUAL MIRRAK_PLATFORM)
            list(FILTER sources EXCLUDE REGEX "${platform}(Test)?\\.cpp$")
        endif()
    endforeach()
    set(${variable} ${sources} PARENT_SCOPE)
endfunction()

function(_mirrak_include_tree target)
    set(root ${MIRRAK_INCLUDE_ROOT}/${target})
    file(REMOVE_RECURSE ${root})
    foreach(folder IN LISTS ARGN)
        file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.h)
        foreach(header IN LISTS headers)
            get_filename_component(name ${header} NAME)
            file(MAKE_DIRECTORY ${root}/${folder})
            file(CREATE_LINK ${header} ${root}/${folder}/${name} SYMBOLIC)
        endforeach()
    endforeach()
    file(MAKE_DIRECTORY ${root})
    target_include_directories(${target} PRIVATE ${root})
endfunction()

# The libraries below the given ones, each after every library that uses it.
function(_mirrak_closure out)
    set(order "")
    set(pending ${ARGN})
    while(pending)
        list(POP_FRONT pending library)
        list(REMOVE_ITEM order ${library})
        list(APPEND order ${library})
        get_property(uses GLOBAL PROPERTY MIRRAK_USES_${library})
        list(APPEND pending ${uses})
    endwhile()
    set(${out} ${order} PARENT_SCOPE)
endfunction()

function(_mirrak_folders out)
    _mirrak_closure(libraries ${ARGN})
    set(folders "")
    foreach(library IN LISTS libraries)
        get_property(folder GLOBAL PROPERTY MIRRAK_FOLDER_${library})
        list(APPEND folders ${folder})
    endforeach()
    set(${out} ${folders} PARENT_SCOPE)
endfunction()

function(mirrak_library)
    cmake_parse_arguments(LIB "QT;PLATFORM_FILES" "NAME;DIR" "USES;EXCLUDE" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${LIB_DIR}/*.cpp)
    if(LIB_PLATFORM_FILES)
        mirrak_platform_sources(sources)
    endif()
    foreach(excluded IN LISTS LIB_EXCLUDE)
        list(REMOVE_ITEM sources ${CMAKE_SOURCE_DIR}/${LIB_DIR}/${excluded})
    endforeach()
    add_library(${LIB_NAME} STATIC ${sources})
    set_property(GLOBAL PROPERTY MIRRAK_FOLDER_${LIB_NAME} ${LIB_DIR})
    set_property(GLOBAL PROPERTY MIRRAK_USES_${LIB_NAME} ${LIB_USES})
    _mirrak_folders(folders ${LIB_NAME})
    _mirrak_include_tree(${LIB_NAME} ${folders})
    if(LIB_QT)
        target_link_libraries(${LIB_NAME} PRIVATE Qt6::Widgets)
    endif()
endfunction()

function(mirrak_link target)
    _mirrak_closure(libraries ${ARGN})
    target_link_libraries(${target} PRIVATE ${libraries})
    get_property(linked TARGET ${target} PROPERTY MIRRAK_LINKED)
    set_property(TARGET ${target} PROPERTY MIRRAK_LINKED ${linked} ${ARGN})
endfunction()

function(mirrak_include_folders target)
    get_property(linked TARGET ${target} PROPERTY MIRRAK_LINKED)
    _mirrak_folders(folders ${linked})
    _mirrak_include_tree(${target} ${folders} ${ARGN})
endfunction()
