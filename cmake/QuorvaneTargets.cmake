# Helpers shared by every target of ours.

# Our warning set; errors when QUORVANE_WERROR is on (CI).
function(quorvane_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion)
    # g++ 12 reports std::string assignments as overlapping memcpy at -O3 (GCC bug 105651).
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
        target_compile_options(${target} PRIVATE -Wno-restrict)
    endif()
    if(QUORVANE_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# A logic library: standard C++ only, headers included as "layer/File.h" from src/.
function(quorvane_library target)
    add_library(${target} STATIC ${ARGN})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    quorvane_warnings(${target})
endfunction()

# A GoogleTest executable registered with CTest.
function(quorvane_test target)
    cmake_parse_arguments(QT "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${target} ${QT_SOURCES})
    target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    target_link_libraries(${target} PRIVATE ${QT_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
    quorvane_warnings(${target})
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
endfunction()

# A libFuzzer target; its committed seed corpus is replayed once as a CTest test.
function(quorvane_fuzzer name)
    cmake_parse_arguments(QF "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name}_fuzzer ${QF_SOURCES})
    target_link_libraries(${name}_fuzzer PRIVATE ${QF_LIBS})
    target_link_options(${name}_fuzzer PRIVATE -fsanitize=fuzzer)
    quorvane_warnings(${name}_fuzzer)
    add_test(NAME ${name}_fuzzer_corpus
             COMMAND ${name}_fuzzer -runs=0 ${CMAKE_CURRENT_SOURCE_DIR}/corpus/${name})
endfunction()
