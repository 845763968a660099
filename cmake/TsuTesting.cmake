# Test plumbing shared by every test folder.

# GoogleTest, built from the Debian source package for whichever compiler is in use.
macro(tsu_setup_googletest)
    if(NOT TARGET gtest)
        set(GTEST_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
        set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
        set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
        set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
        add_subdirectory(${GTEST_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    endif()
endmacro()

# nlohmann-json is header-only; copy its headers so the cross compilers can see them
# without the rest of the host's /usr/include.
macro(tsu_setup_json)
    set(TSU_JSON_INCLUDE ${CMAKE_BINARY_DIR}/third_party/include)
    if(EXISTS /usr/include/nlohmann/json.hpp AND NOT EXISTS ${TSU_JSON_INCLUDE}/nlohmann/json.hpp)
        file(COPY /usr/include/nlohmann DESTINATION ${TSU_JSON_INCLUDE})
    endif()
    add_library(nlohmann_json_headers INTERFACE)
    target_include_directories(nlohmann_json_headers SYSTEM INTERFACE ${TSU_JSON_INCLUDE})
endmacro()

# Turns a host path into the path a Wine process sees (drive Z: maps the host root).
function(tsu_wine_path out path)
    string(REPLACE "/" "\\\\" winpath "${path}")
    set(${out} "Z:${winpath}" PARENT_SCOPE)
endfunction()

# tsu_add_test(name SOURCES a.cpp b.cpp LIBS lib1 lib2 [NO_MAIN] [LABELS l1 l2] [TIMEOUT s])
# Under the cross build CTest runs the program through CMAKE_CROSSCOMPILING_EMULATOR (wine)
# in the private prefix that scripts/test prepares.
function(tsu_add_test name)
    cmake_parse_arguments(T "NO_MAIN" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    if(T_NO_MAIN)
        target_link_libraries(${name} PRIVATE ${T_LIBS} gtest)
    else()
        target_link_libraries(${name} PRIVATE ${T_LIBS} gtest_main)
    endif()
    if(WIN32)
        tsu_wine_path(bindir "${CMAKE_BINARY_DIR}/bin")
        tsu_wine_path(srcdir "${CMAKE_SOURCE_DIR}")
        target_compile_definitions(${name} PRIVATE
            TSU_TEST_BIN_DIR=L"${bindir}" TSU_SOURCE_DIR=L"${srcdir}")
    else()
        target_compile_definitions(${name} PRIVATE
            TSU_TEST_BIN_DIR="${CMAKE_BINARY_DIR}/bin" TSU_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    endif()
    add_test(NAME ${name} COMMAND ${name})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 300)
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
    if(T_LABELS)
        set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
    endif()
endfunction()
